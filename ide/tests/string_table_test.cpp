// Both language tables hold every string id the IDE uses.
#include "string_table.h"

#include <gtest/gtest.h>

using namespace tft::ide;

TEST(StringTables, EveryIdTheIdeUsesIsInBothTables) {
    for (const char* file : {"chinese.xml", "english.xml"}) {
        StringTable table;
        QString error;
        ASSERT_TRUE(table.load(QStringLiteral(TFT_SOURCE_DIR "/data/lang/") + file, &error))
            << error.toStdString();
        for (const int id : ideStringIds()) {
            EXPECT_TRUE(table.contains(id)) << file << " lacks string " << id;
            EXPECT_FALSE(table.text(id).isEmpty()) << file << " " << id;
        }
    }
}

TEST(StringTables, TheTablesDiffer) {
    StringTable zh, en;
    ASSERT_TRUE(zh.load(languageFile(TFT_APP_DIR, 50010)));
    ASSERT_TRUE(en.load(languageFile(TFT_APP_DIR, 50011)));
    EXPECT_EQ(zh.text(sid::CompileProject), QStringLiteral("编译工程"));
    EXPECT_EQ(en.text(sid::CompileProject), QStringLiteral("Compile Project"));
    EXPECT_EQ(zh.text(sid::ProjectExists), QStringLiteral("同名工程已经存在，请更改工程名！"));
}

TEST(StringTables, AMissingIdShowsItsNumberAndABadFileKeepsTheTable) {
    StringTable table;
    ASSERT_TRUE(table.load(languageFile(TFT_APP_DIR, 50011)));
    EXPECT_EQ(table.text(99999), QStringLiteral("#99999"));
    QString error;
    EXPECT_FALSE(table.load(QStringLiteral("/nonexistent/lang.xml"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(table.text(sid::CompileProject), QStringLiteral("Compile Project"));
}
