// CPropertiesPane: the property grid. It is built depth-first from a filled
// template: categories as groups, one row per item with the editor of its
// CTYPE, the description of the current row under the grid, and a filter box
// that narrows the rows by caption or name. A changed value goes to the
// owner; a refused one leaves the owner as it was and shows the reason.
#pragma once

#include "property_owner.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tft::ide {

class CPropertiesPane : public QWidget {
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole + 1,
        KindRole,
        ValueRole,
        OptionsRole,
        EnumsRole,
        MinRole,
        MaxRole,
        TipsRole,
        SortRole,
    };

    explicit CPropertiesPane(QWidget* parent = nullptr);

    // Shows an owner's filled template (null: an empty grid).
    void showOwner(IPropertyOwner* owner);
    IPropertyOwner* owner() const { return owner_; }
    // Fills the grid from the owner again (after a change, a language switch).
    void refresh();
    void retranslate();

    // Sends a value to the owner as if the user had entered it.
    bool commit(QTreeWidgetItem* item, const QString& value);
    // The same by name; with `deferRefresh` the rows are rebuilt once control
    // is back in the event loop (an editor of the grid is still open).
    bool apply(const QString& name, const QString& value, bool deferRefresh);

    QTreeWidget* tree() const { return tree_; }
    QLineEdit* filterBox() const { return filter_; }
    QTreeWidgetItem* item(const QString& name) const;
    QString description() const;
    QString problem() const;

    // The dialogs, replaceable for tests. An empty answer is a cancel.
    std::function<QColor(const QColor& current)> chooseColour;
    // A font for a "font" item: false when cancelled.
    std::function<bool(QFont& font)> chooseFont;
    std::function<QString(const QString& filter)> chooseFile;
    // Edits an action list in place; false when cancelled.
    std::function<bool(QString& actions)> editActions;
    // Brings a chosen file into the project: its project-relative path, or
    // empty with the reason.
    std::function<QString(const QString& file, QString* reason)> importFile;
    // Called after every accepted change (the owner was changed).
    std::function<void(const std::string& name)> changed;

    // Commits a FILE/ANIMATION browse for an item (used by the editor).
    void browse(QTreeWidgetItem* item);

private:
    void rebuild(const PropertyTemplate& tpl);
    void addItems(const pugi::xml_node& from, QTreeWidgetItem* parent);
    void applyFilter();
    void showDescription(QTreeWidgetItem* item);
    void onItemChanged(QTreeWidgetItem* item, int column);

    IPropertyOwner* owner_ = nullptr;
    QLineEdit* filter_;
    QTreeWidget* tree_;
    QLabel* description_;
    QLabel* problem_;
    QString rootCaption_, rootTips_;
    bool building_ = false;
    bool committing_ = false;
};

// "R;G;B" and the same as a colour; RGB565 as shown beside it.
QString colourText(const QColor& colour);
QColor colourOf(const QString& text);

} // namespace tft::ide
