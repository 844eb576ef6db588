// Composition and rendering of compiled screens over the in-memory hardware
// layer. Compose: one frame (rendered screen and user layer copied into the
// back buffer, then the overlays) against a plain copy of the same bytes, and
// as a share of the 20 ms composition period. Render: a screen of 50 controls
// replayed onto layer 2, as a share of the 30 ms render period.
#include "core/nimbrel.h"
#include "core_state.h"
#include "recording_hardware.h"
#include "screens.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void add(Bytes& out, const Bytes& body) {
    out.push_back(0xEE);
    out.insert(out.end(), body.begin(), body.end());
    for (std::uint8_t b : {0xFF, 0xFC, 0xFF, 0xFF})
        out.push_back(b);
}

void put(Bytes& b, std::size_t frameOffset, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[frameOffset - 1 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

Bytes control(std::uint16_t id, std::uint8_t type, int x, int y, int w, int h) {
    Bytes b(39, 0);
    b[0] = 0xB0;
    put(b, 2, id, 2);
    put(b, 4, type, 1);
    put(b, 5, static_cast<std::uint32_t>(x), 2);
    put(b, 7, static_cast<std::uint32_t>(y), 2);
    put(b, 9, static_cast<std::uint32_t>(w), 2);
    put(b, 11, static_cast<std::uint32_t>(h), 2);
    return b;
}

// One screen of 50 controls: buttons, progress bars, meters, graphs and texts.
Bytes image() {
    Bytes record;
    add(record, {0x42, 0x12, 0x34});
    add(record, {0x01});
    add(record, {0xB2, 0x00, 0x00});
    for (std::uint16_t id = 0; id < 50; ++id) {
        const int x = (id % 10) * 80, y = (id / 10) * 96;
        Bytes c;
        switch (id % 5) {
        case 0:
            c = control(id, nimbrel::kTypeButton, x, y, 70, 40);
            put(c, 13, 1, 2);
            put(c, 19, 2, 2);
            break;
        case 1:
            c = control(id, nimbrel::kTypeProgress, x, y, 70, 20);
            put(c, 13, 1, 1);
            put(c, 14, 0x0001, 2);
            put(c, 19, 0x07E0, 2);
            put(c, 24, 60, 4);
            put(c, 32, 100, 4);
            break;
        case 2:
            c = control(id, nimbrel::kTypeMeter, x, y, 70, 70);
            put(c, 13, 30, 4);
            put(c, 21, 100, 4);
            put(c, 25, 0xFFFF, 2);
            put(c, 27, 135, 2);
            put(c, 29, 45, 2);
            put(c, 33, 0xF800, 2);
            break;
        case 3:
            c = control(id, nimbrel::kTypeGraph, x, y, 70, 70);
            put(c, 14, 1, 1);
            put(c, 15, 64, 2);
            break;
        default:
            c = control(id, nimbrel::kTypeText, x, y, 70, 20);
            put(c, 13, 1, 1);
            put(c, 14, 1, 1);
            put(c, 15, 0x8410, 2);
            put(c, 26, 6, 1);
            for (int i = 0; i < 6; ++i)
                put(c, 27 + static_cast<std::size_t>(i), static_cast<std::uint32_t>('0' + i), 1);
            break;
        }
        add(record, c);
    }
    Bytes start;
    add(start, {0xB2, 0x00, 0x00});
    Bytes out(136 + 16, 0);
    auto le = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    le(16, 1);
    le(24, 136);
    le(36, 144);
    le(40, 1);
    out[90] = 0x03;
    le(136, static_cast<std::uint32_t>(record.size() - 1));
    le(140, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), record.begin(), record.end());
    le(144, static_cast<std::uint32_t>(start.size() - 1));
    le(148, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), start.begin(), start.end());
    le(44, static_cast<std::uint32_t>(out.size()));
    return out;
}

void start() {
    auto& hw = recording::hw();
    hw.reset();
    hw.logging = false;
    hw.fontIndex.assign(160, 0);
    hw.fontIndex[0] = 1;
    hw.fontIndex[1] = 2;
    hw.fontIndex[2] = 8;
    hw.fontIndex[3] = 16;
    hw.fontIndex[6] = 0x12;
    hw.fontData.assign(1 << 16, 0x5A);
    hw.screenInfo = image();
    recording::useVirtualClock(0);
    tft_exit();
    tft_step();
    tft_set_size(800, 480);
    for (int i = 0; i < 10; ++i)
        tft_step();
    // Graph samples, a cursor and the clock text as overlays.
    for (std::uint16_t id = 3; id < 50; id += 5) {
        Bytes f;
        add(f, {0xB1, 0x30, 0, 0, static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id),
                0, 0xF8, 0x00});
        Bytes data{
            0xB1, 0x32, 0, 0, static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id),
            0,    0,    64};
        for (int i = 0; i < 64; ++i)
            data.push_back(static_cast<std::uint8_t>((i * 7) % 60));
        add(f, data);
        nimbrel::screensControlCommand(f.data(), 15);
        nimbrel::screensControlCommand(f.data() + 15, f.size() - 15);
    }
    nimbrel::keyboardSetCursor(true, 100, 100, 2, 16);
    nimbrel::g_core.clockText.enabled = true;
    nimbrel::g_core.clockText.font = 1;
}

void BM_PlainCopyOfTwoLayers(benchmark::State& state) {
    auto& hw = recording::hw();
    hw.reset();
    const std::size_t bytes = hw.layers[0].size() * sizeof(std::uint16_t);
    for (auto _ : state) {
        std::memcpy(hw.layers[0].data(), hw.layers[2].data(), bytes);
        std::memcpy(hw.layers[0].data(), hw.layers[4].data(), bytes);
        benchmark::DoNotOptimize(hw.layers[0].data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 *
                            static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PlainCopyOfTwoLayers)->Unit(benchmark::kMicrosecond);

void BM_ComposeFrame(benchmark::State& state) {
    start();
    for (auto _ : state) {
        nimbrel::markDirty();
        nimbrel::composeDisplay(0);
        benchmark::ClobberMemory();
    }
    const std::size_t bytes = recording::hw().layers[0].size() * sizeof(std::uint16_t);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 *
                            static_cast<std::int64_t>(bytes));
    // Per cent of the period: time per iteration / period × 100.
    state.counters["percent_of_20ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.020 / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    tft_exit();
    tft_step();
}
BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);

// The two layer copies alone, without the cursor and clock-text overlays.
void BM_ComposeFrameWithoutOverlays(benchmark::State& state) {
    start();
    nimbrel::keyboardSetCursor(false, 0, 0, 0, 0);
    nimbrel::g_core.clockText.enabled = false;
    for (auto _ : state) {
        nimbrel::markDirty();
        nimbrel::composeDisplay(0);
        benchmark::ClobberMemory();
    }
    tft_exit();
    tft_step();
}
BENCHMARK(BM_ComposeFrameWithoutOverlays)->Unit(benchmark::kMicrosecond);

void BM_RenderFiftyControls(benchmark::State& state) {
    start();
    for (auto _ : state) {
        nimbrel::markRender();
        nimbrel::screensRender(0);
        benchmark::ClobberMemory();
    }
    state.counters["percent_of_30ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.030 / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    tft_exit();
    tft_step();
}
BENCHMARK(BM_RenderFiftyControls)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
