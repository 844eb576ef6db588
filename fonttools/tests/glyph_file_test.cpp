#include "fonttools/glyph_file.h"
#include "test_app.h"

#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

CellLayout cell(int w, int h) {
    CellLayout l;
    l.width = w;
    l.height = h;
    return l;
}

} // namespace

TEST(GlyphFile, RowCounts) {
    EXPECT_EQ(viewerRowCount(128 * 16, cell(8, 16)), 8u);
    EXPECT_EQ(viewerRowCount(8836 * 32, cell(16, 16)), 552u); // last 4 glyphs not shown
    EXPECT_EQ(viewerRowCount(16 * 32 - 1, cell(16, 16)), 0u);
    EXPECT_EQ(viewerRowCount(1000, cell(0, 16)), 0u);
}

TEST(GlyphFile, ReadsWholeCellsOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.bin"));
    std::vector<std::uint8_t> bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    test::writeFile(path, bytes);
    GlyphFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(file.size(), 100u);
    std::vector<std::uint8_t> out;
    const CellLayout l = cell(8, 4); // 4 bytes
    ASSERT_TRUE(file.readCell(24, l, out));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{96, 97, 98, 99}));
    EXPECT_FALSE(file.readCell(25, l, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(file.readCell(~0ull, l, out));
    EXPECT_FALSE(file.readCell(0, cell(0, 0), out));
    file.close();
    EXPECT_FALSE(file.readCell(0, l, out));
    EXPECT_FALSE(file.open(dir.filePath(QStringLiteral("absent.bin"))));
    EXPECT_FALSE(file.isOpen());
}

TEST(GlyphFile, CellsFromMemoryFollowTheSameBounds) {
    const std::vector<std::uint8_t> bytes(33, 0xAA);
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(cellFromBytes(bytes.data(), bytes.size(), 0, cell(16, 16), out));
    EXPECT_EQ(out.size(), 32u);
    EXPECT_FALSE(cellFromBytes(bytes.data(), bytes.size(), 1, cell(16, 16), out));
    EXPECT_FALSE(cellFromBytes(nullptr, 0, 0, cell(16, 16), out));
}

TEST(GlyphFile, DecodeMatchesTheLayout) {
    CellLayout l = cell(8, 2);
    const std::uint8_t bytes[2] = {0x81, 0x00};
    auto px = decodeCell(bytes, l);
    ASSERT_EQ(px.size(), 16u);
    EXPECT_TRUE(px[0]);
    EXPECT_TRUE(px[7]);
    EXPECT_FALSE(px[8]);
    l.scan = Scan::Vertical; // bits run down the columns
    px = decodeCell(bytes, l);
    EXPECT_TRUE(px[0]);     // bit 0 -> (0,0)
    EXPECT_TRUE(px[8 + 3]); // bit 7 -> x 3, y 1
}
