#include "draw.h"

#include "core/hardware.h"
#include "core_state.h"

#include <cmath>
#include <cstdlib>

namespace nimbrel {
namespace {

// The clipping helpers and the walks of circles and ellipses run for every step of a radius up to
// 65535, mostly off the drawing area; coverage feedback inside them teaches a
// fuzzer nothing and costs most of its time, so they are left uninstrumented.
#if defined(__clang__)
#define NIMBREL_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define NIMBREL_NO_COVERAGE
#endif

NIMBREL_NO_COVERAGE bool inside(int x, int y) {
    return x >= 0 && x < kDrawWidth && y >= 0 && y < kDrawHeight;
}

// Pixel and line calls in the current pen colour, clipped to the drawing area.
NIMBREL_NO_COVERAGE void plot(int x, int y) {
    if (inside(x, y))
        setPixel(x, y);
}

NIMBREL_NO_COVERAGE void hline(int x0, int x1, int y) {
    if (x0 > x1) {
        int t = x0;
        x0 = x1;
        x1 = t;
    }
    if (y < 0 || y >= kDrawHeight || x1 < 0 || x0 >= kDrawWidth)
        return;
    setHLine(x0 < 0 ? 0 : x0, y, x1 >= kDrawWidth ? kDrawWidth - 1 : x1);
}

NIMBREL_NO_COVERAGE void vline(int x, int y0, int y1) {
    if (y0 > y1) {
        int t = y0;
        y0 = y1;
        y1 = t;
    }
    if (x < 0 || x >= kDrawWidth || y1 < 0 || y0 >= kDrawHeight)
        return;
    setVLine(x, y0 < 0 ? 0 : y0, y1 >= kDrawHeight ? kDrawHeight - 1 : y1);
}

// Shortcuts that leave the pixels as the full algorithms would draw them, so
// that a far or huge shape does not run tens of thousands of clipped steps.

// True when the box (both corners inclusive, any order) misses the area.
bool missesArea(long x0, long y0, long x1, long y1) {
    if (x0 > x1) {
        const long t = x0;
        x0 = x1;
        x1 = t;
    }
    if (y0 > y1) {
        const long t = y0;
        y0 = y1;
        y1 = t;
    }
    return x1 < 0 || y1 < 0 || x0 >= kDrawWidth || y0 >= kDrawHeight;
}

void line(int x0, int y0, int x1, int y1) {
    if (missesArea(x0, y0, x1, y1))
        return;
    if (x0 == x1) {
        vline(x0, y0, y1);
        return;
    }
    if (y0 == y1) {
        hline(x0, x1, y0);
        return;
    }
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx - dy;
    for (;;) {
        plot(x0, y0);
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
        // Both coordinates only move one way: once past the area, no later
        // pixel can fall inside it.
        if ((sx > 0 ? x0 >= kDrawWidth : x0 < 0) || (sy > 0 ? y0 >= kDrawHeight : y0 < 0))
            break;
    }
}

std::uint16_t readPixel(int x, int y) {
    std::uint16_t colour = 0;
    GUI_ReadPoint(x, y, &colour);
    return colour;
}

void invertPixel(int x, int y) {
    if (!inside(x, y))
        return;
    GUI_Point(x, y, static_cast<std::uint16_t>(~readPixel(x, y)));
}

// One quadrant of the midpoint circle: the callback gets the four mirrored
// points of every step, quadrant 0 first (0 to 90 degrees, clockwise on screen).
template <typename Step> NIMBREL_NO_COVERAGE void circleSteps(int r, Step step) {
    if (r < 0)
        return;
    int x = -r;
    int y = 0;
    long err = 2 - 2L * r;
    int s = 0;
    do {
        step(s++, x, y);
        const long rr = err;
        if (rr <= y) {
            ++y;
            err += 2L * y + 1;
        }
        if (rr > x || err > y) {
            ++x;
            err += 2L * x + 1;
        }
    } while (x < 0);
}

template <typename Plot4, typename Tips>
void ellipseSteps(int x0, int y0, int x1, int y1, Plot4 plot4, Tips tips) {
    long a = std::labs(static_cast<long>(x1) - x0);
    const long b = std::labs(static_cast<long>(y1) - y0);
    long b1 = b & 1;
    double dx =
        4.0 * (1.0 - static_cast<double>(a)) * static_cast<double>(b) * static_cast<double>(b);
    double dy = 4.0 * static_cast<double>(b1 + 1) * static_cast<double>(a) * static_cast<double>(a);
    double err =
        dx + dy + static_cast<double>(b1) * static_cast<double>(a) * static_cast<double>(a);
    if (x0 > x1) {
        x0 = x1;
        x1 = static_cast<int>(x1 + a);
    }
    if (y0 > y1)
        y0 = y1;
    y0 = static_cast<int>(y0 + (b + 1) / 2);
    y1 = static_cast<int>(y0 - b1);
    const double a8 = 8.0 * static_cast<double>(a) * static_cast<double>(a);
    const double b8 = 8.0 * static_cast<double>(b) * static_cast<double>(b);
    do {
        plot4(x0, x1, y0, y1);
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
    while (static_cast<long>(y0) - y1 <= b) {
        tips(x0 - 1, x1 + 1, y0, y1);
        ++y0;
        --y1;
    }
}

bool circleMissesArea(int cx, int cy, int r) {
    return missesArea(static_cast<long>(cx) - r - 1, static_cast<long>(cy) - r - 1,
                      static_cast<long>(cx) + r + 1, static_cast<long>(cy) + r + 1);
}

// True when the whole area lies more than two pixels inside the circle: the
// rasterised ring then misses it and the filled disc covers all of it.
bool areaInsideCircle(int cx, int cy, int r) {
    if (r < 3)
        return false;
    const double inner = static_cast<double>(r) - 2.0;
    const int corners[4][2] = {
        {0, 0}, {kDrawWidth - 1, 0}, {0, kDrawHeight - 1}, {kDrawWidth - 1, kDrawHeight - 1}};
    for (const auto& c : corners) {
        const double dx = static_cast<double>(c[0]) - cx;
        const double dy = static_cast<double>(c[1]) - cy;
        if (dx * dx + dy * dy >= inner * inner)
            return false;
    }
    return true;
}

} // namespace

void drawPoint(int x, int y, std::uint16_t colour) {
    setPenColor(colour);
    plot(x, y);
}

void drawLine(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    setPenColor(colour);
    line(x0, y0, x1, y1);
}

void drawCircle(int cx, int cy, int r, std::uint16_t colour) {
    setPenColor(colour);
    if (circleMissesArea(cx, cy, r) || areaInsideCircle(cx, cy, r))
        return;
    circleSteps(r, [&](int, int x, int y) {
        plot(cx - x, cy + y);
        plot(cx - y, cy - x);
        plot(cx + x, cy - y);
        plot(cx + y, cy + x);
    });
}

void fillCircle(int cx, int cy, int r, std::uint16_t colour) {
    setPenColor(colour);
    if (circleMissesArea(cx, cy, r))
        return;
    if (areaInsideCircle(cx, cy, r)) {
        for (int x = 0; x < kDrawWidth; ++x)
            setVLine(x, 0, kDrawHeight - 1);
        return;
    }
    circleSteps(r, [&](int, int x, int y) {
        vline(cx - x, cy - y, cy + y);
        vline(cx + x, cy - y, cy + y);
        vline(cx - y, cy + x, cy - x);
        vline(cx + y, cy + x, cy - x);
    });
}

void drawEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    setPenColor(colour);
    if (missesArea(x0, y0, x1, y1))
        return;
    ellipseSteps(
        x0, y0, x1, y1,
        [](int left, int right, int lower, int upper) {
            plot(right, lower);
            plot(left, lower);
            plot(left, upper);
            plot(right, upper);
        },
        [](int left, int right, int lower, int upper) {
            plot(left, lower);
            plot(right, lower);
            plot(left, upper);
            plot(right, upper);
        });
}

void fillEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    setPenColor(colour);
    if (missesArea(x0, y0, x1, y1))
        return;
    const auto columns = [](int left, int right, int lower, int upper) {
        vline(left, upper, lower);
        vline(right, upper, lower);
    };
    ellipseSteps(x0, y0, x1, y1, columns, columns);
}

