#include "compiler/item_editor.h"

#include "common/atomic_file.h"
#include "common/paths.h"
#include "compiler/build_action_manager.h"
#include "compiler/item_registry.h"
#include "compiler/options.h"

#include <sstream>

namespace tft {

bool splitFilePath(const std::string& path, SplitPath& out) {
    std::size_t begin = 0;
    std::size_t end = path.size();
    while (begin < end && (path[begin] == ' ' || path[begin] == '\t'))
        ++begin;
    while (end > begin && (path[end - 1] == ' ' || path[end - 1] == '\t'))
        --end;
    out.trimmed = path.substr(begin, end - begin);
    if (out.trimmed.empty() || out.trimmed.back() == '\\' || out.trimmed.back() == '/')
        return false;
    const std::size_t slash = out.trimmed.find_last_of("\\/");
    out.folder = slash == std::string::npos ? std::string() : out.trimmed.substr(0, slash + 1);
    out.fileName = slash == std::string::npos ? out.trimmed : out.trimmed.substr(slash + 1);
    const std::size_t dot = out.fileName.rfind('.');
    out.extension = dot == std::string::npos ? std::string() : out.fileName.substr(dot + 1);
    return true;
}

bool saveDocumentAtomically(const pugi::xml_document& doc, const std::string& path,
                            std::string* error) {
    std::ostringstream text;
    doc.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return writeFileAtomically(toNativeSeparators(path), text.str(), error);
}

CBuildActionManager& CItemEditor::messageSink() const {
    return sink_ ? *sink_ : CBuildActionManager::instance();
}

bool CItemEditor::load(const std::string& path) {
    CBuildActionManager& sink = messageSink();
    SplitPath split;
    if (!splitFilePath(path, split)) {
        sink.error(msg::BadScreenPath, {path});
        return false;
    }
    path_ = split.trimmed;
    folder_ = split.folder;
    fileName_ = split.fileName;
    extension_ = split.extension;

    pugi::xml_document doc;
    if (!doc.load_file(toNativeSeparators(path_).c_str()))
        return false;
    return loadRoot(doc.document_element());
}

bool CItemEditor::loadText(const std::string& xml) {
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size()))
        return false;
    return loadRoot(doc.document_element());
}

bool CItemEditor::loadRoot(const pugi::xml_node& root) {
    CBuildActionManager& sink = messageSink();
    if (!root) {
        sink.error(msg::ScreenInfoFailed);
        return false;
    }
    items_.clear();
    name_ = root.attribute("name").as_string();
    bkTransparent_ = parseInteger(root.attribute("bk_transparent").as_string("x")).value_or(0);
    bkColor_ = parseColour(root.attribute("bk_color").as_string()).value_or(rgb(0, 0, 255));
    bkImage_ = root.attribute("bk_image").as_string();

    const ItemRegistry& registry = ItemRegistry::instance();
    for (pugi::xml_node element : root.children("item")) {
        const std::string kind = asciiUpper(element.attribute("type").as_string("UNKNOWNTYPE"));
        if (kind.empty() || kind == "UNKNOWNTYPE")
            return false;
        std::unique_ptr<IItemLite> item = registry.create(kind);
        if (!item) {
            sink.error("[screen]" + name_ + ";[item]" + element.attribute("name").as_string() +
                       ":" + sink.text(msg::UnknownShape));
            return false;
        }
        item->setPage(this);
        if (!item->load(element))
            return false;
        items_.push_back(std::move(item));
    }
    return true;
}

void CItemEditor::addItem(std::unique_ptr<IItemLite> item) {
    if (!item)
        return;
    item->setPage(this);
    items_.push_back(std::move(item));
}

bool CItemEditor::save(const std::string& path, std::string* error) const {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("DrawPage");
    root.append_attribute("name") = name_.c_str();
    root.append_attribute("bk_transparent") = std::to_string(bkTransparent_).c_str();
    root.append_attribute("bk_color") = formatColour(bkColor_).c_str();
    root.append_attribute("bk_image") = bkImage_.c_str();
    for (const auto& item : items_) {
        pugi::xml_node element = root.append_child("item");
        item->save(element);
    }
    return saveDocumentAtomically(doc, path, error);
}

} // namespace tft
