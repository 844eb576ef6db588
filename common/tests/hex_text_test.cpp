#include "common/hex_text.h"

#include <gtest/gtest.h>

using namespace tft;
using Bytes = std::vector<std::uint8_t>;

TEST(HexText, FormatsEveryByteWithATrailingBlank) {
    EXPECT_EQ(toHexText(Bytes{0xEE, 0x0A, 0xff}), "EE 0A FF ");
    EXPECT_EQ(toHexText(Bytes{}), "");
}

TEST(HexText, ParsesTokensSplitAtBlanks) {
    const HexParse p = parseHexText("  EE b1\t10 0 1\r\nff  ");
    EXPECT_EQ(p.bytes, (Bytes{0xEE, 0xB1, 0x10, 0x00, 0x01, 0xFF}));
    EXPECT_FALSE(p.truncated);
}

TEST(HexText, KeepsTheLowEightBitsAndReadsPrefixes) {
    EXPECT_EQ(parseHexText("1234 0x1F 7zz").bytes, (Bytes{0x34, 0x1F, 0x07}));
}

TEST(HexText, MalformedTokenGivesZero) {
    EXPECT_EQ(parseHexText("zz EE x").bytes, (Bytes{0x00, 0xEE, 0x00}));
}

TEST(HexText, RoundTrip) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(parseHexText(toHexText(all)).bytes, all);
}

TEST(HexText, CutsAtTheLimitAndSaysSo) {
    std::string text;
    for (int i = 0; i < 1030; ++i)
        text += "AB ";
    const HexParse p = parseHexText(text);
    EXPECT_EQ(p.bytes.size(), 1024u);
    EXPECT_TRUE(p.truncated);
    EXPECT_EQ(p.tokens, 1030u);
    EXPECT_FALSE(parseHexText(text, 2000).truncated);
}
