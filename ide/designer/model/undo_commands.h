// Undo commands of page edits. A command holds whole copies of the shape list
// from before and after the edit; undo and redo put a fresh clone of one of
// them in place of the page's list, so the page and a command never share a
// shape and selection comes back with the shapes.
#pragma once

#include "shape.h"

#include <QUndoCommand>

namespace tft::ide {

class PageDocument;

class CCommand : public QUndoCommand {
public:
    enum State { New = 0, Done = 1, Undone = 2 };
    State state() const { return state_; }
    void redo() final;
    void undo() final;

protected:
    // `applied`: the change is already in the page (the command is created
    // done); its first redo, from the history's push, then does nothing.
    CCommand(PageDocument& page, const QString& text, bool applied);
    virtual bool apply() = 0;
    virtual bool revert() = 0;
    PageDocument& page_;

private:
    State state_ = New;
    bool skipFirstRedo_;
};

class CModifyCommand final : public CCommand {
public:
    CModifyCommand(PageDocument& page, basic_shape::ShapeList before, basic_shape::ShapeList after,
                   const QString& text);

protected:
    bool apply() override;
    bool revert() override;

private:
    basic_shape::ShapeList before_, after_;
};

// Removes the selected shapes when pushed.
class CShapeRemoveCommand final : public CCommand {
public:
    CShapeRemoveCommand(PageDocument& page, const QString& text);

protected:
    bool apply() override;
    bool revert() override;

private:
    basic_shape::ShapeList before_, after_;
};

} // namespace tft::ide
