// The page view under the offscreen platform. A drag frame is one mouse move
// over the viewport with 50 of 200 shapes selected (the shapes move, snapping
// is computed) followed by the repaint of the view's buffer and window. Undo
// and redo go through the view and include its repaint. Figures are medians,
// printed as ratios against the limits: 1/60 s per drag frame, 5 ms per undo
// or redo.
#include "orvane_view.h"
#include "shape_kinds.h"

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace tft::ide;
using Clock = std::chrono::steady_clock;

constexpr int kShapes = 200;
constexpr int kSelected = 50;
constexpr double kFrameLimitMs = 1000.0 / 60.0;
constexpr double kUndoLimitMs = 5.0;

std::vector<double> frameTimes, undoTimes, redoTimes;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Fixture {
    PageDocument document;
    COrvaneView view{document};
    Fixture() {
        const char* kinds[] = {"BUTTON", "TEXT",   "RECTANGLE", "PROGRESS", "TEXT_DISPLAY",
                               "METER",  "SLIDER", "LINE",      "CIRCLE",   "IMAGE"};
        for (int i = 0; i < kShapes; ++i) {
            auto shape = basic_shape::createShape(kinds[i % 10]);
            shape->setRect({(i % 20) * 40, (i / 20) * 48, (i % 20) * 40 + 36, (i / 20) * 48 + 40});
            document.addShape(std::move(shape));
        }
        document.clearSelection();
        for (int i = 0; i < kSelected; ++i)
            document.select(i * (kShapes / kSelected), true);
        view.resize(1000, 700);
        view.show();
    }
    void send(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
};

Fixture& fixture() {
    static Fixture* made = new Fixture;
    return *made;
}

void BM_DragFiftySelected(benchmark::State& state) {
    Fixture& f = fixture();
    const QPointF grab = f.view.toView({18, 20}); // inside the first selected shape
    f.send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QPointF to = grab + QPointF(step % 97, (step * 7) % 61);
        f.send(QEvent::MouseMove, to, Qt::LeftButton);
        f.view.viewport()->repaint();
        frameTimes.push_back(since(start));
        ++step;
    }
    f.send(QEvent::MouseButtonRelease, grab, Qt::NoButton);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DragFiftySelected)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_UndoRedoThroughTheView(benchmark::State& state) {
    Fixture& f = fixture();
    f.document.selectAll();
    f.document.nudge(1, 0);
    for (auto _ : state) {
        auto start = Clock::now();
        f.view.undo();
        f.view.viewport()->repaint();
        undoTimes.push_back(since(start));
        start = Clock::now();
        f.view.redo();
        f.view.viewport()->repaint();
        redoTimes.push_back(since(start));
    }
}
BENCHMARK(BM_UndoRedoThroughTheView)->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double frame = median(frameTimes), undo = median(undoTimes), redo = median(redoTimes);
    std::printf("drag of %d selected shapes on %d: median frame %.3f ms = %.0f frames/s "
                "(%.3f of the 1/60 s budget)\n",
                kSelected, kShapes, frame, frame > 0 ? 1000.0 / frame : 0.0, frame / kFrameLimitMs);
    std::printf("through the view on %d shapes: undo median %.3f ms (%.3f of the %.0f ms limit); "
                "redo median %.3f ms (%.3f of the limit)\n",
                kShapes, undo, undo / kUndoLimitMs, kUndoLimitMs, redo, redo / kUndoLimitMs);
    benchmark::Shutdown();
    return 0;
}
