#include "wizard_request.h"

#include "after_build.h"
#include "font_config.h"
#include "project_job.h"
#include "resource_files.h"
#include "string_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tft::ide {

namespace {

const QString kPackFolder = QStringLiteral("orvane_res");
const QString kPackStem = QStringLiteral("system");

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The packs the folder lacks, written by the IDE's own pack writer into a
// staging folder and put where the job takes them. Only the missing kinds
// are put in place, and never over a file that is there.
class PackGenerator {
public:
    PackGenerator(const WizardProject& project, const QString& tempFolder, WizardOutcome& out)
        : project_(project), tempFolder_(tempFolder), out_(out) {}

    bool generate(DownloadFiles& files, bool fonts, bool keyboard) {
        const QString pattern = QDir(tempFolder_).filePath(QStringLiteral("orvane_res_XXXXXX"));
        QDir().mkpath(tempFolder_);
        QTemporaryDir staging(pattern);
        if (!staging.isValid())
            return fail(native(pattern));
        const std::filesystem::path app = project_.appDir.toStdString();
        const QString base = staging.filePath(kPackStem);
        const PackReport report =
            writeSystemPacks(app, catalogueFile(app), project_.fontMask, base.toStdString());
        out_.lines << report.lines;

        QStringList extensions;
        if (fonts)
            extensions << QStringLiteral("fidx") << QStringLiteral("fbin");
        if (keyboard)
            extensions << QStringLiteral("sbin");
        for (const QString& extension : extensions)
            if (!QFileInfo(base + QLatin1Char('.') + extension).isFile())
                return fail(native(base + QLatin1Char('.') + extension));

        // Beside the picture index, named after it; else in our own folder.
        QString target;
        if (!files.imageIndex.empty()) {
            const QFileInfo index(QString::fromStdString(files.imageIndex));
            target = index.dir().filePath(index.completeBaseName());
            for (const QString& extension : extensions)
                if (QFileInfo::exists(target + QLatin1Char('.') + extension))
                    target.clear();
        }
        const bool own = target.isEmpty();
        if (own) {
            const QString folder = QDir(tempFolder_).filePath(kPackFolder);
            if (!QDir().mkpath(folder))
                return fail(native(folder));
            target = QDir(folder).filePath(kPackStem);
        }
        for (const QString& extension : extensions) {
            const QString to = target + QLatin1Char('.') + extension;
            if (own)
                QFile::remove(to);
            if (!QFile::copy(base + QLatin1Char('.') + extension, to))
                return fail(native(to));
            const std::string path = native(to).toStdString();
            if (extension == QLatin1String("fidx"))
                files.fontIndex = path;
            else if (extension == QLatin1String("fbin"))
                files.fontData = path;
            else
                files.keyboard = path;
        }
        return true;
    }

private:
    bool fail(const QString& file) {
        out_.error = ideText(sid::PackNotGenerated).arg(file);
        return false;
    }

    const WizardProject& project_;
    QString tempFolder_;
    WizardOutcome& out_;
};

} // namespace

WizardOutcome buildWizardRequest(const WizardChoice& choice, const WizardProject& project,
                                 const QString& tempFolder) {
    WizardOutcome out;
    if (!(choice.images || choice.fonts || choice.keyboard || choice.screens || choice.modbus))
        return out;
    if (!QFileInfo(choice.resourceFolder).isDir()) {
        out.error = ideText(sid::ResourceFolderMissing).arg(native(choice.resourceFolder));
        return out;
    }
    DownloadFiles files = collectResourceFiles(choice.resourceFolder);
    std::uint32_t bits = 0;
    if (choice.modbus) {
        // A map the user chose and that is not there would silently not go.
        if (choice.modbusFile.isEmpty() || !QFileInfo(choice.modbusFile).isFile()) {
            out.error = ideText(sid::MapMissing).arg(native(choice.modbusFile));
            return out;
        }
        files.modbus = native(choice.modbusFile).toStdString();
        bits |= job::ModbusMap;
    }
    const bool fontsMissing = choice.fonts && (files.fontIndex.empty() || files.fontData.empty());
    const bool keyboardMissing = choice.keyboard && files.keyboard.empty();
    if (fontsMissing || keyboardMissing) {
        if (fontsMissing) {
            // A pair is sent together: never half ours and half the folder's.
            files.fontIndex.clear();
            files.fontData.clear();
        }
        PackGenerator packs(project, tempFolder, out);
        if (!packs.generate(files, fontsMissing, keyboardMissing))
            return out;
    }
    if (choice.images)
        bits |= job::Images;
    if (choice.fonts)
        bits |= job::Fonts;
    if (choice.screens)
        bits |= job::ScreenConfig;
    if (choice.keyboard)
        bits |= job::Keyboard;
    out.request.bits = bits | kWizardJobMark;
    out.request.force = true;
    out.request.job.files = std::move(files);
    return out;
}

} // namespace tft::ide
