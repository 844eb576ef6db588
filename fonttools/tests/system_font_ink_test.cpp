// The system fonts made at build time, read back from the application folder
// and checked against the faces they are drawn from: no glyph lost, none cut
// by its cell, and the strokes that small sizes tend to lose still there.
#include "fonttools/charset.h"
#include "fonttools/font_pack.h"
#include "fonttools/glyph_renderer.h"
#include "fonttools/shipped_fonts.h"
#include "test_app.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

struct SystemFont {
    FontEntry entry;
    Charset charset = Charset::Ascii;
    CellLayout layout;
    std::vector<std::uint8_t> bytes;

    // The face the build draws this font with (fonttools/system_fonts.cmake).
    QString face() const {
        return charset == Charset::Ascii ? QStringLiteral("Terminus")
                                         : QStringLiteral("WenQuanYi Zen Hei Sharp");
    }
    const std::uint8_t* glyph(std::size_t index) const {
        return bytes.data() + index * layout.cellBytes();
    }
};

std::vector<SystemFont> systemFonts() {
    test::ensureApp(true);
    setShippedFontFolder(test::appDir() + QStringLiteral("/fonts"));
    std::vector<FontEntry> entries;
    std::string error;
    EXPECT_TRUE(readFontList((test::appDir() + "/font/fonts.xml").toStdString(), entries, error))
        << error;
    std::vector<SystemFont> fonts;
    for (const FontEntry& entry : entries) {
        SystemFont font;
        font.entry = entry;
        font.charset = entry.type == kEncodingSingleByte ? Charset::Ascii : Charset::Gb2312;
        font.layout.width = entry.width;
        font.layout.height = entry.height;
        font.layout.rowPadded = entry.width % 8 != 0;
        font.bytes = test::readFile(test::appDir() + "/font/" + QString::fromStdString(entry.file));
        EXPECT_EQ(font.bytes.size(),
                  static_cast<std::size_t>(glyphCount(font.charset)) * font.layout.cellBytes())
            << entry.file;
        fonts.push_back(std::move(font));
    }
    return fonts;
}

// The inked pixels of one cell, as rows of '#' and '.' for messages.
struct Cell {
    const CellLayout& layout;
    const std::uint8_t* bits;

    bool at(int x, int y) const { return layout.pixel(bits, x, y); }
    int rowInk(int y) const {
        if (y < 0 || y >= layout.height)
            return 0;
        int n = 0;
        for (int x = 0; x < layout.width; ++x)
            n += at(x, y) ? 1 : 0;
        return n;
    }
    int columnInk(int x) const {
        int n = 0;
        for (int y = 0; y < layout.height; ++y)
            n += at(x, y) ? 1 : 0;
        return n;
    }
    int firstRow() const {
        for (int y = 0; y < layout.height; ++y)
            if (rowInk(y) > 0)
                return y;
        return -1;
    }
    int lastRow() const {
        for (int y = layout.height - 1; y >= 0; --y)
            if (rowInk(y) > 0)
                return y;
        return -1;
    }
    int inkedRows() const {
        int n = 0;
        for (int y = 0; y < layout.height; ++y)
            n += rowInk(y) > 0 ? 1 : 0;
        return n;
    }
    int tallestColumn() const {
        int most = 0;
        for (int x = 0; x < layout.width; ++x)
            most = std::max(most, columnInk(x));
        return most;
    }
    std::string picture() const {
        std::string text = "\n";
        for (int y = 0; y < layout.height; ++y) {
            for (int x = 0; x < layout.width; ++x)
                text += at(x, y) ? '#' : '.';
            text += '\n';
        }
        return text;
    }
};

// Whether the outline of `ch` in `family` covers anything at all.
bool outlineHasInk(const QFont& font, char32_t ch) {
    if (!QFontMetricsF(font).inFontUcs4(ch))
        return false;
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUcs4(&ch, 1));
    const QRectF box = path.boundingRect();
    return box.width() > 0 && box.height() > 0;
}

} // namespace

