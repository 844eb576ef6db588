// The page view's arithmetic without widgets: zoom steps, the status text,
// rubber-band containment and snapping to other shapes' edges.
#pragma once

#include "shape.h"

#include <QColor>
#include <QString>
#include <vector>

namespace tft::ide::view {

using basic_shape::ShapeRect;

// The page sits this many view pixels right of and below the view's corner.
constexpr int kPageMargin = 50;
constexpr int kGridStep = 20;
// A drag longer than this (in page pixels, either axis) under the lock is refused.
constexpr int kLockSlack = 8;
// Snapping reaches this many view pixels.
constexpr int kSnapReach = 5;
// Zoom in percent: the steps Ctrl+wheel walks through.
constexpr int kZoomMin = 25;
constexpr int kZoomMax = 800;
int nextZoom(int percent, int steps);
// From this zoom on, a grid between page pixels shows.
constexpr int kPixelGridZoom = 400;

// (R & 0xF8) << 8 | (G & 0xFC) << 3 | B >> 3.
unsigned rgb565(QColor colour);
// "X=%d,Y=%d; RGB(%d,%d,%d); RGB565(0X%04X)".
QString statusText(QPoint page, QColor colour);

// The rubber band's test: the shape's box lies wholly inside the band.
bool insideBand(const ShapeRect& shape, const ShapeRect& band);
// The box around several rectangles (normalised).
ShapeRect boundingBox(const std::vector<ShapeRect>& rects);

// Snapping. Guide lines are page x or y positions drawn across the page.
struct Snap {
    int dx = 0, dy = 0;
    std::vector<int> xs, ys;
};
// Moves `moving` (the selection's box) by (dx, dy), then pulls the move so
// that its left, centre or right (top, middle, bottom) meets the nearest such
// edge of `others` within `reach` page pixels. Returns the pulled move.
Snap snapMove(const ShapeRect& moving, const std::vector<ShapeRect>& others, int dx, int dy,
              int reach);
// A dragged handle's point pulled onto the nearest edge of `others`.
Snap snapPoint(QPoint point, const std::vector<ShapeRect>& others, int reach);

} // namespace tft::ide::view
