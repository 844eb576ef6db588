#include "property_owner.h"

#include "compiler/item_registry.h"
#include "compiler/items.h"
#include "open_project.h"
#include "page_document.h"
#include "shape.h"
#include "string_table.h"

#include <algorithm>
#include <limits>

namespace tft::ide {

namespace {

using basic_shape::Binding;
using basic_shape::ValueCode;

// Coordinates and sizes stay in the 16-bit room of the panel's commands.
constexpr int kCoordinateLimit = 32767;

bool isSize(const std::string& name) {
    return name == "width" || name == "height" || name == "radius";
}

bool isCoordinate(const std::string& name) {
    static const char* const names[] = {"xOffset", "yOffset", "x", "y", "x0", "y0", "x1", "y1"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return name == n; });
}

QString captionOf(const PropertyTemplate& tpl, const std::string& name) {
    const pugi::xml_node item = tpl.find(name);
    const char* caption = item.attribute("CAPTION").value();
    return QString::fromUtf8(*caption ? caption : name.c_str());
}

QString unreadable(const Binding& binding, const QString& caption, const std::string& value) {
    const QString text = QString::fromStdString(value);
    switch (binding.code) {
    case ValueCode::Colour:
        return ideText(sid::PropertyBadColour).arg(caption);
    case ValueCode::Real:
        return ideText(sid::PropertyNotNumber).arg(caption, text);
    case ValueCode::Text:
    case ValueCode::Font:
        return ideText(sid::PropertyRejected).arg(caption, text);
    default:
        return binding.readsReal ? ideText(sid::PropertyNotNumber).arg(caption, text)
                                 : ideText(sid::PropertyNotInteger).arg(caption, text);
    }
}

std::optional<long long> wholeNumber(const std::string& value) {
    if (const auto n = parseInteger(value))
        return *n;
    return std::nullopt;
}

} // namespace

QString checkAgainstItem(const pugi::xml_node& item, const std::string& value) {
    const QString caption = QString::fromUtf8(item.attribute("CAPTION").value());
    const QString text = QString::fromStdString(value);
    const std::string kind = PropertyTemplate::editorKind(item);
    if (kind == "SELECT") {
        const std::vector<std::string> enums = splitList(item.attribute("ENUMS").value());
        if (std::find(enums.begin(), enums.end(), value) == enums.end())
            return ideText(sid::PropertyNotAChoice).arg(caption, text);
    } else if (kind == "CHECKBOX") {
        if (value != "0" && value != "1")
            return ideText(sid::PropertyNotAChoice).arg(caption, text);
    } else if (kind == "SLIDER") {
        const auto n = wholeNumber(value);
        if (!n)
            return ideText(sid::PropertyNotInteger).arg(caption, text);
        const long long low = item.attribute("MIN").as_llong(0);
        const long long high = item.attribute("MAX").as_llong(std::numeric_limits<int>::max());
        if (*n < low || *n > high)
            return ideText(sid::PropertyOutOfRange).arg(caption).arg(low).arg(high);
    } else if (kind == "ACTION") {
        ensureItemFactoriesRegistered();
        ItemList actions;
        if (!parseActionList(value, actions))
            return ideText(sid::PropertyBadActions).arg(caption);
    }
    return {};
}

PropertyTemplate ShapeSelectionOwner::propertyTemplate() const {
    const std::vector<CShape*> selected = page_.selection();
    if (selected.empty())
        return {};
    return fillShapeTemplate(*selected.front(), context_());
}

