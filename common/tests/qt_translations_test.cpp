// Qt's standard texts follow the user's language once the translations are in.
#include "common/qt_translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "common_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

QString cancelText() {
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

} // namespace

TEST(QtTranslations, ChineseLocaleTranslatesStandardButtons) {
    app();
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(dir + QStringLiteral("/qtbase_zh_CN.qm")))
        GTEST_SKIP() << "qt6-translations-l10n is not installed (see scripts/setup)";
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
    EXPECT_FALSE(tft::installQtTranslations(QLocale(QStringLiteral("xx_YY"))));
    EXPECT_EQ(cancelText(), QStringLiteral("Cancel"));
    ASSERT_TRUE(tft::installQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
    EXPECT_EQ(cancelText(), QStringLiteral("取消"));
}
