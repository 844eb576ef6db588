// The device steps of an IDE job over the main window's link: the download
// bits through USB when a panel is there, else through the link's serial
// port (held under the link lock for the whole transfer), then display
// synchronisation. Runs on the job worker's thread.
#pragma once

#include "download_worker.h"

#include <string>
#include <vector>

namespace tft::ide {

class DeviceLink;
class LinkLog;

struct DeviceStepsJob {
    DownloadFiles files;
    std::vector<ImageReplacement> replacements; // bit 0x40
    std::string tftres;                         // bit 0x20: the build's resource description
    std::string page;                           // bit 0x20: the page to show
};

// Returns whether every step that ran succeeded.
bool runDeviceSteps(DeviceLink& link, IDeviceProxy* usb, std::uint32_t bits,
                    const DeviceStepsJob& job, bool& force, ImageDigests& digests,
                    const DownloadOutput& output, LinkLog* log);

// Display synchronisation: empties the log, then writes each frame of the page
// when the link is connected and logs it as sent in either case. Returns the
// number of frames.
std::size_t synchroniseDisplay(DeviceLink& link, const std::string& tftres, const std::string& page,
                               LinkLog* log);

} // namespace tft::ide
