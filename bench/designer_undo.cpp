// Undo and redo on a page of 200 shapes (40 of them pictures) through the
// page document's history: each replaces the whole shape list with a clone
// of a snapshot. The figure is the worse of the two medians against the
// 5 ms limit.
#include "page_document.h"
#include "shape_kinds.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tft::ide;
using Clock = std::chrono::steady_clock;

constexpr int kShapes = 200;
constexpr int kPictures = 40;
constexpr double kLimitMs = 5.0;

std::vector<double> undoTimes, redoTimes;

// A page of 200 shapes of every kind, 40 of them images, with one edit on the
// history: the whole selection moved by a pixel.
PageDocument& page() {
    static PageDocument* document = [] {
        auto* created = new PageDocument;
        const char* kinds[] = {"BUTTON", "TEXT",   "RECTANGLE", "PROGRESS", "TEXT_DISPLAY",
                               "METER",  "SLIDER", "LINE",      "CIRCLE",   "RTC"};
        for (int i = 0; i < kShapes; ++i) {
            auto shape = basic_shape::createShape(i < kPictures ? "IMAGE" : kinds[i % 10]);
            shape->setRect({(i % 20) * 40, (i / 20) * 48, (i % 20) * 40 + 36, (i / 20) * 48 + 40});
            if (i < kPictures)
                shape->propertyChanged("url", "art\\picture" + std::to_string(i) + ".png");
            created->addShape(std::move(shape));
        }
        created->selectAll();
        created->nudge(1, 0);
        return created;
    }();
    return *document;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_UndoRedo(benchmark::State& state) {
    PageDocument& document = page();
    for (auto _ : state) {
        auto start = Clock::now();
        document.undo();
        undoTimes.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        document.redo();
        redoTimes.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        benchmark::DoNotOptimize(document.shapes().data());
    }
    state.counters["shapes"] = static_cast<double>(document.shapes().size());
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double undo = median(undoTimes), redo = median(redoTimes);
    std::printf("undo on %d shapes: median %.3f ms (%.3f of the %.0f ms limit); "
                "redo: median %.3f ms (%.3f of the limit)\n",
                kShapes, undo, undo / kLimitMs, kLimitMs, redo, redo / kLimitMs);
    benchmark::Shutdown();
    return 0;
}