// ASCII glyphs are checked against the shipped outline face that stands for
// Latin text, GB2312 glyphs against the outlines of the face they are drawn
// from: a character with ink there must have ink in every system font.
TEST(SystemFontInk, EveryGlyphWithInkInTheOutlineHasInkInItsCell) {
    const std::vector<SystemFont> fonts = systemFonts();
    ASSERT_GE(fonts.size(), 8u);
    for (const SystemFont& font : fonts) {
        SCOPED_TRACE(font.entry.file);
        const QString outlineFace = font.charset == Charset::Ascii
                                        ? QStringLiteral("Liberation Sans")
                                        : QStringLiteral("WenQuanYi Zen Hei Sharp");
        const auto family = loadShippedFamily(outlineFace);
        ASSERT_TRUE(family.has_value());
        QFont outline(*family);
        outline.setPixelSize(64);
        outline.setStyleStrategy(QFont::NoFontMerging);
        const std::vector<char32_t> chars = charsetCharacters(font.charset);
        int checked = 0;
        std::vector<std::string> empty;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] == 0 || !outlineHasInk(outline, chars[i]))
                continue;
            ++checked;
            if (Cell{font.layout, font.glyph(i)}.inkedRows() == 0)
                empty.push_back(QString::fromUcs4(&chars[i], 1).toStdString());
        }
        EXPECT_GE(checked, font.charset == Charset::Ascii ? 94 : 7000);
        EXPECT_TRUE(empty.empty())
            << empty.size() << " empty, first " << (empty.empty() ? "" : empty.front());
        // The space is blank.
        const Cell space{font.layout, font.glyph(font.charset == Charset::Ascii ? 0x20 : 0)};
        EXPECT_EQ(space.inkedRows(), 0);
    }
}

// Every glyph, drawn again as the build drew it, comes out as stored and with
// all its ink inside the cell: nothing was cut off.
TEST(SystemFontInk, GlyphsLieWholeInsideTheirCells) {
    for (const SystemFont& font : systemFonts()) {
        SCOPED_TRACE(font.entry.file);
        FontFace face;
        face.family = *loadShippedFamily(font.face());
        face.pixelSize = font.layout.height;
        GlyphRenderer renderer(face, font.layout.width, font.layout.height);
        const QRect cellRect(0, 0, font.layout.width, font.layout.height);
        const std::vector<char32_t> chars = charsetCharacters(font.charset);
        std::vector<std::uint8_t> cell(font.layout.cellBytes());
        int outside = 0;
        int differ = 0;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            std::fill(cell.begin(), cell.end(), 0);
            renderer.render(chars[i], font.layout, cell.data());
            const QRect ink = renderer.inkBounds();
            if (!ink.isEmpty() && !cellRect.contains(ink)) {
                if (++outside <= 3)
                    ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(chars[i])
                                  << " ink outside the cell";
            }
            if (!std::equal(cell.begin(), cell.end(), font.glyph(i)) && ++differ <= 3)
                ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(chars[i])
                              << " differs from the stored glyph"
                              << Cell{font.layout, cell.data()}.picture()
                              << Cell{font.layout, font.glyph(i)}.picture();
        }
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(differ, 0);
    }
}

// The glyphs that small fonts used to lose: O's top and bottom rows, E's
// middle bar, the braces and the underscore, 下's top bar, the thin box line
// │ (A9A6) and the corner bracket 」 (A1B9).
TEST(SystemFontInk, ReferenceGlyphsKeepTopBottomAndThinStrokes) {
    for (const SystemFont& font : systemFonts()) {
        SCOPED_TRACE(font.entry.file);
        const int w = font.layout.width;
        const int h = font.layout.height;
        const auto cell = [&](std::size_t index) { return Cell{font.layout, font.glyph(index)}; };
        if (font.charset == Charset::Ascii) {
            const Cell o = cell('O');
            EXPECT_GE(o.firstRow(), 0) << o.picture();
            // A closed ring: bars at top and bottom, both sides on every row between.
            EXPECT_GE(o.rowInk(o.firstRow()), w / 3) << o.picture();
            EXPECT_GE(o.rowInk(o.lastRow()), w / 3) << o.picture();
            for (int y = o.firstRow() + 1; y < o.lastRow(); ++y)
                EXPECT_GE(o.rowInk(y), 2) << "row " << y << o.picture();
            EXPECT_GE(o.inkedRows(), h / 2) << o.picture();
            // E: three bars and a full stem.
            const Cell e = cell('E');
            int bars = 0;
            for (int y = 0; y < h; ++y)
                bars += e.rowInk(y) >= w / 2 ? 1 : 0;
            EXPECT_GE(bars, 3) << e.picture();
            EXPECT_GE(e.tallestColumn(), e.inkedRows()) << e.picture();
            for (const char brace : {'{', '}'}) {
                const Cell b = cell(static_cast<unsigned char>(brace));
                EXPECT_GE(b.inkedRows(), h / 2) << b.picture();
            }
            const Cell underscore = cell('_');
            EXPECT_GE(underscore.lastRow(), 0) << underscore.picture();
            EXPECT_GE(underscore.rowInk(underscore.lastRow()), w / 2) << underscore.picture();
            EXPECT_GE(underscore.lastRow(), h * 3 / 4) << underscore.picture();
        } else {
            const auto gb = [&](std::uint16_t code) {
                return cell(static_cast<std::size_t>(*glyphIndex(Charset::Gb2312, code)));
            };
            // 下: its top bar (what tells it from 卜) and the stem under it.
            const Cell xia = gb(0xCFC2);
            EXPECT_GE(xia.firstRow(), 0) << xia.picture();
            EXPECT_GE(xia.rowInk(xia.firstRow()), w * 3 / 4) << xia.picture();
            EXPECT_GE(xia.tallestColumn(), h * 2 / 3) << xia.picture();
            // │: one thin line over the full height.
            const Cell line = gb(0xA9A6);
            EXPECT_GE(line.tallestColumn(), h - 1) << line.picture();
            // 」: its upright and its foot.
            const Cell corner = gb(0xA1B9);
            EXPECT_GE(corner.lastRow(), 0) << corner.picture();
            EXPECT_GE(corner.tallestColumn(), h / 3) << corner.picture();
            EXPECT_GE(corner.rowInk(corner.lastRow()), 3) << corner.picture();
        }
    }
}

