// The kinds of shapes: one class per page item kind over the compiler's
// record of that kind, the shape that keeps an item of an unknown kind, and
// the designer tools that create them.
#pragma once

#include "compiler/items.h"
#include "shape.h"

#include <memory>
#include <string>

namespace tft::ide::basic_shape {

template <class Record> class CShapeOf : public CShape {
public:
    const Record& props() const { return props_; }

protected:
    ObjPropBase* record() override { return &props_; }
    bool copyMembers(const CShape& other) override {
        props_ = static_cast<const CShapeOf&>(other).props_;
        return true;
    }
    Record props_;
};

#define TFT_SHAPE_KIND(Class, Record, Kind, Type, Default)                                         \
    class Class final : public CShapeOf<Record> {                                                  \
    public:                                                                                        \
        Class() {                                                                                  \
            bindRecord(props_);                                                                    \
            setName(Default);                                                                      \
        }                                                                                          \
        std::string kindName() const override { return Kind; }                                     \
        std::string typeName() const override { return Type; }                                     \
        std::string defaultName() const override { return Default; }                               \
        std::unique_ptr<CShape> createEmpty() const override { return std::make_unique<Class>(); } \
    }

TFT_SHAPE_KIND(CLine, PropExport_Line, "Line", "LINE", "Line");
TFT_SHAPE_KIND(CCurve, PropExport_Curve, "Curve", "CURVE", "Curve");
TFT_SHAPE_KIND(CRectangle, PropExport_Rectangle, "Rectangle", "RECTANGLE", "Rectangle");
TFT_SHAPE_KIND(CCircle, PropExport_Circle, "Circle", "CIRCLE", "Circle");
TFT_SHAPE_KIND(CEllipse, PropExport_Ellipse, "Ellipse", "ELLIPSE", "Ellipse");
TFT_SHAPE_KIND(CText, PropExport_Text, "Text", "TEXT", "Text");
TFT_SHAPE_KIND(CImage, PropExport_Image, "Image", "IMAGE", "Image");
TFT_SHAPE_KIND(CImageButton, PropExport_Button, "Button", "BUTTON", "Button");
TFT_SHAPE_KIND(CTextDisplay, PropExport_TextDisplay, "Text_Display", "TEXT_DISPLAY", "TextDisplay");
TFT_SHAPE_KIND(CImageProgress, PropExport_Progress, "Progress", "PROGRESS", "Progress");
TFT_SHAPE_KIND(CMeter, PropExport_Meter, "Meter", "METER", "meter");
TFT_SHAPE_KIND(CSlider, PropExport_Slider, "Slider", "SLIDER", "slider");
TFT_SHAPE_KIND(CRTC, PropExport_RTC, "RTC", "RTC", "RTC");
TFT_SHAPE_KIND(CAnimation, PropExport_Animation, "Animation", "ANIMATION", "Animation");
TFT_SHAPE_KIND(CGraph, PropExport_Graph, "Graph", "GRAPH", "Graph");
#undef TFT_SHAPE_KIND

// An item whose type the designer does not know: kept as it was read and
// written back unchanged. It is not drawn and cannot be hit.
class CUnknownShape final : public CShape {
public:
    std::string kindName() const override { return "Shape"; }
    std::string typeName() const override;
    std::string defaultName() const override { return "Shape"; }
    std::unique_ptr<CShape> createEmpty() const override {
        return std::make_unique<CUnknownShape>();
    }
    void load(const pugi::xml_node& item, std::vector<LoadMessage>* messages) override;
    void save(pugi::xml_node& item) const override;
    bool propertyChanged(const std::string&, const std::string&) override { return false; }
    // The kept item's id, so that new shapes never take it.
    std::int32_t id() const override;

protected:
    ObjPropBase* record() override { return nullptr; }
    bool copyMembers(const CShape& other) override;

private:
    pugi::xml_document element_;
};

// A new shape of a page file `type` (compared in upper case), or null.
std::unique_ptr<CShape> createShape(const std::string& type);

// Tool command ids: 32774 is the pointer; the others create shapes.
constexpr int kToolPointer = 32774;
constexpr int kToolFirst = 32775;
constexpr int kToolLast = 32792;
// A new shape for a tool (solid variants with `fill_type` 1), or null for the
// pointer and ids outside the tools.
std::unique_ptr<CShape> createShapeForTool(int tool);

} // namespace tft::ide::basic_shape
