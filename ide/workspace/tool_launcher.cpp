#include "tool_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tft::ide {

QString programPath(const QString& appDir, const QString& name) {
    return QDir(appDir).filePath(name);
}

bool startProgram(const QString& appDir, const QString& name, const QStringList& arguments) {
    const QString program = programPath(appDir, name);
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return false;
    return QProcess::startDetached(program, arguments, appDir);
}

QStringList simulatorArguments(const QString& siFile) {
    return {QStringLiteral("-p"), siFile};
}

QString findCalculator() {
    for (const char* name :
         {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "mate-calc", "xcalc"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace tft::ide
