// CInstructListCtrl: the instruction pane (pane 4003): the TX/RX log in five
// columns, redrawn by a 100 ms timer when rows changed, a filter box over it,
// and the context menu "指令列表" (copy, clear, save log, paste).
#pragma once

#include "instruct_log.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>

class QLineEdit;
class QMenu;
class QTableView;
class QTimer;

namespace tft::ide {

// The rows of the log that pass the filter, as the view sees them.
class InstructLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InstructLogModel(InstructLog& log, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    void setFilter(const QString& filter);
    // Takes the log's new rows (the redraw timer); true when any came.
    bool refresh();
    CInstructRecord record(int row) const;

private:
    void rebuild();

    InstructLog& log_;
    QString filter_;
    std::vector<std::size_t> shown_; // log rows passing the filter
    std::size_t seen_ = 0;           // log rows looked at
    std::uint64_t generation_ = 0;
};

class CInstructListCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CInstructListCtrl(InstructLog& log, QWidget* parent = nullptr);

    QTableView* view() const { return view_; }
    QLineEdit* filterBox() const { return filter_; }
    InstructLogModel* model() const { return model_; }
    // The context menu as the pane shows it (copy enabled with a selection).
    QMenu* contextMenu();

    void copySelected();
    void clear();
    // Asks for a file (proposed "LOG…" name) unless `path` is given.
    bool saveLog(const QString& path = {});
    void pasteFromClipboard();
    // Takes new rows now (the timer does it every 100 ms).
    void redraw();

    std::function<void(const QString&)> showMessage;

private:
    InstructLog& log_;
    InstructLogModel* model_;
    QTableView* view_;
    QLineEdit* filter_;
    QTimer* timer_;
    QMenu* menu_ = nullptr;
};

} // namespace tft::ide
