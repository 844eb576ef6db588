// The system font pack as the panel's core reads it: the core's own text
// renderer over the shipped fonts, through an in-memory hardware layer.
#include "common/codec.h"
#include "core/hardware.h"
#include "fonttools/font_pack.h"
#include "fonttools/glyph_renderer.h"
#include "fonttools/shipped_fonts.h"
#include "recording_hardware.h"
#include "test_app.h"
#include "text.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace tft::fonttools;

namespace {

// The font table holds glyph addresses whose data lie at address - 0x120000;
// the pack holds offsets into the data file, so the layer that serves the
// table adds the base.
constexpr std::uint32_t kGlyphBase = 0x120000;

class CoreFontPack : public ::testing::Test {
protected:
    void SetUp() override {
        // Drawn as the build draws the system fonts: with the shipped files only.
        test::ensureApp(true);
        setShippedFontFolder(test::appDir() + QStringLiteral("/fonts"));
        recording::hw().reset();
        recording::hw().logging = false;
        const std::filesystem::path fonts = (test::appDir() + "/font").toStdString();
        std::string error;
        ASSERT_TRUE(readFontList(fonts / "fonts.xml", list, error)) << error;
        ASSERT_TRUE(buildFontPack(fonts, 0xFFFFFFFFu, pack, error)) << error;
        std::vector<std::uint8_t> table = pack.index;
        for (std::size_t at = 0; at + kFontIndexRecordSize <= table.size();
             at += kFontIndexRecordSize) {
            std::uint32_t offset = table[at + 4] | table[at + 5] << 8 | table[at + 6] << 16 |
                                   static_cast<std::uint32_t>(table[at + 7]) << 24;
            offset += kGlyphBase;
            for (int i = 0; i < 4; ++i) {
                table[at + 4 + static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(offset >> (8 * i));
            }
        }
        recording::hw().fontIndex = table;
        recording::hw().fontData = pack.data;
        SelWriteLayer(4);
        GUI_ClearSCR(0);
    }

    const FontEntry& entry(int id) const {
        for (const FontEntry& f : list) {
            if (f.id == id) {
                return f;
            }
        }
        throw std::runtime_error("no font " + std::to_string(id));
    }

    // The glyph's bits straight from its file, rows padded to whole bytes.
    std::vector<std::uint8_t> glyph(int id, std::size_t index) const {
        const FontEntry& f = entry(id);
        const auto bytes =
            test::readFile(test::appDir() + "/font/" + QString::fromStdString(f.file));
        const std::size_t size = panelGlyphBytes(f.width, f.height);
        return {bytes.begin() + static_cast<std::ptrdiff_t>(index * size),
                bytes.begin() + static_cast<std::ptrdiff_t>((index + 1) * size)};
    }

    // Compares the layer at (x, y) with a glyph of font `id`.
    void expectGlyphAt(int id, std::size_t index, int x, int y) const {
        const FontEntry& f = entry(id);
        const auto bits = glyph(id, index);
        const int stride = (f.width + 7) / 8;
        int inked = 0;
        for (int row = 0; row < f.height; ++row) {
            for (int col = 0; col < f.width; ++col) {
                const bool set =
                    (bits[static_cast<std::size_t>(row * stride + col / 8)] >> (7 - col % 8)) & 1;
                inked += set;
                ASSERT_EQ(recording::hw().pixel(4, x + col, y + row) == 0xF800, set)
                    << "font " << id << " glyph " << index << " at " << col << "," << row;
            }
        }
        EXPECT_GT(inked, 0) << "font " << id << " glyph " << index;
    }

    // Compares the layer with the character rendered afresh: the same picture,
    // whatever the file's byte layout.
    void expectRenderedAt(const char* family, char32_t ch, int width, int height, int x,
                          int y) const {
        const auto shipped = loadShippedFamily(QString::fromLatin1(family));
        ASSERT_TRUE(shipped.has_value()) << family;
        FontFace face{*shipped, height, false, false};
        CellLayout layout;
        layout.width = width;
        layout.height = height;
        std::vector<std::uint8_t> cell(layout.cellBytes(), 0);
        GlyphRenderer(face, width, height).render(ch, layout, cell.data());
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                ASSERT_EQ(recording::hw().pixel(4, x + col, y + row) == 0xF800,
                          layout.pixel(cell.data(), col, row))
                    << col << "," << row;
            }
        }
    }

    void draw(int font, const std::string& utf8, int x, int y) {
        const tft::Converted gbk = tft::utf8ToGbk(utf8);
        ASSERT_TRUE(gbk.ok);
        nimbrel::TextStyle style{};
        style.colour = 0xF800;
        style.boxWidth = 800;
        style.boxHeight = 600;
        nimbrel::drawText(static_cast<std::uint8_t>(font),
                          reinterpret_cast<const std::uint8_t*>(gbk.bytes.data()), gbk.bytes.size(),
                          x, y, style);
    }

    std::vector<FontEntry> list;
    FontPack pack;
};

} // namespace

TEST_F(CoreFontPack, Gb2312TextWithAsciiPartUsesTheCompanion) {
    draw(5, "中A", 10, 20); // 16x16 Chinese, 8x16 companion for the A
    expectGlyphAt(5, (0xD6 - 0xA1) * 94 + (0xD0 - 0xA1), 10, 20);
    expectGlyphAt(1, 'A', 26, 20);
}

TEST_F(CoreFontPack, RowPaddedTwelvePixelFonts) {
    draw(4, "啊g", 100, 100); // 12x12 Chinese (two bytes a row), 6x12 companion
    expectGlyphAt(4, 15 * 94, 100, 100);
    expectGlyphAt(0, 'g', 112, 100);
    expectRenderedAt("WenQuanYi Zen Hei Sharp", U'啊', 12, 12, 100, 100);
    expectRenderedAt("Terminus", U'g', 6, 12, 112, 100);
}

TEST_F(CoreFontPack, AsciiMainFontWithChinesePart) {
    draw(2, "x中", 0, 300); // 12x24 main font, 24x24 companion
    expectGlyphAt(2, 'x', 0, 300);
    expectGlyphAt(6, (0xD6 - 0xA1) * 94 + (0xD0 - 0xA1), 12, 300);
}
