// Page items: one class per kind, each with its factory and its export record.
// An item's attributes live in its export record; one description per kind
// (the record's `visit`) drives loading, saving and defaults alike, so the
// three can never disagree.
#pragma once

#include "compiler/attributes.h"

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace tft {

class IItemEditor;

// Walks the attributes of a kind in file order.
class AttributeVisitor {
public:
    virtual ~AttributeVisitor() = default;
    virtual void integer(const char* name, std::int32_t& value, std::int32_t fallback) = 0;
    virtual void real(const char* name, double& value, double fallback) = 0;
    // Read as a real, kept as an integer (truncated toward zero).
    virtual void realAsInteger(const char* name, std::int32_t& value, std::int32_t fallback) = 0;
    virtual void colour(const char* name, std::uint32_t& value, std::uint32_t fallback) = 0;
    virtual void text(const char* name, std::string& value, const char* fallback = "") = 0;
};

// The export record: the control id and text, then the kind's attributes.
struct ObjPropBase {
    virtual ~ObjPropBase() = default;
    std::int32_t id = 1;
    std::string text;
    // The kind's own attributes (not name, id, text), in file order.
    virtual void visit(AttributeVisitor& visitor) = 0;
};

// Curve points in `path`: decimal numbers x0, y0, x1, y1, ... separated by
// commas, semicolons or blanks; each is kept in 16 bits (values outside
// 0..65535 are clamped), tokens that are not numbers are skipped, and an odd
// last number is dropped.
std::vector<std::uint16_t> parsePointList(const std::string& path);

struct PropExport_Line final : ObjPropBase {
    std::uint32_t pen_color = 0;
    std::int32_t pen_width = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Curve final : ObjPropBase {
    std::string path;
    std::uint32_t pen_color = 0;
    std::vector<std::uint16_t> points; // from `path`
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Rectangle final : ObjPropBase {
    std::int32_t fill_type = 0;
    std::uint32_t pen_color = 0;
    std::int32_t pen_width = 0, xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Ellipse final : ObjPropBase {
    std::int32_t fill_type = 0;
    std::uint32_t pen_color = 0;
    std::int32_t pen_width = 0, xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Circle final : ObjPropBase {
    std::int32_t fill_type = 0;
    std::uint32_t pen_color = 0;
    std::int32_t pen_width = 0, x = 0, y = 0, radius = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Text final : ObjPropBase {
    std::int32_t font = 0, encode = 0, xOffset = 0, yOffset = 0, width = 0, height = 0;
    std::int32_t row_gap = 0, col_gap = 0;
    std::uint32_t bk_color = 0, fore_color = 0;
    std::int32_t show_bk = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Image final : ObjPropBase {
    std::int32_t transparency = 0, crop = 0, filter = 0;
    std::uint32_t clr_low = 0;
    std::string url;
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Button final : ObjPropBase {
    std::string url_up;
    std::int32_t cut_up = 0, cut_up_offset_x = 0, cut_up_offset_y = 0;
    std::string url_down;
    std::int32_t cut_down = 0, cut_down_offset_x = 0, cut_down_offset_y = 0;
    std::int32_t button_type = 0, init_state = 0, button_style = 0, key_type = 0;
    std::string key_code, switch_; // `switch` in the file
    std::int32_t focus = 0;
    std::string action;
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_TextDisplay final : ObjPropBase {
    std::int32_t show_bkg_style = 0;
    std::uint32_t fore_color = 0, bkg_color = 0;
    std::string bkg_image_path;
    std::int32_t font = 0, xOffset = 0, yOffset = 0, width = 0, height = 0;
    std::int32_t input_mode = 0, text_type = 0, password = 0, text_len_max = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Progress final : ObjPropBase {
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0, show_bkg_style = 0;
    std::uint32_t bkg_color = 0;
    std::string bkg_image_path;
    std::int32_t show_fore_style = 0;
    std::uint32_t fore_color = 0;
    std::string fore_image_path;
    std::int32_t progress_style = 0, value = 0, min_value = 0, max_value = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Meter final : ObjPropBase {
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    std::int32_t meter_type = 0, value = 0, start_value = 0, end_value = 0, show_bkg_style = 0;
    std::string bkg_image_path;
    std::int32_t angle_start = 0, angle_end = 0, clock_wise = 0, show_numerical = 0;
    std::string numerical_font;
    std::int32_t numerical_font_size = 0, start_numerical = 0, end_numerical = 0;
    std::uint32_t numerical_color = 0, bkg_color = 0;
    std::int32_t show_bkg_color = 0;
    std::uint32_t scale_color = 0;
    std::int32_t show_scale = 0, scale_width = 0, mark_count = 0, mark_width = 0;
    std::uint32_t mark_color = 0;
    std::int32_t show_sub_mark = 0, sub_mark_count = 0, sub_mark_width = 0;
    std::uint32_t sub_mark_color = 0;
    std::int32_t pointer_type = 0;
    std::uint32_t pointer_color = 0, pointer_center_color = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Slider final : ObjPropBase {
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    std::int32_t value = 0, start_value = 0, end_value = 0;
    std::int32_t input = 0, direction = 0, mark_type = 0, mark_count = 0;
    std::uint32_t mark_color = 0;
    std::int32_t show_value = 0, left_space = 0, right_space = 0, bkg_type = 0;
    std::uint32_t bkg_color = 0;
    std::string bkg_image_path;
    std::int32_t cursor_direction = 0, cursor_type = 0, cursor_offset = 0;
    std::int32_t cursor_width = 0, cursor_height = 0;
    std::string cursor_image_path;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_RTC final : ObjPropBase {
    double zone = 0;
    std::int32_t format = 0, lang = 0, font = 0, xOffset = 0, yOffset = 0, width = 0, height = 0;
    std::uint32_t fore_color = 0;
    std::int32_t input = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Animation final : ObjPropBase {
    std::int32_t auto_play = 0, interval = 0, repeat_count = 0;
    std::string frame_list;
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

struct PropExport_Graph final : ObjPropBase {
    std::int32_t sample_count = 0, sample_depth = 0;
    std::int32_t xOffset = 0, yOffset = 0, width = 0, height = 0;
    void visit(AttributeVisitor& v) override;
};

// The page's view of an item.
class IItemLite {
public:
    virtual ~IItemLite() = default;
    // The `type` text of the kind; the base answers "ITEM".
    virtual std::string kindName() const = 0;
    // Reads the common attributes and those of the kind; a missing or
    // malformed attribute takes its default. False when the item cannot stand
    // (a button whose action list is not valid keeps loading but remembers it).
    virtual bool load(const pugi::xml_node& element) = 0;
    // Writes `type`, the common attributes and every attribute of the kind.
    virtual void save(pugi::xml_node& element) const = 0;
    virtual void setPage(IItemEditor* page) = 0;
    virtual IItemEditor* page() const = 0;
    virtual std::string pageName() const = 0;
    virtual void setName(const std::string& name) = 0;
    virtual const std::string& name() const = 0;
    virtual void setFlag(int flag) = 0;
    virtual int flag() const = 0;
    // "[screen]%s;[item]%s:" with the page name and the item name.
    virtual std::string messagePrefix() const = 0;
};

class IObjPropExport {
public:
    virtual ~IObjPropExport() = default;
    virtual const ObjPropBase& exportProperties() const = 0;
};

using ItemList = std::vector<std::unique_ptr<IItemLite>>;

class CItem : public IItemLite, public IObjPropExport {
public:
    std::string kindName() const override { return "ITEM"; }
    bool load(const pugi::xml_node& element) override;
    void save(pugi::xml_node& element) const override;
    void setPage(IItemEditor* page) override { page_ = page; }
    IItemEditor* page() const override { return page_; }
    std::string pageName() const override;
    void setName(const std::string& name) override { name_ = name; }
    const std::string& name() const override { return name_; }
    void setFlag(int flag) override { flag_ = flag; }
    int flag() const override { return flag_; }
    std::string messagePrefix() const override;
    const ObjPropBase& exportProperties() const override { return record(); }

    std::int32_t id() const { return record().id; }
    const std::string& text() const { return record().text; }

protected:
    virtual ObjPropBase& record() = 0;
    virtual const ObjPropBase& record() const = 0;
    // Runs after the attributes are read (derived values, nested lists).
    virtual bool afterLoad() { return true; }
    // Sets every attribute of the record to its default.
    void resetToDefaults();

private:
    std::string name_;
    IItemEditor* page_ = nullptr;
    int flag_ = 0;
};

// A kind of item over its export record.
template <class Record> class CItemOf : public CItem {
public:
    const Record& props() const { return props_; }
    Record& props() { return props_; }

protected:
    ObjPropBase& record() override { return props_; }
    const ObjPropBase& record() const override { return props_; }
    Record props_;
};

#define TFT_ITEM_CLASS(Class, Record, Kind)                                                        \
    class Class : public CItemOf<Record> {                                                         \
    public:                                                                                        \
        Class() { resetToDefaults(); }                                                             \
        std::string kindName() const override { return Kind; }                                     \
    }

TFT_ITEM_CLASS(CItemLine, PropExport_Line, "LINE");
TFT_ITEM_CLASS(CItemRectangle, PropExport_Rectangle, "RECTANGLE");
TFT_ITEM_CLASS(CItemEllipse, PropExport_Ellipse, "ELLIPSE");
TFT_ITEM_CLASS(CItemCircle, PropExport_Circle, "CIRCLE");
TFT_ITEM_CLASS(CItemText, PropExport_Text, "TEXT");
TFT_ITEM_CLASS(CItemImage, PropExport_Image, "IMAGE");
TFT_ITEM_CLASS(CItemTextDisplay, PropExport_TextDisplay, "TEXT_DISPLAY");
TFT_ITEM_CLASS(CItemProgress, PropExport_Progress, "PROGRESS");
TFT_ITEM_CLASS(CItemMeter, PropExport_Meter, "METER");
TFT_ITEM_CLASS(CItemSlider, PropExport_Slider, "SLIDER");
TFT_ITEM_CLASS(CItemRTC, PropExport_RTC, "RTC");
TFT_ITEM_CLASS(CItemAnimation, PropExport_Animation, "ANIMATION");
TFT_ITEM_CLASS(CItemGraph, PropExport_Graph, "GRAPH");
#undef TFT_ITEM_CLASS

class CItemCurve : public CItemOf<PropExport_Curve> {
public:
    CItemCurve() { resetToDefaults(); }
    std::string kindName() const override { return "CURVE"; }

protected:
    bool afterLoad() override;
};

class CItemButton : public CItemOf<PropExport_Button> {
public:
    CItemButton() { resetToDefaults(); }
    std::string kindName() const override { return "BUTTON"; }
    // The items of `action`, parsed at load.
    const ItemList& actions() const { return actions_; }
    // False when `action` held items that could not be created (the compile
    // of the button reports it).
    bool actionsValid() const { return actionsValid_; }

protected:
    bool afterLoad() override;

private:
    ItemList actions_;
    bool actionsValid_ = true;
};

// Item factories: the one operation creates a new item of the kind.
class IItemFactory {
public:
    virtual ~IItemFactory() = default;
    virtual std::unique_ptr<IItemLite> create() const = 0;
};

template <class Item> class CItemFactoryOf final : public IItemFactory {
public:
    std::unique_ptr<IItemLite> create() const override { return std::make_unique<Item>(); }
};

using CItemLineFactory = CItemFactoryOf<CItemLine>;
using CItemCurveFactory = CItemFactoryOf<CItemCurve>;
using CItemRectangleFactory = CItemFactoryOf<CItemRectangle>;
using CItemEllipseFactory = CItemFactoryOf<CItemEllipse>;
using CItemCircleFactory = CItemFactoryOf<CItemCircle>;
using CItemTextFactory = CItemFactoryOf<CItemText>;
using CItemImageFactory = CItemFactoryOf<CItemImage>;
using CItemButtonFactory = CItemFactoryOf<CItemButton>;
using CItemTextDisplayFactory = CItemFactoryOf<CItemTextDisplay>;
using CItemProgressFactory = CItemFactoryOf<CItemProgress>;
using CItemMeterFactory = CItemFactoryOf<CItemMeter>;
using CItemSliderFactory = CItemFactoryOf<CItemSlider>;
using CItemRTCFactory = CItemFactoryOf<CItemRTC>;
using CItemAnimationFactory = CItemFactoryOf<CItemAnimation>;
using CItemGraphFactory = CItemFactoryOf<CItemGraph>;

// Parses an action list (`StartupAction`, a button's `action`): an empty text
// is an empty list; a text that is not XML is an empty list and still a
// success. Every `item` child of the root must have a non-empty type other
// than "UNKNOWNTYPE" with a factory; otherwise the parse fails. Action lists
// nested deeper than kMaxActionDepth fail too.
constexpr int kMaxActionDepth = 8;
bool parseActionList(const std::string& text, ItemList& out);

} // namespace tft
