// The update window: settings of an update, the log, and the worker thread
// that runs the update or a master command over the chosen port.
#pragma once

#include "modbus/map_model.h"
#include "modbus/serial_update.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessary {

class UpdateWindow : public QDialog {
    Q_OBJECT
public:
    explicit UpdateWindow(QWidget* parent = nullptr);
    ~UpdateWindow() override;

    // The request the fields describe.
    UpdateRequest request() const;
    bool running() const { return running_.load(); }
    QListWidget* log() { return log_; }
    QPushButton* updateButton() { return updateButton_; }
    QComboBox* portBox() { return port_; }
    QComboBox* baudBox() { return baud_; }
    QComboBox* addressBox() { return address_; }
    QLineEdit* folderField() { return folder_; }
    QLineEdit* mapField() { return map_; }
    QCheckBox* box(int slotGroup); // 0 images, 1 touch, 2 fonts, 3 keyboard, 4 map

    // What the folder and file choosers do after the user picked a path.
    void folderChosen(const QString& folder);
    void mapChosen(const QString& file);
    void refreshPorts();

    // Starts the update on the worker; ignored while one runs.
    void startUpdate();
    // Cancels a running update or command and waits for the worker to end.
    void stopAndWait();
    void stopMaster();
    void resumeMaster();

signals:
    void workerFinished();
    // Emitted by the worker; delivered queued on the window's thread.
    void logCleared();
    void logAppended(const QString& line);
    void logReplaced(const QString& line);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startWorker(std::function<void(IUpdateLog&)> job);
    void workerEnded();
    // Widens the window so the paths and the hint show whole (within the screen).
    void fitPathsAndHint();
    void loadSettings();
    void saveSettings() const;
    void appendLine(const QString& line);
    void replaceLastLine(const QString& line);

    QLineEdit* folder_;
    QLineEdit* map_;
    QCheckBox* images_;
    QCheckBox* touch_;
    QCheckBox* fonts_;
    QCheckBox* keyboard_;
    QCheckBox* modbus_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* address_;
    QListWidget* log_;
    QLabel* hint_;
    QPushButton* updateButton_;
    QPushButton* stopButton_;
    QPushButton* resumeButton_;

    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> cancel_{false};
    QString savedPort_;
};

} // namespace tessary
