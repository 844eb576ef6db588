#include "image_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMap>
#include <QStandardPaths>

namespace tft::ide {

namespace {

const QStringList& pictureSuffixes() {
    static const QStringList suffixes{QStringLiteral("bmp"),  QStringLiteral("jpg"),
                                      QStringLiteral("jpeg"), QStringLiteral("tif"),
                                      QStringLiteral("png"),  QStringLiteral("wmf")};
    return suffixes;
}

// Plain files of one folder (no sub-folders), sorted by name.
QFileInfoList picturesIn(const QString& folder) {
    QFileInfoList found;
    const QFileInfoList all =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : all)
        if (isPictureFile(info.fileName()))
            found << info;
    return found;
}

QString freeTarget(const QString& folder, const QFileInfo& source) {
    QString target = QDir(folder).filePath(source.fileName());
    for (int n = 1; QFileInfo::exists(target); ++n)
        target = QDir(folder).filePath(source.completeBaseName() + QStringLiteral("_%1.").arg(n) +
                                       source.suffix());
    return target;
}

QString copyInto(const QString& folder, const QFileInfo& source) {
    if (!QDir().mkpath(folder))
        return {};
    const QString target = freeTarget(folder, source);
    return QFile::copy(source.absoluteFilePath(), target) ? target : QString();
}

} // namespace

bool isPictureFile(const QString& path) {
    return pictureSuffixes().contains(QFileInfo(path).suffix().toLower());
}

bool isReadablePicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (!QImageReader::supportedImageFormats().contains(suffix))
        return true; // no decoder here (wmf, tif): the file is counted as it is
    QImageReader reader(&file);
    return reader.canRead();
}

ImageLibraries::ImageLibraries(QString appImages, QString userImages)
    : appImages_(std::move(appImages)), userImages_(std::move(userImages)) {}

QString ImageLibraries::defaultUserImages() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("images"));
}

QStringList ImageLibraries::names() const {
    QStringList all;
    for (const QString& root : {appImages_, userImages_})
        if (!root.isEmpty())
            for (const QString& name :
                 QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
                if (!all.contains(name))
                    all << name;
    all.sort();
    return all;
}

QVector<LibraryInfo> ImageLibraries::libraries() const {
    QMap<QString, LibraryInfo> byName;
    for (const QString& root : {appImages_, userImages_}) {
        if (root.isEmpty())
            continue;
        const QStringList names =
            QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names) {
            LibraryInfo& info = byName[name];
            info.name = name;
            info.folders << QDir(root).filePath(name);
        }
    }
    QVector<LibraryInfo> out;
    for (LibraryInfo info : byName) {
        for (const QString& folder : info.folders) {
            for (const QFileInfo& file : picturesIn(folder)) {
                if (!isReadablePicture(file.absoluteFilePath()))
                    continue; // skipped in the totals, shown as a broken thumbnail
                ++info.count;
                info.bytes += file.size();
            }
        }
        out << info;
    }
    return out;
}

LibraryInfo ImageLibraries::library(const QString& name) const {
    for (const LibraryInfo& info : libraries())
        if (info.name == name)
            return info;
    return {};
}

QStringList ImageLibraries::pictures(const QString& name) const {
    QStringList out;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
        name == QLatin1String("."))
        return out;
    for (const QString& root : {appImages_, userImages_})
        if (!root.isEmpty())
            for (const QFileInfo& file : picturesIn(QDir(root).filePath(name)))
                out << file.absoluteFilePath();
    return out;
}

ImageLibraries::Imported ImageLibraries::importPictures(const QString& name,
                                                        const QStringList& files) const {
    Imported result;
    const bool validName = !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
                           name != QLatin1String("..") && name != QLatin1String(".");
    for (const QString& file : files) {
        const QFileInfo source(file);
        if (!validName) {
            result.problems << file + QStringLiteral(": no library");
            continue;
        }
        if (!source.isFile() || !isPictureFile(file)) {
            result.problems << file + QStringLiteral(": not a picture file");
            continue;
        }
        // The application folder first; when it cannot be written, the user's.
        QString copied =
            appImages_.isEmpty() ? QString() : copyInto(QDir(appImages_).filePath(name), source);
        if (copied.isEmpty() && !userImages_.isEmpty())
            copied = copyInto(QDir(userImages_).filePath(name), source);
        if (copied.isEmpty())
            result.problems << file + QStringLiteral(": the library cannot be written");
        else
            result.files << copied;
    }
    return result;
}

bool ImageLibraries::insideLibrary(const QString& file) const {
    const QString parent = QFileInfo(QFileInfo(file).absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        return false;
    for (const QString& root : {appImages_, userImages_}) {
        const QString canonical = QFileInfo(root).canonicalFilePath();
        // Exactly one level below a root: a library folder.
        if (!canonical.isEmpty() && QFileInfo(parent).absolutePath() == canonical)
            return true;
    }
    return false;
}

bool ImageLibraries::deletePicture(const QString& file) const {
    const QFileInfo info(file);
    if (!info.isFile() || info.isSymLink() || !isPictureFile(file) || !insideLibrary(file))
        return false;
    return QFile::remove(info.absoluteFilePath());
}

} // namespace tft::ide
