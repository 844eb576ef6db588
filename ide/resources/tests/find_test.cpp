// Find over page documents and page files, the find history, and the
// locate line: what it names and which page files it may open.
#include "command_lines.h"
#include "find_manager.h"
#include "font_config.h"
#include "open_project.h"
#include "page_document.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QCoreApplication>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
using tft::DeviceCatalogue;
namespace fs = std::filesystem;

namespace {

void loadEnglish() {
    static const bool loaded = currentStrings().load(languageFile(TFT_APP_DIR, kLanguageEnglish));
    ASSERT_TRUE(loaded);
}

std::string pageText(std::initializer_list<const char*> names) {
    std::string text = "<DrawPage name=\"\" bk_transparent=\"0\" bk_color=\"0;0;0\" bk_image=\"\">";
    int id = 1;
    for (const char* name : names)
        text += std::string("<item type=\"BUTTON\" name=\"") + name + "\" id=\"" +
                std::to_string(id++) +
                "\" xOffset=\"0\" yOffset=\"0\" width=\"10\" height=\"10\"/>";
    return text + "</DrawPage>";
}

std::unique_ptr<PageDocument> page(std::initializer_list<const char*> names) {
    auto document = std::make_unique<PageDocument>();
    std::string error;
    EXPECT_TRUE(document->loadText(pageText(names), &error)) << error;
    return document;
}

QStringList run(const QString& text, int scope, int flags, const std::vector<OpenPage>& open,
                int active, const ProjectWorkspace* project = nullptr) {
    FindOptions options;
    options.scope = scope;
    options.flags = flags;
    return CFindManager::instance().find(text, options, open, active, project);
}

} // namespace

TEST(Find, NamesMatchByCaseAndWholeName) {
    EXPECT_TRUE(nameMatches("OkBtn1", "btn", 0));
    EXPECT_FALSE(nameMatches("OkBtn1", "btn", FindOptions::MatchCase));
    EXPECT_TRUE(nameMatches("OkBtn1", "Btn", FindOptions::MatchCase));
    EXPECT_FALSE(nameMatches("OkBtn1", "btn", FindOptions::WholeName));
    EXPECT_TRUE(nameMatches("OkBtn1", "okbtn1", FindOptions::WholeName));
    EXPECT_FALSE(nameMatches("OkBtn1", "okbtn1", FindOptions::WholeName | FindOptions::MatchCase));
}

TEST(Find, CurrentViewListsHitsInDrawingOrderWithHeaderAndTotal) {
    loadEnglish();
    const auto main = page({"OkBtn1", "label", "CancelBtn"});
    const auto other = page({"btnOther"});
    const std::vector<OpenPage> open{{"other", "/p/other.tft", other.get()},
                                     {"main", "/p/main.tft", main.get()}};
    EXPECT_EQ(
        run("btn", FindOptions::CurrentView, 0, open, 1),
        (QStringList{"Searching the current view for \"btn\":",
                     "[screen]main;[item]OkBtn1: name = \"OkBtn1\"",
                     "[screen]main;[item]CancelBtn: name = \"CancelBtn\"", "2 results in all."}));
    EXPECT_EQ(CFindManager::instance().results().size(), 2);
    // Whole name: "btn" is not the name of any shape.
    EXPECT_EQ(run("btn", FindOptions::CurrentView, FindOptions::WholeName, open, 1),
              (QStringList{"Searching the current view for \"btn\":", "0 results in all."}));
    // No active page view: only the header and 0.
    EXPECT_EQ(run("btn", FindOptions::CurrentView, 0, open, -1).size(), 2);
}

TEST(Find, OpenViewsListTheHitsOfEveryOpenPage) {
    loadEnglish();
    const auto a = page({"OkBtn1", "x"});
    const auto b = page({"y", "BtnBack"});
    const std::vector<OpenPage> open{{"main", "/p/main.tft", a.get()},
                                     {"settings", "/p/settings.tft", b.get()}};
    EXPECT_EQ(
        run("BTN", FindOptions::OpenViews, 0, open, 0),
        (QStringList{
            "Searching the open views for \"BTN\":", "[screen]main;[item]OkBtn1: name = \"OkBtn1\"",
            "[screen]settings;[item]BtnBack: name = \"BtnBack\"", "2 results in all."}));
}

TEST(Find, ChineseTextsAreTheTableOnes) {
    ASSERT_TRUE(currentStrings().load(languageFile(TFT_APP_DIR, kLanguageChinese)));
    const auto a = page({"OkBtn1"});
    const QStringList lines = run("zzz", FindOptions::OpenViews, 0, {{"main", "", a.get()}}, 0);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("在打开视图中查找\"zzz\":"),
                                  QStringLiteral("共0个查找结果。")}));
    EXPECT_EQ(run("zzz", 1, 0, {}, -1).first(), QStringLiteral("在当前视图中查找\"zzz\":"));
    ASSERT_TRUE(currentStrings().load(languageFile(TFT_APP_DIR, kLanguageEnglish)));
}

