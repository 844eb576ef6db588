// Geometric primitives over the hardware layer's pixel and line calls. Every
// primitive clips to the 800 x 600 drawing area before calling the layer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

struct Point {
    int x;
    int y;
};

constexpr std::size_t kMaxPolygonPoints = 16;
constexpr std::size_t kFloodStackDepth = 20;

void drawPoint(int x, int y, std::uint16_t colour);
void drawLine(int x0, int y0, int x1, int y1, std::uint16_t colour);
void drawCircle(int cx, int cy, int r, std::uint16_t colour);
void fillCircle(int cx, int cy, int r, std::uint16_t colour);
void drawEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour);
void fillEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour);
// Angles in degrees, clockwise on the screen from the positive x axis.
void drawArc(int cx, int cy, int r, int startDegrees, int endDegrees, std::uint16_t colour);
void drawRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour);
void fillRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour);
// Limited to the panel as well as the drawing area.
void floodFill(int x, int y, std::uint16_t colour);
// At most kMaxPolygonPoints points; more are ignored.
void fillPolygon(const Point* points, std::size_t count, std::uint16_t colour);
// mode 0: separate points; 1: connected lines; other: the first point only.
void drawPolyline(const Point* points, std::size_t count, std::uint16_t colour, unsigned mode);
void invertFrame(int x0, int y0, int x1, int y1, int step, int thickness);
void invertRectangle(int x, int y, int width, int height);
// Clips a segment to 0 <= x <= width, 0 <= y <= height; false when wholly outside.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double width, double height);
void drawNeedle(int style, int cx, int cy, int radius, double angleDegrees, std::uint16_t needle,
                std::uint16_t hub);

} // namespace nimbrel
