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

Result runProgram(const QString& program, const QStringList& args, const QStringList& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& assignment : environment) {
        env.insert(assignment.section(QLatin1Char('='), 0, 0),
                   assignment.section(QLatin1Char('='), 1));
    }
    process.setProcessEnvironment(env);
    process.start(program, args);
    Result result;
    if (!process.waitForFinished(-1)) {
        ADD_FAILURE() << program.toStdString() << " did not run";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

Result glyphorn(const QStringList& args, const QStringList& environment = {}) {
    return runProgram(test::appDir() + QStringLiteral("/glyphorn"),
                      QStringList{QStringLiteral("--batch")} + args, environment);
}

// A font configuration with no fonts at all, and a locale and time zone far
// from the build machine's: what a program draws must not notice.
QStringList foreignMachine(const QTemporaryDir& dir) {
    const QString config = dir.filePath(QStringLiteral("empty-fonts.conf"));
    test::writeText(config, "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    return {QStringLiteral("FONTCONFIG_FILE=") + config, QStringLiteral("LC_ALL=C"),
            QStringLiteral("TZ=Pacific/Kiritimati")};
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
    EXPECT_FALSE(QFile::exists(out));
}

// Batch generation draws with the shipped font files: the system fonts made
// at build time come out the same on a machine without any installed font,
// and the families a command line names are mapped onto the shipped faces.
TEST(GlyphornBatch, SystemFontsAreTheSameOnAMachineWithoutFonts) {
    QTemporaryDir dir;
    const QStringList foreign = foreignMachine(dir);
    const struct {
        const char* family;
        const char* charset;
        const char* cell;
        bool half;
        const char* file;
    } fonts[] = {{"Terminus", "ASCII", "16", true, "ASCII_8_16.bin"},
                 {"Terminus", "ASCII", "12", true, "ASCII_6_12.bin"},
                 {"WenQuanYi Zen Hei Sharp", "GB2312", "12", false, "GB2312_12_12.bin"},
                 {"WenQuanYi Zen Hei Sharp", "GB2312", "16", false, "GB2312_16_16.bin"},
                 {"WenQuanYi Zen Hei Sharp", "GB2312", "24", false, "GB2312_24_24.bin"}};
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.file);
        const QString out = dir.filePath(QLatin1String(f.file));
        QStringList args{"--family", f.family, "--charset", f.charset, "--cell", f.cell, "-o", out};
        if (f.half) {
            args << QStringLiteral("--half-width");
        }
        if (QByteArray(f.cell) == "12") {
            args << QStringLiteral("--row-padded");
        }
        const Result generated = glyphorn(args, foreign);
        ASSERT_EQ(generated.exitCode, 0) << generated.err.toStdString();
        EXPECT_EQ(test::readFile(out),
                  test::readFile(test::appDir() + "/font/" + QLatin1String(f.file)));
    }
    // Arial is drawn with the shipped Latin face, 宋体 with the Chinese one.
    const auto ascii = [&](const char* family) {
        const QString out = dir.filePath(QStringLiteral("family.bin"));
        EXPECT_EQ(glyphorn({"--family", family, "--charset", "ASCII", "--cell", "16",
                            "--half-width", "-o", out},
                           foreign)
                      .exitCode,
                  0);
        return test::readFile(out);
    };
    EXPECT_EQ(ascii("Arial"), ascii("Liberation Sans"));
    EXPECT_EQ(ascii("宋体"), ascii("WenQuanYi Zen Hei"));
    EXPECT_NE(ascii("Arial"), ascii("宋体"));
}

TEST(KeyboardArt, PicturesAreTheSameOnAMachineWithoutFonts) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("fonts")));
    for (const char* file : {"wqy-zenhei.ttc", "LiberationSans-Regular.ttf"}) {
        ASSERT_TRUE(QFile::copy(test::appDir() + "/fonts/" + QLatin1String(file),
                                dir.filePath(QStringLiteral("fonts/") + QLatin1String(file))));
    }
    const Result drawn = runProgram(
        QStringLiteral(KEYBOARD_ART_PROGRAM),
        {QStringLiteral(TFT_SOURCE_DIR "/data/DeviceInfo.xml"), dir.path()}, foreignMachine(dir));
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    const QStringList pictures = QDir(dir.filePath(QStringLiteral("keyboard")))
                                     .entryList({QStringLiteral("*.png")}, QDir::Files);
    ASSERT_EQ(pictures.size(), 4);
    for (const QString& picture : pictures) {
        EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("keyboard/") + picture)),
                  test::readFile(test::appDir() + "/keyboard/" + picture))
            << picture.toStdString();
    }
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
