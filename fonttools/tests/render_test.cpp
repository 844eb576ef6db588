#include "fonttools/glyph_renderer.h"
#include "test_app.h"

#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApp();
        font.family = defaultFaceName();
        font.pixelSize = 16;
    }
    FontFace font;
};

int inked(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
    int bits = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        bits += __builtin_popcount(bytes[i]);
    }
    return bits;
}

} // namespace

TEST_F(Render, DefaultFaceIsInstalledAndHasNoVerticalNames) {
    EXPECT_TRUE(isFamilyInstalled(font.family));
    for (const QString& family : installedFamilies()) {
        EXPECT_FALSE(family.contains(QLatin1Char('@'))) << family.toStdString();
    }
}

TEST_F(Render, CharacterIsCentredAndInked) {
    CellLayout layout;
    GlyphRenderer renderer(font, 16, 16);
    std::vector<std::uint8_t> cell(layout.cellBytes(), 0);
    renderer.render(U'中', layout, cell.data());
    EXPECT_GT(inked(cell, 0, cell.size()), 20);
    // 中 is symmetric: ink left and right of the middle is roughly even.
    int left = 0, right = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (layout.pixel(cell.data(), x, y)) {
                (x < 8 ? left : right) += 1;
            }
        }
    }
    EXPECT_LT(std::abs(left - right), std::max(left, right) / 2);
    std::vector<std::uint8_t> empty(layout.cellBytes(), 0);
    renderer.render(0, layout, empty.data());
    EXPECT_EQ(inked(empty, 0, empty.size()), 0);
}

TEST_F(Render, AsciiHalfWidthEightIsFourBytesAGlyph) {
    CellLayout layout;
    layout.width = 4;
    layout.height = 8;
    font.pixelSize = 8;
    const auto bytes = renderCharset(font, Charset::Ascii, layout);
    EXPECT_EQ(bytes.size(), 512u);
}

TEST_F(Render, Gb2312SixteenGlyphsLieAtTheirIndex) {
    CellLayout layout;
    std::vector<int> seen;
    const auto bytes =
        renderCharset(font, Charset::Gb2312, layout, [&](int percent) { seen.push_back(percent); });
    ASSERT_EQ(bytes.size(), 282752u);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // The glyph at byte 45120 is 啊 (B0A1), rendered the same way on its own.
    GlyphRenderer renderer(font, 16, 16);
    std::vector<std::uint8_t> cell(32, 0);
    renderer.render(U'啊', layout, cell.data());
    EXPECT_GT(inked(cell, 0, 32), 0);
    EXPECT_TRUE(std::equal(cell.begin(), cell.end(), bytes.begin() + 45120));
    // A1A1 is the ideographic space: an empty cell.
    EXPECT_EQ(inked(bytes, 0, 32), 0);
}

TEST_F(Render, EmptySampleText) {
    CellLayout layout;
    EXPECT_EQ(sampleArray(font, layout, QString()).toStdString(), "char data[]={\r\n};");
}

TEST_F(Render, SampleArrayFormatIsByteExact) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x80, 0xFF, 0x0A};
    EXPECT_EQ(formatSampleArray(bytes, 2).toStdString(),
              "char data[]={\r\n    0x00,0x80,\r\n    0xFF,0x0A,\r\n};");
}

TEST_F(Render, SampleArrayHasOneLinePerCharacter) {
    CellLayout layout;
    layout.width = 8;
    layout.height = 8;
    const QString text = sampleArray(font, layout, QStringLiteral("A中"));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].count(QStringLiteral("0x")), 8);
    EXPECT_EQ(lines[2].count(QStringLiteral("0x")), 8);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("    0x")));
    EXPECT_EQ(lines[3], QStringLiteral("};"));
}

TEST_F(Render, AtomicWriteLeavesNothingOnFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/out.bin"));
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, {1, 2, 3}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    const QString good = dir.filePath(QStringLiteral("out.bin"));
    ASSERT_TRUE(writeFileAtomically(good, {1, 2, 3}, &error));
    EXPECT_EQ(test::readFile(good), (std::vector<std::uint8_t>{1, 2, 3}));
}
