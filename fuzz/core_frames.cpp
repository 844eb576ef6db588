// Feeds arbitrary host bytes through the core's intake, one loop iteration per
// byte, then lets the timers run, over the recording hardware layer. Any
// drawing call outside the layers aborts, so the sanitizers and this check
// together catch reads and writes out of bounds.
#include "core/nimbrel.h"
#include "recording_hardware.h"

#include <cstdint>
#include <cstdlib>

namespace {

void putFont(std::size_t n, std::uint8_t id, std::uint8_t encoding, std::uint8_t width,
             std::uint8_t height, std::uint32_t address) {
    std::uint8_t* e = recording::hw().fontIndex.data() + n * 8;
    e[0] = id;
    e[1] = encoding;
    e[2] = width;
    e[3] = height;
    for (int i = 0; i < 4; ++i)
        e[4 + i] = static_cast<std::uint8_t>(address >> (8 * i));
}

void prepare() {
    static bool ready = false;
    auto& hw = recording::hw();
    if (!ready) {
        hw.reset();
        hw.logging = false;
        hw.wholeLayerOps = false;
        hw.fontIndex.assign(160, 0);
        putFont(0, 1, 2, 8, 16, 0x120000);
        putFont(1, 5, 0, 16, 16, 0x121000);
        putFont(2, 6, 1, 255, 255, 0x120000); // huge cells
        putFont(3, 7, 3, 12, 12, 0x100000);   // below the glyph base
        putFont(4, 8, 9, 12, 12, 0x120000);   // unknown encoding
        putFont(5, 2, 2, 0, 16, 0x120000);    // zero width
        hw.fontData.assign(1 << 20, 0xA5);
        std::array<std::uint8_t, 16> record{};
        record[15] = 4;
        hw.pictures[1] = record; // four frames, interval 0
        record[14] = 3;
        record[15] = 1;
        hw.pictures[2] = record;
        ready = true;
    }
    hw.sent.clear();
    hw.log.clear();
    recording::useVirtualClock(1000);
    tft_exit();
    tft_step();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    prepare();
    for (std::size_t i = 0; i < size; ++i) {
        tft_push_cmd(data[i]);
        // Let bursts build up in the queue now and then, so flow control runs.
        if ((data[i] & 0x0F) != 0x0F)
            tft_step();
    }
    for (int i = 0; i < 120 && tft_step() != 0; ++i) {
    }
    if (recording::hw().outOfRange != 0)
        std::abort();
    return 0;
}
