#include "view_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>

namespace tft::ide::view {

namespace {

constexpr int kZoomSteps[] = {25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400, 600, 800};

// The edges a shape offers for snapping along one axis.
struct Edges {
    int low, middle, high;
};
Edges xEdges(const ShapeRect& r) {
    const ShapeRect n = r.normalised();
    return {n.left, (n.left + n.right) / 2, n.right};
}
Edges yEdges(const ShapeRect& r) {
    const ShapeRect n = r.normalised();
    return {n.top, (n.top + n.bottom) / 2, n.bottom};
}

// The smallest correction (within reach) that brings one of `mine` onto one
// of the others' edges, and the edge it lands on.
bool nearest(const Edges& mine, const std::vector<Edges>& others, int reach, int& correction,
             int& at) {
    int best = INT_MAX;
    for (const Edges& other : others) {
        for (const int target : {other.low, other.middle, other.high}) {
            for (const int edge : {mine.low, mine.middle, mine.high}) {
                const int d = target - edge;
                if (std::abs(d) <= reach && std::abs(d) < std::abs(best)) {
                    best = d;
                    at = target;
                }
            }
        }
    }
    if (best == INT_MAX)
        return false;
    correction = best;
    return true;
}

// Every edge of `mine` that lies on an edge of the others after snapping.
std::vector<int> guides(const Edges& mine, const std::vector<Edges>& others) {
    std::vector<int> lines;
    for (const Edges& other : others)
        for (const int target : {other.low, other.middle, other.high})
            for (const int edge : {mine.low, mine.middle, mine.high})
                if (edge == target && std::find(lines.begin(), lines.end(), edge) == lines.end())
                    lines.push_back(edge);
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

int nextZoom(int percent, int steps) {
    const int* begin = std::begin(kZoomSteps);
    const int* end = std::end(kZoomSteps);
    const int* at = std::lower_bound(begin, end, std::clamp(percent, kZoomMin, kZoomMax));
    std::ptrdiff_t index = at - begin;
    if (steps > 0 && *at != percent)
        --index; // between two steps: one step up lands on the higher one
    index = std::clamp<std::ptrdiff_t>(index + steps, 0, std::size(kZoomSteps) - 1);
    return kZoomSteps[index];
}

unsigned rgb565(QColor colour) {
    return unsigned((colour.red() & 0xF8) << 8 | (colour.green() & 0xFC) << 3 | colour.blue() >> 3);
}

QString statusText(QPoint page, QColor colour) {
    return QStringLiteral("X=%1,Y=%2; RGB(%3,%4,%5); RGB565(0X%6)")
        .arg(page.x())
        .arg(page.y())
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(QString::number(rgb565(colour), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

bool insideBand(const ShapeRect& shape, const ShapeRect& band) {
    const ShapeRect s = shape.normalised();
    const ShapeRect b = band.normalised();
    return s.left >= b.left && s.right <= b.right && s.top >= b.top && s.bottom <= b.bottom;
}

ShapeRect boundingBox(const std::vector<ShapeRect>& rects) {
    if (rects.empty())
        return {};
    ShapeRect box = rects.front().normalised();
    for (const ShapeRect& r : rects) {
        const ShapeRect n = r.normalised();
        box.left = std::min(box.left, n.left);
        box.top = std::min(box.top, n.top);
        box.right = std::max(box.right, n.right);
        box.bottom = std::max(box.bottom, n.bottom);
    }
    return box;
}

Snap snapMove(const ShapeRect& moving, const std::vector<ShapeRect>& others, int dx, int dy,
              int reach) {
    Snap snap{dx, dy, {}, {}};
    const ShapeRect moved{moving.left + dx, moving.top + dy, moving.right + dx, moving.bottom + dy};
    std::vector<Edges> otherX, otherY;
    for (const ShapeRect& r : others) {
        otherX.push_back(xEdges(r));
        otherY.push_back(yEdges(r));
    }
    int correction = 0, at = 0;
    if (nearest(xEdges(moved), otherX, reach, correction, at))
        snap.dx += correction;
    if (nearest(yEdges(moved), otherY, reach, correction, at))
        snap.dy += correction;
    const ShapeRect landed{moving.left + snap.dx, moving.top + snap.dy, moving.right + snap.dx,
                           moving.bottom + snap.dy};
    snap.xs = guides(xEdges(landed), otherX);
    snap.ys = guides(yEdges(landed), otherY);
    return snap;
}

Snap snapPoint(QPoint point, const std::vector<ShapeRect>& others, int reach) {
    const ShapeRect dot{point.x(), point.y(), point.x(), point.y()};
    return snapMove(dot, others, 0, 0, reach);
}

} // namespace tft::ide::view
