// Settings defaults, their round trip through QSettings, and the recent list.
#include "command_lines.h"
#include "settings.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

using namespace tft::ide;

namespace {

QString iniIn(const testsupport::TempFolder& dir) {
    return QString::fromStdString((dir.path() / "orvane.ini").string());
}

} // namespace

TEST(Settings, FirstStartTakesTheLanguageFromTheLocale) {
    testsupport::TempFolder dir;
    QSettings store(iniIn(dir), QSettings::IniFormat);
    for (const char* name : {"zh_CN", "zh_TW", "zh_HK"}) {
        const IdeSettings s = IdeSettings::read(store, QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(s.language, 50010) << name;
        EXPECT_EQ(compilerLanguage(s.language), 0) << name;
    }
    for (const char* name : {"en_US", "de_DE", "zh_SG", "C"}) {
        const IdeSettings s = IdeSettings::read(store, QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(s.language, 50011) << name;
        EXPECT_EQ(compilerLanguage(s.language), 1) << name;
    }
    const IdeSettings s = IdeSettings::read(store, QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(s.downloadOptions, 0);
    EXPECT_EQ(s.baudRateIndex, 3);
    EXPECT_EQ(s.comPortIndex, 1);
    EXPECT_EQ(s.showId, 0);
    EXPECT_EQ(s.syncDisplay, 0);
}

TEST(Settings, WrittenValuesAreReadBackButSyncDisplayStartsOff) {
    testsupport::TempFolder dir;
    {
        QSettings store(iniIn(dir), QSettings::IniFormat);
        IdeSettings s;
        s.language = 50010;
        s.downloadOptions = 0x12345; // only the low 16 bits count
        s.baudRateIndex = 6;
        s.comPortIndex = 2;
        s.showId = 1;
        s.syncDisplay = 1;
        s.write(store);
    }
    QSettings store(iniIn(dir), QSettings::IniFormat);
    EXPECT_EQ(store.value("Settings/SyncDisplay").toInt(), 1);
    EXPECT_EQ(store.value("Settings/BandRateIndex").toInt(), 6);
    const IdeSettings s = IdeSettings::read(store, QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(s.language, 50010);
    EXPECT_EQ(s.downloadOptions, 0x2345);
    EXPECT_EQ(s.baudRateIndex, 6);
    EXPECT_EQ(s.comPortIndex, 2);
    EXPECT_EQ(s.showId, 1);
    EXPECT_EQ(s.syncDisplay, 0);
}

TEST(RecentProjects, SixEntriesNewestFirstWithoutRepeats) {
    testsupport::TempFolder dir;
    RecentProjects recent;
    for (int i = 1; i <= 8; ++i)
        recent.add(QStringLiteral("/p/%1.tftprj").arg(i));
    recent.add(QStringLiteral("/p/5.tftprj"));
    EXPECT_EQ(recent.entries(), (QStringList{"/p/5.tftprj", "/p/8.tftprj", "/p/7.tftprj",
                                             "/p/6.tftprj", "/p/4.tftprj", "/p/3.tftprj"}));
    recent.remove(0);
    EXPECT_EQ(recent.entries().first(), "/p/8.tftprj");
    {
        QSettings store(iniIn(dir), QSettings::IniFormat);
        recent.write(store);
        EXPECT_EQ(store.value("Recent Project List/Project1").toString(), "/p/8.tftprj");
        EXPECT_FALSE(store.contains("Recent Project List/Project6"));
    }
    QSettings store(iniIn(dir), QSettings::IniFormat);
    RecentProjects again;
    again.read(store);
    EXPECT_EQ(again.entries(), recent.entries());
}

TEST(RecentProjects, MenuTextIsCutToThirtyCharacters) {
    RecentProjects recent;
    const QString longPath = QStringLiteral("/home/user/projects/a_rather_long_name/p.tftprj");
    recent.add(longPath);
    EXPECT_EQ(recent.menuText(0), longPath.left(30));
    EXPECT_EQ(recent.menuText(0).size(), 30);
    EXPECT_EQ(recent.menuText(5), QString());
}
