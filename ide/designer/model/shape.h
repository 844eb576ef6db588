// basic_shape::CShape: one shape of a page in the designer. A shape holds the
// compiler's attribute record of its kind, a binding table over that record,
// its name, its state bits and its rectangle in page pixels.
#pragma once

#include "data_exchange.h"

#include <QPoint>
#include <Qt>
#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

namespace tft {
struct ObjPropBase;
}

namespace tft::ide::basic_shape {

// left/top/right/bottom; a point is inside when left <= x < right and
// top <= y < bottom.
struct ShapeRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    ShapeRect normalised() const;
    ShapeRect inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
    bool contains(QPoint point) const;
    bool intersects(const ShapeRect& other) const;
    bool operator==(const ShapeRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const ShapeRect& other) const { return !(*this == other); }
};

// Something that went wrong while reading a page: the item, the attribute and
// the value that was replaced by the kind's default.
struct LoadMessage {
    std::string item;
    std::string attribute;
    std::string value;
    std::string text;
};

class CShape {
public:
    enum StateBits : std::uint32_t { Selected = 1, Hidden = 2, Reference = 8 };
    static constexpr std::uint32_t kSelectedReference = Selected | Reference;

    virtual ~CShape() = default;
    CShape(const CShape&) = delete;
    CShape& operator=(const CShape&) = delete;

    // The kind's name as shown ("Rectangle", "Text_Display", ...).
    virtual std::string kindName() const = 0;
    // The page file's `type` ("RECTANGLE", ...); the item text uses it in lower case.
    virtual std::string typeName() const = 0;
    // The name a new shape of the kind starts with.
    virtual std::string defaultName() const = 0;
    virtual std::unique_ptr<CShape> createEmpty() const = 0;
    // Copies name, state, rectangle and the kind's members; fails for itself,
    // for nothing and for a shape of another kind.
    bool copyFrom(const CShape* other);
    std::unique_ptr<CShape> clone() const;
    // Same kind, name, rectangle and attributes; the state is not compared.
    bool sameContent(const CShape& other) const;

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }
    virtual std::int32_t id() const;
    void setId(std::int32_t id);
    std::uint32_t state() const { return state_; }
    void setState(std::uint32_t state) { state_ = state; }
    bool isSelected() const { return state_ & Selected; }
    bool isHidden() const { return state_ & Hidden; }
    bool isReference() const { return (state_ & kSelectedReference) == kSelectedReference; }

    // Geometry. Every setter keeps the kind's position members in step.
    ShapeRect rect() const;
    void setRect(const ShapeRect& rect);
    void normalise();
    void offset(int dx, int dy);
    void moveTo(QPoint topLeft);

    int handleCount() const;
    QPoint handle(int index) const;
    ShapeRect handleRect(int index) const { return pointRect(handle(index)); }
    Qt::CursorShape handleCursor(int index) const;
    bool hitTest(QPoint point) const;
    int hitHandle(QPoint point) const;
    void dragHandle(int index, QPoint point);

    // Attributes by name in their text form.
    const CXMLDataExchange& bindings() const { return exchange_; }
    std::string property(const std::string& name) const;
    // Applies one property; false (nothing changed) for a name the kind does
    // not have or a value that does not read.
    virtual bool propertyChanged(const std::string& name, const std::string& value);

    // The kind's empty item element: `name`, `id`, `type` in lower case and
    // every attribute of the kind with an empty value.
    std::string itemText() const;
    // Reads every bound attribute the element has (a bad value takes the
    // kind's default and adds a message), keeps attributes the kind does not
    // know, then sets the rectangle from the position members.
    virtual void load(const pugi::xml_node& item, std::vector<LoadMessage>* messages);
    virtual void save(pugi::xml_node& item) const;

    // Attributes of the item the kind does not know, kept to be written back.
    const std::vector<std::pair<std::string, std::string>>& foreignAttributes() const {
        return foreign_;
    }

protected:
    CShape() = default;
    // Binds `name`, `id`, `text`, then the kind's attributes, from the record.
    void bindRecord(ObjPropBase& record);
    virtual ObjPropBase* record() = 0;
    const ObjPropBase* record() const { return const_cast<CShape*>(this)->record(); }
    // Copies the kind's members from another shape of the same kind.
    virtual bool copyMembers(const CShape& other) = 0;

private:
    enum class Geometry { Box, Circle, Line, Curve, None };
    static ShapeRect pointRect(QPoint point) {
        return ShapeRect{point.x(), point.y(), point.x(), point.y()}.inflated(4);
    }
    std::int32_t& member(int index) const { return *geometryMembers_[index]; }
    void rectFromMembers();
    void membersFromRect();
    std::vector<QPoint> curvePoints() const;
    void setCurvePoints(const std::vector<QPoint>& points);

    std::string name_;
    std::uint32_t state_ = 0;
    ShapeRect rect_{0, 0, 20, 20};
    CXMLDataExchange exchange_;
    Geometry geometry_ = Geometry::None;
    std::int32_t* geometryMembers_[4] = {};
    std::string* path_ = nullptr;
    std::vector<std::pair<std::string, std::string>> foreign_;
};

using ShapeList = std::vector<std::unique_ptr<CShape>>;

// A deep copy: every shape cloned.
ShapeList cloneList(const ShapeList& list);
// The same shapes in the same order, whatever their states.
bool sameContent(const ShapeList& a, const ShapeList& b);

} // namespace tft::ide::basic_shape
