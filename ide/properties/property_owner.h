// The owners the property grid edits: the selected shapes of a page, the page
// itself and the project. An owner fills its template and takes changed
// values; a value it refuses comes back with a short reason for the user.
#pragma once

#include "compiler/device_catalogue.h"
#include "template_fill.h"

#include <QString>
#include <functional>
#include <string>

namespace tft::ide {

class PageDocument;
class ProjectWorkspace;

struct ChangeResult {
    bool applied = false;
    QString reason; // for the user when not applied
    static ChangeResult ok() { return {true, {}}; }
    static ChangeResult refused(QString why) { return {false, std::move(why)}; }
};

class IPropertyOwner {
public:
    virtual ~IPropertyOwner() = default;
    // The owner's template with its current values filled in; empty when the
    // owner has nothing to show.
    virtual PropertyTemplate propertyTemplate() const = 0;
    virtual ChangeResult propertyChanged(const std::string& name, const std::string& value) = 0;
};

// Checks a value against its template item: a SELECT value must be one of
// the ENUMS, a CHECKBOX "0" or "1", a SLIDER a whole number in MIN..MAX.
// Empty when the value fits.
QString checkAgainstItem(const pugi::xml_node& item, const std::string& value);

using ContextSource = std::function<FillContext()>;

// The selection of a page: the first selected shape's template; a change goes
// to every selected shape as one undo step (`name` only to the first).
class ShapeSelectionOwner final : public IPropertyOwner {
public:
    ShapeSelectionOwner(PageDocument& page, ContextSource context)
        : page_(page), context_(std::move(context)) {}
    PropertyTemplate propertyTemplate() const override;
    ChangeResult propertyChanged(const std::string& name, const std::string& value) override;

private:
    PageDocument& page_;
    ContextSource context_;
};

// The screen properties of a page (root attributes of its file).
class PageOwner final : public IPropertyOwner {
public:
    PageOwner(PageDocument& page, ContextSource context)
        : page_(page), context_(std::move(context)) {}
    PropertyTemplate propertyTemplate() const override;
    ChangeResult propertyChanged(const std::string& name, const std::string& value) override;

private:
    PageDocument& page_;
    ContextSource context_;
};

// The project: each change is written to the project file at once.
class ProjectOwner final : public IPropertyOwner {
public:
    ProjectOwner(ProjectWorkspace& workspace, ContextSource context)
        : workspace_(workspace), context_(std::move(context)) {}
    PropertyTemplate propertyTemplate() const override;
    ChangeResult propertyChanged(const std::string& name, const std::string& value) override;

private:
    ProjectWorkspace& workspace_;
    ContextSource context_;
};

} // namespace tft::ide
