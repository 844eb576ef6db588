// tessary: the Modbus map editor, or with --update / --stop-master /
// --resume-master the same update without a window.
#include "batch.h"
#include "main_window.h"

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
    if (const int status = tessary::checkWindowCommandLine(rest, &files); status >= 0)
        return status;
    tessary::MainWindow window;
    bool opened = false;
    for (const std::string& file : files)
        opened = window.openFile(QString::fromStdString(file)) != nullptr || opened;
    if (!opened)
        window.newMap();
    window.show();
    return app.exec();
}
