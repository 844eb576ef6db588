// The page document without widgets: one page file's screen properties and
// shapes, its undo history and its modified flag. Every edit of the shapes
// goes through the history; the entry points below are what the page view
// and the property grid call.
#pragma once

#include "shape.h"

#include <QSize>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tft::ide {

using basic_shape::CShape;
using basic_shape::LoadMessage;
using basic_shape::ShapeList;
using basic_shape::ShapeRect;

class PageDocument {
public:
    // The most commands the history keeps; older ones are dropped.
    static constexpr int kUndoLimit = 50;

    PageDocument();
    ~PageDocument();
    PageDocument(const PageDocument&) = delete;
    PageDocument& operator=(const PageDocument&) = delete;

    // Reads a page file. Unknown items and attributes are kept; values that
    // do not read take the default and add a message. False, with the reason
    // in `error`, when the file cannot be read or is not XML; the document is
    // then left as it was.
    bool load(const std::string& path, std::string* error = nullptr);
    bool loadText(const std::string& text, std::string* error = nullptr);
    // Writes the page atomically under the root `DrawPage`, without hidden
    // shapes, and marks the document clean. The history is kept.
    bool save(const std::string& path, std::string* error = nullptr);
    std::string text() const;
    // What loading had to say, in file order.
    const std::vector<LoadMessage>& messages() const { return messages_; }
    // The file name without its extension: the page's name in the IDE.
    std::string title() const;
    const std::string& path() const { return path_; }

    // Screen properties: `name`, `bk_transparent`, `bk_color`, `bk_image`.
    std::string pageProperty(const std::string& name) const;
    // Changes a screen property and marks the page modified; false for an
    // unknown name or a value that does not read.
    bool setPageProperty(const std::string& name, const std::string& value);
    // The device screen, for centring in the page.
    void setScreenSize(QSize size) { screen_ = size; }
    QSize screenSize() const { return screen_; }

    ShapeList& shapes() { return shapes_; }
    const ShapeList& shapes() const { return shapes_; }

    bool isModified() const;
    void setModified(bool modified);
    QUndoStack& history() { return history_; }
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    void undo() { history_.undo(); }
    void redo() { history_.redo(); }

    // Called on every change of the modified flag and whenever the shape list
    // is replaced or edited (redraw, show the properties again).
    std::function<void(bool modified)> onModifiedChanged;
    std::function<void()> onShapesChanged;

    // Edit with undo: take the snapshot, change the shapes, commit. The view
    // uses these around drags; the entry points below use them themselves.
    void takeSnapshot();
    bool hasSnapshot() const { return snapshot_ != nullptr; }
    // Pushes one command when the shapes changed; a drag that moved nothing
    // or a click that only selected leaves the history alone. False then.
    bool commit(const QString& text);
    void dropSnapshot() { snapshot_.reset(); }

    // --- Entry points; each is one undoable command and answers whether it
    // made one (nothing when it changes nothing). ---
    // A new shape of a tool's kind over `rect`, in `penColour`, selected alone.
    CShape* createShape(int tool, const ShapeRect& rect, std::uint32_t penColour);
    // Appends a shape under a unique name and a new id, selected alone.
    CShape* addShape(std::unique_ptr<CShape> shape);
    bool moveSelection(int dx, int dy);
    // The arrow keys: exactly one pixel.
    bool nudge(int dx, int dy);
    bool resizeShape(int index, int handle, QPoint to);
    // 40010-40028.
    bool arrange(int command);
    // 40000-40005.
    bool order(int command);
    bool deleteSelection();
    bool deleteAll();
    // The selected shapes in the page file's item form.
    std::string copySelection() const;
    // Copy, then one remove command; empty when nothing is selected.
    std::string cutSelection();
    // Appends the shapes of an item-form text, renamed unique, with new ids,
    // selected alone; returns how many. Text that holds no shapes does nothing.
    int paste(const std::string& text);

    enum class PropertyResult { Applied, Rejected, InvalidName, DuplicateName };
    // A property of the selection: every selected shape, except `name`, which
    // must be a valid, unused name and goes to the first selected shape.
    PropertyResult setProperty(const std::string& name, const std::string& value);

    // Selection (not an edit: it travels with the shapes' state words).
    void selectAll();
    void clearSelection();
    void select(int index, bool extend = false);
    std::vector<CShape*> selection() const;

    // "%s%d": the name without trailing digits, then the first free number.
    std::string uniqueName(const std::string& name, const CShape* except = nullptr) const;
    std::int32_t nextId() const;

    // Called by the commands after they replace the list.
    void shapesReplaced();

private:
    void notifyModified();
    void readRoot(const pugi::xml_node& root);

    std::string path_;
    ShapeList shapes_;
    std::unique_ptr<ShapeList> snapshot_;
    std::vector<LoadMessage> messages_;
    QUndoStack history_;
    bool pageDirty_ = false;
    bool lastModified_ = false;
    QSize screen_{800, 480};
    // Screen properties and the root attributes the page does not know.
    std::string pageName_, bkImage_;
    std::int32_t bkTransparent_ = 0;
    std::uint32_t bkColour_ = 0;
    basic_shape::CXMLDataExchange root_;
    std::vector<std::pair<std::string, std::string>> rootForeign_;
};

} // namespace tft::ide
