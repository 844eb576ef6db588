// PanelCanvas: an RGB565 page the size of the screen, drawn with the panel's
// own rasterisation (integer line steps, midpoint circles and ellipses,
// scan-line polygons, colour-keyed pictures), so that a shape lands on the
// same pixels in the designer as on the panel. Everything is clipped to the
// canvas.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <vector>

namespace tft::ide {

// A stored colour (R + G*256 + B*65536) as the panel's RGB565 value.
std::uint16_t panelColour(std::uint32_t colour);

class PanelCanvas {
public:
    explicit PanelCanvas(QSize size);

    QSize size() const { return image_.size(); }
    const QImage& image() const { return image_; }
    // Takes the pixels for drawing (a copy of image() taken before keeps
    // what it showed).
    void detach();

    void fill(std::uint16_t colour);
    void point(int x, int y, std::uint16_t colour);
    void line(int x0, int y0, int x1, int y1, std::uint16_t colour);
    // Corners inclusive, in any order.
    void rectangle(int x0, int y0, int x1, int y1, std::uint16_t colour);
    void fillRectangle(int x0, int y0, int x1, int y1, std::uint16_t colour);
    void circle(int cx, int cy, int r, std::uint16_t colour);
    void fillCircle(int cx, int cy, int r, std::uint16_t colour);
    // The ellipse inside the box with corners (x0, y0) and (x1, y1).
    void ellipse(int x0, int y0, int x1, int y1, std::uint16_t colour);
    void fillEllipse(int x0, int y0, int x1, int y1, std::uint16_t colour);
    // Filled by scan lines, then outlined.
    void fillPolygon(const std::vector<QPoint>& points, std::uint16_t colour);
    // A meter's needle of `style` (0 bar, 1 thin spike, 2 arrow) from the
    // centre at `degrees` (0 pointing right, growing clockwise) with its hub.
    void needle(int style, int cx, int cy, int radius, double degrees, std::uint16_t needle,
                std::uint16_t hub);

    // A picture of width x height RGB565 pixels at (x, y), the part starting
    // at (sourceX, sourceY) of cutWidth x cutHeight; `keyed` leaves the
    // pixels of value 0 alone.
    void picture(const std::vector<std::uint16_t>& pixels, int width, int height, int x, int y,
                 int sourceX, int sourceY, int cutWidth, int cutHeight, bool keyed);

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void plot(int x, int y, std::uint16_t colour) {
        if (inside(x, y))
            row(y)[x] = colour;
    }
    void hline(int x0, int x1, int y, std::uint16_t colour);
    void vline(int x, int y0, int y1, std::uint16_t colour);
    std::uint16_t* row(int y) { return bits_ + std::ptrdiff_t(y) * stride_; }
    bool missesCanvas(long x0, long y0, long x1, long y1) const;

    QImage image_;
    std::uint16_t* bits_ = nullptr;
    std::ptrdiff_t stride_ = 0; // pixels per row
    int width_ = 0;
    int height_ = 0;
};

} // namespace tft::ide
