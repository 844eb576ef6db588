// Filling a template (the owner's side): the owner's current values go into
// the items, the choices that depend on the project (page names, fonts,
// device models) are set, and the kind's dependency rules decide which items
// are editable and which usage items stay.
#pragma once

#include "property_template.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace tft::ide {

class PageDocument;
namespace basic_shape {
class CShape;
}

struct FontChoice {
    int id = 0;
    std::string name;
};

// The fonts of a font list file ("//font", `id` and `name`), in file order;
// empty when the file is missing or does not read.
std::vector<FontChoice> loadFontList(const QString& file);
// The fonts whose id bit is set in a device's `SystemFontMask`.
std::vector<FontChoice> fontsForMask(const std::vector<FontChoice>& fonts, std::uint32_t mask);

struct DeviceChoice {
    std::string name;
    int typeId = 0;
};

// What filling needs of the IDE beyond the owner itself.
struct FillContext {
    int language = 50011;
    std::vector<std::string> pageNames;
    std::vector<FontChoice> fonts; // already narrowed to the project's device
    std::vector<DeviceChoice> devices;
};

// The template TYPEID of a shape (rectangle and ellipse share 0); -1 for a
// kind without a template.
int templateTypeId(const basic_shape::CShape& shape);

PropertyTemplate fillShapeTemplate(const basic_shape::CShape& shape, const FillContext& context);
PropertyTemplate fillPageTemplate(const PageDocument& page, const FillContext& context);
PropertyTemplate fillProjectTemplate(const pugi::xml_node& projectRoot, const FillContext& context);

// The dependency rules alone, on a template whose values are filled.
void applyShapeRules(PropertyTemplate& tpl, int typeId);
void applyPageRules(PropertyTemplate& tpl);
void applyProjectRules(PropertyTemplate& tpl);

} // namespace tft::ide
