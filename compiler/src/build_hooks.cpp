#include "compiler/build_hooks.h"

#include "common/codec.h"
#include "common/frame.h"
#include "compiler/build_action_manager.h"
#include "compiler/item_compilers.h"
#include "compiler/picture_compiler.h"
#include "compiler/resource_store.h"
#include "media/picture.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace tft {
namespace {

fs::path outputFolder;

void append(std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& frame) {
    bytes.insert(bytes.end(), frame.begin(), frame.end());
}

} // namespace

bool openOutputFiles(const IProject& project, const fs::path& folder) {
    outputFolder = folder;
    resetCurveCounter();
    return CResourceStore::instance().open(
        folder, project.name(), DeviceCatalogue::instance().findByType(project.deviceType()));
}

void compileBackgroundPicture(const IItemEditor& page, std::vector<std::uint8_t>& bytes,
                              std::string& cText) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    cText += sink.text(93);
    const IProject* project = currentProject();
    ScreenPictureRequest request;
    request.path = page.bkImage();
    request.targetWidth = project != nullptr ? project->screenWidth() : 0;
    request.targetHeight = project != nullptr ? project->screenHeight() : 0;
    request.effectWidth = request.targetWidth;
    request.effectHeight = request.targetHeight;
    request.idParts = {"IMG", page.name()};
    request.comment = sink.text(121, {page.name()});
    const auto stored = page.bkImage().empty() ? std::nullopt : compileScreenPicture(request);
    if (!stored) {
        sink.error(92, {page.name()});
        return;
    }
    const std::uint16_t id = stored->index;
    if (pictureKind(page.bkImage()) == PictureKind::Gif) {
        cText += "DisFlashImage(0,0, " + std::to_string(id) + ", 1, 0);\n\n";
        append(bytes, FrameBuilder(0x80).u16(0).u16(0).u16(id).u8(1).u8(0).finish());
    } else {
        cText += "DisFull_Image(" + std::to_string(id) + ", 0);\n\n";
        append(bytes, FrameBuilder(0x31).u16(id).u8(0).finish());
    }
}

std::tm buildTime() {
    std::time_t now = std::time(nullptr);
    std::tm out{};
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(epoch, &end, 10);
        if (errno == 0 && end != nullptr && *end == '\0' && value >= 0) {
            now = static_cast<std::time_t>(value);
            gmtime_r(&now, &out);
            return out;
        }
    }
    localtime_r(&now, &out);
    return out;
}

std::string formatBuildTime(const std::tm& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::string screenSource(const std::string& name, const std::string& time,
                         const std::string& body) {
    const std::string header = CBuildActionManager::instance().text(
        msg::ScreenSourceHeader, {name, time, name, std::string("DefineID.h"), name});
    return header + body + "}\n";
}

void finishScreen(const IItemEditor& page, std::uint16_t screenId, const std::string& cText) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    CResourceStore& store = CResourceStore::instance();
    if (store.isOpen())
        store.addScreen(page.name(), screenId);
    const std::string fileName = page.name() + ".c";
    // The screen name becomes a file name: a separator would write elsewhere.
    if (page.name().find_first_of("\\/") != std::string::npos || page.name() == "." ||
        page.name() == "..") {
        sink.error(msg::FileWriteFailed, {fileName});
        return;
    }
    std::error_code ec;
    fs::create_directories(outputFolder, ec);
    const std::string text = screenSource(page.name(), formatBuildTime(buildTime()), cText);
    const Converted gbk = utf8ToGbk(text);
    std::ofstream out(outputFolder / fileName, std::ios::binary | std::ios::trunc);
    if (gbk.ok && out)
        out << gbk.bytes;
    if (!gbk.ok || !out.good()) {
        sink.error(msg::FileWriteFailed, {fileName});
        return;
    }
    sink.info(msg::FileWritten, {fileName});
}

void compileGlobalImages(const IProject& project) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    sink.info(31);
    if (!CResourceStore::instance().isOpen()) {
        sink.error(msg::ResourceFileOpenFailed);
        return;
    }
    const auto& images = project.images();
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (images[i].download == 0)
            continue;
        const std::string index = std::to_string(i);
        sink.info(32, {index});
        if (!compileGlobalPicture(images[i].path))
            sink.error(33, {index});
    }
}

void compileSounds(const IProject& project) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    sink.info(36);
    if (!CResourceStore::instance().isOpen()) {
        sink.error(msg::ResourceFileOpenFailed);
        return;
    }
    for (const auto& wave : project.waves()) {
        sink.info(37, {wave.path});
        if (!compileSound(wave.path))
            sink.error(38, {wave.path});
    }
}

void closeOutputFiles(const std::string& screenDefinitions) {
    CResourceStore::instance().close(screenDefinitions);
}

} // namespace tft
