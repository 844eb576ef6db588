// The Modbus map checked against the open project before it goes to a
// panel: rows bound to screens or controls that do not exist, or to controls
// that take no value, are errors; a control bound twice is a warning.
#pragma once

#include "wizard_request.h"

#include <QString>
#include <QStringList>

namespace tft::ide {

struct MapCheck {
    QStringList errors;   // the user confirms before the map is sent
    QStringList warnings; // shown, not blocking
    bool clean() const { return errors.isEmpty() && warnings.isEmpty(); }
};

// Reads `mapFile` and checks it against the project's file, read with the
// model catalogue of the application folder (skipped, with a warning, when
// no project is open or the project does not load). A map that does not
// read whole is an error.
MapCheck checkModbusMap(const QString& mapFile, const WizardProject& project);

} // namespace tft::ide
