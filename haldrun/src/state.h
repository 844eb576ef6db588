// The hardware layer's own state: the device it works on, the pen colour and
// the clock offset. Only the core thread calls the hardware operations.
#pragma once

#include "haldrun/device.h"

#include <atomic>
#include <cstdint>
#include <ctime>

namespace tft::haldrun {

IDevice* device();

struct PenState {
    std::uint16_t colour = 0xFFFF;
};
PenState& pen();

// Seconds added to the PC clock to give the panel's clock (set by SetRTC).
std::atomic<std::int64_t>& clockOffset();

// Reads a little-endian number from a record.
inline std::uint32_t le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
inline std::uint32_t le24(const std::uint8_t* p) {
    return le16(p) | (std::uint32_t(p[2]) << 16);
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return le24(p) | (std::uint32_t(p[3]) << 24);
}

} // namespace tft::haldrun
