#include "template_fill.h"

#include "page_document.h"
#include "shape.h"

#include <QFile>
#include <map>

namespace tft::ide {

namespace {

int intValue(const PropertyTemplate& tpl, std::string_view name, int fallback = 0) {
    const pugi::xml_node item = tpl.find(name);
    if (!item)
        return fallback;
    return item.attribute("VALUE").as_int(fallback);
}

// Makes each item editable exactly when `on`.
void editableWhen(PropertyTemplate& tpl, std::initializer_list<const char*> names, bool on) {
    for (const char* name : names)
        tpl.setEditable(name, on);
}

void setScreenChoices(PropertyTemplate& tpl, const std::vector<std::string>& pages) {
    std::vector<pugi::xml_node> items;
    std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node from) {
        for (pugi::xml_node item : from.children("item")) {
            if (PropertyTemplate::editorKind(item) == "SCREEN" ||
                std::string_view(item.attribute("NAME").value()) == "switch")
                items.push_back(item);
            walk(item);
        }
    };
    walk(tpl.root());
    for (pugi::xml_node item : items)
        tpl.setOptions(item.attribute("NAME").value(), pages, pages);
}

void setFontChoices(PropertyTemplate& tpl, const std::vector<FontChoice>& fonts) {
    std::vector<std::string> captions, enums;
    for (const FontChoice& font : fonts) {
        captions.push_back(font.name);
        enums.push_back(std::to_string(font.id));
    }
    tpl.setOptions("font", captions, enums);
}

void fillFromRoot(PropertyTemplate& tpl, const pugi::xml_node& root) {
    for (const std::string& name : tpl.names()) {
        if (const pugi::xml_attribute a = root.attribute(name.c_str()))
            tpl.setValue(name, a.value());
    }
}

} // namespace

std::vector<FontChoice> loadFontList(const QString& file) {
    std::vector<FontChoice> fonts;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fonts;
    const QByteArray bytes = in.readAll();
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), std::size_t(bytes.size())))
        return fonts;
    for (const pugi::xpath_node& node : doc.select_nodes("//font"))
        fonts.push_back(
            {node.node().attribute("id").as_int(-1), node.node().attribute("name").value()});
    return fonts;
}

std::vector<FontChoice> fontsForMask(const std::vector<FontChoice>& fonts, std::uint32_t mask) {
    std::vector<FontChoice> result;
    for (const FontChoice& font : fonts)
        if (font.id >= 0 && font.id < 32 && (mask >> font.id & 1u))
            result.push_back(font);
    return result;
}

int templateTypeId(const basic_shape::CShape& shape) {
    static const std::map<std::string, int> ids = {
        {"RECTANGLE", 0}, {"ELLIPSE", 0}, {"CIRCLE", 1}, {"LINE", 2},         {"CURVE", 3},
        {"TEXT", 4},      {"IMAGE", 5},   {"BUTTON", 6}, {"TEXT_DISPLAY", 7}, {"PROGRESS", 8},
        {"METER", 9},     {"SLIDER", 10}, {"RTC", 11},   {"ANIMATION", 12},   {"GRAPH", 13}};
    const auto it = ids.find(shape.typeName());
    return it == ids.end() ? -1 : it->second;
}

PropertyTemplate fillShapeTemplate(const basic_shape::CShape& shape, const FillContext& context) {
    const int typeId = templateTypeId(shape);
    PropertyTemplate tpl = PropertyTemplate::forShapeKind(typeId, context.language);
    if (tpl.empty())
        return tpl;
    for (const basic_shape::Binding& binding : shape.bindings().bindings())
        tpl.setValue(binding.name, shape.property(binding.name));
    setScreenChoices(tpl, context.pageNames);
    setFontChoices(tpl, context.fonts);
    applyShapeRules(tpl, typeId);
    return tpl;
}

PropertyTemplate fillPageTemplate(const PageDocument& page, const FillContext& context) {
    PropertyTemplate tpl = PropertyTemplate::forScreen(context.language);
    for (const char* name : {"name", "bk_transparent", "bk_color", "bk_image"})
        tpl.setValue(name, page.pageProperty(name));
    // A page is called after its file everywhere in the IDE.
    if (!page.title().empty())
        tpl.setValue("name", page.title());
    applyPageRules(tpl);
    return tpl;
}

