// An in-memory hardware layer for the core: eight RGB565 layers of 800 x 600,
// a log of every call, the bytes sent to the host, and byte stores for the
// screen image, the font table, glyphs and picture index records.
#pragma once

#include "core/nimbrel.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace recording {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kLayers = 8;

struct Call {
    std::string name;
    std::vector<long> args;
    bool operator==(const Call& other) const { return name == other.name && args == other.args; }
};

struct Hardware {
    std::array<std::vector<std::uint16_t>, kLayers> layers;
    int writeLayer = 0;
    int displayLayer = 0;
    std::uint16_t pen = 0;
    bool logging = true;
    bool wholeLayerOps =
        true; // off: clears and layer copies are checked but not done (fuzzing speed)
    std::vector<Call> log;
    std::vector<std::uint8_t> sent;
    std::vector<std::uint8_t> screenInfo;
    std::vector<std::uint8_t> systemResource;
    std::vector<std::uint8_t> fontIndex;
    std::vector<std::uint8_t> fontData;
    bool fontReadsFail = false;
    std::map<std::uint16_t, std::array<std::uint8_t, 16>> pictures;
    std::array<std::uint8_t, 7> rtc{};
    bool touching = false;
    std::uint16_t touchX = 0;
    std::uint16_t touchY = 0;
    long outOfRange = 0; // drawing or reading calls outside the layer
    long pixelWrites = 0;
    // The panel within the layers: like a real panel's layer, pixels beyond it
    // read as 0 and are not drawn (without counting as out of range).
    int panelWidth = kWidth;
    int panelHeight = kHeight;

    void reset();
    // Sets the panel within the layers (the core learns it from tft_set_size).
    void setPanel(int width, int height);
    std::uint16_t pixel(int layer, int x, int y) const;
    void record(const char* name, std::vector<long> args);
    std::vector<Call> calls(const std::string& name) const;
    std::size_t count(const std::string& name) const;
    // Pixels of a layer that differ from the colour, as a count.
    long pixelsNot(int layer, std::uint16_t colour) const;
};

Hardware& hw();

// The core's clock on virtual time: reading gives `virtualMs`, sleeping
// advances it. Tests, fuzzers and benchmarks share it. Inline, so programs
// that load the core as a shared library need not link the clock export.
inline std::uint32_t virtualMs = 0;
inline std::uint32_t virtualNow() {
    return virtualMs;
}
inline void virtualSleep(std::uint32_t ms) {
    virtualMs += ms;
}
inline void useVirtualClock(std::uint32_t startMs) {
    virtualMs = startMs;
    tft_set_clock(virtualNow, virtualSleep);
}

} // namespace recording
