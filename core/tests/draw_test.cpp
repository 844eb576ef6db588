// Pixel-exact shapes on the recording layer.
#include "core/hardware.h"
#include "core_fixture.h"
#include "draw.h"

#include <cmath>
#include <set>
#include <utility>

namespace coretest {
namespace {

using Draw = CoreTest;
using Pixels = std::set<std::pair<int, int>>;

// Pixels of layer 4 that are not black.
Pixels painted() {
    Pixels found;
    for (int y = 0; y < recording::kHeight; ++y)
        for (int x = 0; x < recording::kWidth; ++x)
            if (recording::hw().pixel(4, x, y) != 0)
                found.insert({x, y});
    return found;
}

class Shapes : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        SelWriteLayer(4);
        GUI_ClearSCR(0);
        clearLog();
    }
};

TEST_F(Shapes, VerticalAndHorizontalLinesAreSingleCalls) {
    nimbrel::drawLine(5, 5, 5, 20, 0x1234);
    nimbrel::drawLine(30, 7, 10, 7, 0x1234);
    ASSERT_EQ(hw().log.size(), 2u);
    EXPECT_EQ(hw().log[0], (recording::Call{"setVLine", {5, 5, 20, 0x1234}}));
    EXPECT_EQ(hw().log[1], (recording::Call{"setHLine", {10, 7, 30, 0x1234}}));
}

TEST_F(Shapes, DiagonalLineIncludesBothEnds) {
    nimbrel::drawLine(0, 0, 3, 1, 1);
    EXPECT_EQ(painted(), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    GUI_ClearSCR(0);
    nimbrel::drawLine(10, 10, 6, 14, 1);
    EXPECT_EQ(painted(), (Pixels{{10, 10}, {9, 11}, {8, 12}, {7, 13}, {6, 14}}));
}

TEST_F(Shapes, FillRectangleClampsToDrawingArea) {
    nimbrel::fillRectangle(-10, -10, 900, 700, 0x07E0);
    const auto rows = hw().calls("setHLine");
    ASSERT_EQ(rows.size(), 600u);
    EXPECT_EQ(rows.front().args, (std::vector<long>{0, 0, 799, 0x07E0}));
    EXPECT_EQ(rows.back().args, (std::vector<long>{0, 599, 799, 0x07E0}));
    EXPECT_EQ(hw().pixelsNot(4, 0x07E0), 0);
    clearLog();
    nimbrel::fillRectangle(800, 10, 900, 20, 1);
    nimbrel::fillRectangle(10, -30, 20, -1, 1);
    EXPECT_EQ(hw().count("setHLine"), 0u);
}

TEST_F(Shapes, RectangleOutlineWithCornersSwapped) {
    nimbrel::drawRectangle(12, 14, 10, 10, 1);
    Pixels expected;
    for (int x = 10; x <= 12; ++x)
        expected.insert({x, 10}), expected.insert({x, 14});
    for (int y = 10; y <= 14; ++y)
        expected.insert({10, y}), expected.insert({12, y});
    EXPECT_EQ(painted(), expected);
}

TEST_F(Shapes, CircleIsSymmetricClosedRing) {
    const int r = 9;
    nimbrel::drawCircle(100, 100, r, 1);
    const Pixels ring = painted();
    ASSERT_FALSE(ring.empty());
    for (const auto& [x, y] : ring) {
        const double d = std::hypot(x - 100, y - 100);
        EXPECT_LT(std::fabs(d - r), 1.0) << x << "," << y;
        // Four-fold symmetry about the centre.
        EXPECT_TRUE(ring.count({200 - x, y}) && ring.count({x, 200 - y}) &&
                    ring.count({100 + (y - 100), 100 + (x - 100)}));
        // Each pixel has exactly two ring neighbours among its eight (a closed 8-connected ring).
        int neighbours = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if ((dx || dy) && ring.count({x + dx, y + dy}))
                    ++neighbours;
        EXPECT_GE(neighbours, 2);
    }
    EXPECT_TRUE(ring.count({109, 100}) && ring.count({91, 100}) && ring.count({100, 91}));
}

TEST_F(Shapes, FilledCircleCoversDisc) {
    nimbrel::fillCircle(50, 60, 6, 1);
    const Pixels disc = painted();
    for (int y = 50; y <= 70; ++y)
        for (int x = 40; x <= 60; ++x) {
            const double d = std::hypot(x - 50, y - 60);
            if (d <= 5.5) {
                EXPECT_TRUE(disc.count({x, y})) << x << "," << y;
            }
            if (d >= 6.6) {
                EXPECT_FALSE(disc.count({x, y})) << x << "," << y;
            }
        }
}

TEST_F(Shapes, ArcAcrossZeroDrawsTwentyDegreesAroundPositiveX) {
    const int r = 100;
    nimbrel::drawArc(300, 300, r, 350, 10, 1);
    const Pixels arc = painted();
    ASSERT_FALSE(arc.empty());
    for (const auto& [x, y] : arc) {
        const double degrees = std::atan2(y - 300, x - 300) * 180.0 / M_PI;
        EXPECT_LE(std::fabs(degrees), 10.5) << x << "," << y;
    }
    EXPECT_TRUE(arc.count({400, 300}));
    // Both ends reached. Steps stand for equal angles, so the last pixel lies
    // a little short of 10 degrees on a large circle.
    int above = 0, below = 0;
    for (const auto& [x, y] : arc) {
        const double degrees = std::atan2(y - 300, x - 300) * 180.0 / M_PI;
        above += degrees < -8.0;
        below += degrees > 8.0;
    }
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);
}

