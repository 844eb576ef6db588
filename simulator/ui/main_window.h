// CDunmereDlg: the simulator's window: the panel, its serial line and the log.
#pragma once

#include "simulator/realtime_panel.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <memory>

namespace tft {

class CScreemWnd;
class CLogDlg;

class CDunmereDlg : public QMainWindow {
    Q_OBJECT
public:
    explicit CDunmereDlg(QWidget* parent = nullptr);
    ~CDunmereDlg() override;

    // Opens a compiled project; a missing .si keeps the running one.
    bool openProject(const QString& siPath, QString* error = nullptr);
    // Opens the serial line (a device path or the virtual port); false with a reason.
    bool openLine(const QString& port, int baud, QString* error = nullptr);
    void closeLine();
    bool lineOpen() const { return panel_.Attached(); }
    QString lineText() const { return lineLabel_->text(); }

    RealtimePanel& panel() { return panel_; }
    CScreemWnd* screen() const { return screen_; }
    CLogDlg* logDialog() const { return log_; }
    void setLogShown(bool shown);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseProject();
    void configureLine();
    void toggleLine();

    RealtimePanel panel_;
    CScreemWnd* screen_;
    CLogDlg* log_;
    QLabel* lineLabel_;
    QLabel* projectLabel_;
    QAction* lineAction_;
    QAction* logAction_;
    QString port_;
    int baud_ = 9600;
};

} // namespace tft
