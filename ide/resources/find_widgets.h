// The widgets of find: the options dialog, the history combo of the "Find"
// command bar and the find results pane (4006).
#pragma once

#include "find_manager.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <functional>

class QCheckBox;
class QRadioButton;

namespace tft::ide {

class CFindOptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFindOptionsDlg(const FindOptions& options, QWidget* parent = nullptr);
    FindOptions options() const;

    QRadioButton* scopeButton(int scope) const;
    QCheckBox* matchCaseBox() const { return matchCase_; }
    QCheckBox* wholeNameBox() const { return wholeName_; }

private:
    QRadioButton* scopes_[3];
    QCheckBox* matchCase_;
    QCheckBox* wholeName_;
};

// The editable combo of the "Find" bar: Enter asks for a search; the items
// are the history, the latest text on top.
class CFindCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CFindCombo(QWidget* parent = nullptr);
    // Puts the text at the top of the history and shows it in the edit.
    void remember(const QString& text);
    const FindHistory& history() const { return history_; }

signals:
    void findRequested(const QString& text);

protected:
    // The edit has already asked for the search on Enter; the combo would
    // hand the same key to the edit a second time.
    void keyPressEvent(QKeyEvent* event) override;

private:
    FindHistory history_;
};

// The find results: header, result lines, total. A double click hands the
// line to `locate`.
class CFindPane : public QListWidget {
    Q_OBJECT
public:
    explicit CFindPane(QWidget* parent = nullptr);
    void setLines(const QStringList& lines);
    QStringList lines() const;
    std::function<void(const QString&)> locate;
};

} // namespace tft::ide
