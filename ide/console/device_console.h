// DeviceConsole: the main window's device link and instruction console put
// together: the serial tool bar (port combo with refresh entry and an
// editable path, baud combo, connect 33004), the link state, the connection
// text in the status bar, the instruction pane's log and the debug assistant.
// The main frame creates one and hands it its tool bar, pane and settings.
#pragma once

#include "device_link.h"
#include "instruct_list_ctrl.h"
#include "instruct_log.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QMainWindow;
class QSettings;
class QToolBar;

namespace tft::ide {

class CDebugAssistantSheet;

class DeviceConsole : public QObject {
    Q_OBJECT
public:
    // Settings keys (section "Settings"): ComPortIndex, BandRateIndex, and
    // DetectInterval (ms, for tests; 500 when absent).
    DeviceConsole(QMainWindow* frame, QToolBar* bar, QDockWidget* pane, QSettings* store,
                  const QString& appDir, std::function<void(const QString&)> showMessage);
    ~DeviceConsole() override;

    DeviceLink& link() { return link_; }
    InstructLog& log() { return log_; }
    CInstructListCtrl* listCtrl() const { return list_; }
    QComboBox* portCombo() const { return ports_; }
    QComboBox* baudCombo() const { return bauds_; }
    QAction* connectAction() const { return connect_; }
    QLabel* statusPane() const { return status_; }
    CDebugAssistantSheet* assistant();

    // Command 33004.
    void toggleConnection();
    // Re-lists the ports (entry 0 is the refresh entry).
    void enumeratePorts();
    // Command 32824: shows the debug assistant.
    void showAssistant();
    QString statusText() const;
    // Saves ComPortIndex and BandRateIndex.
    void writeSettings();
    // The custom page's list file in the per-user configuration folder.
    static QString customListFile();

    // The port names offered after the refresh entry; tests replace it.
    std::function<std::vector<std::string>()> listPorts;

private:
    void refreshStatus();
    void onPortActivated(int index);
    void onBaudActivated(int index);
    void retranslate();

    QMainWindow* frame_;
    QSettings* store_;
    QString appDir_;
    std::function<void(const QString&)> showMessage_;
    InstructLog log_;
    DeviceLink link_;
    CInstructListCtrl* list_ = nullptr;
    QComboBox* ports_ = nullptr;
    QComboBox* bauds_ = nullptr;
    QAction* connect_ = nullptr;
    QLabel* status_ = nullptr;
    QDockWidget* pane_ = nullptr;
    QPointer<CDebugAssistantSheet> assistant_;
};

} // namespace tft::ide