ChangeResult ShapeSelectionOwner::propertyChanged(const std::string& name,
                                                  const std::string& value) {
    const std::vector<CShape*> selected = page_.selection();
    if (selected.empty())
        return ChangeResult::refused({});
    const PropertyTemplate tpl = propertyTemplate();
    const QString caption = captionOf(tpl, name);
    const pugi::xml_node item = tpl.find(name);
    if (item && std::string_view(item.attribute("EDITABLE").value()) == "0")
        return ChangeResult::refused(ideText(sid::PropertyReadOnly).arg(caption));
    if (name != "name") {
        if (item) {
            if (QString why = checkAgainstItem(item, value); !why.isEmpty())
                return ChangeResult::refused(why);
        }
        // Every shape of the selection must take the value; a trial copy
        // shows whether it reads and what it does to the rectangle.
        for (const CShape* shape : selected) {
            const Binding* binding = shape->bindings().find(name);
            if (!binding)
                continue;
            std::unique_ptr<CShape> trial = shape->clone();
            if (!trial->propertyChanged(name, value))
                return ChangeResult::refused(unreadable(*binding, caption, value));
            const auto number = wholeNumber(value);
            if (isSize(name) && number && *number < 0)
                return ChangeResult::refused(ideText(sid::PropertyNegative).arg(caption));
            if ((isSize(name) || isCoordinate(name)) && number &&
                (*number < -kCoordinateLimit || *number > kCoordinateLimit))
                return ChangeResult::refused(ideText(sid::PropertyOutOfRange)
                                                 .arg(caption)
                                                 .arg(isSize(name) ? 0 : -kCoordinateLimit)
                                                 .arg(kCoordinateLimit));
        }
    }
    switch (page_.setProperty(name, value)) {
    case PageDocument::PropertyResult::Applied:
        return ChangeResult::ok();
    case PageDocument::PropertyResult::InvalidName:
        return ChangeResult::refused(ideText(sid::BadName));
    case PageDocument::PropertyResult::DuplicateName:
        return ChangeResult::refused(ideText(sid::NameNotUnique));
    case PageDocument::PropertyResult::Rejected:
        break;
    }
    return ChangeResult::refused(
        ideText(sid::PropertyRejected).arg(caption, QString::fromStdString(value)));
}

PropertyTemplate PageOwner::propertyTemplate() const {
    return fillPageTemplate(page_, context_());
}

ChangeResult PageOwner::propertyChanged(const std::string& name, const std::string& value) {
    const PropertyTemplate tpl = propertyTemplate();
    const pugi::xml_node item = tpl.find(name);
    const QString caption = captionOf(tpl, name);
    if (!item || name == "name" || std::string_view(item.attribute("EDITABLE").value()) == "0")
        return ChangeResult::refused(ideText(sid::PropertyReadOnly).arg(caption));
    if (QString why = checkAgainstItem(item, value); !why.isEmpty())
        return ChangeResult::refused(why);
    if (page_.pageProperty(name) == value)
        return ChangeResult::ok();
    if (!page_.setPageProperty(name, value)) {
        if (name == "bk_color")
            return ChangeResult::refused(ideText(sid::PropertyBadColour).arg(caption));
        return ChangeResult::refused(
            ideText(sid::PropertyRejected).arg(caption, QString::fromStdString(value)));
    }
    return ChangeResult::ok();
}

PropertyTemplate ProjectOwner::propertyTemplate() const {
    if (!workspace_.isOpen())
        return {};
    return fillProjectTemplate(workspace_.document().document_element(), context_());
}

ChangeResult ProjectOwner::propertyChanged(const std::string& name, const std::string& value) {
    const PropertyTemplate tpl = propertyTemplate();
    const pugi::xml_node item = tpl.find(name);
    const QString caption = captionOf(tpl, name);
    if (!item || PropertyTemplate::isCategory(item) ||
        std::string_view(item.attribute("EDITABLE").value()) == "0")
        return ChangeResult::refused(ideText(sid::PropertyReadOnly).arg(caption));
    if (QString why = checkAgainstItem(item, value); !why.isEmpty())
        return ChangeResult::refused(why);
    if (name == "StartupPage" && !value.empty()) {
        const auto& pages = context_().pageNames;
        if (std::find(pages.begin(), pages.end(), value) == pages.end())
            return ChangeResult::refused(
                ideText(sid::PropertyNotAChoice).arg(caption, QString::fromStdString(value)));
    }
    const Outcome written = name == "Name" ? workspace_.renameProject(QString::fromStdString(value))
                                           : workspace_.setProjectAttribute(name, value);
    if (!written.ok)
        return ChangeResult::refused(written.message);
    return ChangeResult::ok();
}

} // namespace tft::ide
