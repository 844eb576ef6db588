// CLogDlg: the traffic log window, one row per frame.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QTableWidget>

namespace tft {

class TrafficLog;
struct LogRow;

class CLogDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLogDlg(TrafficLog& log, QWidget* parent = nullptr);
    ~CLogDlg() override;

    QTableWidget* table() const { return table_; }
    // Writes every row to `file` atomically; false with the reason.
    bool saveTo(const QString& file, QString* error = nullptr);
    void copySelection();
    void clear();

public slots:
    void save();

private:
    void appendRow(const LogRow& row);

    TrafficLog& log_;
    QTableWidget* table_;
    QCheckBox* autoScroll_;
};

} // namespace tft
