// IDeviceProxy: one link to a panel for resource download. The download
// worker opens it, sends one-byte command headers and data packets, and closes
// it; every operation answers whether the panel acknowledged. Proxies live on
// the worker thread for the length of one download.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tft::ide {

class IDeviceProxy {
public:
    virtual ~IDeviceProxy() = default;
    // True when this link can be used (the port is open, a USB panel is there).
    virtual bool IsPresent() = 0;
    // Asks the panel to enter download mode; true when it accepted.
    virtual bool Open() = 0;
    // Leaves download mode; true when the panel acknowledged.
    virtual bool Close() = 0;
    // A command header (0x90-0x99, 0x96 + id, ...); true when acknowledged.
    virtual bool SendCommand(const std::uint8_t* data, std::size_t length) = 0;
    // One data packet; true when acknowledged.
    virtual bool SendData(const std::uint8_t* data, std::size_t length) = 0;
};

} // namespace tft::ide
