#include "fonttools/glyph_layout.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace tft::fonttools;

namespace {

CellLayout make(int w, int h, Scan scan, bool msb, bool padded = false) {
    CellLayout l;
    l.width = w;
    l.height = h;
    l.scan = scan;
    l.msbFirst = msb;
    l.rowPadded = padded;
    return l;
}

std::vector<std::uint8_t> withPixel(const CellLayout& l, int x, int y) {
    std::vector<std::uint8_t> cell(l.cellBytes(), 0);
    l.setPixel(cell.data(), x, y);
    return cell;
}

} // namespace

TEST(GlyphLayout, TopLeftPixelInEveryOrder) {
    auto cell = withPixel(make(16, 16, Scan::Horizontal, true), 0, 0);
    EXPECT_EQ(cell[0], 0x80);
    cell = withPixel(make(16, 16, Scan::Horizontal, false), 0, 0);
    EXPECT_EQ(cell[0], 0x01);
    const CellLayout vertical = make(16, 16, Scan::Vertical, true);
    EXPECT_EQ(vertical.bitNumber(0, 0), 0u);
    cell = withPixel(vertical, 0, 0);
    EXPECT_EQ(cell[0], 0x80);
    for (std::size_t i = 1; i < cell.size(); ++i) {
        EXPECT_EQ(cell[i], 0) << i;
    }
}

TEST(GlyphLayout, BitNumbersFollowTheScanning) {
    // Horizontal: n = x + y*W; vertical: n = y + x*H.
    const CellLayout h = make(16, 24, Scan::Horizontal, true);
    EXPECT_EQ(h.bitNumber(3, 1), 19u);
    auto cell = withPixel(h, 3, 1);
    EXPECT_EQ(cell[2], 0x10);
    const CellLayout v = make(16, 24, Scan::Vertical, false);
    EXPECT_EQ(v.bitNumber(3, 1), 73u);
    cell = withPixel(v, 3, 1);
    EXPECT_EQ(cell[9], 0x02);
}

TEST(GlyphLayout, CellSizes) {
    EXPECT_EQ(make(4, 8, Scan::Horizontal, true).cellBytes(), 4u);
    EXPECT_EQ(make(16, 16, Scan::Vertical, true).cellBytes(), 32u);
    EXPECT_EQ(make(6, 12, Scan::Horizontal, true).cellBytes(), 9u);
    EXPECT_EQ(make(6, 12, Scan::Horizontal, true, true).cellBytes(), 12u);
    EXPECT_EQ(make(12, 24, Scan::Horizontal, true, true).cellBytes(), 48u);
    EXPECT_EQ(make(0, 8, Scan::Horizontal, true).cellBytes(), 0u);
    EXPECT_FALSE(make(8, 8, Scan::Vertical, true, true).valid());
}

TEST(GlyphLayout, RowPaddedRowsStartOnWholeBytes) {
    // The panel's form: a 6-pixel row still takes one whole byte.
    const CellLayout l = make(6, 12, Scan::Horizontal, true, true);
    auto cell = withPixel(l, 0, 1);
    EXPECT_EQ(cell[1], 0x80);
    cell = withPixel(l, 5, 11);
    EXPECT_EQ(cell[11], 0x04);
    // Continuous packing puts the same pixel elsewhere.
    const CellLayout packed = make(6, 12, Scan::Horizontal, true);
    cell = withPixel(packed, 0, 1);
    EXPECT_EQ(cell[0], 0x02);
}

TEST(GlyphLayout, PixelsOutsideTheCellAreIgnored) {
    const CellLayout l = make(8, 8, Scan::Horizontal, true);
    std::vector<std::uint8_t> cell(l.cellBytes(), 0);
    l.setPixel(cell.data(), 8, 0);
    l.setPixel(cell.data(), 0, -1);
    EXPECT_EQ(cell, std::vector<std::uint8_t>(8, 0));
    EXPECT_FALSE(l.pixel(cell.data(), 100, 100));
}

TEST(GlyphLayout, EveryPixelRoundTripsInEveryLayout) {
    std::mt19937 random(7);
    for (int w : {4, 6, 8, 12, 16, 24}) {
        for (int hgt : {8, 12, 16}) {
            for (Scan scan : {Scan::Horizontal, Scan::Vertical}) {
                for (bool msb : {true, false}) {
                    const CellLayout l = make(w, hgt, scan, msb);
                    std::vector<std::uint8_t> cell(l.cellBytes(), 0);
                    std::vector<bool> expected(static_cast<std::size_t>(w * hgt));
                    for (int y = 0; y < hgt; ++y) {
                        for (int x = 0; x < w; ++x) {
                            if (random() % 3 == 0) {
                                l.setPixel(cell.data(), x, y);
                                expected[static_cast<std::size_t>(y * w + x)] = true;
                            }
                        }
                    }
                    for (int y = 0; y < hgt; ++y) {
                        for (int x = 0; x < w; ++x) {
                            ASSERT_EQ(l.pixel(cell.data(), x, y),
                                      expected[static_cast<std::size_t>(y * w + x)])
                                << w << "x" << hgt << " at " << x << "," << y;
                        }
                    }
                }
            }
        }
    }
}
