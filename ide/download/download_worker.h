// The device steps of a download job: which files go, over which link, in
// which order, with the output lines and the progress the IDE shows. Runs on
// the job worker's thread; knows no widgets.
#pragma once

#include "device_proxy.h"
#include "send_file.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tft::ide {

// The files of a job (the output folder's compiled files).
struct DownloadFiles {
    std::string imageIndex, imageData; // .graidx, .gwb (or .gra)
    std::string voiceIndex, voiceData; // .pwi, .pwav
    std::string fontIndex, fontData;   // .fidx, .fbin
    std::string screens;               // .si
    std::string keyboard;              // .sbin
    std::string modbus;                // .mbm
};

// The files a build wrote beside `base` (the output folder and the project's
// name); the Modbus map is not one of them.
DownloadFiles compiledFiles(const std::string& base);

// The digests of the picture files last sent to one panel, kept for as long
// as the IDE runs so unchanged pictures are not sent again.
struct ImageDigests {
    std::string index, data;
};

// One picture of the panel to replace, from its index record.
struct ImageReplacement {
    std::uint16_t id = 0;
    std::uint32_t address = 0;
    std::uint16_t width = 0, height = 0;
    std::string picture; // the replacement's path
};

// The links a download can take: USB when present, else the serial port.
struct DownloadLink {
    IDeviceProxy* usb = nullptr;
    IDeviceProxy* com = nullptr;
    std::uint16_t deviceType = 0; // of the panel's firmware information
    // Serial only: true sets the download read time-out (1000 ms), false
    // restores what the port had.
    std::function<void(bool downloading)> comTimeouts;
};

struct DownloadOutput {
    std::function<void(const QString&)> line;
    std::function<void(int percent)> progress; // 0-99 while a file goes, -1 hides the bar
    std::function<void(int ms)> pause;         // between picture index and data
};

class DownloadWorker {
public:
    DownloadWorker(DownloadLink link, DownloadOutput output);

    // Runs the download bits of `bits` (images 0x4, voices 0x8, fonts 0x10,
    // replacement 0x40, screens 0x80, keyboard 0x100, Modbus map 0x800) in
    // that order. `force` sends pictures even when unchanged and is cleared
    // by the picture step. True when the link opened, every step that ran
    // succeeded and the panel acknowledged the close.
    bool Run(std::uint32_t bits, const DownloadFiles& files, bool& force, ImageDigests& digests,
             const std::vector<ImageReplacement>& replacements = {});

private:
    bool images(IDeviceProxy& proxy, const DownloadFiles& files, bool& force,
                ImageDigests& digests);
    bool voices(IDeviceProxy& proxy, const DownloadFiles& files);
    bool fonts(IDeviceProxy& proxy, const DownloadFiles& files);
    bool replace(IDeviceProxy& proxy, const std::vector<ImageReplacement>& replacements);
    bool single(IDeviceProxy& proxy, int startText, std::uint8_t command, const std::string& path,
                bool needsFile);
    bool send(IDeviceProxy& proxy, std::uint8_t command, const std::string& path);
    bool finish(bool ok);
    void say(int id) const;

    DownloadLink link_;
    DownloadOutput out_;
    std::size_t block_;
};

// Writes a picture as RGB565 pixels (little-endian, top row first) at the
// given size into a new temporary file; empty when it does not decode.
std::string replacementPixels(const std::string& picture, int width, int height);

} // namespace tft::ide
