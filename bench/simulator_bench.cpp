// The simulator at work on real time: CPU used while idle, host command
// throughput through a pseudo-terminal against the 2,000,000-baud line rate,
// touch latency with and without a recording; and a recorded exchange
// replayed on virtual time.
#include "common/hex_text.h"
#include "common/serial_port.h"
#include "simulator/realtime_panel.h"
#include "simulator/recorder.h"
#include "simulator/script_runner.h"
#include "simulator/virtual_panel.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono;

std::filesystem::path emptyProject() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("bench_sim_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<char> header(136, 0);
    header[88] = 3;
    std::ofstream(dir / "empty.si", std::ios::binary).write(header.data(), 136);
    return dir / "empty.si";
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU share of one core used by a running panel with no traffic (target < 2%).
void IdleCpu(benchmark::State& state) {
    tft::RealtimePanel panel;
    panel.Open(emptyProject(), nullptr);
    panel.Start();
    std::this_thread::sleep_for(seconds(1)); // past the start-up
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        const auto t0 = steady_clock::now();
        std::this_thread::sleep_for(seconds(10));
        const double wall = duration<double>(steady_clock::now() - t0).count();
        const double share = (cpuSeconds() - cpu0) / wall;
        state.SetIterationTime(wall);
        state.counters["cpu_share_percent"] = share * 100;
        state.counters["ratio_to_2_percent_limit"] = share / 0.02;
    }
    panel.Stop();
}
BENCHMARK(IdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Drawing frames pushed through a pseudo-terminal as fast as the panel takes them.
void HostThroughput(benchmark::State& state) {
    tft::RealtimePanel panel;
    panel.Open(emptyProject(), nullptr);
    const auto link =
        std::filesystem::temp_directory_path() / ("bench_pty_" + std::to_string(::getpid()));
    std::string error;
    panel.Attach(tft::PtyLine::Create(link.string(), &error));
    panel.Start();
    tft::CSerialPort host;
    host.Open(link.string(), 2000000);
    // Lines and rectangles, then a handshake whose reply marks the end.
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 2000; ++i) {
        const std::uint8_t x = static_cast<std::uint8_t>(i % 200);
        const std::vector<std::uint8_t> line = {0xEE, 0x51, 0,    x,    0,    10,   1,
                                                0x20, 1,    0x00, 0xFF, 0xFC, 0xFF, 0xFF};
        const std::vector<std::uint8_t> rect = {0xEE, 0x54, 0,    10,   0,    x,    0,
                                                200,  1,    0x00, 0xFF, 0xFC, 0xFF, 0xFF};
        stream.insert(stream.end(), line.begin(), line.end());
        stream.insert(stream.end(), rect.begin(), rect.end());
    }
    const std::uint8_t handshake[] = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
    tft::CommTimeouts t;
    t.ReadTotalTimeoutConstant = 20000;
    host.SetTimeouts(t);
    for (auto _ : state) {
        const auto t0 = steady_clock::now();
        // The panel drops whole frames when its queue fills, so the host sends
        // blocks well under the queue size, each closed by a handshake whose
        // reply says the block was taken, as a careful host at line rate would.
        std::size_t sent = 0;
        for (std::size_t i = 0; i < stream.size(); i += 2800) {
            const std::size_t n = std::min<std::size_t>(2800, stream.size() - i);
            host.Write(stream.data() + i, n);
            host.Write(handshake, sizeof handshake);
            std::uint8_t reply[6];
            if (host.Read(reply, sizeof reply) != sizeof reply) {
                state.SkipWithError("the panel did not answer a block");
                break;
            }
            sent += n + sizeof handshake;
        }
        const double wall = duration<double>(steady_clock::now() - t0).count();
        state.SetIterationTime(wall);
        const double rate = double(sent) / wall;
        state.counters["bytes_per_second"] = rate;
        state.counters["ratio_to_line_rate"] = rate / 200000.0;
    }
    panel.Stop();
}
BENCHMARK(HostThroughput)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The bundled example compiled by velmic: a project with touch reports on.
std::filesystem::path compiledExample() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("bench_sim_example_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::copy(std::filesystem::path(TFT_SOURCE_DIR) / "examples" / "minimal", dir,
                          std::filesystem::copy_options::recursive);
    const std::string command = std::string(TFT_APP_DIR) + "/velmic -p " +
                                (dir / "minimal.tftprj").string() + " > /dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    return dir / "output" / "minimal.si";
}

