#include "panel_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tft::ide {

std::uint16_t panelColour(std::uint32_t colour) {
    const unsigned r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

namespace {

// One quadrant of the midpoint circle; `step` gets the step number and the
// offsets (x <= 0, y >= 0) that the four mirrored points are made from.
template <typename Step> void circleSteps(int r, Step step) {
    if (r < 0)
        return;
    int x = -r, y = 0, s = 0;
    long err = 2 - 2L * r;
    do {
        step(s++, x, y);
        const long before = err;
        if (before <= y) {
            ++y;
            err += 2L * y + 1;
        }
        if (before > x || err > y) {
            ++x;
            err += 2L * x + 1;
        }
    } while (x < 0);
}

// The ellipse in the box (x0, y0)-(x1, y1): `four` gets the columns left and
// right and the rows below and above the middle at each step; `tips` the
// points that finish a flat ellipse at its ends.
template <typename Four, typename Tips>
void ellipseSteps(int x0, int y0, int x1, int y1, Four four, Tips tips) {
    const long a = std::labs(long(x1) - x0);
    const long b = std::labs(long(y1) - y0);
    const long b1 = b & 1;
    double dx = 4.0 * (1.0 - double(a)) * double(b) * double(b);
    double dy = 4.0 * double(b1 + 1) * double(a) * double(a);
    double err = dx + dy + double(b1) * double(a) * double(a);
    if (x0 > x1) {
        x0 = x1;
        x1 = int(x1 + a);
    }
    if (y0 > y1)
        y0 = y1;
    y0 = int(y0 + (b + 1) / 2);
    y1 = int(y0 - b1);
    const double a8 = 8.0 * double(a) * double(a);
    const double b8 = 8.0 * double(b) * double(b);
    do {
        four(x0, x1, y0, y1);
        const double e2 = 2 * err;
        if (e2 <= dy) {
            ++y0;
            --y1;
            dy += a8;
            err += dy;
        }
        if (e2 >= dx || 2 * err > dy) {
            ++x0;
            --x1;
            dx += b8;
            err += dx;
        }
    } while (x0 <= x1);
    while (long(y0) - y1 <= b) {
        tips(x0 - 1, x1 + 1, y0, y1);
        ++y0;
        --y1;
    }
}

} // namespace

PanelCanvas::PanelCanvas(QSize size) : image_(size, QImage::Format_RGB16) {
    image_.fill(0);
    detach();
}

void PanelCanvas::detach() {
    bits_ = reinterpret_cast<std::uint16_t*>(image_.bits());
    stride_ = image_.bytesPerLine() / 2;
    width_ = image_.width();
    height_ = image_.height();
}

void PanelCanvas::fill(std::uint16_t colour) {
    for (int y = 0; y < height_; ++y)
        std::fill_n(row(y), width_, colour);
}

void PanelCanvas::point(int x, int y, std::uint16_t colour) {
    plot(x, y, colour);
}

bool PanelCanvas::missesCanvas(long x0, long y0, long x1, long y1) const {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    return x1 < 0 || y1 < 0 || x0 >= width_ || y0 >= height_;
}

void PanelCanvas::hline(int x0, int x1, int y, std::uint16_t colour) {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y < 0 || y >= height_ || x1 < 0 || x0 >= width_)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_ - 1);
    std::fill(row(y) + x0, row(y) + x1 + 1, colour);
}

void PanelCanvas::vline(int x, int y0, int y1, std::uint16_t colour) {
    if (y0 > y1)
        std::swap(y0, y1);
    if (x < 0 || x >= width_ || y1 < 0 || y0 >= height_)
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, height_ - 1);
    for (int y = y0; y <= y1; ++y)
        row(y)[x] = colour;
}

void PanelCanvas::line(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    if (missesCanvas(x0, y0, x1, y1))
        return;
    if (x0 == x1)
        return vline(x0, y0, y1, colour);
    if (y0 == y1)
        return hline(x0, x1, y0, colour);
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx - dy;
    for (;;) {
        plot(x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x0 += sx;
        }
        if (e2 < dx) {
            err += dx;
            y0 += sy;
        }
        // Past the canvas in the direction of travel: nothing more to plot.
        if ((sx > 0 ? x0 >= width_ : x0 < 0) || (sy > 0 ? y0 >= height_ : y0 < 0))
            break;
    }
}

void PanelCanvas::rectangle(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    line(x0, y0, x1, y0, colour);
    line(x0, y1, x1, y1, colour);
    line(x0, y0, x0, y1, colour);
    line(x1, y0, x1, y1, colour);
}

void PanelCanvas::fillRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    if (missesCanvas(x0, y0, x1, y1))
        return;
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
        hline(x0, x1, y, colour);
}

void PanelCanvas::circle(int cx, int cy, int r, std::uint16_t colour) {
    if (missesCanvas(long(cx) - r - 1, long(cy) - r - 1, long(cx) + r + 1, long(cy) + r + 1))
        return;
    circleSteps(r, [&](int, int x, int y) {
        plot(cx - x, cy + y, colour);
        plot(cx - y, cy - x, colour);
        plot(cx + x, cy - y, colour);
        plot(cx + y, cy + x, colour);
    });
}

void PanelCanvas::fillCircle(int cx, int cy, int r, std::uint16_t colour) {
    if (missesCanvas(long(cx) - r - 1, long(cy) - r - 1, long(cx) + r + 1, long(cy) + r + 1))
        return;
    circleSteps(r, [&](int, int x, int y) {
        vline(cx - x, cy - y, cy + y, colour);
        vline(cx + x, cy - y, cy + y, colour);
        vline(cx - y, cy + x, cy - x, colour);
        vline(cx + y, cy + x, cy - x, colour);
    });
}

