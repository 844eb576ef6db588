#include "fonttools/keyboard_pack.h"
#include "keyboard_art.h"
#include "test_app.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

class KeyboardPackTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApp();
        app = dir.path().toStdString();
        QDir(dir.path()).mkpath(QStringLiteral("kb"));
        savePicture("kb/up.png", 4, 2, Qt::red);
        savePicture("kb/down.png", 4, 2, Qt::blue);
    }
    void savePicture(const char* name, int w, int h, Qt::GlobalColor colour) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        image.setPixel(0, 0, qRgb(255, 255, 255));
        ASSERT_TRUE(image.save(dir.filePath(QString::fromLatin1(name))));
    }
    std::filesystem::path catalogue(const std::string& keyboards) {
        const QString path = dir.filePath(QStringLiteral("DeviceInfo.xml"));
        test::writeText(path, "<DeviceInfo><Device TypeID=\"1\"/><Keyboards>" + keyboards +
                                  "</Keyboards></DeviceInfo>");
        return path.toStdString();
    }
    static std::string keyboard(int id, const std::string& body,
                                const char* size = "width=\"4\" height=\"2\"") {
        return "<Keyboard id=\"" + std::to_string(id) + "\" " + size +
               " image_url0=\"kb\\up.png\" image_url1=\"kb/down.png\">" + body + "</Keyboard>";
    }
    QTemporaryDir dir;
    std::filesystem::path app;
};

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

} // namespace

TEST(KeyboardChecksum, SumsTheWordsFromByteEight) {
    std::vector<std::uint8_t> header(kKeyboardHeaderSize, 0);
    header[0] = 0xAA;    // the checksum itself is not summed
    header[4] = 0xBB;    // nor bytes 4..7
    header[8] = 0x01;    // word 0
    header[1031] = 0x80; // top byte of word 255
    header[1032] = 0xCC; // behind the summed words
    EXPECT_EQ(keyboardChecksum(header.data()), 0x80000001u);
    std::fill(header.begin() + 8, header.begin() + 1032, 0xFF);
    EXPECT_EQ(keyboardChecksum(header.data()), 0xFFFFFF00u); // 256 x 0xFFFFFFFF wraps
}

TEST_F(KeyboardPackTest, OneKeyboardByteExact) {
    const auto xml =
        catalogue(keyboard(3, "<InputEdit x=\"1\" y=\"0\" w=\"3\" h=\"1\"/>"
                              "<Key x=\"0\" y=\"1\" w=\"2\" h=\"1\" v0=\"49\" v1=\"33\"/>"
                              "<Key x=\"2\" y=\"1\" w=\"2\" h=\"1\" v0=\"13\"/>"));
    std::vector<std::uint8_t> pack;
    std::string error;
    ASSERT_TRUE(buildKeyboardPack(app, xml, pack, error)) << error;
    const std::size_t block = kKeyboardDescriptorSize + 4 * 2 * 4;
    ASSERT_EQ(pack.size(), kKeyboardHeaderSize + block);
    EXPECT_EQ(u32(pack, 0), 0x093C0000u); // worked by hand: words 7 and 8 hold the entry
    EXPECT_EQ(u32(pack, 4), 2364u);
    for (std::size_t n = 0; n < kKeyboardSlots; ++n) {
        EXPECT_EQ(u32(pack, 14 + 8 * n), n == 3 ? 1034u : 0u);
        EXPECT_EQ(u32(pack, 18 + 8 * n), n == 3 ? block : 0u);
    }
    const std::size_t d = 1034;
    EXPECT_EQ(u32(pack, d), 0u);
    EXPECT_EQ(u16(pack, d + 4), 4);
    EXPECT_EQ(u16(pack, d + 6), 2);
    EXPECT_EQ(u16(pack, d + 8), 1);
    EXPECT_EQ(u16(pack, d + 10), 0);
    EXPECT_EQ(u16(pack, d + 12), 3);
    EXPECT_EQ(u16(pack, d + 14), 1);
    EXPECT_EQ(u16(pack, d + 16), 2);
    EXPECT_EQ(pack[d + 18], 49);
    EXPECT_EQ(pack[d + 19], 13);
    EXPECT_EQ(pack[d + 20], 0);
    EXPECT_EQ(pack[d + 18 + 128], 33);
    EXPECT_EQ(pack[d + 18 + 129], 0);
    const std::size_t rects = d + 18 + 256;
    EXPECT_EQ(std::vector<std::uint8_t>(pack.begin() + rects, pack.begin() + rects + 16),
              (std::vector<std::uint8_t>{0, 0, 1, 0, 2, 0, 1, 0, 2, 0, 1, 0, 2, 0, 1, 0}));
    // Released picture (red, white corner), then pressed (blue), RGB565 little-endian.
    const std::size_t pic = d + kKeyboardDescriptorSize;
    EXPECT_EQ(u16(pack, pic), 0xFFFF);
    EXPECT_EQ(u16(pack, pic + 2), 0xF800);
    EXPECT_EQ(u16(pack, pic + 14), 0xF800);
    EXPECT_EQ(u16(pack, pic + 16), 0xFFFF);
    EXPECT_EQ(u16(pack, pic + 18), 0x001F);
    EXPECT_EQ(u16(pack, pic + 30), 0x001F);

    std::array<std::optional<PackedKeyboard>, kKeyboardSlots> parsed;
    ASSERT_TRUE(parseKeyboardPack(pack.data(), pack.size(), parsed, error)) << error;
    ASSERT_TRUE(parsed[3].has_value());
    EXPECT_EQ(parsed[3]->layout.keys.size(), 2u);
    EXPECT_FALSE(parsed[0].has_value());
}

