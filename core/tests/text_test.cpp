// Bitmap-font text: encodings, companion fonts, line rules, bad font data.
#include "core/hardware.h"
#include "core_fixture.h"
#include "text.h"

#include <cstring>
#include <set>
#include <utility>

namespace coretest {
namespace {

constexpr std::uint32_t kSingleAddress = 0x120000; // 8 x 16, 16 bytes a glyph
constexpr std::uint32_t kDoubleAddress = 0x130000; // 16 x 16, 32 bytes a glyph
constexpr std::uint32_t kDoubleOffset = kDoubleAddress - 0x120000;

class Text : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        hw().fontData.assign(kDoubleOffset + 24000 * 32, 0);
        // Single-byte glyph c: full top row, and one row (c % 16) with its ends set.
        for (int c = 0; c < 256; ++c) {
            std::uint8_t* g = hw().fontData.data() + c * 16;
            g[0] = 0xFF;
            g[c % 16] |= 0x81;
        }
        // Double-byte glyphs: full top row only.
        for (std::size_t i = kDoubleOffset; i + 32 <= hw().fontData.size(); i += 32)
            hw().fontData[i] = hw().fontData[i + 1] = 0xFF;
        SelWriteLayer(4);
        GUI_ClearSCR(0);
        clearLog();
    }

    void singleFont(std::size_t slot = 0) { addFont(slot, 1, 2, 8, 16, kSingleAddress); }
    void doubleFont(std::size_t slot = 1) { addFont(slot, 5, 0, 16, 16, kDoubleAddress); }

    nimbrel::TextStyle style(std::uint16_t colour = 0x1234) {
        nimbrel::TextStyle s{};
        s.colour = colour;
        s.boxWidth = 800;
        s.boxHeight = 600;
        return s;
    }

    void draw(std::uint8_t font, const char* text, int x, int y, const nimbrel::TextStyle& s) {
        nimbrel::drawText(font, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), x,
                          y, s);
    }

    std::vector<long> fontAddresses() {
        std::vector<long> addresses;
        for (const auto& c : hw().calls("ReadFont"))
            addresses.push_back(c.args[0]);
        return addresses;
    }
};

TEST_F(Text, GlyphBitsArePointsInTheColour) {
    singleFont();
    draw(1, "A", 10, 20, style());
    EXPECT_EQ(fontAddresses(), std::vector<long>{65 * 16});
    for (int x = 10; x < 18; ++x)
        EXPECT_EQ(hw().pixel(4, x, 20), 0x1234);
    EXPECT_EQ(hw().pixel(4, 10, 21), 0x1234); // 'A' = 65, row 1 has its ends set
    EXPECT_EQ(hw().pixel(4, 17, 21), 0x1234);
    EXPECT_EQ(hw().pixel(4, 11, 21), 0);
    EXPECT_EQ(hw().pixelsNot(4, 0), 8 + 2);
}

TEST_F(Text, ColourZeroIsDrawnAsOne) {
    singleFont();
    draw(1, "A", 0, 0, style(0));
    EXPECT_EQ(hw().pixel(4, 0, 0), 1);
}

TEST_F(Text, AdvanceIsWidthPlusGap) {
    singleFont();
    auto s = style();
    s.charGap = 3;
    draw(1, "AB", 10, 0, s);
    EXPECT_EQ(hw().pixel(4, 21, 0), 0x1234);
    EXPECT_EQ(hw().pixel(4, 19, 0), 0);
}

TEST_F(Text, StartingAtRightOrBottomEdgeDrawsNothing) {
    singleFont();
    draw(1, "A", 800, 10, style());
    draw(1, "A", 10, 600, style());
    EXPECT_EQ(hw().count("ReadFont"), 0u);
    EXPECT_EQ(hw().pixelsNot(4, 0), 0);
}

TEST_F(Text, UnknownFontDrawsNothing) {
    singleFont();
    draw(9, "A", 0, 0, style());
    EXPECT_EQ(hw().count("ReadFont"), 0u);
}

TEST_F(Text, DoubleByteFontWithoutCompanionStopsAtFirstAscii) {
    doubleFont(0);
    draw(5,
         "\xB0\xA1"
         "A\xB0\xA1",
         0, 0, style());
    EXPECT_EQ(fontAddresses(), std::vector<long>{kDoubleOffset + 1410 * 32});
}

TEST_F(Text, CompanionFontDrawsTheOtherWidth) {
    addFont(0, 7, 2, 8, 24, kSingleAddress + 0x8000); // other height: not a companion
    singleFont(1);
    doubleFont(2);
    draw(5,
         "\xB0\xA1"
         "A\xB0\xA2",
         0, 0, style());
    EXPECT_EQ(fontAddresses(),
              (std::vector<long>{kDoubleOffset + 1410 * 32, 65 * 16, kDoubleOffset + 1411 * 32}));
    EXPECT_EQ(hw().pixel(4, 16, 0), 0x1234); // 'A' after the 16-wide glyph
    EXPECT_EQ(hw().pixel(4, 24, 0), 0x1234); // then the next double glyph at 24
    clearLog();
    draw(1, "A\xB0\xA1", 0, 100, style()); // single-byte main font borrows the double one
    EXPECT_EQ(fontAddresses(), (std::vector<long>{65 * 16, kDoubleOffset + 1410 * 32}));
}

TEST_F(Text, CarriageReturnLineFeedStartsNewLine) {
    singleFont();
    auto s = style();
    s.lineGap = 2;
    draw(1, "A\r\nA", 30, 10, s);
    EXPECT_EQ(hw().pixel(4, 30, 10 + 16 + 2), 0x1234);
    EXPECT_EQ(hw().pixel(4, 38, 10), 0);
}

