#include "font_list_ctrl.h"

#include "fonttools/glyph_file.h"

#include <QHeaderView>
#include <QPainter>
#include <algorithm>

namespace tft::fonttools {

namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(IDrawCell* owner, QObject* parent) : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->fillRect(option.rect, Qt::white);
        painter->setClipRect(option.rect);
        owner_->drawCell(*painter, option.rect, index.row(), index.column());
        painter->restore();
    }

private:
    IDrawCell* owner_;
};

} // namespace

void CFontListModel::setRows(int rows, int columns) {
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    endResetModel();
}

int CFontListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int CFontListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant CFontListModel::data(const QModelIndex& /*index*/, int role) const {
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}

QVariant CFontListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return section == 0 ? QStringLiteral("地址") : QString::number(section - 1);
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}

CFontListCtrl::CFontListCtrl(IDrawCell* owner, QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setItemDelegate(new CellDelegate(owner, this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
}

void CFontListCtrl::setUpColumns() {
    if (hasColumns()) {
        return;
    }
    model_.setRows(0, 1 + kGlyphsPerRow);
    setColumnWidth(0, kAddressWidth);
    for (int c = 1; c <= kGlyphsPerRow; ++c) {
        setColumnWidth(c, kGlyphWidth);
    }
}

void CFontListCtrl::setRowCount(int rows) {
    model_.setRows(rows, model_.columnCount());
}

void CFontListCtrl::setAddressWidth(int width) {
    if (hasColumns()) {
        setColumnWidth(0, std::max(width, kAddressWidth));
    }
}

void CFontListCtrl::redrawAll() {
    viewport()->update();
}

} // namespace tft::fonttools
