// Generating a GBK 16x16 glyph file (23940 glyphs) with `glyphorn --batch`,
// process start and file write included, against the floor of drawing the
// same characters with bare QPainter calls into one reused image, each in a
// fresh process. Prints the ratio of the two after the runs.
#include "fonttools/charset.h"
#include "fonttools/glyph_renderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;
double bestBatch = 0;
double bestBare = 0;
// CPU time of the child processes: on a loaded machine the wall time mostly
// measures the neighbours.
double bestBatchCpu = 0;
double bestBareCpu = 0;

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
const int kGlyphs = tft::fonttools::glyphCount(tft::fonttools::Charset::Gbk);

void keepBest(double& best, double seconds) {
    best = best == 0 ? seconds : std::min(best, seconds);
}

void GlyphornBatchGbk16(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("gbk.bin"));
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = childCpuSeconds();
        QProcess process;
        process.start(QStringLiteral(GLYPHORN_PATH),
                      {"--batch", "--charset", "GBK", "--cell", "16", "-o", out});
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError("glyphorn failed");
            return;
        }
        keepBest(bestBatch, std::chrono::duration<double>(Clock::now() - start).count());
        keepBest(bestBatchCpu, childCpuSeconds() - cpuStart);
    }
    state.counters["glyphs_per_s"] =
        benchmark::Counter(static_cast<double>(kGlyphs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// The floor: a process that starts Qt, converts the same codes and draws
// every character with bare QPainter calls into one reused image, nothing
// else. Run as a child of this program so both sides start cold.
int bareChild() {
    const std::vector<char32_t> chars =
        tft::fonttools::charsetCharacters(tft::fonttools::Charset::Gbk);
    tft::fonttools::FontFace face;
    face.family = tft::fonttools::defaultFaceName();
    face.pixelSize = 16;
    QImage image(16, 16, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(tft::fonttools::makeFont(face));
    painter.setPen(Qt::white);
    const QRect cell(0, 0, 16, 16);
    for (char32_t ch : chars) {
        painter.fillRect(cell, Qt::black);
        painter.drawText(cell, Qt::AlignCenter, QString::fromUcs4(&ch, 1));
    }
    return image.pixel(0, 0) == 0x12345678 ? 1 : 0;
}

QString selfPath;

void BareQPainterGbk16(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = childCpuSeconds();
        QProcess process;
        process.start(selfPath, {QStringLiteral("--bare-child")});
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError("bare child failed");
            return;
        }
        keepBest(bestBare, std::chrono::duration<double>(Clock::now() - start).count());
        keepBest(bestBareCpu, childCpuSeconds() - cpuStart);
    }
    state.counters["glyphs_per_s"] =
        benchmark::Counter(static_cast<double>(kGlyphs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// The parts of a batch run inside the process: code page conversion of the
// whole set, and rendering with bit extraction.
void CharactersGbk(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(tft::fonttools::charsetCharacters(tft::fonttools::Charset::Gbk));
    }
}

void RenderCharsetGbk16(benchmark::State& state) {
    tft::fonttools::FontFace face;
    face.family = tft::fonttools::defaultFaceName();
    face.pixelSize = 16;
    tft::fonttools::CellLayout layout;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tft::fonttools::renderCharset(face, tft::fonttools::Charset::Gbk, layout));
    }
    state.counters["glyphs_per_s"] =
        benchmark::Counter(static_cast<double>(kGlyphs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

BENCHMARK(CharactersGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderCharsetGbk16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(GlyphornBatchGbk16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BareQPainterGbk16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--bare-child") {
        return bareChild();
    }
    selfPath = QCoreApplication::applicationFilePath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bestBatch > 0 && bestBare > 0) {
        std::printf("glyphorn --batch GBK 16x16: %.0f ms best (%.0f glyphs/s); bare QPainter: "
                    "%.0f ms best (%.0f glyphs/s); ratio %.2f\n",
                    bestBatch * 1000, kGlyphs / bestBatch, bestBare * 1000, kGlyphs / bestBare,
                    bestBatch / bestBare);
        std::printf("child CPU time: glyphorn %.0f ms, bare %.0f ms; ratio %.2f\n",
                    bestBatchCpu * 1000, bestBareCpu * 1000, bestBatchCpu / bestBareCpu);
    }
    return 0;
}