TEST_F(Shapes, ArcQuarterRunsClockwiseFromRightToBottom) {
    nimbrel::drawArc(300, 300, 50, 0, 90, 1);
    for (const auto& [x, y] : painted()) {
        EXPECT_GE(x, 300);
        EXPECT_GE(y, 300);
    }
    EXPECT_TRUE(painted().count({350, 300}));
}

TEST_F(Shapes, EllipseFitsItsBoundingBox) {
    nimbrel::drawEllipse(30, 20, 10, 10, 1);
    const Pixels e = painted();
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (const auto& [x, y] : e) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        EXPECT_TRUE(e.count({40 - x, y})) << "mirror of " << x << "," << y;
    }
    EXPECT_EQ(minX, 10);
    EXPECT_EQ(maxX, 30);
    EXPECT_EQ(minY, 10);
    EXPECT_EQ(maxY, 20);
    GUI_ClearSCR(0);
    nimbrel::fillEllipse(10, 10, 30, 20, 1);
    const Pixels filled = painted();
    EXPECT_TRUE(filled.count({20, 15}));
    for (const auto& p : e)
        EXPECT_TRUE(filled.count(p));
}

TEST_F(Shapes, FloodFillWithPresentColourChangesNothing) {
    GUI_ClearSCR(0x1234);
    clearLog();
    nimbrel::floodFill(5, 5, 0x1234);
    EXPECT_EQ(hw().count("setVLine"), 0u);
    EXPECT_EQ(hw().pixelsNot(4, 0x1234), 0);
}

TEST_F(Shapes, FloodFillStaysInsideOutline) {
    nimbrel::drawRectangle(10, 10, 20, 20, 0x0001);
    nimbrel::floodFill(15, 15, 0x0002);
    for (int y = 8; y <= 22; ++y)
        for (int x = 8; x <= 22; ++x) {
            const bool border = (x == 10 || x == 20 || y == 10 || y == 20) && x >= 10 && x <= 20 &&
                                y >= 10 && y <= 20;
            const bool inner = x > 10 && x < 20 && y > 10 && y < 20;
            const std::uint16_t want = border ? 1 : inner ? 2 : 0;
            EXPECT_EQ(hw().pixel(4, x, y), want) << x << "," << y;
        }
}

