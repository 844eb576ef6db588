// tessary: the Modbus map editor, or with --update / --stop-master /
// --resume-master the same update without a window.
#include "batch.h"
#include "main_window.h"
#include "map_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <common/program_info.h>
#include <common/qt_translations.h>
#include <string>
#include <vector>

namespace {

const char* const kHelp =
    "Usage: tessary [--project PROJECT.tftprj] [FILE.mbm ...]\n"
    "  or:  tessary --check MAP.mbm --project PROJECT.tftprj\n"
    "  or:  tessary --update --port DEVICE [--baud N] [--address 201..210] [--folder DIR]\n"
    "               [--map FILE.mbm] [--images] [--touch] [--fonts] [--keyboard]\n"
    "  or:  tessary --stop-master|--resume-master --port DEVICE [--baud N]\n"
    "Edits the Modbus maps (.mbm) of TFT panels that are masters on a Modbus line, and\n"
    "updates such panels over that line, in its window or from the command line.\n"
    "\n"
    "Options:\n"
    "  --project FILE      attach a project to the maps opened: its screens and controls\n"
    "                      are offered by name and every row is checked against them\n"
    "  --check MAP.mbm     check a map against --project without a window: one line\n"
    "                      per problem (\"row N: ...\"; warnings say so)\n"
    "  --update            send resources and a map to the panel without a window\n"
    "  --stop-master       stop the panel's polling of the line\n"
    "  --resume-master     resume the panel's polling of the line\n"
    "  --port DEVICE       the serial port of the Modbus line\n"
    "  --baud N            1200, 2400, 4800, 9600, 19200 (default), 38400, 57600 or 115200\n"
    "  --address N         the panel's device address, 201 to 210 (default 201)\n"
    "  --folder DIR        the compiled project's output folder to send from\n"
    "  --map FILE.mbm      the map to send\n"
    "  --images, --touch, --fonts, --keyboard\n"
    "                      the parts of DIR to send; with none of them, the images\n"
    "                      and the touch configuration go, as in the update window\n"
    "  -h, --help          print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0   the window closed, or the update or master command succeeded\n"
    "  1   the update or master command failed; --check found errors\n"
    "  2   a bad command line; --check could not read the map or the project\n";

} // namespace

int main(int argc, char** argv) {
    // Help is answered before a display is needed.
    if (const int status = tft::answerHelpOrVersion(argc, argv, "tessary", kHelp); status >= 0)
        return status;
    std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    if (tessary::isBatchCommand(args)) {
        QCoreApplication app(argc, argv);
        return tessary::runBatch(args);
    }
    QApplication app(argc, argv);
    tft::installQtTranslations();
    // Qt has taken its own options (-platform, -style, ...); the rest are ours.
    std::vector<std::string> rest;
    for (const QString& a : QCoreApplication::arguments().mid(1))
        rest.push_back(a.toStdString());
    std::vector<std::string> files;
    std::string project;
    if (const int status = tessary::checkWindowCommandLine(rest, &files, &project); status >= 0)
        return status;
    tessary::MainWindow window;
    QList<tessary::MapView*> opened;
    for (const std::string& file : files)
        if (tessary::MapView* view = window.openFile(QString::fromStdString(file)))
            opened << view;
    if (opened.isEmpty())
        opened << window.newMap();
    if (!project.empty())
        for (tessary::MapView* view : opened)
            window.attachProject(view, QString::fromStdString(project));
    window.show();
    return app.exec();
}
