// Property templates: the XML trees the property grid is built from. Each item
// names one attribute (NAME), its caption, editor kind (CTYPE), value, tip and
// choices; categories group them. The built-in templates ship compiled into
// the program in Chinese and English.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace tft::ide {

enum class TemplateSet { Shapes, Screen, Project };

// The built-in template text of a set: Chinese for language 50010, English
// for every other language id.
const std::string& builtInTemplate(TemplateSet set, int language);

class PropertyTemplate {
public:
    PropertyTemplate() = default;
    PropertyTemplate(const PropertyTemplate& other) { *this = other; }
    PropertyTemplate& operator=(const PropertyTemplate& other);

    // False, leaving the template empty, when the text is not XML.
    bool parse(const std::string& text);
    // A shape kind's template (the top-level item with that TYPEID), or an
    // empty template for an id without one.
    static PropertyTemplate forShapeKind(int typeId, int language);
    static PropertyTemplate forScreen(int language);
    static PropertyTemplate forProject(int language);

    bool empty() const { return !root(); }
    // The top item; its children are the grid's rows.
    pugi::xml_node root() const { return doc_.document_element(); }
    // The first item, depth-first, whose NAME is `name`; null when none.
    pugi::xml_node find(std::string_view name) const;
    std::string value(std::string_view name) const;
    // Sets VALUE; false when the template has no such item.
    bool setValue(std::string_view name, const std::string& value);
    bool setEditable(std::string_view name, bool editable);
    bool setOptions(std::string_view name, const std::vector<std::string>& captions,
                    const std::vector<std::string>& enums);
    bool remove(std::string_view name);
    // Every NAME in the tree, depth-first (categories included).
    std::vector<std::string> names() const;
    std::string text() const;

    static bool isCategory(const pugi::xml_node& item);
    // The editor kind in upper case ("INPUT", "SELECT", ..., "FONT", "ACTION").
    static std::string editorKind(const pugi::xml_node& item);

private:
    pugi::xml_document doc_;
};

// "a;b;c" split at ';' (an empty text gives no parts).
std::vector<std::string> splitList(std::string_view text);
std::string joinList(const std::vector<std::string>& parts);

} // namespace tft::ide
