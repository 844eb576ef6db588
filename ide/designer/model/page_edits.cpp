// The edit entry points of the page document: each takes the snapshot,
// changes the shapes and commits one undo command.
#include "arrange.h"
#include "page_document.h"
#include "shape_kinds.h"
#include "undo_commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <cctype>
#include <sstream>

namespace tft::ide {
namespace {

bool isValidName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return c < 0x80 && (std::isalnum(c) || c == '_'); });
}

} // namespace

std::string PageDocument::uniqueName(const std::string& name, const CShape* except) const {
    std::string base = name;
    while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back())))
        base.pop_back();
    const auto used = [&](const std::string& candidate) {
        return std::any_of(shapes_.begin(), shapes_.end(), [&](const auto& shape) {
            return shape.get() != except && shape->name() == candidate;
        });
    };
    for (std::size_t number = 1;; ++number) {
        std::string candidate = base + std::to_string(number);
        if (!used(candidate))
            return candidate;
    }
}

std::int32_t PageDocument::nextId() const {
    std::int32_t highest = 0;
    for (const auto& shape : shapes_)
        highest = std::max(highest, shape->id());
    return highest < INT32_MAX ? highest + 1 : 1;
}

std::vector<CShape*> PageDocument::selection() const {
    std::vector<CShape*> selected;
    for (const auto& shape : shapes_)
        if (shape->isSelected())
            selected.push_back(shape.get());
    return selected;
}

void PageDocument::selectAll() {
    for (const auto& shape : shapes_)
        if (!(shape->state() & CShape::Selected))
            shape->setState(shape->state() | CShape::Selected);
    shapesReplaced();
}

void PageDocument::clearSelection() {
    for (const auto& shape : shapes_)
        shape->setState(shape->state() & ~CShape::kSelectedReference);
    shapesReplaced();
}

void PageDocument::select(int index, bool extend) {
    if (!extend)
        for (const auto& shape : shapes_)
            shape->setState(shape->state() & ~CShape::kSelectedReference);
    if (index >= 0 && index < static_cast<int>(shapes_.size())) {
        CShape& shape = *shapes_[static_cast<std::size_t>(index)];
        shape.setState(shape.state() | CShape::Selected);
    }
    shapesReplaced();
}

CShape* PageDocument::addShape(std::unique_ptr<CShape> shape) {
    if (!shape)
        return nullptr;
    takeSnapshot();
    for (const auto& other : shapes_)
        other->setState(other->state() & ~CShape::kSelectedReference);
    shape->setName(uniqueName(shape->name().empty() ? shape->defaultName() : shape->name()));
    shape->setId(nextId());
    shape->setState(CShape::Selected);
    CShape* added = shape.get();
    shapes_.push_back(std::move(shape));
    commit(QCoreApplication::translate("PageDocument", "Create"));
    return added;
}

CShape* PageDocument::createShape(int tool, const ShapeRect& rect, std::uint32_t penColour) {
    std::unique_ptr<CShape> shape = basic_shape::createShapeForTool(tool);
    if (!shape)
        return nullptr;
    shape->propertyChanged("pen_color", basic_shape::writeColour(penColour));
    shape->setRect(rect);
    return addShape(std::move(shape));
}

bool PageDocument::moveSelection(int dx, int dy) {
    if ((dx == 0 && dy == 0) || selection().empty())
        return false;
    takeSnapshot();
    for (CShape* shape : selection())
        shape->offset(dx, dy);
    return commit(QCoreApplication::translate("PageDocument", "Move"));
}

bool PageDocument::nudge(int dx, int dy) {
    // One pixel per key press, whatever the caller passes.
    return moveSelection(std::clamp(dx, -1, 1), std::clamp(dy, -1, 1));
}

bool PageDocument::resizeShape(int index, int handle, QPoint to) {
    if (index < 0 || index >= static_cast<int>(shapes_.size()))
        return false;
    CShape& shape = *shapes_[static_cast<std::size_t>(index)];
    if (handle < 0 || handle >= shape.handleCount())
        return false;
    takeSnapshot();
    shape.dragHandle(handle, to);
    return commit(QCoreApplication::translate("PageDocument", "Resize"));
}

