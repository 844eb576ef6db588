// Starting the suite's other programs from the application folder, without
// waiting for them.
#pragma once

#include <QString>
#include <QStringList>

namespace tft::ide {

// <appDir>/<name>.
QString programPath(const QString& appDir, const QString& name);

// Starts the program detached; false when it does not exist or cannot start.
bool startProgram(const QString& appDir, const QString& name, const QStringList& arguments = {});

// The simulator's arguments for a compiled project: -p <.si path>.
QStringList simulatorArguments(const QString& siFile);

// The first desktop calculator found on the PATH, or empty.
QString findCalculator();

} // namespace tft::ide
