#include "map_check.h"

#include "compiler/device_catalogue.h"
#include "font_config.h"
#include "modbus/map_model.h"
#include "modbus/project_check.h"
#include "string_table.h"

#include <QDir>

namespace tft::ide {

MapCheck checkModbusMap(const QString& mapFile, const WizardProject& wizard) {
    MapCheck check;
    const QString mapName = QDir::toNativeSeparators(mapFile);
    tessary::CTessaryDoc map;
    tessary::LoadStatus status = tessary::LoadStatus::Ok;
    std::string error;
    if (!map.loadFile(mapFile.toStdString(), &status, &error)) {
        check.errors << ideText(sid::MapUnreadable).arg(mapName, QString::fromStdString(error));
        return check;
    }
    if (status != tessary::LoadStatus::Ok) {
        check.errors << ideText(sid::MapUnreadable)
                            .arg(mapName, QString::fromUtf8(tessary::loadStatusMessage(status)));
        if (status == tessary::LoadStatus::HeaderError)
            return check; // no rows were read
        // The rows that did read are checked all the same.
    }
    const QString& projectFile = wizard.projectFile;
    if (projectFile.isEmpty()) {
        check.warnings << ideText(sid::MapNotChecked);
        return check;
    }
    tessary::ProjectIndex project;
    const tft::DeviceCatalogue catalogue =
        tft::DeviceCatalogue::load(catalogueFile(wizard.appDir.toStdString()));
    if (!project.load(projectFile.toStdString(), catalogue, &error)) {
        check.warnings << ideText(sid::MapProjectUnreadable)
                              .arg(QDir::toNativeSeparators(projectFile),
                                   QString::fromStdString(error));
        return check;
    }
    for (const tessary::MapProblem& p : tessary::checkMap(map.rows(), project)) {
        const bool isError = p.severity == tessary::MapProblem::Severity::Error;
        const QString text = QString::fromStdString(wizard.chinese ? p.chineseText : p.text);
        const QString line = ideText(isError ? sid::MapRowError : sid::MapRowWarning)
                                 .arg(qulonglong(p.row))
                                 .arg(text);
        (isError ? check.errors : check.warnings) << line;
    }
    return check;
}

} // namespace tft::ide
