#include "compiler/picture_compiler.h"

#include "common/paths.h"
#include "compiler/build_action_manager.h"
#include "compiler/identifiers.h"
#include "compiler/resource_store.h"
#include "fonttools/shipped_fonts.h"
#include "media/picture.h"
#include "media/wave.h"

#include <QGuiApplication>
#include <QImageReader>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

// fontconfig keeps its caches until the process ends (the application object
// above is never taken down); that is not a leak of the compiler.
#if defined(__SANITIZE_ADDRESS__)
#define VELMIC_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMIC_LEAK_CHECKED 1
#endif
#endif
#ifdef VELMIC_LEAK_CHECKED
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace tft {
namespace {

// Sound files larger than the biggest resource flash cannot be stored anyway;
// refusing them early keeps a hostile file from exhausting memory.
constexpr std::uintmax_t kMaxSoundFileBytes = std::uintmax_t(256) << 20;

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void registerIdentifier(const std::vector<std::string>& parts, std::uint16_t value,
                        const std::string& comment) {
    if (parts.empty())
        return;
    // A name already taken by another picture keeps its first value; the
    // host program then reaches the first picture under that name.
    CResourceStore::instance().identifiers().add(identifierName(parts), value, comment);
}

} // namespace

// Drawing text needs the font database, which needs an application object;
// a console build runs it on the offscreen platform. Made only when a picture
// is drawn (most builds never need it); it lives until the process ends, since
// Qt cannot take it down among the static destructors. Its font database
// holds the shipped font files only, so dials look the same on every machine.
void ensureDrawing() {
    if (QCoreApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    fonttools::isolateFromInstalledFonts();
    static int argc = 1;
    static char name[] = "velmic";
    static char* argv[] = {name, nullptr};
    // The compiler's output is its numbered messages; Qt's notes about the
    // desktop session it does not have would only clutter the IDE's pane.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    new QGuiApplication(argc, argv);
}

std::string pictureKey(const ScreenPictureRequest& r) {
    std::string path = r.path;
    for (const char* from : {":\\", ":/", "\\", "/", "."})
        replaceAll(path, from, "_");
    char head[160];
    std::snprintf(head, sizeof head, "IMG_%u_%u_%u_%d_%d_%d_%d_%d_", unsigned(r.targetWidth),
                  unsigned(r.targetHeight), unsigned(r.crop ? 1 : 0), r.effectLeft, r.effectTop,
                  r.effectWidth, r.effectHeight, r.filterColour ? int(*r.filterColour) : 0);
    const std::string raw = head + path;
    // Same escape as identifiers: one code per character, four hex digits.
    std::string key = identifierName({raw});
    return key.substr(1);
}

std::optional<std::string> projectFile(const std::string& relative) {
    if (checkConfinement(relative) != Confinement::Inside)
        return std::nullopt;
    const IProject* project = currentProject();
    const std::string folder =
        project != nullptr ? toNativeSeparators(project->projectFolder()) : std::string();
    const fs::path file =
        joinProjectPath(folder.empty() ? fs::path(".") : fs::path(folder), relative);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return std::nullopt;
    return file.string();
}

std::optional<StoredPicture> compileScreenPicture(const ScreenPictureRequest& request) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    CResourceStore& store = CResourceStore::instance();
    const auto file = projectFile(request.path);
    if (!file) {
        sink.error(request.prefix + sink.text(61));
        return std::nullopt;
    }
    if (pictureKind(*file) == PictureKind::Unsupported)
        return std::nullopt;
    if (pictureKind(*file) == PictureKind::Wmf) {
        // No maintained WMF decoder fits the chain: say so rather than
        // report a load failure.
        sink.error(request.prefix + sink.text(msg::WmfUnsupported, {request.path}));
        return std::nullopt;
    }
    const std::string key = pictureKey(request);
    if (const auto cached = store.cachedPicture(key)) {
        registerIdentifier(request.idParts, *cached, request.comment);
        return StoredPicture{*cached, false};
    }
    PictureRequest convert;
    convert.path = *file;
    convert.targetWidth = request.targetWidth;
    convert.targetHeight = request.targetHeight;
    convert.crop = request.crop;
    convert.effective =
        QRect(request.effectLeft, request.effectTop, request.effectWidth, request.effectHeight);
    PictureResult result = convertPicture(convert);
    switch (result.status) {
    case PictureResult::Status::Ok:
        break;
    case PictureResult::Status::Unsupported:
        sink.error(request.prefix + sink.text(62));
        return std::nullopt;
    case PictureResult::Status::LoadFailed:
        sink.error(request.prefix + sink.text(50, {request.path}));
        return std::nullopt;
    case PictureResult::Status::OutOfMemory:
        sink.error(request.prefix + sink.text(53));
        return std::nullopt;
    }
    PanelPicture& picture = result.picture;
    if (picture.framesCut)
        sink.warning(request.prefix + sink.text(58));
    if (request.filterColour) {
        const std::uint16_t colour = *request.filterColour;
        for (auto& frame : picture.frames)
            for (auto& px : frame)
                if (px == colour || (colour == kTransparentKey && px == kOpaqueBlack))
                    px = kTransparentKey;
    }
    PictureInfo info;
    info.url = request.path;
    info.width = request.targetWidth;
    info.height = request.targetHeight;
    info.crop = request.crop ? 1 : 0;
    info.effectLeft = request.effectLeft;
    info.effectTop = request.effectTop;
    info.effectWidth = picture.width;
    info.effectHeight = picture.height;
    if (info.width <= 0 || info.height <= 0) {
        info.width = picture.width;
        info.height = picture.height;
    }
    const auto index = store.storePicture(picture, info, request.prefix);
    if (!index)
        return std::nullopt;
    if (picture.animated)
        return StoredPicture{*index, true};
    store.cachePicture(key, *index);
    registerIdentifier(request.idParts, *index, request.comment);
    return StoredPicture{*index, false};
}

bool compileGlobalPicture(const std::string& path, std::optional<StoredPicture>* stored) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    // A global picture that is missing cannot be loaded either: message 62.
    const auto file = projectFile(path);
    if (!file) {
        sink.error(sink.text(62));
        return false;
    }
    if (pictureKind(*file) == PictureKind::Wmf) {
        sink.error(sink.text(msg::WmfUnsupported, {path}));
        return false;
    }
    const std::string name = fileNameOf(path);
    // The file name goes into a comment of DefineID.c.
    if (hasControlCharacter(name)) {
        sink.error(sink.text(msg::NameHasControlCharacter, {visibleControls(name)}));
        return false;
    }
    if (const auto bad = firstNonGbkCharacter(name)) {
        sink.error(
            sink.text(msg::NameNotGbk, {name, bad->position, bad->character, bad->codePoint}));
        return false;
    }
    const QSize size = QImageReader(QString::fromStdString(*file)).size();
    if (!size.isValid() || size.isEmpty()) {
        sink.error(sink.text(62));
        return false;
    }
    const auto dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    ScreenPictureRequest request;
    request.path = path;
    request.targetWidth = size.width();
    request.targetHeight = size.height();
    request.effectWidth = size.width();
    request.effectHeight = size.height();
    request.idParts = {"IMG", stem, ext};
    request.comment = sink.text(113, {stem + "." + ext});
    const auto result = compileScreenPicture(request);
    if (stored != nullptr)
        *stored = result;
    return result.has_value();
}

