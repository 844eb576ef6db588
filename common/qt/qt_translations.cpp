#include "common/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace tft {

bool installQtTranslations(const QLocale& locale) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return false;
    // "qt" is the catalogue that pulls in qtbase and the other modules' texts.
    auto translator = std::make_unique<QTranslator>(app);
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(translator.release());
}

} // namespace tft
