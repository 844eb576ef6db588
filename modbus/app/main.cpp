// tessary: the Modbus map editor, or with --update / --stop-master /
// --resume-master the same update without a window.
#include "batch.h"
#include "main_window.h"
#include "map_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <common/qt_translations.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    if (tessary::isBatchCommand(args)) {
        QCoreApplication app(argc, argv);
        return tessary::runBatch(args);
    }
    // Help is answered before a display is needed.
    if (tessary::asksForHelp(args))
        return tessary::printUsage();
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
