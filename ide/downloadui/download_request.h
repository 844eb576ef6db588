// What the download dialogs hand the main window: a job for its worker, and
// the few things they ask of the window. The main window fills DownloadPort
// in; the dialogs know nothing else of it.
#pragma once

#include "device_steps.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace tft::ide {

// The wizard marks its jobs with bit 0 (the job word's idle value): the
// device steps take only the download bits, so it changes nothing, but a
// wizard job with no box checked would be the idle word itself and is never
// submitted.
constexpr std::uint32_t kWizardJobMark = 0x1;

struct DownloadRequest {
    std::uint32_t bits = 0; // job word bits (images 0x4, fonts 0x10, ...)
    DeviceStepsJob job;     // the files, and the pictures of a replacement
    bool force = false;     // send pictures even when unchanged
};

struct DownloadPort {
    // Queues the job on the worker (and shows the output pane); false when
    // a job is already running or waiting.
    std::function<bool(const DownloadRequest&)> submit;
    // A job is running.
    std::function<bool()> busy;
    // A line for the output pane.
    std::function<void(const QString&)> output;
    // Brings up the instruction pane (the TX/RX log).
    std::function<void()> showInstructions;
};

} // namespace tft::ide