// The renderer on its own, with the shipped faces: a glyph wider than a
// half-width cell is shrunk into it rather than cut, a font size smaller than
// the cell leaves the glyph centred and whole, and a font larger than the
// cell is cut as asked.
TEST(GlyphRendererFit, GlyphsAreShrunkOrMovedIntoTheCell) {
    test::ensureApp(true);
    setShippedFontFolder(test::appDir() + QStringLiteral("/fonts"));
    FontFace face;
    face.family = *loadShippedFamily(QStringLiteral("Liberation Sans"));
    face.pixelSize = 16;
    CellLayout layout;
    layout.width = 8;
    GlyphRenderer renderer(face, layout.width, layout.height);
    for (const char32_t ch : {U'W', U'M', U'@', U'm', U'|', U'_'}) {
        std::vector<std::uint8_t> cell(layout.cellBytes(), 0);
        renderer.render(ch, layout, cell.data());
        const QRect ink = renderer.inkBounds();
        EXPECT_FALSE(ink.isEmpty()) << static_cast<char>(ch);
        EXPECT_TRUE(QRect(0, 0, 8, 16).contains(ink)) << static_cast<char>(ch);
        // Both sides of W and M are kept.
        const Cell drawn{layout, cell.data()};
        if (ch == U'W' || ch == U'M') {
            EXPECT_TRUE(drawn.columnInk(ink.left()) > 0 && drawn.columnInk(ink.right()) > 0);
        }
    }
    face.family = *loadShippedFamily(QStringLiteral("WenQuanYi Zen Hei"));
    face.pixelSize = 40;
    GlyphRenderer large(face, 16, 16);
    std::vector<std::uint8_t> cell(CellLayout{}.cellBytes(), 0);
    large.render(U'下', CellLayout{}, cell.data());
    EXPECT_GT(large.inkBounds().width(), 16);
}

// Glyphs of strokes thinner than a pixel come out of the outline whole at
// sizes without a bitmap strike, where one-bit hinting alone may drop them.
TEST(GlyphRendererFit, ThinStrokesSurviveAtEverySize) {
    test::ensureApp(true);
    setShippedFontFolder(test::appDir() + QStringLiteral("/fonts"));
    FontFace face;
    face.family = *loadShippedFamily(QStringLiteral("WenQuanYi Zen Hei"));
    for (int size = 5; size <= 64; ++size) {
        face.pixelSize = size;
        CellLayout layout;
        layout.width = size;
        layout.height = size;
        layout.rowPadded = true;
        GlyphRenderer renderer(face, size, size);
        for (const char32_t ch : {U'│', U'」', U'丨', U'丿', U'、'}) {
            std::vector<std::uint8_t> cell(layout.cellBytes(), 0);
            renderer.render(ch, layout, cell.data());
            const Cell drawn{layout, cell.data()};
            EXPECT_GT(drawn.inkedRows(), 0) << "size " << size << " U+" << std::hex
                                            << static_cast<unsigned>(ch) << drawn.picture();
            if (ch == U'│') {
                EXPECT_GE(drawn.tallestColumn(), size - 1) << "size " << size << drawn.picture();
            }
        }
    }
}