PropertyTemplate fillProjectTemplate(const pugi::xml_node& projectRoot,
                                     const FillContext& context) {
    PropertyTemplate tpl = PropertyTemplate::forProject(context.language);
    fillFromRoot(tpl, projectRoot);
    setScreenChoices(tpl, context.pageNames);
    std::vector<std::string> names, ids;
    for (const DeviceChoice& device : context.devices) {
        names.push_back(device.name);
        ids.push_back(std::to_string(device.typeId));
    }
    tpl.setOptions("DeviceType", names, ids);
    applyProjectRules(tpl);
    return tpl;
}

void applyShapeRules(PropertyTemplate& tpl, int typeId) {
    switch (typeId) {
    case 4: // text
        editableWhen(tpl, {"bk_color"}, intValue(tpl, "show_bk") == 1);
        break;
    case 5: // image
        editableWhen(tpl, {"clr_low"}, intValue(tpl, "filter") == 1);
        break;
    case 6: { // button
        editableWhen(tpl, {"cut_up_offset_x", "cut_up_offset_y"}, intValue(tpl, "cut_up") == 1);
        editableWhen(tpl, {"cut_down_offset_x", "cut_down_offset_y"},
                     intValue(tpl, "cut_down") == 1);
        const int type = intValue(tpl, "button_type");
        const bool keepKeyCode = type == 2 && intValue(tpl, "key_type") == 0;
        if (type != 0)
            tpl.remove("switch");
        if (type != 1) {
            tpl.remove("init_state");
            tpl.remove("button_style");
        }
        if (type != 2)
            tpl.remove("key_type");
        if (!keepKeyCode)
            tpl.remove("key_code");
        break;
    }
    case 7: { // text box
        const int style = intValue(tpl, "show_bkg_style");
        editableWhen(tpl, {"bkg_color"}, style == 1);
        editableWhen(tpl, {"bkg_image_path"}, style == 2);
        editableWhen(tpl, {"text_type"}, intValue(tpl, "input_mode") == 1);
        break;
    }
    case 8: { // progress bar
        const int style = intValue(tpl, "show_bkg_style");
        editableWhen(tpl, {"bkg_color"}, style == 1);
        editableWhen(tpl, {"bkg_image_path"}, style == 2);
        const int fore = intValue(tpl, "show_fore_style");
        editableWhen(tpl, {"fore_color"}, fore == 0);
        editableWhen(tpl, {"fore_image_path"}, fore == 1);
        break;
    }
    case 9: // meter; the compiler takes background style 2 as the picture
        editableWhen(tpl,
                     {"numerical_font", "numerical_font_size", "numerical_color", "start_numerical",
                      "end_numerical"},
                     intValue(tpl, "show_numerical") == 1);
        editableWhen(tpl, {"bkg_image_path"}, intValue(tpl, "show_bkg_style") == 2);
        editableWhen(tpl, {"bkg_color"}, intValue(tpl, "show_bkg_color") == 1);
        editableWhen(tpl, {"scale_color", "scale_width"}, intValue(tpl, "show_scale") != 0);
        editableWhen(tpl, {"sub_mark_count", "sub_mark_width", "sub_mark_color"},
                     intValue(tpl, "show_sub_mark") == 1);
        break;
    case 10: { // slider
        const int background = intValue(tpl, "bkg_type");
        editableWhen(tpl, {"bkg_color"}, background == 1);
        editableWhen(tpl, {"bkg_image_path"}, background == 2);
        const int cursor = intValue(tpl, "cursor_type");
        editableWhen(tpl, {"cursor_image_path"}, cursor == 1);
        // A drawn thumb beside offset marks points at them; a thumb is placed
        // across the rail only when it has a size.
        editableWhen(tpl, {"cursor_direction"}, cursor == 0 && intValue(tpl, "mark_type") == 0);
        editableWhen(tpl, {"cursor_offset"},
                     intValue(tpl, "cursor_width") > 0 && intValue(tpl, "cursor_height") > 0);
        break;
    }
    default:
        break;
    }
}

void applyPageRules(PropertyTemplate& tpl) {
    // The compiler and the panel fill a screen with its colour when
    // bk_transparent is 0 and draw its picture otherwise: each is editable
    // when it is the one used.
    const bool colour = intValue(tpl, "bk_transparent") == 0;
    editableWhen(tpl, {"bk_color"}, colour);
    editableWhen(tpl, {"bk_image"}, !colour);
}

void applyProjectRules(PropertyTemplate& tpl) {
    editableWhen(tpl, {"DeviceBacklightTime", "DeviceBacklightOn", "DeviceBacklightOff"},
                 intValue(tpl, "DeviceBacklightAutoControl") == 1);
}

} // namespace tft::ide
