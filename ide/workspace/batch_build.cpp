#include "batch_build.h"

#include "after_build.h"
#include "command_lines.h"
#include "compiler_runner.h"
#include "font_config.h"
#include "open_project.h"
#include "string_table.h"

#include <QString>

namespace tft::ide {

int runBatchBuild(const BatchBuild& build) {
    const auto print = [&](const QString& line) { build.print(line.toStdString()); };
    const QString appDir = QString::fromStdString(build.appDir.string());
    const QString project = QString::fromStdString(build.project.string());
    const CompilerRun run = runCompiler(
        compileProjectCommand(project, kLanguageChinese + build.language), appDir, print);
    if (!run.succeeded()) {
        print(ideText(sid::BuildFailedNoPacks));
        return run.exitCode > 0 ? run.exitCode : 1;
    }
    // The same project model the IDE opens; velmic has already refused an
    // output folder outside the project.
    const std::filesystem::path catalogue = catalogueFile(build.appDir);
    const DeviceCatalogue devices = DeviceCatalogue::load(catalogue);
    ProjectWorkspace workspace(devices);
    if (const Outcome opened = workspace.open(project); !opened.ok) {
        print(opened.message);
        return 1;
    }
    const DeviceProp* device = workspace.device();
    if (!device) {
        print(ideText(sid::UnknownDeviceType).arg(workspace.deviceType()));
        return 1;
    }
    const PackReport packs = writeSystemPacks(
        build.appDir, catalogue, static_cast<std::uint32_t>(device->SystemFontMask),
        std::filesystem::path(workspace.outputBase().toStdString()));
    for (const QString& line : packs.lines)
        print(line);
    std::string error;
    const QString output = workspace.outputFolder();
    bool ok = packs.ok;
    if (copyDriverFiles(build.appDir, output.toStdString(), error)) {
        print(ideText(sid::DriverCopied).arg(output));
    } else {
        print(ideText(sid::DriverCopyFailed).arg(QString::fromStdString(error)));
        ok = false;
    }
    return ok ? 0 : 1;
}

} // namespace tft::ide