TEST(Find, TheWholeProjectReadsClosedPagesAndTakesOpenOnesWithTheirEdits) {
    loadEnglish();
    testsupport::TempFolder dir;
    QString file;
    const DeviceCatalogue catalogue = DeviceCatalogue::load(catalogueFile(TFT_APP_DIR));
    ASSERT_TRUE(
        ProjectWorkspace::create(QString::fromStdString(dir.path().string()), "p", 3, file).ok);
    ProjectWorkspace project(catalogue);
    ASSERT_TRUE(project.open(file).ok);
    const fs::path folder = dir.path() / "p";
    std::ofstream(folder / "one.tft") << pageText({"OkBtn1", "text"});
    std::ofstream(folder / "two.tft") << pageText({"btn_saved"});
    std::ofstream(folder / "broken.tft") << pageText({});
    const auto added = project.addFiles({QString::fromStdString((folder / "one.tft").string()),
                                         QString::fromStdString((folder / "two.tft").string()),
                                         QString::fromStdString((folder / "broken.tft").string())});
    ASSERT_EQ(added.entries.size(), 3) << added.problems.join('\n').toStdString();
    // A page that breaks while the project is open has nothing to find.
    std::ofstream(folder / "broken.tft") << "<DrawPage><item name=\"btn_broken\"";
    // "two" is open with an unsaved rename: the open document wins.
    const auto two = page({"btn_edited"});
    const std::vector<OpenPage> open{
        {"two", QString::fromStdString(fs::absolute(folder / "two.tft").string()), two.get()}};
    EXPECT_EQ(
        run("btn", FindOptions::WholeProject, 0, open, 0, &project),
        (QStringList{"Searching all pages of the project for \"btn\":",
                     "[screen]one;[item]OkBtn1: name = \"OkBtn1\"",
                     "[screen]two;[item]btn_edited: name = \"btn_edited\"", "2 results in all."}));
}

TEST(Find, HistoryKeepsTheLatestOnTopWithoutDuplicates) {
    FindHistory history;
    history.push("a");
    history.push("b");
    history.push("a");
    history.push("");
    EXPECT_EQ(history.items(), (QStringList{"a", "b"}));
    for (int i = 0; i < 30; ++i)
        history.push(QString::number(i));
    EXPECT_EQ(history.items().size(), FindHistory::kLimit);
    EXPECT_EQ(history.items().first(), "29");
}

TEST(Locate, LinesNameThePageAndTheItem) {
    LocateTarget t =
        parseLocateLine(QStringLiteral("错误：[screen]main;[item]Button3:图片不存在..."));
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.page, "main");
    EXPECT_TRUE(t.hasItem);
    EXPECT_EQ(t.item, "Button3");
    t = parseLocateLine("[screen]main;[item]OkBtn1: name = \"OkBtn1\"");
    EXPECT_EQ(t.item, "OkBtn1");
    t = parseLocateLine("[screen]home: the screen has no items");
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.page, "home");
    EXPECT_FALSE(t.hasItem);
    t = parseLocateLine("[screen]home");
    EXPECT_EQ(t.page, "home");
    // The text from the first "[" must begin with "[screen]".
    EXPECT_FALSE(parseLocateLine("note [x] [screen]main;[item]a:").valid);
    EXPECT_FALSE(parseLocateLine("no brackets at all").valid);
}

TEST(Locate, PageFilesStayInsideTheProjectFolder) {
    testsupport::TempFolder dir;
    QString file;
    const DeviceCatalogue catalogue = DeviceCatalogue::load(catalogueFile(TFT_APP_DIR));
    ASSERT_TRUE(
        ProjectWorkspace::create(QString::fromStdString(dir.path().string()), "p", 3, file).ok);
    ProjectWorkspace project(catalogue);
    ASSERT_TRUE(project.open(file).ok);
    const fs::path folder = dir.path() / "p";
    std::ofstream(folder / "main.tft") << pageText({"a"});
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "sub" / "inner.tft") << pageText({"a"});
    std::ofstream(dir.path() / "outside.tft") << pageText({"a"});
    fs::create_symlink(dir.path() / "outside.tft", folder / "link.tft");
    ASSERT_EQ(
        project.addFiles({QString::fromStdString((folder / "main.tft").string())}).entries.size(),
        1);

    const QString main = locatePageFile(project, "main");
    EXPECT_EQ(fs::path(main.toStdString()), fs::absolute(folder / "main.tft"));
    EXPECT_EQ(locatePageFile(project, "MAIN"), main); // a project page without regard to case
    EXPECT_FALSE(locatePageFile(project, "sub\\inner").isEmpty());
    EXPECT_TRUE(locatePageFile(project, "missing").isEmpty());
    EXPECT_TRUE(locatePageFile(project, "").isEmpty());
    // Names that climb out of the folder, absolute names and links out open nothing.
    EXPECT_TRUE(locatePageFile(project, "..\\outside").isEmpty());
    EXPECT_TRUE(locatePageFile(project, "../outside").isEmpty());
    EXPECT_TRUE(locatePageFile(project, "sub/../../outside").isEmpty());
    EXPECT_TRUE(locatePageFile(project, QString::fromStdString((dir.path() / "outside").string()))
                    .isEmpty());
    EXPECT_TRUE(locatePageFile(project, "C:\\outside").isEmpty());
    EXPECT_TRUE(locatePageFile(project, "link").isEmpty());
}