void drawArc(int cx, int cy, int r, int startDegrees, int endDegrees, std::uint16_t colour) {
    long start = ((startDegrees % 360) + 360) % 360;
    long end = ((endDegrees % 360) + 360) % 360;
    if (end == 0)
        end = 360;
    bool inverted = false;
    if (end < start) {
        const long t = start;
        start = end;
        end = t;
        inverted = true;
    }
    if (circleMissesArea(cx, cy, r) || areaInsideCircle(cx, cy, r))
        return;
    long f = 0;
    circleSteps(r, [&](int, int, int) { ++f; });
    if (f == 0)
        return;
    setPenColor(colour);
    // Step s of quadrant q stands for 90q + 90s/f degrees; compared scaled by f.
    const auto wanted = [&](int q, int s) {
        const long scaled = 90L * q * f + 90L * s;
        const bool within = scaled >= start * f && scaled <= end * f;
        return within != inverted;
    };
    circleSteps(r, [&](int s, int x, int y) {
        if (wanted(0, s))
            plot(cx - x, cy + y);
        if (wanted(1, s))
            plot(cx - y, cy - x);
        if (wanted(2, s))
            plot(cx + x, cy - y);
        if (wanted(3, s))
            plot(cx + y, cy + x);
    });
}

void drawRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    setPenColor(colour);
    line(x0, y0, x1, y0);
    line(x0, y1, x1, y1);
    line(x0, y0, x0, y1);
    line(x1, y0, x1, y1);
}

void fillRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour) {
    if (x0 > x1) {
        int t = x0;
        x0 = x1;
        x1 = t;
    }
    if (y0 > y1) {
        int t = y0;
        y0 = y1;
        y1 = t;
    }
    if (x1 < 0 || x0 > kDrawWidth - 1 || y1 < 0 || y0 > kDrawHeight - 1)
        return;
    x0 = x0 < 0 ? 0 : x0;
    y0 = y0 < 0 ? 0 : y0;
    x1 = x1 > kDrawWidth - 1 ? kDrawWidth - 1 : x1;
    y1 = y1 > kDrawHeight - 1 ? kDrawHeight - 1 : y1;
    setPenColor(colour);
    for (int y = y0; y <= y1; ++y)
        setHLine(x0, y, x1);
}

void floodFill(int x, int y, std::uint16_t colour) {
    if (colour == 0)
        colour = 1;
    // Runs stay on the panel: the layer reads 0 beyond its edges, and a black
    // area reaching an edge would otherwise go on into pixels that can never
    // take the colour, pushing a seed per column until the stack is full.
    const int width = panelWidth() < kDrawWidth ? panelWidth() : kDrawWidth;
    const int height = panelHeight() < kDrawHeight ? panelHeight() : kDrawHeight;
    if (x < 0 || x >= width || y < 0 || y >= height)
        return;
    const std::uint16_t seed = readPixel(x, y);
    if (seed == colour)
        return;
    setPenColor(colour);
    Point stack[kFloodStackDepth];
    std::size_t depth = 0;
    stack[depth++] = {x, y};
    // A full seed stack ends the fill once the run in hand is drawn.
    bool full = false;
    while (depth > 0 && !full) {
        const Point p = stack[--depth];
        if (readPixel(p.x, p.y) != seed)
            continue;
        int top = p.y;
        while (top > 0 && readPixel(p.x, top - 1) == seed)
            --top;
        bool leftRun = false;
        bool rightRun = false;
        int yy = top;
        for (; yy < height && readPixel(p.x, yy) == seed; ++yy) {
            if (p.x > 0) {
                const bool match = readPixel(p.x - 1, yy) == seed;
                if (match && !leftRun) {
                    if (depth == kFloodStackDepth)
                        full = true;
                    else
                        stack[depth++] = {p.x - 1, yy};
                }
                leftRun = match;
            }
            if (p.x < width - 1) {
                const bool match = readPixel(p.x + 1, yy) == seed;
                if (match && !rightRun) {
                    if (depth == kFloodStackDepth)
                        full = true;
                    else
                        stack[depth++] = {p.x + 1, yy};
                }
                rightRun = match;
            }
        }
        setVLine(p.x, top, yy - 1);
    }
}

