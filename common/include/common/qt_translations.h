// Qt's own texts (standard buttons, file dialogs, overwrite prompts) in the
// user's language, from the translations Qt ships (package
// qt6-translations-l10n). Every GUI program calls it once after creating its
// application object.
#pragma once

#include <QLocale>

namespace tft {

// Installs Qt's translations for `locale` (the user's locale by default) into
// the running application. False when there is no application or Qt has no
// translation for that language (its texts then stay English).
bool installQtTranslations(const QLocale& locale = QLocale());

} // namespace tft
