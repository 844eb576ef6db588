#include "fonttools/charset.h"
#include "fonttools/font_pack.h"
#include "fonttools/glyph_layout.h"
#include "test_app.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result glyphorn(const QStringList& args) {
    QProcess process;
    process.start(test::appDir() + QStringLiteral("/glyphorn"),
                  QStringList{QStringLiteral("--batch")} + args);
    Result run;
    if (!process.waitForFinished(-1)) {
        ADD_FAILURE() << "glyphorn did not run";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(GlyphornBatch, AsciiHalfWidthEight) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("a.bin"));
    const Result run = glyphorn({"--charset", "ASCII", "--cell", "8", "--half-width", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(out).size(), 512);
    EXPECT_TRUE(run.err.contains(QStringLiteral("100%")));
}

TEST(GlyphornBatch, Gb2312SixteenSizeAndVerticalLsbLayout) {
    QTemporaryDir dir;
    const QString horizontal = dir.filePath(QStringLiteral("h.bin"));
    const QString vertical = dir.filePath(QStringLiteral("v.bin"));
    ASSERT_EQ(glyphorn({"--charset", "GB2312", "--cell", "16", "-o", horizontal}).exitCode, 0);
    ASSERT_EQ(glyphorn({"--charset", "GB2312", "--cell", "16", "--vertical", "--lsb-first", "-o",
                        vertical})
                  .exitCode,
              0);
    const auto h = test::readFile(horizontal);
    const auto v = test::readFile(vertical);
    ASSERT_EQ(h.size(), 282752u);
    ASSERT_EQ(v.size(), 282752u);
    // Same pixels, other order: re-reading each cell in its own layout agrees.
    CellLayout hl, vl;
    vl.scan = Scan::Vertical;
    vl.msbFirst = false;
    for (int index : {15 * 94, 3000, 8000}) {
        const std::size_t at = static_cast<std::size_t>(index) * 32;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                ASSERT_EQ(hl.pixel(h.data() + at, x, y), vl.pixel(v.data() + at, x, y))
                    << index << " " << x << "," << y;
            }
        }
    }
}

TEST(GlyphornBatch, RowPaddedCellsKeepPaddingBitsClear) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("p.bin"));
    ASSERT_EQ(
        glyphorn({"--charset", "ASCII", "--cell", "12", "--half-width", "--row-padded", "-o", out})
            .exitCode,
        0);
    const auto bytes = test::readFile(out);
    ASSERT_EQ(bytes.size(), 128u * 12u);
    int inked = 0;
    for (std::uint8_t b : bytes) {
        EXPECT_EQ(b & 0x03, 0); // a 6-pixel row uses bits 7..2
        inked += b != 0;
    }
    EXPECT_GT(inked, 100);
}

TEST(GlyphornBatch, UnwritableOutputFailsWithMessageAndNoFile) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("no/such/folder/x.bin"));
    const Result run = glyphorn({"--charset", "ASCII", "--cell", "8", "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write"))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(GlyphornBatch, BadCommandLines) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.bin"));
    Result run = glyphorn({"--charset", "BIG5", "-o", out});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("unknown character set \"BIG5\"")));
    run = glyphorn({"--charset", "ASCII"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no output file")));
    run = glyphorn({"--cell", "5", "--half-width", "-o", out}); // 2x5 bits: not whole bytes
    EXPECT_EQ(run.exitCode, 2);
    run = glyphorn({"--cell", "0", "-o", out});
    EXPECT_EQ(run.exitCode, 2);
    run = glyphorn({"--family", "No Such Face 4711", "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("\"No Such Face 4711\" is not installed")));
    EXPECT_FALSE(QFile::exists(out));
}

TEST(SystemFonts, EveryListedFontWasGeneratedInThePanelsForm) {
    std::vector<FontEntry> fonts;
    std::string error;
    ASSERT_TRUE(readFontList((test::appDir() + "/font/fonts.xml").toStdString(), fonts, error))
        << error;
    ASSERT_GE(fonts.size(), 8u);
    bool hasSingle[256] = {};
    for (const FontEntry& f : fonts) {
        const QString path = test::appDir() + "/font/" + QString::fromStdString(f.file);
        EXPECT_EQ(static_cast<std::size_t>(QFileInfo(path).size()),
                  fontGlyphCount(f.type) * panelGlyphBytes(f.width, f.height))
            << f.file;
        if (f.type == kEncodingSingleByte) {
            hasSingle[f.height] = true;
        }
    }
    // The core's own texts: English in font 1, Chinese in font 5, keyboard text in font 6.
    const auto find = [&](int id) {
        return std::find_if(fonts.begin(), fonts.end(),
                            [&](const FontEntry& f) { return f.id == id; });
    };
    ASSERT_NE(find(1), fonts.end());
    EXPECT_EQ(find(1)->type, kEncodingSingleByte);
    ASSERT_NE(find(5), fonts.end());
    EXPECT_EQ(find(5)->type, kEncodingGb2312);
    ASSERT_NE(find(6), fonts.end());
    // Every double-byte font has a single-byte companion of its height.
    for (const FontEntry& f : fonts) {
        if (f.type != kEncodingSingleByte) {
            EXPECT_TRUE(hasSingle[f.height]) << f.name;
        }
    }
}
