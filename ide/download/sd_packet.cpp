#include "sd_packet.h"

#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tft::ide {

namespace fs = std::filesystem;

namespace {

struct Entry {
    const char* extension;
    bool SdPacketChoice::*box;
    const char* target;
    const char* lines;
};

const Entry kEntries[] = {
    {".graidx", &SdPacketChoice::images, "image.idx",
     "ImageIndex=image.idx\r\nImageBin=image.bin\r\n"},
    {".gra", &SdPacketChoice::images, "image.bin", ""},
    {".gwb", &SdPacketChoice::images, "image.bin", ""},
    {".si", &SdPacketChoice::screens, "screen.bin", "ScreenControl=screen.bin\r\n"},
    {".fbin", &SdPacketChoice::fonts, "font.bin", "FontIndex=font.idx\r\nFontBin=font.bin\r\n"},
    {".fidx", &SdPacketChoice::fonts, "font.idx", ""},
    {".sbin", &SdPacketChoice::keyboard, "system.bin", "SystemResource=system.bin\r\n"},
};

std::string lower(const std::string& text) {
    return QString::fromStdString(text).toLower().toStdString();
}

} // namespace

std::string writeSdPacket(const std::string& resourceFolder, const std::string& destination,
                          const SdPacketChoice& choice, std::string* error) {
    const auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return std::string();
    };
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(resourceFolder, ec))
        if (entry.is_regular_file(ec))
            files.push_back(entry.path());
    if (ec)
        return fail("cannot list " + resourceFolder + ": " + ec.message());
    std::sort(files.begin(), files.end());

    const fs::path packet = fs::path(destination) / "SD_PACKET";
    const fs::path staging = fs::path(destination) / ".SD_PACKET.part";
    fs::remove_all(staging, ec);
    if (!fs::create_directories(staging, ec))
        return fail("cannot create " + staging.string() + ": " +
                    (ec ? ec.message() : std::string("it exists")));
    const auto abandon = [&](const std::string& why) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        return fail(why);
    };
    std::string config;
    const auto copy = [&](const fs::path& from, const char* to) {
        fs::copy_file(from, staging / to, fs::copy_options::overwrite_existing, ec);
        return !ec;
    };
    for (const fs::path& file : files) {
        const std::string extension = lower(file.extension().string());
        for (const Entry& e : kEntries) {
            if (extension != e.extension || !(choice.*e.box))
                continue;
            if (!copy(file, e.target))
                return abandon("cannot copy " + file.string() + ": " + ec.message());
            config += e.lines;
        }
    }
    if (choice.modbus && !choice.modbusFile.empty() && fs::is_regular_file(choice.modbusFile, ec)) {
        if (!copy(choice.modbusFile, "modbus.mbm"))
            return abandon("cannot copy " + choice.modbusFile + ": " + ec.message());
        config += "Tessary=modbus.mbm\r\n";
    }
    {
        std::ofstream ini(staging / "config.ini", std::ios::binary);
        ini << config;
        std::ofstream marker(staging / "全部文件复制到SD卡根目录.txt", std::ios::binary);
        if (!ini.flush() || !marker.flush())
            return abandon("cannot write " + (staging / "config.ini").string());
    }
    // Only a whole packet takes the place of an earlier one.
    fs::remove_all(packet, ec);
    if (ec)
        return abandon("cannot replace " + packet.string() + ": " + ec.message());
    fs::rename(staging, packet, ec);
    if (ec)
        return abandon("cannot create " + packet.string() + ": " + ec.message());
    return packet.string();
}

} // namespace tft::ide
