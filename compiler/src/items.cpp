#include "compiler/items.h"

#include "compiler/item_editor.h"
#include "compiler/item_registry.h"
#include "compiler/options.h"

#include <cmath>
#include <limits>

namespace tft {
namespace {

// Reads attributes of an element; a missing or malformed value gives the default.
class Loader final : public AttributeVisitor {
public:
    explicit Loader(const pugi::xml_node& element) : element_(element) {}

    void integer(const char* name, std::int32_t& value, std::int32_t fallback) override {
        value = parseInteger(attribute(name)).value_or(fallback);
    }
    void real(const char* name, double& value, double fallback) override {
        value = parseReal(attribute(name)).value_or(fallback);
    }
    void realAsInteger(const char* name, std::int32_t& value, std::int32_t fallback) override {
        const auto read = parseReal(attribute(name));
        // Reals outside 32 bits cannot be kept: they take the default too.
        if (read && std::fabs(*read) < 2147483648.0)
            value = static_cast<std::int32_t>(*read);
        else
            value = fallback;
    }
    void colour(const char* name, std::uint32_t& value, std::uint32_t fallback) override {
        value = parseColour(attribute(name)).value_or(fallback);
    }
    void text(const char* name, std::string& value, const char* fallback) override {
        const pugi::xml_attribute found = element_.attribute(name);
        value = found ? found.value() : fallback;
    }

private:
    std::string_view attribute(const char* name) const {
        // A missing attribute reads as an empty value, which no number or
        // colour parser accepts, so it takes the default like a bad value.
        return element_.attribute(name).value();
    }

    const pugi::xml_node& element_;
};

// Writes every attribute; colours as R;G;B.
class Saver final : public AttributeVisitor {
public:
    explicit Saver(pugi::xml_node& element) : element_(element) {}

    void integer(const char* name, std::int32_t& value, std::int32_t) override {
        set(name, std::to_string(value));
    }
    void real(const char* name, double& value, double) override { set(name, formatReal(value)); }
    void realAsInteger(const char* name, std::int32_t& value, std::int32_t) override {
        set(name, std::to_string(value));
    }
    void colour(const char* name, std::uint32_t& value, std::uint32_t) override {
        set(name, formatColour(value));
    }
    void text(const char* name, std::string& value, const char*) override { set(name, value); }

private:
    void set(const char* name, const std::string& value) {
        pugi::xml_attribute attribute = element_.attribute(name);
        if (!attribute)
            attribute = element_.append_attribute(name);
        attribute.set_value(value.c_str());
    }

