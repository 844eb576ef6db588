// The action list editor: the actions of a list in order, each an item
// element that can be edited as text, with add, remove and reorder. OK is
// refused while an action is one the compiler would not accept.
#pragma once

#include "action_list.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;

namespace tft::ide {

class CActionListDialog : public QDialog {
    Q_OBJECT
public:
    explicit CActionListDialog(const QString& text, QWidget* parent = nullptr);
    // The edited list as text (empty for no actions).
    QString text() const;
    QListWidget* list() const { return list_; }
    QComboBox* typeBox() const { return types_; }
    void addAction();
    void removeAction();
    void moveAction(int by);
    void accept() override;

private:
    ActionList current() const;
    QListWidget* list_;
    QComboBox* types_;
    QLabel* problem_;
};

} // namespace tft::ide
