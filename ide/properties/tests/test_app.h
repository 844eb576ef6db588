// The one QApplication of the property tests, with the IDE's English texts.
#pragma once

#include "command_lines.h"
#include "string_table.h"

#include <QApplication>

inline void ensurePropertyTestApp() {
    static int argc = 1;
    static char name[] = "orvane_properties_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
    tft::ide::currentStrings().load(
        tft::ide::languageFile(QStringLiteral(TFT_APP_DIR), tft::ide::kLanguageEnglish));
}
