#include "fonttools/shipped_fonts.h"

#include "common/paths.h"

#include <QDir>
#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>

namespace tft::fonttools {

namespace {

const QString kLatinFace = QStringLiteral("Liberation Sans");
const QString kChineseFace = QStringLiteral("WenQuanYi Zen Hei");

// Every shipped family, the file that holds it and its place in the file.
// The Chinese collection holds three faces: proportional, monospaced, and one
// with bitmap strikes for 12 to 16 pixels. Terminus is a bitmap-only face
// with strikes of 6x12 to 16x32 for the small single-byte system fonts.
struct ShippedFace {
    QString family;
    QString file;
    int index;
};
const ShippedFace kFaces[] = {
    {kLatinFace, QStringLiteral("LiberationSans-Regular.ttf"), 0},
    {kChineseFace, QStringLiteral("wqy-zenhei.ttc"), 0},
    {QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("wqy-zenhei.ttc"), 1},
    {QStringLiteral("WenQuanYi Zen Hei Sharp"), QStringLiteral("wqy-zenhei.ttc"), 2},
    {QStringLiteral("Terminus"), QStringLiteral("terminus-normal.otb"), 0},
};

// Windows names of Chinese faces that are written in ASCII.
const char* const kChineseAsciiNames[] = {
    "SimSun",       "NSimSun",    "SimHei",          "SimKai",          "KaiTi",
    "KaiTi_GB2312", "FangSong",   "FangSong_GB2312", "Microsoft YaHei", "Microsoft JhengHei",
    "MingLiU",      "PMingLiU",   "DengXian",        "STSong",          "STHeiti",
    "STKaiti",      "STFangsong",
};

std::mutex mutex;
QString folder;
bool folderSet = false;
std::map<QString, bool> loadedFiles; // file name -> loaded

} // namespace

void isolateFromInstalledFonts() {
    FcConfig* config = FcConfigCreate();
    if (config == nullptr)
        return;
    // An empty configuration: no font folders, no caches, no rules.
    static const char kEmpty[] = "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kEmpty), FcFalse);
    // The configuration passes to fontconfig, which keeps it to the end.
    FcConfigSetCurrent(config);
    FcConfigDestroy(config);
}

void setShippedFontFolder(const QString& path) {
    const std::lock_guard<std::mutex> lock(mutex);
    folder = path;
    folderSet = true;
}

QString shippedFontFolder() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (folderSet)
        return folder;
    return QString::fromStdString((applicationDir() / "fonts").string());
}

QString shippedFamilyFor(const QString& named) {
    const QString name = named.trimmed();
    for (const ShippedFace& face : kFaces)
        if (name.compare(face.family, Qt::CaseInsensitive) == 0)
            return face.family;
    if (name.isEmpty())
        return kChineseFace;
    for (const QChar c : name)
        if (c.unicode() > 0x7F)
            return kChineseFace;
    for (const char* chinese : kChineseAsciiNames)
        if (name.compare(QLatin1String(chinese), Qt::CaseInsensitive) == 0)
            return kChineseFace;
    return kLatinFace;
}

std::optional<ShippedFaceFile> shippedFaceFile(const QString& family) {
    for (const ShippedFace& face : kFaces)
        if (face.family == family)
            return ShippedFaceFile{QDir(shippedFontFolder()).filePath(face.file), face.index};
    return std::nullopt;
}

std::optional<QString> loadShippedFamily(const QString& named, QString* error) {
    const QString family = shippedFamilyFor(named);
    QString file;
    for (const ShippedFace& face : kFaces)
        if (face.family == family)
            file = face.file;
    const QString path = QDir(shippedFontFolder()).filePath(file);
    const std::lock_guard<std::mutex> lock(mutex);
    auto loaded = loadedFiles.find(file);
    if (loaded == loadedFiles.end()) {
        const int id = QFontDatabase::addApplicationFont(path);
        loaded = loadedFiles.emplace(file, id >= 0).first;
    }
    // The family must now be known by that name: a file that holds another
    // face would silently draw with a fallback.
    if (!loaded->second || !QFontDatabase::families().contains(family)) {
        if (error != nullptr)
            *error = QStringLiteral("cannot load the font %1 from %2").arg(family, path);
        return std::nullopt;
    }
    return family;
}

std::optional<QFont> shippedFont(const QString& named, int pixelSize, QString* error) {
    const auto family = loadShippedFamily(named, error);
    if (!family)
        return std::nullopt;
    QFont font(*family);
    font.setPixelSize(std::max(1, pixelSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    // Glyphs the face lacks are left out rather than taken from another font.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace tft::fonttools
