#include "common/codec.h"

#include <gtest/gtest.h>

using namespace tft;

TEST(Codec, GbkRoundTrip) {
    const std::string text = "温度 25℃ OK";
    const Converted gbk = utf8ToGbk(text);
    ASSERT_TRUE(gbk) << gbk.error;
    // 温 is CE C2 in code page 936; ASCII stays single bytes.
    EXPECT_EQ(gbk.bytes.substr(0, 2), "\xCE\xC2");
    EXPECT_EQ(gbk.bytes.size(), 2u + 2u + 1u + 2u + 2u + 1u + 2u);
    const Converted back = gbkToUtf8(gbk.bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.bytes, text);
}

TEST(Codec, Big5RoundTrip) {
    const std::string text = "繁體中文";
    const Converted big5 = utf8ToBig5(text);
    ASSERT_TRUE(big5) << big5.error;
    EXPECT_EQ(big5.bytes.size(), 8u);
    EXPECT_EQ(big5ToUtf8(big5.bytes).bytes, text);
}

TEST(Codec, EmptyText) {
    EXPECT_TRUE(utf8ToGbk(""));
    EXPECT_EQ(utf8ToGbk("").bytes, "");
}

TEST(Codec, InvalidUtf8IsAnErrorWithItsOffset) {
    const Converted c = utf8ToGbk(std::string("ab\xFF"
                                              "cd"));
    EXPECT_FALSE(c);
    EXPECT_EQ(c.errorOffset, 2u);
    EXPECT_TRUE(c.bytes.empty());
    EXPECT_NE(c.error.find("byte 2"), std::string::npos);
}

TEST(Codec, CharacterOutsideGbkIsAnError) {
    const Converted c = utf8ToGbk("a😀"); // no emoji in code page 936
    EXPECT_FALSE(c);
    EXPECT_EQ(c.errorOffset, 1u);
}

TEST(Codec, TruncatedGbkSequenceIsAnError) {
    const Converted c = gbkToUtf8("A\xCE"); // lead byte without its trail
    EXPECT_FALSE(c);
    EXPECT_EQ(c.errorOffset, 1u);
}

TEST(Codec, LongTextGrowsTheBuffer) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "中";
    const Converted gbk = utf8ToGbk(text);
    ASSERT_TRUE(gbk);
    EXPECT_EQ(gbk.bytes.size(), 10000u);
    EXPECT_EQ(gbkToUtf8(gbk.bytes).bytes, text);
}
