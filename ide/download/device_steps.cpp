#include "device_steps.h"

#include "com_device_proxy.h"
#include "common/hex_text.h"
#include "device_link.h"
#include "display_sync.h"
#include "link_log.h"
#include "project_job.h"

#include <mutex>

namespace tft::ide {

namespace {

constexpr std::uint32_t kDownloadReadMs = 1000;

} // namespace

bool runDeviceSteps(DeviceLink& link, IDeviceProxy* usb, std::uint32_t bits,
                    const DeviceStepsJob& job, bool& force, ImageDigests& digests,
                    const DownloadOutput& output, LinkLog* log) {
    bool ok = true;
    // What the panel sent while the job compiled is read and logged first:
    // left in the port it would stand in front of the acknowledges.
    link.poll();
    {
        const DeviceLink::Transfer transfer(link);
        CComDeviceProxy com(&link.port());
        DownloadLink route;
        route.usb = usb;
        route.com = &com;
        route.deviceType = link.firmware().deviceType;
        const CommTimeouts saved = link.port().GetTimeouts();
        route.comTimeouts = [&link, saved](bool downloading) {
            CommTimeouts t = saved;
            if (downloading)
                t.ReadTotalTimeoutConstant = kDownloadReadMs;
            link.port().SetTimeouts(t);
        };
        DownloadWorker worker(route, output);
        ok = worker.Run(bits, job.files, force, digests, job.replacements);
    }
    if (bits & job::SyncDisplay)
        synchroniseDisplay(link, job.tftres, job.page, log);
    return ok;
}

std::size_t synchroniseDisplay(DeviceLink& link, const std::string& tftres, const std::string& page,
                               LinkLog* log) {
    if (log)
        log->clearRows();
    const auto frames = pageFrames(tftres, page);
    for (const auto& frame : frames) {
        // send() logs what it wrote; what could not go is logged all the same.
        if (!(link.isConnected() && link.send(frame)) && log)
            log->appendFrame(LinkDirection::Sent, toHexText(frame), std::string());
    }
    return frames.size();
}

} // namespace tft::ide
