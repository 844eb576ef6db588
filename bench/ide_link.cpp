// Receive path: frames per second that poll + dispatch + log (with the
// dictionary's comment per row) take from a pseudo-terminal, against the
// frame rate of a 2,000,000-baud line carrying 16-byte replies (10 bits a
// byte: 12,500 frames/s); ratio >= 1 means the line cannot outrun the IDE.
// Log: the pane's 100 ms redraw (a line's worth of new rows) and a scroll
// step over 100,000 rows, against the 16 ms of one screen frame.
#include "device_link.h"
#include "instruct_list_ctrl.h"
#include "instruct_log.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace tft;
using namespace tft::ide;

namespace {

void ensureApp() {
    static int argc = 1;
    static char name[] = "bench_ide_link";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

const InstructDictionary& dictionary() {
    static InstructDictionary d = [] {
        InstructDictionary x;
        x.load(TFT_SOURCE_DIR "/data/InstructConfig.xml");
        return x;
    }();
    return d;
}

constexpr double kLineBytesPerSecond = 2000000.0 / 10.0;
const std::vector<std::uint8_t> kReply{0xEE, 0xB1, 0x11, 0x00, 0x00, 0x00, 0x03, 0x12,
                                       0x00, 0x00, 0x00, 0x46, 0xFF, 0xFC, 0xFF, 0xFF};

void BM_ReceivePath(benchmark::State& state) {
    ensureApp();
    int master = -1, slave = -1;
    char path[256] = {};
    struct termios raw {};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, path, &raw, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    InstructLog log([]() -> const InstructDictionary& { return dictionary(); });
    DeviceLink link;
    link.setLog(&log);
    std::string error;
    if (!link.connectTo(path, 12, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::size_t frames = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 0; i < frames; ++i)
        stream.insert(stream.end(), kReply.begin(), kReply.end());
    std::size_t dropped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        log.clearRows();
        state.ResumeTiming();
        std::thread writer([&] {
            std::size_t done = 0;
            while (done < stream.size()) {
                const ssize_t n = ::write(master, stream.data() + done, stream.size() - done);
                if (n > 0)
                    done += static_cast<std::size_t>(n);
            }
        });
        // The worker's idle loop, without its 50 ms wait between polls.
        while (log.size() < frames)
            if (link.poll() == 0) {
                struct pollfd p {
                    link.port().NativeHandle(), POLLIN, 0
                };
                ::poll(&p, 1, 5);
            }
        writer.join();
        dropped += frames - log.size();
    }
    const double total = double(frames) * double(state.iterations());
    state.counters["frames_per_s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
    state.counters["ratio_vs_line"] = benchmark::Counter(
        total / (kLineBytesPerSecond / double(kReply.size())), benchmark::Counter::kIsRate);
    state.counters["dropped"] = double(dropped);
    link.disconnectLink();
    ::close(master);
    ::close(slave);
}
BENCHMARK(BM_ReceivePath)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

struct Pane {
    InstructLog log{[]() -> const InstructDictionary& { return dictionary(); }};
    CInstructListCtrl ctrl{log};
    Pane() {
        for (int i = 0; i < 100000; ++i)
            log.appendFrame(i % 2 ? LinkDirection::Received : LinkDirection::Sent,
                            "EE B1 11 00 00 00 03 12 00 00 00 46 FF FC FF FF ", {});
        ctrl.resize(1200, 600);
        ctrl.show();
        ctrl.redraw();
        ctrl.view()->viewport()->grab();
    }
};

Pane& pane() {
    ensureApp();
    static Pane p;
    return p;
}

void BM_LogRedraw(benchmark::State& state) {
    Pane& p = pane();
    // A 2,000,000-baud line brings 1,250 short frames in 100 ms.
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < rows; ++i)
            p.log.appendFrame(LinkDirection::Received,
                              "EE B1 11 00 00 00 03 12 00 00 00 46 FF FC FF FF ", {});
        state.ResumeTiming();
        p.ctrl.redraw();
        benchmark::DoNotOptimize(p.ctrl.view()->viewport()->grab());
    }
    state.counters["rows"] = double(p.log.size());
    state.counters["ratio_vs_16ms"] =
        benchmark::Counter(double(state.iterations()) * 0.016,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LogRedraw)->Arg(1250)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LogScroll(benchmark::State& state) {
    Pane& p = pane();
    QScrollBar* bar = p.ctrl.view()->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue(
            static_cast<int>((std::uint64_t(step++) * 7919u) % std::uint64_t(bar->maximum() + 1)));
        benchmark::DoNotOptimize(p.ctrl.view()->viewport()->grab());
    }
    state.counters["ratio_vs_16ms"] =
        benchmark::Counter(double(state.iterations()) * 0.016,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LogScroll)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
