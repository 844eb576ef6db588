// Time of a whole update against a simulated panel that takes the wire time
// of every frame at 115200 baud and sends its replies a byte at a time at that
// rate. Compared with the protocol's own limit: the wire time of every frame
// and reply plus the 10 ms pause of every exchange.
#include "modbus/serial_update.h"
#include "panel_peer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::uint32_t kBaud = 115200;

class QuietLog : public tessary::IUpdateLog {
public:
    void clear() override {}
    void append(const std::string& line) override { last = line; }
    void replaceLast(const std::string& line) override { last = line; }
    std::string last;
};

double wireSeconds(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 / kBaud;
}

void BM_UpdateAt115200(benchmark::State& state) {
    const auto fileSize = static_cast<std::size_t>(state.range(0));
    char name[] = "/tmp/modbus_bench_XXXXXX";
    const int fd = ::mkstemp(name);
    ::close(fd);
    {
        std::ofstream out(name, std::ios::binary);
        for (std::size_t i = 0; i < fileSize; ++i)
            out.put(static_cast<char>(i * 13));
    }

    // The limit: Begin (5 + 5 bytes), the blocks (frame + 5-byte reply), End (4 + 4),
    // each exchange with its 10 ms pause.
    const std::size_t blocks = (fileSize + tessary::kBlockSize - 1) / tessary::kBlockSize;
    double limit = wireSeconds(10) + wireSeconds(8) + 2 * 0.010;
    // The tighter bound when the pause runs while the bytes are on the wire.
    double overlapped = std::max(0.010, wireSeconds(10)) + std::max(0.010, wireSeconds(8));
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t data = std::min(tessary::kBlockSize, fileSize - b * tessary::kBlockSize);
        limit += wireSeconds(5 + data + 5) + 0.010;
        overlapped += std::max(0.010, wireSeconds(5 + data + 5));
    }

    tessary::testpeer::PanelPeer peer(201, kBaud);
    tessary::UpdateRequest request;
    request.port = peer.portName();
    request.baud = kBaud;
    request.selection.images = false;
    request.selection.touch = false;
    request.selection.mapFile = name;

    double measured = 0;
    for (auto _ : state) {
        QuietLog log;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = tessary::runSerialUpdate(request, log);
        const auto end = std::chrono::steady_clock::now();
        if (!ok || log.last != tessary::kLogSuccess) {
            state.SkipWithError("update failed");
            break;
        }
        measured += std::chrono::duration<double>(end - start).count();
    }
    ::unlink(name);
    const double perRun = measured / static_cast<double>(state.iterations());
    state.counters["limit_ms"] = limit * 1000.0;
    state.counters["run_ms"] = perRun * 1000.0;
    state.counters["vs_limit_pct"] = 100.0 * limit / perRun;
    state.counters["vs_overlap_bound_pct"] = 100.0 * overlapped / perRun;
    state.SetBytesProcessed(static_cast<std::int64_t>(fileSize) *
                            static_cast<std::int64_t>(state.iterations()));
}

BENCHMARK(BM_UpdateAt115200)
    ->Arg(300)
    ->Arg(8192)
    ->Arg(65536)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