TEST_F(Text, WrapInsideBoxAndStopAtItsBottom) {
    singleFont();
    auto s = style();
    s.wrap = true;
    s.boxWidth = 20;
    s.boxHeight = 32;
    draw(1, "AAAAAA", 100, 100, s);
    EXPECT_EQ(hw().count("ReadFont"), 4u); // two lines of two, the third line would pass
    EXPECT_EQ(hw().pixel(4, 100, 116), 0x1234);
    EXPECT_EQ(hw().pixel(4, 108, 116), 0x1234);
    EXPECT_EQ(hw().pixel(4, 116, 100), 0);
}

TEST_F(Text, WithoutWrapGlyphReachingRightEdgeGoesToColumnZero) {
    singleFont();
    draw(1, "AB", 790, 40, style());
    EXPECT_EQ(hw().pixel(4, 790, 40), 0x1234);
    EXPECT_EQ(hw().pixel(4, 0, 56), 0x1234);
    EXPECT_EQ(hw().outOfRange, 0);
}

TEST_F(Text, BackgroundFlagFillsTheCell) {
    singleFont();
    auto s = style();
    s.withBackground = true;
    s.background = 0x0F0F;
    draw(1, "A", 0, 0, s);
    EXPECT_EQ(hw().pixel(4, 3, 5), 0x0F0F);
    EXPECT_EQ(hw().pixel(4, 0, 0), 0x1234);
    EXPECT_EQ(hw().pixel(4, 8, 0), 0);
}

TEST_F(Text, GlyphAddressBelowBaseMeansNoFont) {
    addFont(0, 1, 2, 8, 16, 0x11FFFF);
    draw(1, "A", 0, 0, style());
    EXPECT_EQ(hw().count("ReadFont"), 0u);
}

TEST_F(Text, FailedReadsDrawNothing) {
    singleFont();
    hw().fontReadsFail = true;
    draw(1, "AB", 0, 0, style());
    EXPECT_EQ(hw().pixelsNot(4, 0), 0);
    hw().fontReadsFail = false;
    hw().fontData.resize(100); // glyph 'A' lies beyond the end now
    draw(1, "A", 0, 0, style());
    EXPECT_EQ(hw().pixelsNot(4, 0), 0);
}

TEST_F(Text, HugeGlyphsAtTheCornerStayInBounds) {
    addFont(0, 3, 1, 255, 255, 0x120000);
    hw().fontData.assign(32 * 255 * 40000, 0xFF);
    auto s = style();
    s.withBackground = true;
    draw(3, "\xFE\xFEz", 700, 500, s);
    EXPECT_EQ(hw().outOfRange, 0);
}

TEST_F(Text, GlyphIndexes) {
    EXPECT_EQ(nimbrel::glyphIndex(0, 0xB0, 0xA1), 1410);
    EXPECT_EQ(nimbrel::glyphIndex(1, 0x81, 0x40), 0);
    EXPECT_EQ(nimbrel::glyphIndex(1, 0x81, 0x7E), 0x3E);
    EXPECT_EQ(nimbrel::glyphIndex(1, 0x81, 0x80), 0x3F);
    EXPECT_EQ(nimbrel::glyphIndex(1, 0x82, 0x40), 190);
    EXPECT_EQ(nimbrel::glyphIndex(3, 0xA1, 0x40), 0);
    EXPECT_EQ(nimbrel::glyphIndex(3, 0xA1, 0xA1), 0xA1 - 0x62);
    EXPECT_EQ(nimbrel::glyphIndex(3, 0xA2, 0x40), 157);
    EXPECT_EQ(nimbrel::glyphIndex(2, 0x41, 0x00), 0x41);
    EXPECT_EQ(nimbrel::glyphIndex(0, 0x41, 0x41), -1);
}

TEST_F(Text, MeasureCountsSingleByteAsHalfWidthInDoubleFont) {
    doubleFont(0);
    nimbrel::TextExtent extent{};
    const std::uint8_t text[] = {'a', 'b', 0xB0, 0xA1};
    ASSERT_TRUE(nimbrel::measureText(5, text, sizeof text, 100, 100, 0, 0, &extent));
    EXPECT_EQ(extent.lastLineWidth, 8 + 8 + 16);
    EXPECT_EQ(extent.lastLineTop, 0);
    EXPECT_EQ(extent.height, 16);
    ASSERT_TRUE(nimbrel::measureText(5, text, sizeof text, 24, 100, 0, 0, &extent));
    EXPECT_EQ(extent.lastLineWidth, 16);
    EXPECT_EQ(extent.lastLineTop, 16);
    EXPECT_FALSE(nimbrel::measureText(9, text, sizeof text, 24, 100, 0, 0, &extent));
}

TEST_F(Text, DrawTextCommandEndsAtTheTail) {
    singleFont();
    feed(frame({0x20, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x01, 'A', 'B'}));
    EXPECT_EQ(fontAddresses(), (std::vector<long>{65 * 16, 66 * 16}));
    EXPECT_EQ(hw().pixel(4, 10, 10), 0xF800);
    clearLog();
    feed(frame({0x20, 0x00, 0x0A, 0x00, 0x0A, 0x01, 0x01, 'A', 0x00, 'B'}));
    EXPECT_EQ(fontAddresses(), (std::vector<long>{65 * 16}));
    EXPECT_EQ(hw().pixel(4, 11, 12), 0x001F); // background flag: cell filled
}

} // namespace
} // namespace coretest
