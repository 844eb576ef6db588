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

    // Opens a compiled project; a missing .si keeps the running one. The
    // window takes the size the project's panel needs.
    bool openProject(const QString& siPath, QString* error = nullptr);
    // A project handed over by a later start (empty: just come to the front);
    // one that cannot be opened is reported in a message box.
    void receiveProject(const QString& siPath);
    // Opens the serial line (a device path or the virtual port) at the
    // panel's rate; false with a reason.
    bool openLine(const QString& port, QString* error = nullptr);
    void closeLine();
    bool lineOpen() const { return panel_.Attached(); }
    QString lineText() const { return lineLabel_->text(); }

    RealtimePanel& panel() { return panel_; }
    CScreemWnd* screen() const { return screen_; }
    CLogDlg* logDialog() const { return log_; }
    void setLogShown(bool shown);
    // The serial choice dialog (port and rate, the panel's rate shown).
    void configureLine();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseProject();
    void toggleLine();
    void showLine();
    void fitToPanel();

    RealtimePanel panel_;
    CScreemWnd* screen_;
    CLogDlg* log_;
    QLabel* lineLabel_;
    QLabel* projectLabel_;
    QAction* lineAction_;
    QAction* logAction_;
    QString port_;
};

} // namespace tft
