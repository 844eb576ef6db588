#include "page_document.h"

#include "common/atomic_file.h"
#include "compiler/attributes.h"
#include "shape_kinds.h"
#include "undo_commands.h"

#include <fstream>
#include <sstream>

namespace tft::ide {

PageDocument::PageDocument() {
    root_.bindText("name", pageName_, "");
    root_.bindInteger("bk_transparent", bkTransparent_, 0);
    root_.bindColour("bk_color", bkColour_, rgb(0, 0, 255));
    root_.bindText("bk_image", bkImage_, "");
    for (const auto& binding : root_.bindings())
        basic_shape::CXMLDataExchange::reset(binding);
    history_.setUndoLimit(kUndoLimit);
    QObject::connect(&history_, &QUndoStack::cleanChanged, [this](bool) { notifyModified(); });
}

PageDocument::~PageDocument() {
    // The commands refer to this document; they go before its shapes.
    history_.clear();
}

bool PageDocument::load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path;
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (!loadText(content.str(), error))
        return false;
    path_ = path;
    return true;
}

void PageDocument::readRoot(const pugi::xml_node& root) {
    for (const auto& binding : root_.bindings())
        basic_shape::CXMLDataExchange::reset(binding);
    rootForeign_.clear();
    for (const pugi::xml_attribute& attribute : root.attributes()) {
        const basic_shape::Binding* binding = root_.find(attribute.name());
        if (!binding) {
            rootForeign_.emplace_back(attribute.name(), attribute.value());
            continue;
        }
        if (basic_shape::CXMLDataExchange::read(*binding, attribute.value()))
            continue;
        basic_shape::CXMLDataExchange::reset(*binding);
        messages_.push_back({"", attribute.name(), attribute.value(),
                             "[screen]: the value \"" + std::string(attribute.value()) +
                                 "\" of attribute " + attribute.name() +
                                 " cannot be read; the default " +
                                 basic_shape::CXMLDataExchange::write(*binding) + " is used"});
    }
}

bool PageDocument::loadText(const std::string& text, std::string* error) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed || !document.document_element()) {
        if (error)
            *error = std::string("not a page file: ") +
                     (parsed ? "no root element" : parsed.description()) + " at offset " +
                     std::to_string(parsed.offset);
        return false;
    }
    messages_.clear();
    const pugi::xml_node root = document.document_element();
    readRoot(root);
    ShapeList loaded;
    for (const pugi::xml_node& item : root.children("item")) {
        std::unique_ptr<CShape> shape = basic_shape::createShape(item.attribute("type").value());
        if (!shape) {
            shape = std::make_unique<basic_shape::CUnknownShape>();
            messages_.push_back(
                {item.attribute("name").value(), "type", item.attribute("type").value(),
                 std::string("[item]") + item.attribute("name").value() + ": unknown type \"" +
                     item.attribute("type").value() + "\"; the item is kept as it is"});
        }
        shape->load(item, &messages_);
        loaded.push_back(std::move(shape));
    }
    history_.clear();
    snapshot_.reset();
    shapes_ = std::move(loaded);
    pageDirty_ = false;
    history_.setClean();
    notifyModified();
    shapesReplaced();
    return true;
}

std::string PageDocument::text() const {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = document.append_child("DrawPage");
    for (const auto& binding : root_.bindings())
        root.append_attribute(binding.name)
            .set_value(basic_shape::CXMLDataExchange::write(binding).c_str());
    for (const auto& [name, value] : rootForeign_)
        root.append_attribute(name.c_str()).set_value(value.c_str());
    for (const auto& shape : shapes_) {
        if (shape->isHidden())
            continue;
        pugi::xml_node item = root.append_child("item");
        shape->save(item);
    }
    std::ostringstream out;
    document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool PageDocument::save(const std::string& path, std::string* error) {
    if (!writeFileAtomically(path, text(), error))
        return false;
    path_ = path;
    setModified(false);
    return true;
}

std::string PageDocument::title() const {
    std::string name = path_;
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string PageDocument::pageProperty(const std::string& name) const {
    const basic_shape::Binding* binding = root_.find(name);
    return binding ? basic_shape::CXMLDataExchange::write(*binding) : std::string();
}

bool PageDocument::setPageProperty(const std::string& name, const std::string& value) {
    const basic_shape::Binding* binding = root_.find(name);
    if (!binding || !basic_shape::CXMLDataExchange::read(*binding, value))
        return false;
    setModified(true);
    return true;
}

bool PageDocument::isModified() const {
    return pageDirty_ || !history_.isClean();
}

void PageDocument::setModified(bool modified) {
    if (modified) {
        pageDirty_ = true;
    } else {
        pageDirty_ = false;
        history_.setClean();
    }
    notifyModified();
}

void PageDocument::notifyModified() {
    const bool modified = isModified();
    if (modified == lastModified_)
        return;
    lastModified_ = modified;
    if (onModifiedChanged)
        onModifiedChanged(modified);
}

void PageDocument::shapesReplaced() {
    if (onShapesChanged)
        onShapesChanged();
}

void PageDocument::takeSnapshot() {
    snapshot_ = std::make_unique<ShapeList>(basic_shape::cloneList(shapes_));
}

bool PageDocument::commit(const QString& text) {
    if (!snapshot_)
        return false;
    ShapeList before = std::move(*snapshot_);
    snapshot_.reset();
    if (basic_shape::sameContent(before, shapes_)) {
        shapesReplaced(); // the selection may have changed
        return false;
    }
    history_.push(
        new CModifyCommand(*this, std::move(before), basic_shape::cloneList(shapes_), text));
    notifyModified();
    shapesReplaced();
    return true;
}

} // namespace tft::ide