TEST_F(KeyboardPackTest, ReaderRejectsDamagedPacks) {
    const auto xml = catalogue(keyboard(0, "<Key x=\"0\" y=\"0\" w=\"1\" h=\"1\" v0=\"8\"/>"));
    std::vector<std::uint8_t> pack;
    std::string error;
    ASSERT_TRUE(buildKeyboardPack(app, xml, pack, error)) << error;
    std::array<std::optional<PackedKeyboard>, kKeyboardSlots> parsed;
    auto flipped = pack;
    flipped[100] ^= 1;
    EXPECT_FALSE(parseKeyboardPack(flipped.data(), flipped.size(), parsed, error));
    EXPECT_EQ(error, "keyboard pack checksum mismatch");
    EXPECT_FALSE(parseKeyboardPack(pack.data(), pack.size() - 1, parsed, error));
    EXPECT_FALSE(parseKeyboardPack(pack.data(), 1000, parsed, error));
}

TEST_F(KeyboardPackTest, BadSectionsAreClearErrors) {
    std::string keys129;
    for (int i = 0; i < 129; ++i) {
        keys129 += "<Key x=\"0\" y=\"0\" w=\"1\" h=\"1\" v0=\"65\"/>";
    }
    struct Case {
        std::string keyboards;
        std::string message;
    };
    const Case cases[] = {
        {keyboard(0, keys129), "more than 128 keys"},
        {keyboard(0, "<Key x=\"3\" y=\"0\" w=\"2\" h=\"1\" v0=\"65\"/>"), "attribute w"},
        {keyboard(0, "<Key x=\"0\" y=\"0\" w=\"1\" h=\"1\" v0=\"300\"/>"), "attribute v0"},
        {keyboard(0, "<Key x=\"0\" y=\"0\" w=\"1\" h=\"1\"/>"), "attribute v0"},
        {keyboard(1, "", "width=\"8\" height=\"2\""), "is 4x2, the keyboard is 8x2"},
        {keyboard(2, "", "width=\"0\" height=\"2\""), "attribute width"},
        {"<Keyboard id=\"0\" width=\"4\" height=\"2\" image_url0=\"kb/none.png\" "
         "image_url1=\"kb/down.png\"/>",
         "cannot read picture"},
        {"<Keyboard id=\"0\" width=\"4\" height=\"2\" image_url1=\"kb/down.png\"/>",
         "no picture named"},
    };
    for (const Case& c : cases) {
        const auto xml = catalogue(c.keyboards);
        std::vector<std::uint8_t> pack;
        std::string error;
        EXPECT_FALSE(buildKeyboardPack(app, xml, pack, error)) << c.keyboards.substr(0, 80);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(pack.empty());
        const auto out = app / "x.sbin";
        EXPECT_FALSE(writeKeyboardPack(app, xml, out, error));
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    test::writeText(dir.filePath(QStringLiteral("bad.xml")), "<DeviceInfo><Keyboards>");
    std::vector<std::uint8_t> pack;
    std::string error;
    EXPECT_FALSE(buildKeyboardPack(app, app / "bad.xml", pack, error));
    EXPECT_NE(error.find("at offset"), std::string::npos) << error;
}

TEST_F(KeyboardPackTest, CatalogueWithoutKeyboardsGivesAnEmptyValidPack) {
    const auto xml = catalogue("");
    std::vector<std::uint8_t> pack;
    std::string error;
    ASSERT_TRUE(buildKeyboardPack(app, xml, pack, error));
    EXPECT_EQ(pack.size(), kKeyboardHeaderSize);
    EXPECT_EQ(u32(pack, 0), 0u + 0u);
    std::array<std::optional<PackedKeyboard>, kKeyboardSlots> parsed;
    EXPECT_TRUE(parseKeyboardPack(pack.data(), pack.size(), parsed, error));
}

TEST(SystemKeyboards, ShippedCatalogueAndArtMakeAValidPack) {
    test::ensureApp();
    const std::filesystem::path app = test::appDir().toStdString();
    std::vector<std::uint8_t> pack;
    std::string error;
    ASSERT_TRUE(buildKeyboardPack(app, app / "DeviceInfo.xml", pack, error)) << error;
    std::array<std::optional<PackedKeyboard>, kKeyboardSlots> parsed;
    ASSERT_TRUE(parseKeyboardPack(pack.data(), pack.size(), parsed, error)) << error;
    ASSERT_TRUE(parsed[0].has_value());
    ASSERT_TRUE(parsed[1].has_value());
    const auto codes = [](const KeyboardLayout& kb) {
        std::vector<int> out;
        for (const auto& k : kb.keys) {
            out.push_back(k.code);
        }
        return out;
    };
    const auto digits = codes(parsed[0]->layout);
    for (int c : {int{'0'}, int{'1'}, int{'9'}, 8, 13, 27}) {
        EXPECT_NE(std::find(digits.begin(), digits.end(), c), digits.end()) << c;
    }
    const auto full = codes(parsed[1]->layout);
    for (int c : {int{'a'}, int{'z'}, int{'0'}, 32, 8, 12, 13, 16, 27}) {
        EXPECT_NE(std::find(full.begin(), full.end(), c), full.end()) << c;
    }
    // The keyboard fits the smallest panel (480 x 272) so it can be centred anywhere.
    EXPECT_LE(parsed[1]->layout.width, 480);
    EXPECT_LE(parsed[1]->layout.height, 272);
}

TEST(KeyboardArt, PressedArtDiffersOnlyInsideKeys) {
    test::ensureApp();
    KeyboardLayout kb;
    kb.width = 60;
    kb.height = 30;
    kb.editW = 60;
    kb.editH = 8;
    kb.keys.push_back({2, 10, 20, 18, 'A', 'a'});
    kb.keys.push_back({30, 10, 28, 18, 13, 13});
    const QImage up = drawKeyboard(kb, false);
    const QImage down = drawKeyboard(kb, true);
    ASSERT_EQ(up.size(), QSize(60, 30));
    int changedInside = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool inside =
                (x >= 2 && x < 22 && y >= 10 && y < 28) || (x >= 30 && x < 58 && y >= 10 && y < 28);
            if (up.pixel(x, y) != down.pixel(x, y)) {
                ASSERT_TRUE(inside) << x << "," << y;
                ++changedInside;
            }
        }
    }
    EXPECT_GT(changedInside, 400);
    EXPECT_EQ(keyCaption(16), QStringLiteral("Caps"));
    EXPECT_EQ(keyCaption('a'), QStringLiteral("a"));
}