void fillPolygon(const Point* points, std::size_t count, std::uint16_t colour) {
    if (count == 0 || count > kMaxPolygonPoints)
        return;
    setPenColor(colour);
    for (int y = 0; y < kDrawHeight; ++y) {
        int crossings[kMaxPolygonPoints];
        std::size_t n = 0;
        for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
            const long yi = points[i].y;
            const long yj = points[j].y;
            if ((yi <= y && y < yj) || (yj <= y && y < yi)) {
                const long x = points[i].x + (y - yi) *
                                                 (static_cast<long>(points[j].x) - points[i].x) /
                                                 (yj - yi);
                crossings[n++] = static_cast<int>(x);
            }
        }
        for (std::size_t i = 1; i < n; ++i)
            for (std::size_t k = i; k > 0 && crossings[k - 1] > crossings[k]; --k) {
                const int t = crossings[k];
                crossings[k] = crossings[k - 1];
                crossings[k - 1] = t;
            }
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            if (crossings[i] > kDrawWidth - 1)
                break;
            // The row ends at the drawing area's last column, never beyond it.
            const int from = crossings[i] < 0 ? 0 : crossings[i];
            int to = crossings[i + 1] < 0 ? 0 : crossings[i + 1];
            to = to > kDrawWidth - 1 ? kDrawWidth - 1 : to;
            setHLine(from, y, to);
        }
    }
    for (std::size_t i = 0, j = count - 1; i < count; j = i++)
        line(points[j].x, points[j].y, points[i].x, points[i].y);
}

void drawPolyline(const Point* points, std::size_t count, std::uint16_t colour, unsigned mode) {
    if (count == 0)
        return;
    setPenColor(colour);
    plot(points[0].x, points[0].y);
    if (mode == 0) {
        for (std::size_t i = 1; i < count; ++i)
            plot(points[i].x, points[i].y);
    } else if (mode == 1) {
        for (std::size_t i = 1; i < count; ++i)
            line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
}

void invertFrame(int x0, int y0, int x1, int y1, int step, int thickness) {
    if (step < 1)
        step = 1;
    if (x0 > x1 || y0 > y1 || thickness < 1)
        return;
    // Keep the band count bounded whatever the caller passes.
    if (x1 - x0 + 1 < 2 * thickness || y1 - y0 + 1 < 2 * thickness)
        thickness = 1;
    for (int t = 0; t < thickness; ++t) {
        for (int x = x0; x <= x1; x += step) {
            invertPixel(x, y0 + t);
            if (y1 - t != y0 + t)
                invertPixel(x, y1 - t);
        }
        for (int y = y0 + thickness; y <= y1 - thickness; y += step) {
            invertPixel(x0 + t, y);
            if (x1 - t != x0 + t)
                invertPixel(x1 - t, y);
        }
    }
}

void invertRectangle(int x, int y, int width, int height) {
    const int xEnd = x + width > kDrawWidth ? kDrawWidth : x + width;
    const int yEnd = y + height > kDrawHeight ? kDrawHeight : y + height;
    for (int yy = y < 0 ? 0 : y; yy < yEnd; ++yy)
        for (int xx = x < 0 ? 0 : x; xx < xEnd; ++xx)
            invertPixel(xx, yy);
}

bool clipSegment(double& x0, double& y0, double& x1, double& y1, double width, double height) {
    // Liang-Barsky against the box 0..width x 0..height.
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, width - x0, y0, height - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            if (r > t1)
                return false;
            if (r > t0)
                t0 = r;
        } else {
            if (r < t0)
                return false;
            if (r < t1)
                t1 = r;
        }
    }
    const double nx0 = x0 + t0 * dx;
    const double ny0 = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = nx0;
    y0 = ny0;
    return true;
}

