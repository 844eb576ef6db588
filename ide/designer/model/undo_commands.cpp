#include "undo_commands.h"

#include "page_document.h"

namespace tft::ide {

using basic_shape::cloneList;
using basic_shape::ShapeList;

CCommand::CCommand(PageDocument& page, const QString& text, bool applied)
    : QUndoCommand(text), page_(page), skipFirstRedo_(applied) {}

void CCommand::redo() {
    if (skipFirstRedo_) {
        skipFirstRedo_ = false;
        state_ = Done;
        return;
    }
    if (apply())
        state_ = Done;
    else
        setObsolete(true); // the history then drops the command
}

void CCommand::undo() {
    if (revert())
        state_ = Undone;
    else
        setObsolete(true);
}

CModifyCommand::CModifyCommand(PageDocument& page, ShapeList before, ShapeList after,
                               const QString& text)
    : CCommand(page, text, true), before_(std::move(before)), after_(std::move(after)) {}

bool CModifyCommand::apply() {
    page_.shapes() = cloneList(after_);
    page_.shapesReplaced();
    return true;
}

bool CModifyCommand::revert() {
    page_.shapes() = cloneList(before_);
    page_.shapesReplaced();
    return true;
}

CShapeRemoveCommand::CShapeRemoveCommand(PageDocument& page, const QString& text)
    : CCommand(page, text, false), before_(cloneList(page.shapes())) {
    for (const auto& shape : before_)
        if (!shape->isSelected())
            after_.push_back(shape->clone());
}

bool CShapeRemoveCommand::apply() {
    page_.shapes() = cloneList(after_);
    page_.shapesReplaced();
    return true;
}

bool CShapeRemoveCommand::revert() {
    page_.shapes() = cloneList(before_);
    page_.shapesReplaced();
    return true;
}

} // namespace tft::ide
