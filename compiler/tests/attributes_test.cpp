// Attribute values, identifiers and the command line parser.
#include "compiler/attributes.h"
#include "compiler/identifiers.h"
#include "compiler/options.h"

#include <gtest/gtest.h>

using tft::rgb;

TEST(Colour, ReadsRgbWithOptionalBlanksAfterSemicolons) {
    EXPECT_EQ(tft::parseColour("255;0;0"), rgb(255, 0, 0));
    EXPECT_EQ(tft::parseColour("1; 2;  3"), rgb(1, 2, 3));
    EXPECT_EQ(tft::parseColour("0;0;255"), 0xFF0000u);
    EXPECT_EQ(tft::parseColour("12;34;56"), 12u + 34u * 256u + 56u * 65536u);
}

TEST(Colour, MalformedOrOutOfRangeIsRejected) {
    for (const char* bad : {"256;0;0", "0;0;1000", "1;2", "1;2;3;4", "", " 1;2;3", "1 ;2;3",
                            "a;b;c", "-1;0;0", "1;2;3 ", "99999999999;0;0"})
        EXPECT_FALSE(tft::parseColour(bad).has_value()) << bad;
}

TEST(Colour, WrittenWithoutBlanksAndReadBack) {
    EXPECT_EQ(tft::formatColour(rgb(192, 168, 1)), "192;168;1");
    EXPECT_EQ(tft::parseColour(tft::formatColour(rgb(7, 8, 9))), rgb(7, 8, 9));
}

TEST(Colour, Rgb565PacksTheHighBits) {
    EXPECT_EQ(tft::colourToRgb565(rgb(255, 0, 0)), 0xF800);
    EXPECT_EQ(tft::colourToRgb565(rgb(0, 255, 0)), 0x07E0);
    EXPECT_EQ(tft::colourToRgb565(rgb(0, 0, 255)), 0x001F);
    EXPECT_EQ(tft::colourToRgb565(rgb(8, 4, 8)), 0x0821);
}

TEST(Integer, WholeValueMustBeADecimalInteger) {
    EXPECT_EQ(tft::parseInteger("42"), 42);
    EXPECT_EQ(tft::parseInteger(" -7 "), -7);
    EXPECT_EQ(tft::parseInteger("+3"), 3);
    for (const char* bad : {"", " ", "12abc", "1.5", "0x10", "2147483648", "--1", "+"})
        EXPECT_FALSE(tft::parseInteger(bad).has_value()) << bad;
}

TEST(Real, FiniteDecimalsOnly) {
    EXPECT_EQ(tft::parseReal("8.5"), 8.5);
    EXPECT_EQ(tft::parseReal("-5"), -5.0);
    for (const char* bad : {"", "nan", "inf", "1e999", "1,5", "x"})
        EXPECT_FALSE(tft::parseReal(bad).has_value()) << bad;
    EXPECT_EQ(tft::parseReal(tft::formatReal(0.1)), 0.1);
}

TEST(Identifier, OtherCharactersBecomeTheirUtf16Code) {
    EXPECT_EQ(tft::identifierName({"SCREEN", "main 1"}), "_SCREEN_MAIN00201");
    EXPECT_EQ(tft::identifierName({"BTN", "main", "ok_2"}), "_BTN_MAIN_OK_2");
    // 画 is U+753B; the hexadecimal digits are upper-cased with the rest.
    EXPECT_EQ(tft::identifierName({"SCREEN", "画"}), "_SCREEN_753B");
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(tft::identifierName({"X", "\xF0\x9F\x98\x80"}), "_X_D83DDE00");
    // A stray byte that is not UTF-8 stands for itself.
    EXPECT_EQ(tft::identifierName({"X", "a\xFF"}), "_X_A00FF");
}

TEST(Identifier, DefineLineIsPaddedToItsColumns) {
    const std::string line = tft::defineLine("_SCREEN_MAIN00201", 3);
    EXPECT_EQ(line, "#define  _SCREEN_MAIN00201" + std::string(60 - 17, ' ') + " " +
                        std::string(9, ' ') + "3\n\n");
}

TEST(Identifier, SecondValueForOneNameClashes) {
    tft::IdentifierMap map;
    EXPECT_EQ(map.add("_A", 1, "//a\n"), tft::IdentifierMap::Result::Added);
    EXPECT_EQ(map.add("_A", 1, "//again\n"), tft::IdentifierMap::Result::Known);
    EXPECT_EQ(map.add("_A", 2, "//other\n"), tft::IdentifierMap::Result::Clash);
    EXPECT_EQ(map.definitions(), "//a\n" + tft::defineLine("_A", 1));
}

TEST(CommandLine, OptionsTakeOneOrTwoDashesAndAnyCase) {
    const auto r = tft::parseCommandLine({"--P", "a/b.tftprj", "-O", "Main", "-L", "1"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.projectPath, "a/b.tftprj");
    EXPECT_TRUE(r.options.singleScreen);
    EXPECT_EQ(r.options.screenName, "main");
    EXPECT_EQ(r.options.language, 1);
}

TEST(CommandLine, DefaultsWithoutOptions) {
    const auto r = tft::parseCommandLine({});
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.options.projectPath.empty());
    EXPECT_EQ(r.options.language, 0);
    EXPECT_FALSE(r.options.singleScreen);
}

TEST(CommandLine, ValuesMayLookLikeOptions) {
    const auto r = tft::parseCommandLine({"-o", "-p", "-p", "x.tftprj"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.screenName, "-p");
    EXPECT_EQ(r.options.projectPath, "x.tftprj");
}

TEST(CommandLine, ParseErrors) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"-x", "1"},
                                                {"-p"},
                                                {"---p", "x"},
                                                {"-pl", "x"},
                                                {"p", "x"},
                                                {"-l", "1x"},
                                                {"-l", ""},
                                                {"-", "x"}}) {
        EXPECT_FALSE(tft::parseCommandLine(bad).ok) << bad[0];
    }
}
