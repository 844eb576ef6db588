// The SD card packet folder and its config.ini.
#include "sd_packet.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>
#include <set>

using namespace tft::ide;
using testsupport::readBytes;
using testsupport::TempFolder;

namespace {

std::set<std::string> names(const std::filesystem::path& folder) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

std::string text(const std::filesystem::path& file) {
    const auto b = readBytes(file);
    return std::string(b.begin(), b.end());
}

struct Output {
    Output() {
        dir.write("out/demo.graidx", "index");
        dir.write("out/demo.gwb", "pixels");
        dir.write("out/demo.si", "screens");
        dir.write("out/demo.fidx", "font index");
        dir.write("out/demo.FBIN", "font data");
        dir.write("out/demo.sbin", "keyboard");
        dir.write("out/demo.tftres", "<Resource/>");
        dir.write("map.mbm", "modbus");
        std::filesystem::create_directories(dir.path() / "sd");
    }
    std::string resources() const { return (dir.path() / "out").string(); }
    std::string destination() const { return (dir.path() / "sd").string(); }
    TempFolder dir;
};

TEST(SdPacket, FontsOnlyWritesTheTwoFontLinesAndCopiesTheFontFiles) {
    Output out;
    SdPacketChoice choice;
    choice.fonts = true;
    std::string error;
    const std::string packet = writeSdPacket(out.resources(), out.destination(), choice, &error);
    ASSERT_EQ(packet, out.destination() + "/SD_PACKET") << error;
    EXPECT_EQ(names(packet), (std::set<std::string>{"config.ini", "font.bin", "font.idx",
                                                    "全部文件复制到SD卡根目录.txt"}));
    EXPECT_EQ(text(packet + "/config.ini"), "FontIndex=font.idx\r\nFontBin=font.bin\r\n");
    EXPECT_EQ(text(packet + "/font.bin"), "font data");
    EXPECT_EQ(text(packet + "/font.idx"), "font index");
    EXPECT_EQ(readBytes(packet + "/全部文件复制到SD卡根目录.txt").size(), 0u);
}

TEST(SdPacket, EveryBoxInNameOrderAndTheModbusMapLast) {
    Output out;
    SdPacketChoice all{true, true, true, true, true, (out.dir.path() / "map.mbm").string()};
    std::string error;
    const std::string packet = writeSdPacket(out.resources(), out.destination(), all, &error);
    ASSERT_FALSE(packet.empty()) << error;
    EXPECT_EQ(text(packet + "/config.ini"),
              "FontIndex=font.idx\r\nFontBin=font.bin\r\n"
              "ImageIndex=image.idx\r\nImageBin=image.bin\r\n"
              "SystemResource=system.bin\r\nScreenControl=screen.bin\r\nTessary=modbus.mbm\r\n");
    EXPECT_EQ(names(packet).size(), 9u);
    EXPECT_EQ(text(packet + "/image.bin"), "pixels");
    EXPECT_EQ(text(packet + "/screen.bin"), "screens");
    EXPECT_EQ(text(packet + "/modbus.mbm"), "modbus");

    // A second packet replaces the first whole.
    SdPacketChoice screens;
    screens.screens = true;
    ASSERT_FALSE(writeSdPacket(out.resources(), out.destination(), screens, &error).empty());
    EXPECT_EQ(names(packet),
              (std::set<std::string>{"config.ini", "screen.bin", "全部文件复制到SD卡根目录.txt"}));
}

TEST(SdPacket, UnusableDestinationLeavesNoPacket) {
    Output out;
    out.dir.write("file", "not a folder");
    SdPacketChoice choice;
    choice.screens = true;
    std::string error;
    EXPECT_EQ(writeSdPacket(out.resources(), (out.dir.path() / "file").string(), choice, &error),
              "");
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(out.dir.path() / "file" / "SD_PACKET"));
    // A missing resource folder is refused before anything is made.
    error.clear();
    EXPECT_EQ(writeSdPacket((out.dir.path() / "none").string(), out.destination(), choice, &error),
              "");
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(names(out.destination()).empty());
}

} // namespace
