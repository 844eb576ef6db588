// A page: one screen of the project, loaded from its page file.
#pragma once

#include "compiler/items.h"

#include <cstdint>
#include <string>

namespace tft {

class CBuildActionManager;

class IItemEditor {
public:
    virtual ~IItemEditor() = default;
    virtual bool load(const std::string& path) = 0;
    virtual const std::string& path() const = 0;
    virtual const std::string& folder() const = 0;
    virtual const std::string& fileName() const = 0;
    virtual const std::string& extension() const = 0;
    virtual const std::string& name() const = 0;
    virtual std::int32_t bkTransparent() const = 0;
    virtual std::uint32_t bkColor() const = 0;
    virtual const std::string& bkImage() const = 0;
    virtual const ItemList& items() const = 0;
};

class CItemEditor final : public IItemEditor {
public:
    // Loads a page file. Reports message 15 for a path that is not a file
    // path, 17 for a document without a root element, 20 for a kind without a
    // factory; a file that does not parse fails without a message (the
    // project reports it).
    bool load(const std::string& path) override;
    // The same checks on a page document held in memory.
    bool loadText(const std::string& xml);

    // Writes the page file (root `DrawPage`) atomically.
    bool save(const std::string& path, std::string* error = nullptr) const;

    const std::string& path() const override { return path_; }
    const std::string& folder() const override { return folder_; }
    const std::string& fileName() const override { return fileName_; }
    const std::string& extension() const override { return extension_; }
    const std::string& name() const override { return name_; }
    std::int32_t bkTransparent() const override { return bkTransparent_; }
    std::uint32_t bkColor() const override { return bkColor_; }
    const std::string& bkImage() const override { return bkImage_; }
    const ItemList& items() const override { return items_; }

    // Where load messages go; the process-wide sink when none is set (the IDE
    // passes its own so that loading a page prints nothing).
    void setMessageSink(CBuildActionManager* sink) { sink_ = sink; }

    // Appends an item and makes this page its owner.
    void addItem(std::unique_ptr<IItemLite> item);
    void setName(const std::string& name) { name_ = name; }

private:
    bool loadRoot(const pugi::xml_node& root);
    CBuildActionManager& messageSink() const;

    CBuildActionManager* sink_ = nullptr;
    std::string path_, folder_, fileName_, extension_;
    std::string name_;
    std::int32_t bkTransparent_ = 0;
    std::uint32_t bkColor_ = rgb(0, 0, 255);
    std::string bkImage_;
    ItemList items_;
};

// Splits a project or page path written with `\` or `/`. False when the
// path, trimmed of blanks, is empty or ends in a separator.
struct SplitPath {
    std::string trimmed;   // as written, blanks trimmed
    std::string folder;    // up to and including the last separator; may be empty
    std::string fileName;  // after the last separator
    std::string extension; // after the last '.' of the file name, without it
};
bool splitFilePath(const std::string& path, SplitPath& out);

// Saves a document by writing a neighbouring file and renaming it.
bool saveDocumentAtomically(const pugi::xml_document& doc, const std::string& path,
                            std::string* error);

} // namespace tft
