#include "instruct_list_ctrl.h"

#include "string_table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace tft::ide {

InstructLogModel::InstructLogModel(InstructLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log) {}

int InstructLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int InstructLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

CInstructRecord InstructLogModel::record(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size())
        return {};
    return log_.row(shown_[static_cast<std::size_t>(row)]);
}

QVariant InstructLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const CInstructRecord r = record(index.row());
    const std::string* columns[] = {&r.number, &r.time, &r.direction, &r.command, &r.comment};
    return QString::fromStdString(*columns[index.column()]);
}

QVariant InstructLogModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 4)
        return {};
    const int ids[] = {sid::ConsoleColumnNumber, sid::ConsoleColumnTime,
                       sid::ConsoleColumnDirection, sid::ConsoleColumnCommand,
                       sid::ConsoleColumnComment};
    return ideText(ids[section]);
}

void InstructLogModel::setFilter(const QString& filter) {
    filter_ = filter;
    beginResetModel();
    rebuild();
    endResetModel();
}

void InstructLogModel::rebuild() {
    shown_.clear();
    generation_ = log_.generation();
    const std::vector<CInstructRecord> rows = log_.rows();
    seen_ = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (InstructLog::matches(rows[i], filter_))
            shown_.push_back(i);
}

bool InstructLogModel::refresh() {
    if (!log_.takeDirty())
        return false;
    if (log_.generation() != generation_ || log_.size() < seen_) {
        beginResetModel();
        rebuild();
        endResetModel();
        return true;
    }
    const std::size_t total = log_.size();
    std::vector<std::size_t> added;
    for (std::size_t i = seen_; i < total; ++i)
        if (filter_.isEmpty() || InstructLog::matches(log_.row(i), filter_))
            added.push_back(i);
    seen_ = total;
    if (added.empty())
        return false;
    const int first = static_cast<int>(shown_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    shown_.insert(shown_.end(), added.begin(), added.end());
    endInsertRows();
    return true;
}

CInstructListCtrl::CInstructListCtrl(InstructLog& log, QWidget* parent)
    : QWidget(parent), log_(log), model_(new InstructLogModel(log, this)),
      view_(new QTableView(this)), filter_(new QLineEdit(this)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("InstructListCtrl"));
    filter_->setObjectName(QStringLiteral("InstructFilter"));
    filter_->setPlaceholderText(ideText(sid::LogFilter));
    filter_->setClearButtonEnabled(true);
    view_->setObjectName(QStringLiteral("InstructList"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    // Fixed row heights keep scrolling through a long log cheap.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    view_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {30, 90, 70, 500, 400};
    for (int c = 0; c < 5; ++c)
        view_->setColumnWidth(c, widths[c]);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu()->popup(view_->viewport()->mapToGlobal(at)); });
    connect(filter_, &QLineEdit::textChanged, model_, &InstructLogModel::setFilter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(filter_);
    layout->addWidget(view_);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &CInstructListCtrl::redraw);
    timer_->start();
}

void CInstructListCtrl::redraw() {
    QScrollBar* bar = view_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (model_->refresh() && atEnd)
        view_->scrollToBottom();
}

QMenu* CInstructListCtrl::contextMenu() {
    if (!menu_) {
        menu_ = new QMenu(ideText(sid::LogMenu), this);
        menu_->setObjectName(QStringLiteral("InstructMenu"));
        menu_->addAction(ideText(sid::LogCopy), this, &CInstructListCtrl::copySelected);
        menu_->addAction(ideText(sid::LogClear), this, &CInstructListCtrl::clear);
        menu_->addAction(ideText(sid::LogSave), this, [this] { saveLog(); });
        menu_->addAction(ideText(sid::LogPaste), this, &CInstructListCtrl::pasteFromClipboard);
    }
    menu_->actions().at(0)->setEnabled(view_->selectionModel()->hasSelection());
    return menu_;
}

void CInstructListCtrl::copySelected() {
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    QApplication::clipboard()->setText(
        QString::fromStdString(model_->record(rows.first().row()).command));
}

void CInstructListCtrl::clear() {
    log_.clearRows();
    redraw();
}

bool CInstructListCtrl::saveLog(const QString& given) {
    QString path = given;
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(
            this, ideText(sid::LogSave),
            InstructLog::proposedFileName(QDateTime::currentDateTime()) + QStringLiteral(".txt"),
            QStringLiteral("Log Files (*.txt);;All Files (*.*)"));
        if (path.isEmpty())
            return false;
    }
    QString error;
    if (!log_.save(path, &error)) {
        if (showMessage)
            showMessage(ideText(sid::LogSaveFailed).arg(error));
        return false;
    }
    return true;
}

void CInstructListCtrl::pasteFromClipboard() {
    log_.paste(QApplication::clipboard()->text());
    redraw();
}

} // namespace tft::ide
