// The device side of the main window's jobs: what a download sends, the
// picture digests of each panel, the USB link, the progress bar and display
// synchronisation. The worker thread calls `run`; everything else runs on the
// window's thread.
#pragma once

#include "device_steps.h"
#include "project_job.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class QProgressBar;

namespace tft::ide {

class DeviceConsole;

class DeviceJobs : public QObject {
    Q_OBJECT
public:
    DeviceJobs(DeviceConsole& console, QProgressBar* progress, QObject* parent);

    // What the next job's device steps send (window thread, before the job
    // word is written); the worker takes a copy when the steps start.
    void prepare(DeviceStepsJob job, bool force);

    // Worker thread: the device steps of a job. `line` goes to the output pane.
    bool run(std::uint32_t bits, const LineSink& line);

    // The USB link of one job, made on the worker thread; null for none (the
    // setting that keeps downloads on the serial port, and tests).
    std::function<std::unique_ptr<IDeviceProxy>()> makeUsb;
    // The download options (0: USB when a panel is there, else the serial port; 1: serial only).
    void setUsbAllowed(bool allowed) { usbAllowed_ = allowed; }

private:
    void showProgress(int percent);

    DeviceConsole& console_;
    QProgressBar* progress_;
    std::mutex mutex_; // guards next_, force_
    DeviceStepsJob next_;
    bool force_ = false;
    std::atomic<bool> usbAllowed_{true};
    // Per panel (port name, or "usb"), for as long as the IDE runs.
    std::map<std::string, ImageDigests> digests_;
};

} // namespace tft::ide
