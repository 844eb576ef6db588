// tessary: the Modbus map editor, or with --update / --stop-master /
// --resume-master the same update without a window.
#include "batch.h"
#include "main_window.h"

#include <QApplication>
#include <QCoreApplication>
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
    QApplication app(argc, argv);
    tessary::MainWindow window;
    bool opened = false;
    for (const QString& arg : app.arguments().mid(1))
        opened = window.openFile(arg) != nullptr || opened;
    if (!opened)
        window.newMap();
    window.show();
    return app.exec();
}
