#include "render_command.h"

#include "command_lines.h"
#include "common/paths.h"
#include "font_config.h"
#include "fonttools/shipped_fonts.h"
#include "open_project.h"
#include "page_document.h"
#include "page_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <cstdlib>
#include <iostream>

namespace tft::ide {
namespace {

QDateTime renderClock() {
    const QByteArray epoch = qgetenv("SOURCE_DATE_EPOCH");
    bool ok = false;
    const qint64 seconds = epoch.toLongLong(&ok);
    if (ok && seconds >= 0)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return sampleClock();
}

} // namespace

int runRenderCommand(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    RenderCommand command;
    QString error;
    if (!parseRenderCommand(arguments, command, error)) {
        std::cerr << "orvane: " << error.toStdString()
                  << "\nusage: orvane --render PROJECT.tftprj PAGE -o FILE.png\n";
        return 2;
    }
    // Drawn on no display, with the shipped fonts only, as the compiler draws.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    fonttools::isolateFromInstalledFonts();
    QGuiApplication app(argc, argv);

    const std::filesystem::path appDir = applicationDir();
    const DeviceCatalogue devices = DeviceCatalogue::load(catalogueFile(appDir));
    ProjectWorkspace workspace(devices);
    if (const Outcome opened = workspace.open(command.project); !opened.ok) {
        std::cerr << "orvane: " << opened.message.toStdString() << "\n";
        return 1;
    }
    QString pageFile;
    for (const QString& entry : workspace.entries(Group::Pages))
        if (ProjectWorkspace::pageName(entry).compare(command.page, Qt::CaseInsensitive) == 0) {
            pageFile = workspace.absolute(entry);
            break;
        }
    if (pageFile.isEmpty()) {
        std::cerr << "orvane: the project has no page " << command.page.toStdString() << "\n";
        return 1;
    }
    PageDocument page;
    std::string why;
    if (!page.load(pageFile.toStdString(), &why)) {
        std::cerr << "orvane: " << why << "\n";
        return 1;
    }
    RenderContext context;
    context.projectDir = workspace.folder();
    context.appDir = QString::fromStdString(appDir.string());
    context.clock = renderClock();
    if (const DeviceProp* device = workspace.device()) {
        page.setScreenSize(QSize(device->ScreenResolutionWidth, device->ScreenResolutionHeight));
        context.fontMask = static_cast<std::uint32_t>(device->SystemFontMask);
    }
    PagePainter painter(context);
    const QImage image = painter.renderPage(page).convertToFormat(QImage::Format_RGB888);
    for (const QString& problem : painter.problems())
        std::cerr << "orvane: " << problem.toStdString() << "\n";
    QSaveFile out(command.output);
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        std::cerr << "orvane: cannot write " << command.output.toStdString() << "\n";
        return 1;
    }
    return 0;
}

} // namespace tft::ide