void drawNeedle(int style, int cx, int cy, int radius, double angleDegrees, std::uint16_t needle,
                std::uint16_t hub) {
    // Control sizes are 16-bit; a larger radius could only overflow the points.
    if (radius < 0 || radius > 0xFFFF || !std::isfinite(angleDegrees))
        return;
    const double pi = 3.1415926;
    const double theta = angleDegrees * pi / 180.0;
    const double r = radius;
    const auto dirX = [](double a) { return std::cos(a); };
    const auto dirY = [](double a) { return std::sin(a); };
    const auto trunc = [](double v) { return static_cast<int>(v); };
    const auto round = [](double v) { return static_cast<int>(std::lround(v)); };
    const int trunc08 = trunc(0.08 * r);
    if (style == 0) {
        const double w = std::fmax(1.0, 0.015 * r);
        const double t = std::fmax(1.0, 0.25 * r);
        const double tx = cx + 0.7 * r * dirX(theta);
        const double ty = cy + 0.7 * r * dirY(theta);
        const double bx = cx + t * dirX(theta + pi);
        const double by = cy + t * dirY(theta + pi);
        const Point polygon[4] = {
            {trunc(tx + w * dirX(theta - pi / 2)), trunc(ty + w * dirY(theta - pi / 2))},
            {trunc(tx + w * dirX(theta + pi / 2)), trunc(ty + w * dirY(theta + pi / 2))},
            {trunc(bx + w * dirX(theta + pi / 2)), trunc(by + w * dirY(theta + pi / 2))},
            {trunc(bx + w * dirX(theta + 3 * pi / 2)), trunc(by + w * dirY(theta + 3 * pi / 2))},
        };
        fillPolygon(polygon, 4, needle);
        fillCircle(cx, cy, trunc08 < 1 ? 1 : trunc08, hub);
    } else if (style == 1) {
        const double len = std::lround(0.85 * r);
        const double tx = std::lround(cx + 0.7 * r * dirX(theta));
        const double ty = std::lround(cy + 0.7 * r * dirY(theta));
        const double spread = 0.0251327408;
        const Point polygon[3] = {
            {static_cast<int>(tx), static_cast<int>(ty)},
            {round(tx + len * dirX(theta + pi - spread)),
             round(ty + len * dirY(theta + pi - spread))},
            {round(tx + len * dirX(theta + pi + spread)),
             round(ty + len * dirY(theta + pi + spread))},
        };
        fillPolygon(polygon, 3, needle);
        fillCircle(cx, cy, trunc08, hub);
    } else if (style == 2) {
        const double side = std::lround(0.2 * r);
        const double tail = std::lround(0.3 * r);
        const Point polygon[4] = {
            {trunc(cx + 0.7 * r * dirX(theta)), trunc(cy + 0.7 * r * dirY(theta))},
            {trunc(cx + side * dirX(theta + 2.953097044)),
             trunc(cy + side * dirY(theta + 2.953097044))},
            {trunc(cx + tail * dirX(theta + pi)), trunc(cy + tail * dirY(theta + pi))},
            {trunc(cx + side * dirX(theta + 3.330088156)),
             trunc(cy + side * dirY(theta + 3.330088156))},
        };
        fillPolygon(polygon, 4, needle);
        fillCircle(cx, cy, trunc08, hub);
    }
}

} // namespace nimbrel
