// Generating a GBK 16x16 glyph file (23940 glyphs) with `glyphorn --batch`,
// process start and file write included, against the floor of drawing the
// same characters with bare QPainter calls into one reused image. Prints the
// ratio of the two after the runs.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

#include "fonttools/charset.h"
#include "fonttools/glyph_renderer.h"

namespace {

using Clock = std::chrono::steady_clock;
double bestBatch = 0;
double bestBare = 0;
const int kGlyphs = tft::fonttools::glyphCount(tft::fonttools::Charset::Gbk);

void keepBest(double& best, double seconds) {
    best = best == 0 ? seconds : std::min(best, seconds);
}

void GlyphornBatchGbk16(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("gbk.bin"));
    for (auto _ : state) {
        const auto start = Clock::now();
        QProcess process;
        process.start(QStringLiteral(GLYPHORN_PATH),
                      {"--batch", "--charset", "GBK", "--cell", "16", "-o", out});
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError("glyphorn failed");
            return;
        }
        keepBest(bestBatch, std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["glyphs_per_s"] =
        benchmark::Counter(static_cast<double>(kGlyphs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BareQPainterGbk16(benchmark::State& state) {
    const std::vector<char32_t> chars =
        tft::fonttools::charsetCharacters(tft::fonttools::Charset::Gbk);
    tft::fonttools::FontSpec spec;
    spec.family = tft::fonttools::defaultFaceName();
    spec.pixelSize = 16;
    QImage image(16, 16, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(tft::fonttools::makeFont(spec));
    painter.setPen(Qt::white);
    const QRect cell(0, 0, 16, 16);
    for (auto _ : state) {
        const auto start = Clock::now();
        for (char32_t ch : chars) {
            painter.fillRect(cell, Qt::black);
            painter.drawText(cell, Qt::AlignCenter, QString::fromUcs4(&ch, 1));
        }
        benchmark::DoNotOptimize(image.constBits());
        keepBest(bestBare, std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["glyphs_per_s"] =
        benchmark::Counter(static_cast<double>(chars.size()) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

BENCHMARK(GlyphornBatchGbk16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BareQPainterGbk16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bestBatch > 0 && bestBare > 0) {
        std::printf("glyphorn --batch GBK 16x16: %.0f ms best (%.0f glyphs/s); bare QPainter: "
                    "%.0f ms best (%.0f glyphs/s); ratio %.2f\n",
                    bestBatch * 1000, kGlyphs / bestBatch, bestBare * 1000, kGlyphs / bestBare,
                    bestBatch / bestBare);
    }
    return 0;
}