// Touch-to-notification latency on real time: from the mouse press to the
// host reading the panel's touch report on a pseudo-terminal (targets: median
// under 20 ms, the core's touch poll and render periods being 10 and 30 ms).
// Argument 1 records the exchange meanwhile (target: adds under 1 ms to the median).
void TouchLatency(benchmark::State& state) {
    const bool recording = state.range(0) != 0;
    const auto project = compiledExample();
    if (project.empty()) {
        state.SkipWithError("velmic could not compile the example");
        return;
    }
    tft::RealtimePanel panel;
    std::string error;
    if (!panel.Open(project, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const auto link =
        std::filesystem::temp_directory_path() / ("bench_touch_" + std::to_string(::getpid()));
    panel.Attach(tft::PtyLine::Create(link.string(), &error));
    const auto recordFile = std::filesystem::temp_directory_path() /
                            ("bench_touch_record_" + std::to_string(::getpid()) + ".txt");
    if (recording && !panel.Record(recordFile.string(), project.string(), &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    panel.Start();
    tft::CSerialPort host;
    host.Open(link.string(), 115200);
    tft::CommTimeouts t;
    t.ReadTotalTimeoutConstant = 1000;
    host.SetTimeouts(t);
    std::this_thread::sleep_for(seconds(1)); // past the start-up
    host.Purge(tft::PURGE_RXCLEAR);
    std::vector<double> latencies;
    for (auto _ : state) {
        for (int tap = 0; tap < 200; ++tap) {
            const auto t0 = steady_clock::now();
            // Spread over the screen: twenty taps on one spot start calibration.
            panel.Device().SetTouch(true, 50 + (tap * 37) % 700, 50 + (tap * 53) % 380);
            std::uint8_t report[10]; // EE 01 x x y y FF FC FF FF
            const std::size_t got = host.Read(report, sizeof report);
            if (got != sizeof report || report[1] != 0x01) {
                error = "no touch report at tap " + std::to_string(tap) + ": " +
                        tft::toHexText(report, got);
                state.SkipWithError(error.c_str());
                break;
            }
            latencies.push_back(duration<double, std::milli>(steady_clock::now() - t0).count());
            panel.Device().SetTouch(false, 0, 0);
            std::this_thread::sleep_for(milliseconds(40));
            host.Purge(tft::PURGE_RXCLEAR);
        }
    }
    panel.Stop();
    panel.StopRecording();
    std::filesystem::remove(recordFile);
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    const double p99 = latencies[latencies.size() * 99 / 100];
    state.counters["median_ms"] = median;
    state.counters["p99_ms"] = p99;
    state.counters["median_ratio_to_20ms"] = median / 20.0;
}
BENCHMARK(TouchLatency)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// What recording puts on the road from a touch to its report: the touch and
// the 10-byte report written to a recording file, as the panel's send path
// does before the report goes out (target: well under 1 ms).
void RecordTouchReport(benchmark::State& state) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("bench_record_" + std::to_string(::getpid()) + ".txt");
    std::string error;
    tft::ScriptRecorder recorder(tft::fileSink(file.string(), &error));
    const std::uint8_t report[] = {0xEE, 0x01, 0x01, 0x2C, 0x00, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
    std::int64_t ms = 0;
    for (auto _ : state) {
        ms += 40;
        recorder.Touch(true, 300, 240, ms);
        recorder.Panel(report, sizeof report, ms + 10);
        recorder.Touch(false, 0, 0, ms + 20);
    }
    state.counters["per_touch_us"] = benchmark::Counter(
        double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    std::filesystem::remove(file);
}
BENCHMARK(RecordTouchReport)->Unit(benchmark::kMicrosecond);

// A 10-minute exchange with the example, recorded as it happens: every 100 ms
// the host greets the panel or draws a line, every 5 s it touches the screen
// for 200 ms. The panel runs on virtual time while recording, so the
// recording takes seconds; its timing is that of a real 10-minute session.
std::string recordTenMinutes(const std::filesystem::path& project, std::string* error) {
    std::string text = tft::scriptHeader(project.string(), {}, 115200);
    tft::ScriptRecorder recorder([&text](const std::string& line) {
        text += line;
        return true;
    });
    tft::VirtualPanel panel;
    if (!panel.Open(project, error))
        return {};
    panel.Device().SetTouchHandler(
        [&](bool pressed, int x, int y) { recorder.Touch(pressed, x, y, panel.Now()); });
    auto panelSent = [&] {
        const auto sent = panel.TakeSent(panel.PendingSent());
        recorder.Panel(sent.data(), sent.size(), panel.Now());
    };
    const std::vector<std::uint8_t> handshake = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
    for (std::uint32_t step = 0; panel.Now() < 600000; ++step) {
        const std::uint8_t x = static_cast<std::uint8_t>(step % 200);
        const std::vector<std::uint8_t> line = {0xEE, 0x51, 0,    x,    0,    10,   1,
                                                0x20, 1,    0x00, 0xFF, 0xFC, 0xFF, 0xFF};
        const auto& frame = step % 2 ? line : handshake;
        recorder.Host(frame.data(), frame.size(), panel.Now());
        panel.Push(frame);
        panelSent();
        if (step % 50 == 0)
            panel.Device().SetTouch(true, 50 + (step * 37) % 700, 50 + (step * 53) % 380);
        if (step % 50 == 2)
            panel.Device().SetTouch(false, 0, 0);
        panel.Advance(100);
        panelSent();
    }
    recorder.Finish();
    return text;
}

// Replay of the recorded 10 minutes on virtual time (target: at least 50x real time).
void ReplayTenMinutes(benchmark::State& state) {
    const auto project = compiledExample();
    std::string error;
    const std::string text = project.empty() ? std::string() : recordTenMinutes(project, &error);
    if (text.empty()) {
        state.SkipWithError(project.empty() ? "velmic could not compile the example"
                                            : error.c_str());
        return;
    }
    const tft::Script script = tft::parseScript(text);
    if (!script.ok()) {
        state.SkipWithError(script.error.c_str());
        return;
    }
    for (auto _ : state) {
        const auto t0 = steady_clock::now();
        const double cpu0 = cpuSeconds();
        std::string report;
        const int rc = tft::runScript(script, project, report);
        const double wall = duration<double>(steady_clock::now() - t0).count();
        const double cpu = cpuSeconds() - cpu0;
        if (rc != 0) {
            state.SkipWithError(("the replay failed: " + report).c_str());
            break;
        }
        state.SetIterationTime(wall);
        state.counters["steps"] = double(script.steps.size());
        state.counters["times_real_time"] = 600.0 / wall;
        state.counters["ratio_to_50x_limit"] = 600.0 / wall / 50.0;
        // The same in process CPU time, which a loaded machine does not inflate.
        state.counters["ratio_to_50x_limit_cpu"] = 600.0 / cpu / 50.0;
    }
}
BENCHMARK(ReplayTenMinutes)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