bool PageDocument::arrange(int command) {
    if (selection().empty())
        return false;
    takeSnapshot();
    if (!arrangeShapes(shapes_, command, screen_)) {
        dropSnapshot();
        return false;
    }
    return commit(QCoreApplication::translate("PageDocument", "Align"));
}

bool PageDocument::order(int command) {
    takeSnapshot();
    if (!orderShapes(shapes_, command)) {
        dropSnapshot();
        return false;
    }
    commit(QCoreApplication::translate("PageDocument", "Order"));
    return true;
}

bool PageDocument::deleteSelection() {
    if (selection().empty())
        return false;
    takeSnapshot();
    shapes_.erase(std::remove_if(shapes_.begin(), shapes_.end(),
                                 [](const auto& shape) { return shape->isSelected(); }),
                  shapes_.end());
    commit(QCoreApplication::translate("PageDocument", "Delete"));
    return true;
}

bool PageDocument::deleteAll() {
    if (shapes_.empty())
        return false;
    takeSnapshot();
    shapes_.clear();
    commit(QCoreApplication::translate("PageDocument", "Delete all"));
    return true;
}

std::string PageDocument::copySelection() const {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("DrawPage");
    for (const auto& shape : shapes_) {
        if (!shape->isSelected() || shape->isHidden())
            continue;
        pugi::xml_node item = root.append_child("item");
        shape->save(item);
    }
    if (!root.first_child())
        return {};
    std::ostringstream out;
    document.save(out, "  ", pugi::format_default | pugi::format_no_declaration);
    return out.str();
}

std::string PageDocument::cutSelection() {
    std::string text = copySelection();
    if (text.empty())
        return text;
    snapshot_.reset();
    history_.push(
        new CShapeRemoveCommand(*this, QCoreApplication::translate("PageDocument", "Cut")));
    return text;
}

int PageDocument::paste(const std::string& text) {
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size()) || !document.document_element())
        return 0;
    ShapeList pasted;
    for (const pugi::xml_node& item : document.document_element().children("item")) {
        std::unique_ptr<CShape> shape = basic_shape::createShape(item.attribute("type").value());
        if (!shape)
            continue; // only kinds the designer knows travel through the clipboard
        shape->load(item, nullptr);
        pasted.push_back(std::move(shape));
    }
    if (pasted.empty())
        return 0;
    takeSnapshot();
    for (const auto& shape : shapes_)
        shape->setState(shape->state() & ~CShape::kSelectedReference);
    for (auto& shape : pasted) {
        // A name still free on this page is kept (a shape moved to another
        // page by cut and paste keeps the name the host program knows).
        const std::string& name = shape->name();
        const bool free =
            !name.empty() && std::none_of(shapes_.begin(), shapes_.end(),
                                          [&](const auto& s) { return s->name() == name; });
        if (!free)
            shape->setName(uniqueName(name.empty() ? shape->defaultName() : name));
        shape->setId(nextId());
        shape->setState(CShape::Selected);
        shapes_.push_back(std::move(shape));
    }
    commit(QCoreApplication::translate("PageDocument", "Paste"));
    return static_cast<int>(pasted.size());
}

PageDocument::PropertyResult PageDocument::setProperty(const std::string& name,
                                                       const std::string& value) {
    const std::vector<CShape*> selected = selection();
    if (selected.empty())
        return PropertyResult::Rejected;
    if (name == "name") {
        if (!isValidName(value))
            return PropertyResult::InvalidName;
        const bool taken = std::any_of(shapes_.begin(), shapes_.end(), [&](const auto& shape) {
            return shape.get() != selected.front() && shape->name() == value;
        });
        if (taken)
            return PropertyResult::DuplicateName;
        if (selected.front()->name() == value)
            return PropertyResult::Applied;
        takeSnapshot();
        selected.front()->setName(value);
        commit(QCoreApplication::translate("PageDocument", "Rename"));
        return PropertyResult::Applied;
    }
    if (name == "id")
        return PropertyResult::Rejected; // read-only: ids are given by the page
    takeSnapshot();
    bool changed = false;
    for (CShape* shape : selection())
        changed = shape->propertyChanged(name, value) || changed;
    if (!changed) {
        dropSnapshot();
        return PropertyResult::Rejected;
    }
    commit(QCoreApplication::translate("PageDocument", "Change property"));
    return PropertyResult::Applied;
}

} // namespace tft::ide