std::optional<std::uint16_t> compileDrawnPicture(int width, int height,
                                                 const std::function<void(QPainter&)>& draw,
                                                 const std::vector<std::string>& idParts,
                                                 const std::string& comment,
                                                 const std::string& prefix) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    if (width <= 0 || height <= 0 ||
        std::uint64_t(width) * std::uint64_t(height) > kMaxPicturePixels) {
        sink.error(prefix + sink.text(53));
        return std::nullopt;
    }
    ensureDrawing();
    const auto pixels = renderKeyed(width, height, draw);
    PictureInfo info;
    info.width = info.effectWidth = width;
    info.height = info.effectHeight = height;
    const auto index = CResourceStore::instance().storePixels(pixels, width, height, info, prefix);
    if (index)
        registerIdentifier(idParts, *index, comment);
    return index;
}

bool compileSound(const std::string& path) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    if (checkConfinement(path) != Confinement::Inside) {
        sink.error(63, {path});
        return false;
    }
    const auto file = projectFile(path);
    if (!file) {
        std::error_code ec;
        const IProject* project = currentProject();
        const fs::path whole =
            joinProjectPath(project != nullptr && !project->projectFolder().empty()
                                ? fs::path(toNativeSeparators(project->projectFolder()))
                                : fs::path("."),
                            path);
        sink.error(fs::exists(whole, ec) ? 63 : 64, {path});
        return false;
    }
    std::error_code ec;
    const auto bytes = fs::file_size(*file, ec);
    if (ec) {
        sink.error(64, {path});
        return false;
    }
    if (bytes > kMaxSoundFileBytes) {
        sink.error(54);
        return false;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        sink.error(64, {path});
        return false;
    }
    const std::vector<std::uint8_t> content((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
    const Wave wave = parseWave(content);
    switch (wave.status) {
    case Wave::Status::Ok:
        break;
    case Wave::Status::NotWave:
        sink.error(65, {path});
        return false;
    case Wave::Status::NotPcm:
        sink.error(66, {path});
        return false;
    case Wave::Status::Empty:
        sink.error(67, {path});
        return true;
    }
    // A rate so high that not one sample is left at 32000 Hz is empty too.
    const auto samples = resampleToPanelRate(wave);
    if (samples.empty()) {
        sink.error(67, {path});
        return true;
    }
    return CResourceStore::instance()
        .storeSound(samples, wave.channels, wave.bitsPerSample, path)
        .has_value();
}

} // namespace tft
