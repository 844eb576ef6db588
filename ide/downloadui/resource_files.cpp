#include "resource_files.h"

#include <QDir>
#include <QFileInfo>

namespace tft::ide {

namespace {

struct Kind {
    const char* extension;
    std::string DownloadFiles::*path;
};

const Kind kKinds[] = {
    {"graidx", &DownloadFiles::imageIndex}, {"gra", &DownloadFiles::imageData},
    {"gwb", &DownloadFiles::imageData},     {"pwi", &DownloadFiles::voiceIndex},
    {"pwav", &DownloadFiles::voiceData},    {"si", &DownloadFiles::screens},
    {"fbin", &DownloadFiles::fontData},     {"fidx", &DownloadFiles::fontIndex},
    {"sbin", &DownloadFiles::keyboard},
};

} // namespace

DownloadFiles collectResourceFiles(const QString& folder) {
    DownloadFiles files;
    if (folder.isEmpty())
        return files;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString extension = entry.suffix().toLower();
        for (const Kind& kind : kKinds) {
            std::string& path = files.*kind.path;
            if (extension == QLatin1String(kind.extension) && path.empty())
                path = QDir::toNativeSeparators(entry.filePath()).toStdString();
        }
    }
    return files;
}

} // namespace tft::ide