TEST_F(Shapes, FloodFillStopsWhenSeedStackIsFull) {
    // A comb: columns separated by walls with gaps, so each column to the
    // right starts new runs; the fill ends before covering the whole area.
    usePanel(800, 600);
    for (int x = 1; x < 100; x += 2)
        nimbrel::drawLine(x, 0, x, 598, 1);
    for (int x = 1; x < 100; x += 4)
        for (int y = 0; y < 598; y += 4)
            nimbrel::drawPoint(x, y, 0);
    nimbrel::floodFill(0, 0, 2);
    EXPECT_EQ(hw().outOfRange, 0);
    EXPECT_EQ(hw().pixel(4, 0, 0), 2);
    EXPECT_EQ(hw().pixel(4, 0, 598), 2);  // the first run is drawn whole
    EXPECT_EQ(hw().pixel(4, 98, 300), 0); // far columns never reached
}

// Pixels of layer 4 inside width x height that differ from the colour.
long unfilled(int width, int height, std::uint16_t colour) {
    long count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += recording::hw().pixel(4, x, y) != colour;
    return count;
}

TEST_F(Shapes, FloodFillCoversABlackLayerOnPanelsOfEverySize) {
    // Panel size, then the part of it the 800 x 600 drawing area reaches.
    const int panels[][4] = {
        {800, 480, 800, 480}, {480, 272, 480, 272}, {480, 800, 480, 600}, {1024, 600, 800, 600}};
    for (const auto& panel : panels) {
        usePanel(panel[0], panel[1]);
        GUI_ClearSCR(0);
        feed(frame({0x64, 0x00, 0x0A, 0x00, 0x0A, 0x12, 0x34}));
        EXPECT_EQ(unfilled(panel[2], panel[3], 0x1234), 0) << panel[0] << " x " << panel[1];
        EXPECT_EQ(hw().outOfRange, 0);
    }
}

TEST_F(Shapes, PolygonFillCoversSquare) {
    const nimbrel::Point square[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    nimbrel::fillPolygon(square, 4, 3);
    Pixels expected;
    for (int y = 10; y <= 20; ++y)
        for (int x = 10; x <= 20; ++x)
            expected.insert({x, y});
    EXPECT_EQ(painted(), expected);
}

TEST_F(Shapes, PolygonReachingBeyondRightEdgeStopsAtLastColumn) {
    const nimbrel::Point wide[] = {{700, 10}, {2000, 10}, {2000, 12}, {700, 12}};
    nimbrel::fillPolygon(wide, 4, 3);
    EXPECT_EQ(hw().outOfRange, 0);
    EXPECT_EQ(hw().pixel(4, 799, 11), 3);
}

TEST_F(Shapes, InvertedRectangleComplementsEachPixelOnce) {
    hw().layers[4][5 * 800 + 5] = 0x00FF;
    nimbrel::invertRectangle(5, 5, 2, 2);
    EXPECT_EQ(hw().pixel(4, 5, 5), 0xFF00);
    EXPECT_EQ(hw().pixel(4, 6, 6), 0xFFFF);
    EXPECT_EQ(hw().pixel(4, 7, 7), 0);
    nimbrel::invertRectangle(795, 595, 20, 20);
    EXPECT_EQ(hw().outOfRange, 0);
}

TEST_F(Shapes, InvertedFrameEverySecondPixel) {
    nimbrel::invertFrame(10, 10, 20, 16, 2, 1);
    const Pixels f = painted();
    EXPECT_TRUE(f.count({10, 10}) && f.count({12, 10}) && f.count({10, 16}));
    EXPECT_FALSE(f.count({11, 10}));
    EXPECT_FALSE(f.count({15, 13})); // inside untouched
    for (const auto& [x, y] : f)
        EXPECT_TRUE(x == 10 || x == 20 || y == 10 || y == 16);
}

TEST_F(Shapes, SegmentClipping) {
    double x0 = -10, y0 = 5, x1 = 10, y1 = 5;
    ASSERT_TRUE(nimbrel::clipSegment(x0, y0, x1, y1, 5, 10));
    EXPECT_DOUBLE_EQ(x0, 0);
    EXPECT_DOUBLE_EQ(x1, 5);
    EXPECT_DOUBLE_EQ(y0, 5);
    double a = -5, b = -5, c = -1, d = 20;
    EXPECT_FALSE(nimbrel::clipSegment(a, b, c, d, 5, 10));
    double e = 0, f = 0, g = 10, h = 20;
    ASSERT_TRUE(nimbrel::clipSegment(e, f, g, h, 5, 5));
    EXPECT_DOUBLE_EQ(g, 2.5);
    EXPECT_DOUBLE_EQ(h, 5);
}

TEST_F(Shapes, NeedlesPointAlongTheirAngle) {
    for (int style = 0; style < 3; ++style) {
        GUI_ClearSCR(0);
        nimbrel::drawNeedle(style, 200, 200, 100, 0.0, 0x00F0, 0x0F00);
        int tipX = 0;
        for (const auto& [x, y] : painted()) {
            if (hw().pixel(4, x, y) == 0x00F0)
                tipX = std::max(tipX, x);
            EXPECT_LE(std::abs(y - 200), 12) << "style " << style;
        }
        EXPECT_GE(tipX, 268) << "style " << style;
        EXPECT_LE(tipX, 271) << "style " << style;
        EXPECT_EQ(hw().pixel(4, 200, 200), 0x0F00) << "style " << style;
    }
    // Pointing down (90 degrees clockwise on screen).
    GUI_ClearSCR(0);
    nimbrel::drawNeedle(1, 200, 200, 100, 90.0, 0x00F0, 0x0F00);
    EXPECT_EQ(hw().pixel(4, 200, 268), 0x00F0);
}

// The whole Bresenham walk, kept to the pixels inside the area.
Pixels referenceLine(int x0, int y0, int x1, int y1) {
    Pixels in;
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx - dy;
    for (;;) {
        if (x0 >= 0 && x0 < 800 && y0 >= 0 && y0 < 600)
            in.insert({x0, y0});
        if (x0 == x1 && y0 == y1)
            return in;
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x0 += sx;
        }
        if (e2 < dx) {
            err += dx;
            y0 += sy;
        }
    }
}

