// CLogDlg: the traffic log window, one row per frame.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QTableWidget>
#include <functional>
#include <string>

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
    // Writes the rows as a headless script (received rows sent, sent rows
    // expected, the time between them waited) atomically; false with the reason.
    bool saveScriptTo(const QString& file, QString* error = nullptr);
    // The comment lines a saved script starts with (project, date, rate).
    void setScriptHeader(std::function<std::string()> header) { scriptHeader_ = std::move(header); }
    void copySelection();
    void clear();

public slots:
    void save();
    void saveScript();

private:
    void appendRow(const LogRow& row);

    TrafficLog& log_;
    QTableWidget* table_;
    QCheckBox* autoScroll_;
    std::function<std::string()> scriptHeader_;
};

} // namespace tft
