#include "project_link.h"

#include "compiler/device_catalogue.h"

#include <QFileInfo>
#include <QSettings>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace tessary {

namespace {
const char* const kLinksKey = "ProjectLinks/Maps";

std::mutex catalogueMutex;
std::shared_ptr<const tft::DeviceCatalogue> givenCatalogue;

std::shared_ptr<const tft::DeviceCatalogue> catalogue() {
    std::lock_guard<std::mutex> lock(catalogueMutex);
    return givenCatalogue;
}
} // namespace

void setCatalogueFile(const QString& file) {
    auto loaded = std::make_shared<const tft::DeviceCatalogue>(
        tft::DeviceCatalogue::load(file.toStdString()));
    std::lock_guard<std::mutex> lock(catalogueMutex);
    givenCatalogue = std::move(loaded);
}

LoadedProject loadProject(const QString& path) {
    LoadedProject loaded;
    if (!QFileInfo(path).isFile()) {
        loaded.error = QStringLiteral("找不到工程文件 %1").arg(path);
        return loaded;
    }
    auto index = std::make_shared<ProjectIndex>();
    std::string error;
    const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
    const auto given = catalogue();
    if (!(given ? index->load(file, *given, &error) : index->load(file, &error))) {
        loaded.error = QString::fromStdString(error);
        return loaded;
    }
    loaded.index = std::move(index);
    return loaded;
}

QString rememberedProject(const QString& mapPath) {
    if (mapPath.isEmpty())
        return {};
    QSettings s;
    return s.value(QString::fromLatin1(kLinksKey)).toMap().value(mapPath).toString();
}

void rememberProject(const QString& mapPath, const QString& projectPath) {
    if (mapPath.isEmpty())
        return;
    QSettings s;
    QVariantMap links = s.value(QString::fromLatin1(kLinksKey)).toMap();
    if (projectPath.isEmpty())
        links.remove(mapPath);
    else
        links.insert(mapPath, projectPath);
    s.setValue(QString::fromLatin1(kLinksKey), links);
}

} // namespace tessary