TEST_F(Shapes, LinesLeavingOrMissingTheAreaKeepTheirPixels) {
    const int lines[][4] = {{10, 10, 30000, 20011},
                            {-30000, 590, 700, -3},
                            {799, 599, -5, -31000},
                            {-100, 900, 900, -100},
                            {-500, -500, 2000, -1}};
    for (const auto& l : lines) {
        GUI_ClearSCR(0);
        nimbrel::drawLine(l[0], l[1], l[2], l[3], 1);
        EXPECT_EQ(painted(), referenceLine(l[0], l[1], l[2], l[3])) << l[0] << "," << l[1];
    }
}

TEST_F(Shapes, HugeCirclesAroundTheAreaMatchTheirRings) {
    // The corners of the area lie 500 pixels from (400, 300): radius 502 is
    // drawn step by step, 503 and beyond take the shortcut; both must agree.
    for (const int r : {502, 503, 20000}) {
        GUI_ClearSCR(0);
        nimbrel::drawCircle(400, 300, r, 1);
        nimbrel::drawArc(400, 300, r, 0, 359, 1);
        EXPECT_EQ(hw().pixelsNot(4, 0), 0) << r;
        nimbrel::fillCircle(400, 300, r, 2);
        EXPECT_EQ(hw().pixelsNot(4, 2), 0) << r;
    }
    // A ring passing through the area is still drawn.
    GUI_ClearSCR(0);
    nimbrel::drawCircle(-20000, 300, 20100, 1);
    EXPECT_EQ(hw().pixel(4, 100, 300), 1);
    EXPECT_EQ(hw().outOfRange, 0);
}

TEST_F(Shapes, FarCoordinatesAreClipped) {
    nimbrel::drawLine(-5000, -3000, 65535, 65535, 1);
    nimbrel::drawCircle(400, 300, 65535, 1);
    nimbrel::fillCircle(0, 0, 1000, 1);
    nimbrel::drawEllipse(-100, -100, 65535, 900, 1);
    nimbrel::fillEllipse(0, 0, 65535, 65535, 1);
    nimbrel::drawArc(65535, 65535, 65535, 0, 359, 1);
    const nimbrel::Point far[] = {{-100000, -5}, {100000, 300}, {50, 100000}};
    nimbrel::fillPolygon(far, 3, 1);
    nimbrel::invertFrame(-100, -100, 900, 700, 1, 3);
    EXPECT_EQ(hw().outOfRange, 0);
}

} // namespace
} // namespace coretest
