// Firmware file conversion: the key, a known cipher text, the round trip.
#include "firmware_file.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

using namespace tft::ide;
using testsupport::readBytes;
using testsupport::TempFolder;

namespace {

std::string hex(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(FirmwareFile, KeyIsTheDigestOfThePassPhraseAndRc4UsesAllOfIt) {
    EXPECT_EQ(hex(firmwareKey()), "31F571EA0AE68772CCAE896707880B39");
    const std::string text = ":10000000";
    std::vector<unsigned char> out;
    ASSERT_TRUE(firmwareCipher({text.begin(), text.end()}, out, nullptr));
    // Computed with a separate RC4 over the full 16-byte key.
    EXPECT_EQ(hex(out), "A8FE15DBC6974812F3");
}

TEST(FirmwareFile, HexToCryptToHexGivesTheOriginalBytes) {
    TempFolder dir;
    std::string firmware;
    for (int i = 0; i < 5000; ++i)
        firmware += static_cast<char>(i * 13);
    dir.write("app.hex", firmware);
    const std::string source = (dir.path() / "app.hex").string();
    std::string error;
    const std::string crypt = convertFirmwareFile(source, true, &error);
    ASSERT_EQ(crypt, source + ".crypt") << error;
    const auto encrypted = readBytes(crypt);
    EXPECT_EQ(encrypted.size(), firmware.size());
    EXPECT_NE(std::string(encrypted.begin(), encrypted.end()), firmware);
    const std::string back = convertFirmwareFile(crypt, false, &error);
    ASSERT_EQ(back, source + ".crypt.hex") << error;
    const auto plain = readBytes(back);
    EXPECT_EQ(std::string(plain.begin(), plain.end()), firmware);
}

TEST(FirmwareFile, EmptyOrMissingSourceWritesNothing) {
    TempFolder dir;
    dir.write("empty.hex", "");
    std::string error;
    EXPECT_EQ(convertFirmwareFile((dir.path() / "empty.hex").string(), true, &error), "");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "empty.hex.crypt"));
    EXPECT_EQ(convertFirmwareFile((dir.path() / "none.hex").string(), true, &error), "");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "none.hex.crypt"));
    EXPECT_FALSE(error.empty());
}

} // namespace
