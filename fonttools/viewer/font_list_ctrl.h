// The viewer's glyph table: a virtual list whose rows are drawn by its owner.
// It holds no glyphs itself; it only knows how many rows there are.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace tft::fonttools {

// Implemented by the owner: draws one cell of the table.
class IDrawCell {
public:
    virtual ~IDrawCell() = default;
    virtual void drawCell(QPainter& painter, const QRect& rect, int row, int column) = 0;
};

class CFontListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(int rows, int columns);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int rows_ = 0;
    int columns_ = 0;
};

class CFontListCtrl : public QTableView {
    Q_OBJECT
public:
    static constexpr int kAddressWidth = 70;
    static constexpr int kGlyphWidth = 50;
    static constexpr int kRowHeight = 50;

    explicit CFontListCtrl(IDrawCell* owner, QWidget* parent = nullptr);

    // Creates the address column and sixteen glyph columns (once).
    void setUpColumns();
    bool hasColumns() const { return model_.columnCount() > 0; }
    void setRowCount(int rows);
    // Widens the address column to `width` (never below kAddressWidth).
    void setAddressWidth(int width);
    int rows() const { return model_.rowCount(); }
    // Every visible cell is drawn again.
    void redrawAll();

private:
    CFontListModel model_;
};

} // namespace tft::fonttools
