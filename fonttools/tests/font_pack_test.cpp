#include "fonttools/font_pack.h"
#include "test_app.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

// A font folder with three single-byte fonts of distinct fill bytes; glyph
// data of 128 glyphs x 8 bytes (8x8).
class FontPackTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApp();
        folder = dir.path().toStdString();
        for (int id = 0; id < 3; ++id) {
            test::writeFile(
                dir.filePath(QStringLiteral("f%1.bin").arg(id)),
                std::vector<std::uint8_t>(1024 + id, static_cast<std::uint8_t>(id + 1)));
        }
        writeList(
            "<font id=\"0\" name=\"a\" type=\"2\" width=\"8\" height=\"8\" file=\"f0.bin\"/>"
            "<font id=\"1\" name=\"b\" type=\"2\" width=\"8\" height=\"8\" file=\"f1.bin\"/>"
            "<font id=\"2\" name=\"c\" type=\"2\" width=\"8\" height=\"8\" file=\"f2.bin\"/>");
    }
    void writeList(const std::string& fonts) {
        test::writeText(dir.filePath(QStringLiteral("fonts.xml")), "<fonts>" + fonts + "</fonts>");
    }
    QTemporaryDir dir;
    std::filesystem::path folder;
};

} // namespace

TEST_F(FontPackTest, MaskBitsZeroAndTwoPackExactlyThoseFonts) {
    FontPack pack;
    std::string error;
    ASSERT_TRUE(buildFontPack(folder, 0b101, pack, error)) << error;
    const std::vector<std::uint8_t> index = {0, 2, 8, 8, 0x00, 0x00, 0, 0,
                                             2, 2, 8, 8, 0x00, 0x04, 0, 0};
    EXPECT_EQ(pack.index, index);
    ASSERT_EQ(pack.data.size(), 1024u + 1026u);
    EXPECT_EQ(pack.data[0], 1);
    EXPECT_EQ(pack.data[1023], 1);
    EXPECT_EQ(pack.data[1024], 3);
    EXPECT_EQ(pack.data.back(), 3);
}

TEST_F(FontPackTest, WritesBothFilesAndEmptyMaskGivesEmptyFiles) {
    std::string error;
    const auto idx = folder / "out.fidx";
    const auto bin = folder / "out.fbin";
    ASSERT_EQ(writeFontPack(folder, 0b010, idx, bin, error), PackStatus::Written) << error;
    EXPECT_EQ(test::readFile(QString::fromStdString(idx.string())),
              (std::vector<std::uint8_t>{1, 2, 8, 8, 0, 0, 0, 0}));
    EXPECT_EQ(test::readFile(QString::fromStdString(bin.string())).size(), 1025u);
    ASSERT_EQ(writeFontPack(folder, 0, idx, bin, error), PackStatus::Written);
    EXPECT_TRUE(test::readFile(QString::fromStdString(idx.string())).empty());
}

TEST_F(FontPackTest, NoFontListIsSkipped) {
    QFile::remove(dir.filePath(QStringLiteral("fonts.xml")));
    std::string error;
    EXPECT_EQ(writeFontPack(folder, 0xFF, folder / "o.fidx", folder / "o.fbin", error),
              PackStatus::Skipped);
    EXPECT_FALSE(std::filesystem::exists(folder / "o.fidx"));
}

TEST_F(FontPackTest, BadInputFailsWithMessageAndWritesNothing) {
    const auto idx = folder / "o.fidx";
    const auto bin = folder / "o.fbin";
    struct Case {
        std::string list;
        std::string message;
    };
    const Case cases[] = {
        {"<font id=\"0\" type=\"2\" width=\"8\" height=\"8\" file=\"gone.bin\"/>", "cannot open"},
        {"<font id=\"0\" type=\"2\" width=\"8\" height=\"16\" file=\"f0.bin\"/>",
         "holds 1024 bytes, its glyphs need 2048"},
        {"<font id=\"32\" type=\"2\" width=\"8\" height=\"8\" file=\"f0.bin\"/>",
         "attribute id must be a number from 0 to 31"},
        {"<font id=\"0\" type=\"9\" width=\"8\" height=\"8\" file=\"f0.bin\"/>", "attribute type"},
        {"<font id=\"0\" type=\"2\" width=\"8x\" height=\"8\" file=\"f0.bin\"/>",
         "attribute width"},
        {"<font id=\"0\" type=\"2\" width=\"8\" height=\"8\"/>", "names no file"},
        {"<font id=\"0\"", "at offset"},
    };
    for (const Case& c : cases) {
        writeList(c.list);
        std::string error;
        EXPECT_EQ(writeFontPack(folder, 0xFFFFFFFFu, idx, bin, error), PackStatus::Failed)
            << c.list;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(idx));
        EXPECT_FALSE(std::filesystem::exists(bin));
    }
}

TEST_F(FontPackTest, UnwritableOutputLeavesNoFile) {
    std::string error;
    const auto bin = folder / "out.fbin";
    EXPECT_EQ(writeFontPack(folder, 1, folder / "missing" / "out.fidx", bin, error),
              PackStatus::Failed);
    EXPECT_NE(error.find("cannot write"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(bin));
}

TEST(SystemFontPack, ShippedFontsPackInListOrderWithRunningOffsets) {
    test::ensureApp();
    const std::filesystem::path fonts = (test::appDir() + "/font").toStdString();
    std::vector<FontEntry> list;
    std::string error;
    ASSERT_TRUE(readFontList(fonts / "fonts.xml", list, error)) << error;
    FontPack pack;
    ASSERT_TRUE(buildFontPack(fonts, 0xFF, pack, error)) << error;
    ASSERT_EQ(pack.index.size(), list.size() * kFontIndexRecordSize);
    std::uint32_t offset = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::uint8_t* r = pack.index.data() + i * kFontIndexRecordSize;
        EXPECT_EQ(r[0], list[i].id);
        EXPECT_EQ(r[1], list[i].type);
        EXPECT_EQ(r[2], list[i].width);
        EXPECT_EQ(r[3], list[i].height);
        EXPECT_EQ(r[4] | r[5] << 8 | r[6] << 16 | static_cast<std::uint32_t>(r[7]) << 24, offset);
        offset += static_cast<std::uint32_t>(fontGlyphCount(list[i].type) *
                                             panelGlyphBytes(list[i].width, list[i].height));
    }
    EXPECT_EQ(pack.data.size(), offset);
}