    pugi::xml_node& element_;
};

class Defaulter final : public AttributeVisitor {
public:
    void integer(const char*, std::int32_t& value, std::int32_t fallback) override {
        value = fallback;
    }
    void real(const char*, double& value, double fallback) override { value = fallback; }
    void realAsInteger(const char*, std::int32_t& value, std::int32_t fallback) override {
        value = fallback;
    }
    void colour(const char*, std::uint32_t& value, std::uint32_t fallback) override {
        value = fallback;
    }
    void text(const char*, std::string& value, const char* fallback) override { value = fallback; }
};

constexpr std::uint32_t kBlack = rgb(0, 0, 0);
constexpr std::uint32_t kBlue = rgb(0, 0, 255);
constexpr std::uint32_t kGreen = rgb(0, 255, 0);

void rectangle(AttributeVisitor& v, std::int32_t& x, std::int32_t& y, std::int32_t& w,
               std::int32_t& h, std::int32_t size) {
    v.integer("xOffset", x, 0);
    v.integer("yOffset", y, 0);
    v.integer("width", w, size);
    v.integer("height", h, size);
}

// The depth of action lists being parsed on this thread (lists nest through
// buttons inside actions).
thread_local int actionDepth = 0;

} // namespace

std::vector<std::uint16_t> parsePointList(const std::string& path) {
    std::vector<std::uint16_t> points;
    std::size_t i = 0;
    while (i < path.size()) {
        const char c = path[i];
        if (c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < path.size() && path[end] != ',' && path[end] != ';' && path[end] != ' ' &&
               path[end] != '\t' && path[end] != '\r' && path[end] != '\n')
            ++end;
        if (const auto value = parseInteger(std::string_view(path).substr(i, end - i))) {
            const std::int32_t clamped =
                std::min<std::int32_t>(std::max<std::int32_t>(*value, 0), 0xFFFF);
            points.push_back(static_cast<std::uint16_t>(clamped));
        }
        i = end;
    }
    if (points.size() % 2 != 0)
        points.pop_back();
    return points;
}

void PropExport_Line::visit(AttributeVisitor& v) {
    v.colour("pen_color", pen_color, kBlack);
    v.integer("pen_width", pen_width, 1);
    v.integer("x0", x0, 0);
    v.integer("y0", y0, 0);
    v.integer("x1", x1, 0);
    v.integer("y1", y1, 0);
}

void PropExport_Curve::visit(AttributeVisitor& v) {
    v.text("path", path);
    v.colour("pen_color", pen_color, kBlack);
}

void PropExport_Rectangle::visit(AttributeVisitor& v) {
    v.integer("fill_type", fill_type, 0);
    v.colour("pen_color", pen_color, kBlack);
    v.integer("pen_width", pen_width, 1);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

void PropExport_Ellipse::visit(AttributeVisitor& v) {
    v.integer("fill_type", fill_type, 0);
    v.colour("pen_color", pen_color, kBlack);
    v.integer("pen_width", pen_width, 1);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

void PropExport_Circle::visit(AttributeVisitor& v) {
    v.integer("fill_type", fill_type, 0);
    v.colour("pen_color", pen_color, kBlack);
    v.integer("pen_width", pen_width, 1);
    v.integer("x", x, 0);
    v.integer("y", y, 0);
    v.integer("radius", radius, 0);
}

void PropExport_Text::visit(AttributeVisitor& v) {
    v.integer("font", font, 1);
    v.integer("encode", encode, 1);
    rectangle(v, xOffset, yOffset, width, height, 0);
    v.integer("row_gap", row_gap, 0);
    v.integer("col_gap", col_gap, 0);
    v.colour("bk_color", bk_color, kBlack);
    v.colour("fore_color", fore_color, kBlack);
    v.integer("show_bk", show_bk, 0);
}

void PropExport_Image::visit(AttributeVisitor& v) {
    v.integer("transparency", transparency, 0);
    v.integer("crop", crop, 0);
    v.integer("filter", filter, 0);
    v.colour("clr_low", clr_low, kBlack);
    v.text("url", url);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

void PropExport_Button::visit(AttributeVisitor& v) {
    v.text("url_up", url_up);
    v.integer("cut_up", cut_up, 0);
    v.integer("cut_up_offset_x", cut_up_offset_x, 0);
    v.integer("cut_up_offset_y", cut_up_offset_y, 0);
    v.text("url_down", url_down);
    v.integer("cut_down", cut_down, 0);
    v.integer("cut_down_offset_x", cut_down_offset_x, 0);
    v.integer("cut_down_offset_y", cut_down_offset_y, 0);
    v.integer("button_type", button_type, 0);
    v.integer("init_state", init_state, 0);
    v.integer("button_style", button_style, 0);
    v.integer("key_type", key_type, 0);
    v.text("key_code", key_code);
    v.text("switch", switch_);
    v.integer("focus", focus, 1);
    v.text("action", action);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

void PropExport_TextDisplay::visit(AttributeVisitor& v) {
    v.integer("show_bkg_style", show_bkg_style, 1);
    v.colour("fore_color", fore_color, kBlue);
    v.colour("bkg_color", bkg_color, kGreen);
    v.text("bkg_image_path", bkg_image_path);
    v.integer("font", font, 6);
    v.integer("xOffset", xOffset, 0);
    v.integer("yOffset", yOffset, 0);
    v.integer("width", width, 20);
    v.integer("height", height, 20);
    v.integer("input_mode", input_mode, 0);
    v.integer("text_type", text_type, 0);
    v.integer("password", password, 0);
    v.integer("text_len_max", text_len_max, 0);
}

void PropExport_Progress::visit(AttributeVisitor& v) {
    rectangle(v, xOffset, yOffset, width, height, 20);
    v.integer("show_bkg_style", show_bkg_style, 1);
    v.colour("bkg_color", bkg_color, kGreen);
    v.text("bkg_image_path", bkg_image_path);
    v.integer("show_fore_style", show_fore_style, 0);
    v.colour("fore_color", fore_color, kBlue);
    v.text("fore_image_path", fore_image_path);
    v.integer("progress_style", progress_style, 0);
    v.integer("value", value, 0);
    v.integer("min_value", min_value, 0);
    v.integer("max_value", max_value, 100);
}

void PropExport_Meter::visit(AttributeVisitor& v) {
    rectangle(v, xOffset, yOffset, width, height, 20);
    v.integer("meter_type", meter_type, 0);
    v.integer("value", value, 0);
    v.integer("start_value", start_value, 0);
    v.integer("end_value", end_value, 0);
    v.integer("show_bkg_style", show_bkg_style, 1);
    v.text("bkg_image_path", bkg_image_path);
    v.integer("angle_start", angle_start, 0);
    v.integer("angle_end", angle_end, 0);
    v.integer("clock_wise", clock_wise, 0);
    v.integer("show_numerical", show_numerical, 1);
    v.text("numerical_font", numerical_font, "Arial");
    v.integer("numerical_font_size", numerical_font_size, 9);
    v.integer("start_numerical", start_numerical, 0);
    v.integer("end_numerical", end_numerical, 0);
    v.colour("numerical_color", numerical_color, kBlack);
    v.colour("bkg_color", bkg_color, kBlack);
    v.integer("show_bkg_color", show_bkg_color, 1);
    v.colour("scale_color", scale_color, kBlack);
    v.integer("show_scale", show_scale, 65280);
    v.integer("scale_width", scale_width, 2);
    v.integer("mark_count", mark_count, 10);
    v.integer("mark_width", mark_width, 2);
    v.colour("mark_color", mark_color, kGreen);
    v.integer("show_sub_mark", show_sub_mark, 1);
    v.integer("sub_mark_count", sub_mark_count, 5);
    v.integer("sub_mark_width", sub_mark_width, 2);
    v.colour("sub_mark_color", sub_mark_color, kBlue);
    v.integer("pointer_type", pointer_type, 0);
    v.colour("pointer_color", pointer_color, kBlue);
    v.colour("pointer_center_color", pointer_center_color, rgb(192, 192, 192));
}

void PropExport_Slider::visit(AttributeVisitor& v) {
    v.integer("xOffset", xOffset, 0);
    v.integer("yOffset", yOffset, 0);
    v.integer("width", width, 200);
    v.integer("height", height, 48);
    v.integer("value", value, 0);
    v.integer("start_value", start_value, 0);
    v.integer("end_value", end_value, 100);
    v.integer("input", input, 0);
    v.integer("direction", direction, 0);
    v.integer("mark_type", mark_type, 0);
    v.integer("mark_count", mark_count, 0);
    v.colour("mark_color", mark_color, kBlack);
    v.integer("show_value", show_value, 1);
    v.integer("left_space", left_space, 0);
    v.integer("right_space", right_space, 0);
    v.integer("bkg_type", bkg_type, 0);
    v.colour("bkg_color", bkg_color, kBlack);
    v.text("bkg_image_path", bkg_image_path);
    v.integer("cursor_direction", cursor_direction, 0);
    v.integer("cursor_type", cursor_type, 0);
    v.integer("cursor_offset", cursor_offset, 0);
    v.integer("cursor_width", cursor_width, 0);
    v.integer("cursor_height", cursor_height, 0);
    v.text("cursor_image_path", cursor_image_path);
}

void PropExport_RTC::visit(AttributeVisitor& v) {
    v.real("zone", zone, 0.0);
    v.integer("format", format, 0);
    v.integer("lang", lang, 0);
    v.integer("font", font, 1);
    rectangle(v, xOffset, yOffset, width, height, 0);
    v.colour("fore_color", fore_color, kBlack);
    v.integer("input", input, 0);
}

void PropExport_Animation::visit(AttributeVisitor& v) {
    v.realAsInteger("auto_play", auto_play, 0);
    v.integer("interval", interval, 1000);
    v.integer("repeat_count", repeat_count, 0);
    v.text("frame_list", frame_list);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

void PropExport_Graph::visit(AttributeVisitor& v) {
    v.realAsInteger("sample_count", sample_count, 1024);
    v.integer("sample_depth", sample_depth, 1);
    rectangle(v, xOffset, yOffset, width, height, 0);
}

bool CItem::load(const pugi::xml_node& element) {
    Loader loader(element);
    ObjPropBase& props = record();
    loader.text("name", name_, "");
    loader.integer("id", props.id, 1);
    loader.text("text", props.text, "");
    props.visit(loader);
    return afterLoad();
}

void CItem::save(pugi::xml_node& element) const {
    Saver saver(element);
    std::string type = kindName();
    std::string name = name_;
    // The record is written through the visitor, which takes references; a
    // copy keeps saving free of side effects on the item.
    saver.text("type", type, "");
    saver.text("name", name, "");
    ObjPropBase& props = const_cast<CItem*>(this)->record();
    std::int32_t id = props.id;
    std::string text = props.text;
    saver.integer("id", id, 1);
    saver.text("text", text, "");
    props.visit(saver);
}

std::string CItem::pageName() const {
    return page_ ? page_->name() : std::string();
}

std::string CItem::messagePrefix() const {
    return "[screen]" + pageName() + ";[item]" + name_ + ":";
}

void CItem::resetToDefaults() {
    Defaulter defaults;
    ObjPropBase& props = record();
    props.id = 1;
    props.text.clear();
    props.visit(defaults);
}

bool CItemCurve::afterLoad() {
    props_.points = parsePointList(props_.path);
    return true;
}

bool CItemButton::afterLoad() {
    actions_.clear();
    actionsValid_ = parseActionList(props_.action, actions_);
    if (!actionsValid_)
        actions_.clear();
    return true;
}

bool parseActionList(const std::string& text, ItemList& out) {
    out.clear();
    if (text.empty())
        return true;
    if (actionDepth >= kMaxActionDepth)
        return false;
    pugi::xml_document doc;
    if (!doc.load_string(text.c_str()) || !doc.document_element())
        return true; // not XML: no actions, and that is not an error
    struct DepthGuard {
        DepthGuard() { ++actionDepth; }
        ~DepthGuard() { --actionDepth; }
    } guard;
    const ItemRegistry& registry = ItemRegistry::instance();
    for (pugi::xml_node element : doc.document_element().children("item")) {
        const std::string kind = asciiUpper(element.attribute("type").as_string("UNKNOWNTYPE"));
        std::unique_ptr<IItemLite> item;
        if (!kind.empty() && kind != "UNKNOWNTYPE")
            item = registry.create(kind);
        if (!item || !item->load(element)) {
            out.clear();
            return false;
        }
        out.push_back(std::move(item));
    }
    return true;
}

} // namespace tft
