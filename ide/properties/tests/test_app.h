// The one QApplication of the property tests, with the IDE's English texts.
#pragma once

#include "command_lines.h"
#include "string_table.h"
#include "testing/widgets_app.h"

#include <QApplication>

inline void ensurePropertyTestApp() {
    testsupport::ensureWidgetsApp();
    tft::ide::currentStrings().load(
        tft::ide::languageFile(QStringLiteral(TFT_APP_DIR), tft::ide::kLanguageEnglish));
}
