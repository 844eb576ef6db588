#include "device_jobs.h"

#include "device_console.h"
#include "usb_device_proxy.h"

#include <QMetaObject>
#include <QProgressBar>
#include <atomic>
#include <chrono>
#include <thread>

namespace tft::ide {

DeviceJobs::DeviceJobs(DeviceConsole& console, QProgressBar* progress, QObject* parent)
    : QObject(parent), console_(console), progress_(progress) {
    makeUsb = [this]() -> std::unique_ptr<IDeviceProxy> {
        if (!usbAllowed_)
            return nullptr;
        return std::make_unique<CUsbDeviceProxy>();
    };
    progress_->setRange(0, 100);
    progress_->hide();
}

void DeviceJobs::prepare(DeviceStepsJob job, bool force) {
    std::lock_guard<std::mutex> guard(mutex_);
    next_ = std::move(job);
    force_ = force;
}

void DeviceJobs::showProgress(int percent) {
    // Queued: the worker never waits for the window.
    QMetaObject::invokeMethod(
        this,
        [this, percent] {
            if (percent < 0 || percent >= 100) {
                progress_->hide();
                return;
            }
            progress_->setValue(percent);
            progress_->show();
        },
        Qt::QueuedConnection);
}

bool DeviceJobs::run(std::uint32_t bits, const LineSink& line) {
    DeviceStepsJob job;
    bool force;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        job = next_;
        force = force_;
        force_ = false;
    }
    const std::unique_ptr<IDeviceProxy> usb = makeUsb ? makeUsb() : nullptr;
    const bool overUsb = usb && usb->IsPresent();
    DownloadOutput output;
    output.line = line;
    output.progress = [this](int percent) { showProgress(percent); };
    output.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    DeviceLink& link = console_.link();
    // Digests belong to the panel they describe; only this thread touches them.
    ImageDigests& digests = digests_[overUsb ? std::string("usb") : link.port().Name()];
    const bool ok =
        runDeviceSteps(link, usb.get(), bits, job, force, digests, output, &console_.log());
    showProgress(-1);
    return ok;
}

} // namespace tft::ide
