#include "shape_kinds.h"

#include "compiler/attributes.h"

#include <algorithm>
#include <cctype>

namespace tft::ide::basic_shape {

std::string CUnknownShape::typeName() const {
    return element_.first_child().attribute("type").value();
}

std::int32_t CUnknownShape::id() const {
    return parseInteger(element_.first_child().attribute("id").value()).value_or(0);
}

void CUnknownShape::load(const pugi::xml_node& item, std::vector<LoadMessage>*) {
    element_.reset();
    element_.append_copy(item);
    setName(item.attribute("name").value());
}

void CUnknownShape::save(pugi::xml_node& item) const {
    const pugi::xml_node kept = element_.first_child();
    for (const pugi::xml_attribute& attribute : kept.attributes())
        item.append_attribute(attribute.name()).set_value(attribute.value());
    for (const pugi::xml_node& child : kept.children())
        item.append_copy(child);
}

bool CUnknownShape::copyMembers(const CShape& other) {
    element_.reset(static_cast<const CUnknownShape&>(other).element_);
    return true;
}

std::unique_ptr<CShape> createShape(const std::string& type) {
    std::string upper = type;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper == "LINE")
        return std::make_unique<CLine>();
    if (upper == "CURVE")
        return std::make_unique<CCurve>();
    if (upper == "RECTANGLE")
        return std::make_unique<CRectangle>();
    if (upper == "CIRCLE")
        return std::make_unique<CCircle>();
    if (upper == "ELLIPSE")
        return std::make_unique<CEllipse>();
    if (upper == "TEXT")
        return std::make_unique<CText>();
    if (upper == "IMAGE")
        return std::make_unique<CImage>();
    if (upper == "BUTTON")
        return std::make_unique<CImageButton>();
    if (upper == "TEXT_DISPLAY")
        return std::make_unique<CTextDisplay>();
    if (upper == "PROGRESS")
        return std::make_unique<CImageProgress>();
    if (upper == "METER")
        return std::make_unique<CMeter>();
    if (upper == "SLIDER")
        return std::make_unique<CSlider>();
    if (upper == "RTC")
        return std::make_unique<CRTC>();
    if (upper == "ANIMATION")
        return std::make_unique<CAnimation>();
    if (upper == "GRAPH")
        return std::make_unique<CGraph>();
    return nullptr;
}

std::unique_ptr<CShape> createShapeForTool(int tool) {
    static const char* const types[] = {
        "CURVE",    "LINE",    "RECTANGLE", "RECTANGLE", "CIRCLE",    "CIRCLE",
        "ELLIPSE",  "ELLIPSE", "TEXT",      "IMAGE",     "BUTTON",    "TEXT_DISPLAY",
        "PROGRESS", "METER",   "SLIDER",    "RTC",       "ANIMATION", "GRAPH"};
    if (tool < kToolFirst || tool > kToolLast)
        return nullptr;
    std::unique_ptr<CShape> shape = createShape(types[tool - kToolFirst]);
    // 32778, 32780 and 32782 are the solid rectangle, circle and ellipse.
    if (tool == 32778 || tool == 32780 || tool == 32782)
        shape->propertyChanged("fill_type", "1");
    return shape;
}

} // namespace tft::ide::basic_shape