void PanelCanvas::ellipse(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    if (missesCanvas(x0, y0, x1, y1))
        return;
    const auto corners = [&](int left, int right, int lower, int upper) {
        plot(right, lower, colour);
        plot(left, lower, colour);
        plot(left, upper, colour);
        plot(right, upper, colour);
    };
    ellipseSteps(x0, y0, x1, y1, corners, corners);
}

void PanelCanvas::fillEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    if (missesCanvas(x0, y0, x1, y1))
        return;
    const auto columns = [&](int left, int right, int lower, int upper) {
        vline(left, upper, lower, colour);
        vline(right, upper, lower, colour);
    };
    ellipseSteps(x0, y0, x1, y1, columns, columns);
}

void PanelCanvas::fillPolygon(const std::vector<QPoint>& points, std::uint16_t colour) {
    const std::size_t count = points.size();
    if (count == 0)
        return;
    std::vector<int> crossings;
    for (int y = 0; y < height_; ++y) {
        crossings.clear();
        for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
            const long yi = points[i].y(), yj = points[j].y();
            if ((yi <= y && y < yj) || (yj <= y && y < yi))
                crossings.push_back(int(
                    points[i].x() + (y - yi) * (long(points[j].x()) - points[i].x()) / (yj - yi)));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            if (crossings[i] > width_ - 1)
                break;
            hline(std::max(crossings[i], 0), std::clamp(crossings[i + 1], 0, width_ - 1), y,
                  colour);
        }
    }
    for (std::size_t i = 0, j = count - 1; i < count; j = i++)
        line(points[j].x(), points[j].y(), points[i].x(), points[i].y(), colour);
}

void PanelCanvas::needle(int style, int cx, int cy, int radius, double degrees,
                         std::uint16_t needleColour, std::uint16_t hub) {
    if (radius < 0 || radius > 0xFFFF || !std::isfinite(degrees))
        return;
    // The panel's own value of pi, so that the needle tips agree to the pixel.
    const double pi = 3.1415926;
    const double theta = degrees * pi / 180.0, r = radius;
    const auto trunc = [](double v) { return int(v); };
    const auto round = [](double v) { return int(std::lround(v)); };
    const auto along = [&](double x, double y, double length, double angle) {
        return QPointF(x + length * std::cos(angle), y + length * std::sin(angle));
    };
    const int hubRadius = trunc(0.08 * r);
    if (style == 0) {
        const double w = std::fmax(1.0, 0.015 * r), t = std::fmax(1.0, 0.25 * r);
        const QPointF tip = along(cx, cy, 0.7 * r, theta);
        const QPointF tail = along(cx, cy, t, theta + pi);
        std::vector<QPoint> polygon;
        for (const auto& [base, angle] :
             {std::pair{tip, theta - pi / 2}, std::pair{tip, theta + pi / 2},
              std::pair{tail, theta + pi / 2}, std::pair{tail, theta + 3 * pi / 2}}) {
            const QPointF p = along(base.x(), base.y(), w, angle);
            polygon.emplace_back(trunc(p.x()), trunc(p.y()));
        }
        fillPolygon(polygon, needleColour);
        fillCircle(cx, cy, std::max(hubRadius, 1), hub);
    } else if (style == 1) {
        const double length = std::lround(0.85 * r);
        const double tx = std::lround(cx + 0.7 * r * std::cos(theta));
        const double ty = std::lround(cy + 0.7 * r * std::sin(theta));
        const double spread = 0.0251327408;
        const QPointF a = along(tx, ty, length, theta + pi - spread);
        const QPointF b = along(tx, ty, length, theta + pi + spread);
        fillPolygon({QPoint(int(tx), int(ty)), QPoint(round(a.x()), round(a.y())),
                     QPoint(round(b.x()), round(b.y()))},
                    needleColour);
        fillCircle(cx, cy, hubRadius, hub);
    } else if (style == 2) {
        const double side = std::lround(0.2 * r), tail = std::lround(0.3 * r);
        std::vector<QPoint> polygon;
        for (const auto& [length, angle] :
             {std::pair{0.7 * r, theta}, std::pair{side, theta + 2.953097044},
              std::pair{tail, theta + pi}, std::pair{side, theta + 3.330088156}}) {
            const QPointF p = along(cx, cy, length, angle);
            polygon.emplace_back(trunc(p.x()), trunc(p.y()));
        }
        fillPolygon(polygon, needleColour);
        fillCircle(cx, cy, hubRadius, hub);
    }
}

void PanelCanvas::picture(const std::vector<std::uint16_t>& pixels, int width, int height, int x,
                          int y, int sourceX, int sourceY, int cutWidth, int cutHeight,
                          bool keyed) {
    if (width <= 0 || height <= 0 || pixels.size() < std::size_t(width) * std::size_t(height))
        return;
    if (sourceX < 0) {
        x -= sourceX;
        cutWidth += sourceX;
        sourceX = 0;
    }
    if (sourceY < 0) {
        y -= sourceY;
        cutHeight += sourceY;
        sourceY = 0;
    }
    cutWidth = std::min(cutWidth, width - sourceX);
    cutHeight = std::min(cutHeight, height - sourceY);
    for (int j = 0; j < cutHeight; ++j) {
        const int ty = y + j;
        if (ty < 0 || ty >= height_)
            continue;
        const std::uint16_t* src = pixels.data() + std::size_t(sourceY + j) * width + sourceX;
        std::uint16_t* dst = row(ty);
        for (int i = 0; i < cutWidth; ++i) {
            const int tx = x + i;
            if (tx < 0 || tx >= width_ || (keyed && src[i] == 0))
                continue;
            dst[tx] = src[i];
        }
    }
}

} // namespace tft::ide
