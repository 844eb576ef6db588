// One file to a panel: its command header, then packets of a 2-byte
// little-endian count and a zero-filled block of 256 or 2048 data bytes.
#pragma once

#include "device_proxy.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tft::ide {

// The data bytes of one packet: 256 on a device of type 1, else 2048.
std::size_t downloadBlockSize(std::uint16_t deviceType);

// Told the percentage sent (0 to 99) while a file goes.
using ProgressSink = std::function<void(int percent)>;

// Sends `header`, then the file at `path` in packets. The first chunk is
// shortened by `startOffset` (so the data meets the panel's block grid) and
// a transfer with a start offset ends with a packet of count 0; a packet
// whose count is below its chunk ends the file. False as soon as the panel
// does not acknowledge, or when the file does not open (nothing is sent then).
bool SendFile(IDeviceProxy& proxy, const std::uint8_t* header, std::size_t headerLength,
              const std::string& path, std::uint64_t startOffset, std::size_t block,
              const ProgressSink& progress = {});

// The upper-case hex MD5 of a whole file; empty when it does not read.
std::string fileDigest(const std::string& path);

} // namespace tft::ide
