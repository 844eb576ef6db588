// Rebuilding the property grid: the whole path from the owner's template fill
// to the rows of the tree, for a selected meter (the largest template) and
// for a selection that changes between a meter and a button. The figures are
// medians against the 10 ms limit, under the offscreen platform.
#include "command_lines.h"
#include "page_document.h"
#include "properties_pane.h"
#include "property_owner.h"
#include "shape_kinds.h"
#include "string_table.h"

#include <QApplication>
#include <QTreeWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace tft::ide;
using Clock = std::chrono::steady_clock;

constexpr double kLimitMs = 10.0;
std::vector<double> meterTimes, switchTimes;

FillContext context() {
    FillContext c;
    c.pageNames = {"main", "settings", "gauges", "about"};
    for (int i = 0; i < 8; ++i)
        c.fonts.push_back({i, "Font " + std::to_string(i)});
    return c;
}

struct Fixture {
    PageDocument page;
    ShapeSelectionOwner owner{page, [] { return context(); }};
    CPropertiesPane pane;
    Fixture() {
        page.addShape(basic_shape::createShape("METER"));
        page.addShape(basic_shape::createShape("BUTTON"));
        page.select(0);
        pane.resize(360, 800);
        pane.show();
        pane.showOwner(&owner);
        QCoreApplication::processEvents();
    }
};

Fixture& fixture() {
    static Fixture* f = new Fixture;
    return *f;
}

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_MeterRebuild(benchmark::State& state) {
    Fixture& f = fixture();
    f.page.select(0);
    for (auto _ : state) {
        const auto start = Clock::now();
        f.pane.refresh();
        meterTimes.push_back(since(start));
    }
    state.counters["rows"] = f.pane.tree()->topLevelItemCount();
}
BENCHMARK(BM_MeterRebuild)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_SelectionChange(benchmark::State& state) {
    Fixture& f = fixture();
    int which = 0;
    for (auto _ : state) {
        which ^= 1;
        const auto start = Clock::now();
        f.page.select(which);
        f.pane.refresh();
        switchTimes.push_back(since(start));
    }
}
BENCHMARK(BM_SelectionChange)->Unit(benchmark::kMillisecond)->Iterations(200);

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The IDE's texts from the application folder beside the benchmarks.
    currentStrings().load(languageFile(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../app"), kLanguageEnglish));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double meter = median(meterTimes), change = median(switchTimes);
    std::printf("grid rebuild for a meter: median %.3f ms (%.3f of the %.0f ms limit); "
                "selection change between two shapes: median %.3f ms (%.3f of the limit)\n",
                meter, meter / kLimitMs, kLimitMs, change, change / kLimitMs);
    benchmark::Shutdown();
    return 0;
}
