// Feeds arbitrary host bytes through the core's intake, one loop iteration per
// byte, then lets every timer run, over the recording hardware layer. Any
// drawing call outside the layers aborts, so the sanitizers and this check
// together catch reads and writes out of bounds.
//
// Time is virtual and moves only as far as the input needs: bytes are taken
// without waiting, and afterwards a few iterations, each a long jump of the
// clock, let every armed timer (the longest runs every 255 ticks) fire and
// the composition it asks for follow. The panel is small: the core still
// clips to its 800 x 600 drawing area (and any call beyond the layers
// aborts), but fills and flood fills touch few real pixels.
#include "core/nimbrel.h"
#include "recording_hardware.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kPanelWidth = 80;
constexpr int kPanelHeight = 60;

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
        hw.setPanel(kPanelWidth, kPanelHeight);
        hw.fontIndex.assign(160, 0);
        putFont(0, 1, 2, 8, 16, 0x120000);
        putFont(1, 5, 0, 16, 16, 0x121000);
        putFont(2, 6, 1, 255, 255, 0x120000); // huge cells
        putFont(3, 7, 3, 12, 12, 0x100000);   // below the glyph base
        putFont(4, 8, 9, 12, 12, 0x120000);   // unknown encoding
        putFont(5, 2, 2, 0, 16, 0x120000);    // zero width
        // Sparse glyphs: every path of the renderer, few pixels to set.
        hw.fontData.assign(1 << 20, 0x00);
        for (std::size_t i = 0; i < hw.fontData.size(); i += 5)
            hw.fontData[i] = 0xA5;
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
    tft_set_size(kPanelWidth, kPanelHeight);
}

// Longer than any timer interval (255 ticks of 10 ms).
constexpr std::uint32_t kTimerJumpMs = 2600;
// Timers, then what their ticks mark dirty, then what that reports.
constexpr int kTimerRounds = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    prepare();
    std::size_t queued = 0; // bytes pushed that no iteration has taken yet
    for (std::size_t i = 0; i < size; ++i) {
        tft_push_cmd(data[i]);
        ++queued;
        // Let bursts build up in the queue now and then, so flow control runs.
        if ((data[i] & 0x0F) != 0x0F) {
            tft_step();
            --queued;
        }
    }
    // Each iteration takes one byte.
    for (; queued > 0; --queued)
        tft_step();
    for (int i = 0; i < kTimerRounds; ++i) {
        recording::virtualMs += kTimerJumpMs;
        tft_step();
    }
    if (recording::hw().outOfRange != 0)
        std::abort();
    return 0;
}
