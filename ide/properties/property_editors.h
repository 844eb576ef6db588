// The in-place editors of the property grid, one per editor kind, and the
// delegate that creates them. An editor reports a finished value once; the
// pane then hands it to the owner.
#pragma once

#include <QStyledItemDelegate>

namespace tft::ide {

class CPropertiesPane;

class PropertyDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PropertyDelegate(CPropertiesPane* pane);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    void finish(QWidget* editor) const;
    CPropertiesPane* pane_;
};

} // namespace tft::ide
