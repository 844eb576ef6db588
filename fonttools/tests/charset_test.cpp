#include "fonttools/charset.h"

#include <gtest/gtest.h>

using namespace tft::fonttools;

TEST(Charset, GlyphCountsAndNames) {
    EXPECT_EQ(glyphCount(Charset::Ascii), 128);
    EXPECT_EQ(glyphCount(Charset::Gb2312), 8836);
    EXPECT_EQ(glyphCount(Charset::Gbk), 23940);
    EXPECT_EQ(parseCharset("GB2312"), Charset::Gb2312);
    EXPECT_EQ(parseCharset("gbk"), std::nullopt);
}

TEST(Charset, Gb2312Index) {
    EXPECT_EQ(glyphIndex(Charset::Gb2312, 0xB0A1), 15 * 94);
    EXPECT_EQ(*glyphIndex(Charset::Gb2312, 0xB0A1) * 32, 45120);
    EXPECT_EQ(glyphIndex(Charset::Gb2312, 0xFEFE), 8835);
    EXPECT_EQ(glyphIndex(Charset::Gb2312, 0xA0A1), std::nullopt);
    EXPECT_EQ(glyphIndex(Charset::Gb2312, 0xB0FF), std::nullopt);
}

TEST(Charset, GbkSkipsTrail7F) {
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0x817E), 62);
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0x8180), 63);
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0x817F), std::nullopt);
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0x813F), std::nullopt);
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0x8240), 190);
    EXPECT_EQ(glyphIndex(Charset::Gbk, 0xFEFE), 23939);
    for (int i = 0; i < glyphCount(Charset::Gbk); ++i) {
        ASSERT_NE(codeAt(Charset::Gbk, i) & 0xFF, 0x7F) << i;
    }
}

TEST(Charset, CodeAtInvertsIndexForEverySet) {
    for (Charset set : {Charset::Ascii, Charset::Gb2312, Charset::Gbk}) {
        for (int i = 0; i < glyphCount(set); ++i) {
            ASSERT_EQ(glyphIndex(set, codeAt(set, i)), i) << charsetName(set) << " " << i;
        }
    }
}

TEST(Charset, CharactersThroughCodePage936) {
    const auto gb = charsetCharacters(Charset::Gb2312);
    ASSERT_EQ(gb.size(), 8836u);
    EXPECT_EQ(gb[0], U'\u3000');                             // A1A1
    EXPECT_EQ(gb[static_cast<std::size_t>(15 * 94)], U'啊'); // B0A1
    EXPECT_EQ(gb[static_cast<std::size_t>(*glyphIndex(Charset::Gb2312, 0xD6D0))], U'中');
    // A row with unassigned codes keeps its assigned ones (A2A1.. has gaps).
    EXPECT_EQ(gb[static_cast<std::size_t>(*glyphIndex(Charset::Gb2312, 0xA2F1))], U'Ⅰ');
    const auto gbk = charsetCharacters(Charset::Gbk);
    ASSERT_EQ(gbk.size(), 23940u);
    EXPECT_EQ(gbk[0], U'丂'); // 8140
    EXPECT_EQ(gbk[static_cast<std::size_t>(*glyphIndex(Charset::Gbk, 0xB0A1))], U'啊');
    const auto ascii = charsetCharacters(Charset::Ascii);
    EXPECT_EQ(ascii[0x41], U'A');
}
