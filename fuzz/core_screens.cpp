// A screen image from fuzzed bytes: the core loads it, renders and composes,
// and takes a fuzzed touch sequence. Input: one byte n, then 3·n touch bytes
// {x / 4, y / 3, flags (bit 0 pressed, bits 1-3 extra ticks)}, then the image.
#include "core/nimbrel.h"
#include "recording_hardware.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void putLe(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A valid keyboard resource so that text controls and command 86 reach the keyboard.
std::vector<std::uint8_t> keyboardResource() {
    std::vector<std::uint8_t> r(1034 + 1298 + 4 * 40 * 20, 0);
    putLe(r, 14, 1034, 4);
    putLe(r, 22, 1034, 4);
    std::uint8_t* d = r.data() + 1034;
    d[4] = 40;
    d[6] = 20;
    d[12] = 40;
    d[14] = 8;
    d[16] = 4;
    const std::uint8_t codes[] = {'a', 8, 16, 13};
    for (int i = 0; i < 4; ++i) {
        d[18 + i] = codes[i];
        d[274 + 8 * i] = static_cast<std::uint8_t>(10 * i);
        d[276 + 8 * i] = 10;
        d[278 + 8 * i] = 10;
        d[280 + 8 * i] = 10;
    }
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 256; ++i)
        sum += static_cast<std::uint32_t>(r[8 + 4 * i]) | (r[9 + 4 * i] << 8) |
               (r[10 + 4 * i] << 16) | (static_cast<std::uint32_t>(r[11 + 4 * i]) << 24);
    putLe(r, 0, sum, 4);
    return r;
}

void prepare() {
    static bool ready = false;
    auto& hw = recording::hw();
    if (!ready) {
        hw.reset();
        hw.logging = false;
        hw.wholeLayerOps = false;
        hw.fontIndex.assign(160, 0);
        hw.fontIndex[0] = 1;
        hw.fontIndex[1] = 2;
        hw.fontIndex[2] = 8;
        hw.fontIndex[3] = 16;
        putLe(hw.fontIndex, 4, 0x120000, 4);
        hw.fontData.assign(1 << 16, 0xA5);
        hw.systemResource = keyboardResource();
        std::array<std::uint8_t, 16> record{};
        record[0] = 1;
        record[7] = 10;
        record[9] = 10;
        record[15] = 4;
        hw.pictures[1] = record;
        ready = true;
    }
    hw.sent.clear();
    hw.log.clear();
    hw.touching = false;
    recording::useVirtualClock(1000);
    tft_exit();
    tft_step();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    prepare();
    auto& hw = recording::hw();
    const std::size_t touches = data[0];
    std::size_t at = 1 + 3 * touches;
    if (at > size)
        at = size;
    hw.screenInfo.assign(data + at, data + size);
    tft_set_size(800, 480);
    for (int i = 0; i < 12; ++i)
        tft_step();
    for (std::size_t t = 0; t < touches && 1 + 3 * t + 2 < at; ++t) {
        const std::uint8_t* p = data + 1 + 3 * t;
        hw.touching = (p[2] & 1) != 0;
        hw.touchX = static_cast<std::uint16_t>(p[0] * 4);
        hw.touchY = static_cast<std::uint16_t>(p[1] * 3);
        for (int i = 0; i <= ((p[2] >> 1) & 7); ++i)
            tft_step();
    }
    hw.touching = false;
    for (int i = 0; i < 8; ++i)
        tft_step();
    if (hw.outOfRange != 0)
        std::abort();
    return 0;
}
