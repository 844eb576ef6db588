// Pushes a recorded stream of typical drawing frames (lines, rectangles,
// circles, 16-pixel text, pictures) through tft_push_cmd and the main loop into
// the in-memory hardware layer. Reports bytes per second and the multiple of
// the 2,000,000-baud line rate (200,000 bytes per second) the core sustains.
#include "core/nimbrel.h"
#include "recording_hardware.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

constexpr double kLineBytesPerSecond = 200000.0;

using Bytes = std::vector<std::uint8_t>;

void frame(Bytes& out, std::initializer_list<int> body) {
    out.push_back(0xEE);
    for (int b : body)
        out.push_back(static_cast<std::uint8_t>(b));
    for (int b : {0xFF, 0xFC, 0xFF, 0xFF})
        out.push_back(static_cast<std::uint8_t>(b));
}

int hi(int v) {
    return (v >> 8) & 0xFF;
}
int lo(int v) {
    return v & 0xFF;
}

// A session of a host drawing a dashboard: colours, text labels, gauges made
// of lines, circles and small filled rectangles, and pictures.
Bytes recordedStream() {
    Bytes s;
    for (int round = 0; round < 40; ++round) {
        const int x = (round * 37) % 700;
        const int y = (round * 53) % 500;
        frame(s, {0x41, hi(0x07E0 + round), lo(0x07E0 + round)});
        frame(s, {0x51, hi(x), lo(x), hi(y), lo(y), hi(x + 60), lo(x + 60), hi(y + 25), lo(y + 25),
                  hi(x), lo(x), hi(y + 30), lo(y + 30), hi(x + 80), lo(x + 80), hi(y + 30),
                  lo(y + 30)});
        frame(s,
              {0x54, hi(x), lo(x), hi(y), lo(y), hi(x + 90), lo(x + 90), hi(y + 40), lo(y + 40)});
        frame(s, {0x55, hi(x + 2), lo(x + 2), hi(y + 2), lo(y + 2), hi(x + 30), lo(x + 30),
                  hi(y + 12), lo(y + 12)});
        frame(s, {0x52, hi(x + 50), lo(x + 50), hi(y + 50), lo(y + 50), 0, 20});
        frame(s, {0x20, hi(x), lo(x), hi(y + 45), lo(y + 45), 0, 1, 'T', 'e', 'm', 'p', ' ', '2',
                  '3', '.', '5', ' ', 'C'});
        frame(s, {0x20, hi(x), lo(x), hi(y + 62), lo(y + 62), 1, 1, 'P', 'u', 'm', 'p', ' ', 'O',
                  'N'});
        frame(s, {0x32, hi(x + 100), lo(x + 100), hi(y), lo(y), 0, 3, 1});
        frame(s, {0x33, hi(x), lo(x), hi(y), lo(y), 0, 4, 0, 10, 0, 10, 0, 48, 0, 48, 0});
        frame(s, {0x50, hi(x + 5), lo(x + 5), hi(y + 5), lo(y + 5), hi(x + 6), lo(x + 6), hi(y + 5),
                  lo(y + 5)});
    }
    return s;
}

void setUpHardware() {
    auto& hw = recording::hw();
    hw.reset();
    hw.logging = false;
    hw.fontIndex.assign(160, 0);
    const std::uint8_t entry[8] = {1, 2, 8, 16, 0x00, 0x00, 0x12, 0x00}; // 8 x 16 at 0x120000
    std::copy(entry, entry + 8, hw.fontIndex.begin());
    hw.fontData.assign(256 * 16, 0);
    for (std::size_t i = 0; i < hw.fontData.size(); ++i)
        hw.fontData[i] = static_cast<std::uint8_t>(0x18 | (i * 37));
}

// Frames the dispatcher accepts and ignores: the cost of intake and framing alone.
Bytes idleStream() {
    Bytes s;
    for (int i = 0; i < 900; ++i)
        frame(s, {0x79, i & 0xFF});
    return s;
}

void runStream(benchmark::State& state, const Bytes& stream) {
    setUpHardware();
    recording::useVirtualClock(0);
    tft_exit();
    tft_step();
    tft_step(); // start-up
    std::size_t processed = 0;
    for (auto _ : state) {
        // Push in slices the queue takes whole, then run the loop until it is
        // empty: one iteration per byte, as on the panel.
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t end = std::min(stream.size(), at + 4000);
            for (std::size_t i = at; i < end; ++i)
                tft_push_cmd(stream[i]);
            for (std::size_t i = at; i < end; ++i)
                tft_step();
            at = end;
        }
        processed += stream.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(processed));
    state.counters["stream_bytes"] = static_cast<double>(stream.size());
    state.counters["times_line_rate"] = benchmark::Counter(
        static_cast<double>(processed) / kLineBytesPerSecond, benchmark::Counter::kIsRate);
    if (!recording::hw().sent.empty() || recording::hw().outOfRange != 0)
        state.SkipWithError("unexpected replies or out-of-range drawing");
    tft_exit();
    tft_step();
    tft_set_clock(nullptr, nullptr);
}

} // namespace

void CoreIntakeThroughput(benchmark::State& state) {
    runStream(state, recordedStream());
}

void CoreFramingOnly(benchmark::State& state) {
    runStream(state, idleStream());
}

BENCHMARK(CoreIntakeThroughput)->Unit(benchmark::kMillisecond);
BENCHMARK(CoreFramingOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
