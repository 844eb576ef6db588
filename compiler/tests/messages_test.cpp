// Message texts, language files and the sink.
#include "compiler/messages.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>

using namespace testsupport;
using tft::formatMessage;
using tft::MessageArg;

TEST(Format, FillsTextsAndNumbersInOrder) {
    EXPECT_EQ(formatMessage("\n%s - %d error(s), %d warning(s)",
                            {std::string("demo"), std::int64_t{2}, std::int64_t{0}}),
              "\ndemo - 2 error(s), 0 warning(s)");
    EXPECT_EQ(formatMessage("100%% %-5s|%5d|", {std::string("ab"), std::int64_t{42}}),
              "100% ab   |   42|");
}

TEST(Format, PlaceholdersWithoutAMatchingArgumentStayAsText) {
    // A language file may hold anything; nothing it says can read arguments
    // that were not passed or read them as the wrong kind.
    EXPECT_EQ(formatMessage("%s %s %n %x %d", {std::string("a")}), "a %s %n %x %d");
    EXPECT_EQ(formatMessage("%d", {std::string("text")}), "%d");
    EXPECT_EQ(formatMessage("%s", {std::int64_t{5}}), "%s");
    EXPECT_EQ(formatMessage("end %", {}), "end %");
    EXPECT_EQ(formatMessage("%99999999999999s", {std::string("x")}).size(), 1000u);
}

TEST(Table, BuiltInChineseTexts) {
    tft::MessageTable table;
    EXPECT_EQ(table.text(71), "错误：");
    EXPECT_EQ(table.text(72), "警告：");
    EXPECT_EQ(table.text(99), "加载工程失败...");
    EXPECT_EQ(table.format(16, {std::string("a.tft")}), "加载a.tft失败...");
    EXPECT_EQ(table.text(12345), "");
}

TEST(Table, LanguageFileReplacesTextsAndKeepsTheRest) {
    TempFolder folder;
    folder.write("lang.xml", "<messages><message id=\"99\">Load\\tfailed\\n</message>"
                             "<message id=\"x\">ignored</message>"
                             "<message id=\"7\">back\\\\slash</message></messages>");
    tft::MessageTable table;
    ASSERT_TRUE(table.loadLanguageFile(folder.path() / "lang.xml"));
    EXPECT_EQ(table.text(99), "Load\tfailed\n");
    EXPECT_EQ(table.text(7), "back\\slash");
    EXPECT_EQ(table.text(100), "工程的设备类型不存在...");
}

TEST(Table, UnreadableLanguageFileKeepsTheBuiltInTable) {
    TempFolder folder;
    folder.write("broken.xml", "<messages><message id=\"99\">x");
    tft::MessageTable table;
    std::string error;
    EXPECT_FALSE(table.loadLanguageFile(folder.path() / "broken.xml", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(table.loadLanguageFile(folder.path() / "absent.xml"));
    EXPECT_EQ(table.text(99), "加载工程失败...");
}

TEST(Table, ShippedLanguageFilesCoverEveryBuiltInNumber) {
    for (const char* name : {"compiler_2052.xml", "compiler_1033.xml"}) {
        SCOPED_TRACE(name);
        const auto file = std::filesystem::path(TFT_SOURCE_DIR) / "data" / "lang" / name;
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(file.c_str()));
        std::set<int> ids;
        for (auto node : doc.document_element().children("message"))
            ids.insert(node.attribute("id").as_int());
        for (const auto& [number, text] : tft::MessageTable::builtIn())
            EXPECT_TRUE(ids.count(number)) << number;
    }
    // The Chinese file says what the built-in table says.
    tft::MessageTable chinese;
    ASSERT_TRUE(chinese.loadLanguageFile(std::filesystem::path(TFT_SOURCE_DIR) / "data" / "lang" /
                                         "compiler_2052.xml"));
    for (const auto& [number, text] : tft::MessageTable::builtIn())
        EXPECT_EQ(chinese.text(number), text) << number;
}

TEST(Table, LanguageNumberOneIsEnglish) {
    EXPECT_EQ(tft::MessageTable::languageFile("/app", 1), "/app/lang/compiler_1033.xml");
    for (int other : {0, 2, 2052, -1})
        EXPECT_EQ(tft::MessageTable::languageFile("/app", other), "/app/lang/compiler_2052.xml");
}

TEST(Sink, PrefixesCountsAndOneLinePerMessage) {
    CapturedSink captured;
    auto& sink = tft::CBuildActionManager::instance();
    sink.error(std::string("a"));
    sink.warning(std::string("b"));
    sink.info(std::string("c"));
    sink.error(7); // its text ends in a line end of its own
    EXPECT_EQ(captured.text(), "错误：a\n警告：b\nc\n错误：编译工程初始化失败...\n");
    EXPECT_EQ(sink.errorCount(), 2);
    EXPECT_EQ(sink.warningCount(), 1);
}
