// The resource, picture and find panes inside the main window: filled after
// open and build, find through the "Find" bar's combo, and locate from find
// results and from velmic's own error lines.
#include "commands.h"
#include "find_widgets.h"
#include "imagelist_dlg.h"
#include "main_frame.h"
#include "output_pane.h"
#include "page_frame.h"
#include "picture_browser.h"
#include "resource_pane.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

void ensureApp() {
    testsupport::ensureWidgetsApp();
    QStandardPaths::setTestModeEnabled(true);
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

const char* kMainPage = R"(<DrawPage name="" bk_transparent="0" bk_color="0;0;0" bk_image="">
<item type="BUTTON" name="OkBtn1" id="1" xOffset="10" yOffset="10" width="80" height="30"/>
<item type="BUTTON" name="Button3" id="2" xOffset="10" yOffset="50" width="80" height="30"/>
<item type="TEXT" name="caption" id="3" xOffset="10" yOffset="90" width="80" height="30"/>
</DrawPage>)";

class Panes : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
                 fs::copy_options::recursive);
        store = std::make_unique<QSettings>(q(dir.path() / "orvane.ini"), QSettings::IniFormat);
        store->setValue("Settings/Lang", 50011);
        frame = std::make_unique<CMainFrame>(TFT_APP_DIR, store.get());
        frame->showMessage = [this](const QString& text) { messages << text; };
        frame->launch = [](const QString&, const QStringList&) { return true; };
        frame->askFindOptions = [this](FindOptions& chosen) {
            ++asked;
            chosen = options;
            return answer;
        };
    }
    fs::path folder() const { return dir.path() / "showcase"; }
    bool openShowcase() { return frame->openProject(q(folder() / "showcase.tftprj")); }
    void addMainPage() {
        std::ofstream(folder() / "main.tft") << kMainPage;
        frame->addFiles({q(folder() / "main.tft")});
        // Adding a page opens it; locate must also work on a closed one.
        for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList())
            sub->close();
    }
    void activate() {
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    bool compile() {
        QSignalSpy done(frame.get(), &CMainFrame::jobFinished);
        frame->action(cmd::CompileProject)->trigger();
        return done.wait(60000);
    }
    CPageFrame* activePage() const {
        QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
        return sub ? qobject_cast<CPageFrame*>(sub->widget()) : nullptr;
    }
    static QStringList selectedNames(const CPageFrame& page) {
        QStringList names;
        for (const auto* shape : page.document().selection())
            names << QString::fromStdString(shape->name());
        return names;
    }
    void typeFind(const QString& text) {
        // Typed where the user types: the combo takes the focus for its line edit.
        CFindCombo* combo = frame->findCombo();
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, text);
        QTest::keyClick(combo, Qt::Key_Return);
    }

    testsupport::TempFolder dir;
    std::unique_ptr<QSettings> store;
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    FindOptions options;
    bool answer = true;
    int asked = 0;
};

} // namespace

TEST_F(Panes, ThePanesSitInTheirDocksAndTheLibraryCommandsInTheToolsMenu) {
    EXPECT_EQ(frame->pane(4005)->widget(), frame->resourcePane());
    EXPECT_EQ(frame->pane(4004)->widget(), frame->pictureBrowser());
    EXPECT_EQ(frame->pane(4006)->widget(), frame->findPane());
    EXPECT_EQ(frame->findCombo()->parentWidget(), static_cast<QWidget*>(frame->bar("Find")));
    const QList<QAction*> tools = frame->menu(sid::MenuTools)->actions();
    for (const int id : {cmd::ManageLibrary, cmd::ImportPictures, cmd::DeletePicture}) {
        ASSERT_NE(frame->action(id), nullptr) << id;
        EXPECT_TRUE(tools.contains(frame->action(id))) << id;
    }
    EXPECT_EQ(frame->action(cmd::ManageLibrary)->text(), "Manage Libraries");
    // The shipped libraries are in the browser.
    EXPECT_EQ(frame->pictureBrowser()->libraryBox()->count(), 2);
    EXPECT_EQ(frame->pictureBrowser()->currentLibrary(), "buttons");
}

TEST_F(Panes, TheResourcePaneFollowsOpenBuildAndLanguage) {
    ASSERT_TRUE(openShowcase());
    QTreeWidget* table = frame->resourcePane()->table();
    EXPECT_EQ(table->topLevelItemCount(), 0); // not built yet: empty, no message
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_TRUE(compile());
    ASSERT_EQ(table->topLevelItemCount(), 3);
    EXPECT_EQ(table->topLevelItem(0)->childCount(), 4);
    // The showcase's model (5", 800x480) has its resource area from the catalogue.
    EXPECT_TRUE(frame->resourcePane()->capacityBar()->format().contains(" / 56 MB ("))
        << frame->resourcePane()->capacityBar()->format().toStdString();
    frame->setLanguage(cmd::LanguageChinese);
    EXPECT_EQ(table->topLevelItem(0)->text(0), QStringLiteral("画面"));
    EXPECT_EQ(table->headerItem()->text(0), QStringLiteral("类型"));
    frame->setLanguage(cmd::LanguageEnglish);
    // A malformed list empties the pane and says so in the output pane.
    std::ofstream(folder() / "output" / "showcase.tftres") << "<Resource><pages>";
    frame->closeProject();
    ASSERT_TRUE(openShowcase());
    EXPECT_EQ(table->topLevelItemCount(), 0);
    EXPECT_FALSE(frame->outputPane()->lines().filter("cannot be read").isEmpty());
    frame->closeProject();
    EXPECT_EQ(table->topLevelItemCount(), 0);
}

TEST_F(Panes, FindThroughTheBarWithHistoryOptionsAndResults) {
    ASSERT_TRUE(openShowcase());
    activate();
    frame->openDocument(q(folder() / "home.tft"));
    frame->openDocument(q(folder() / "drawing.tft"));
    // Scope 1: the active view (drawing) only.
    typeFind("TITLE");
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(frame->pane(4006)->isVisible());
    EXPECT_EQ(frame->findPane()->lines(),
              (QStringList{"Searching the current view for \"TITLE\":",
                           "[screen]drawing;[item]title: name = \"title\"", "1 results in all."}));
    // Scope 2: both open pages, each line naming its page.
    options.scope = FindOptions::OpenViews;
    typeFind("title");
    EXPECT_EQ(frame->findPane()->lines(),
              (QStringList{"Searching the open views for \"title\":",
                           "[screen]home;[item]title: name = \"title\"",
                           "[screen]home;[item]title_cn: name = \"title_cn\"",
                           "[screen]drawing;[item]title: name = \"title\"", "3 results in all."}));
    // Whole name narrows it.
    options.flags = FindOptions::WholeName;
    typeFind("title");
    EXPECT_EQ(frame->findPane()->lines().size(), 4);
    // Scope 3: every page of the project, open or not.
    options = {};
    options.scope = FindOptions::WholeProject;
    typeFind("back");
    EXPECT_EQ(frame->findPane()->lines(),
              (QStringList{"Searching all pages of the project for \"back\":",
                           "[screen]drawing;[item]back: name = \"back\"",
                           "[screen]drawing;[item]label_back: name = \"label_back\"",
                           "[screen]controls;[item]key_back: name = \"key_back\"",
                           "[screen]controls;[item]back: name = \"back\"",
                           "[screen]controls;[item]label_back: name = \"label_back\"",
                           "[screen]gauges;[item]back: name = \"back\"",
                           "[screen]gauges;[item]label_back: name = \"label_back\"",
                           "7 results in all."}));
    // History: latest on top, no duplicates.
    EXPECT_EQ(frame->findCombo()->history().items(), (QStringList{"back", "title", "TITLE"}));
    // Cancel in the options: the pane keeps what it had.
    answer = false;
    typeFind("zzz");
    EXPECT_EQ(frame->findPane()->lines().size(), 9);
    EXPECT_EQ(frame->findCombo()->history().items().first(), "zzz");
    // Empty text: nothing at all.
    const int before = asked;
    frame->find(QString());
    EXPECT_EQ(asked, before);
    // Zero hits: header and 0.
    answer = true;
    typeFind("nothing_like_this");
    EXPECT_EQ(frame->findPane()->lines(),
              (QStringList{"Searching all pages of the project for \"nothing_like_this\":",
                           "0 results in all."}));
}

TEST_F(Panes, LocateOpensThePageAndSelectsTheShapeAlone) {
    ASSERT_TRUE(openShowcase());
    addMainPage();
    activate();
    ASSERT_EQ(frame->mdiArea()->subWindowList().size(), 0);
    options.scope = FindOptions::WholeProject;
    typeFind("button3");
    ASSERT_EQ(frame->findPane()->count(), 3);
    EXPECT_EQ(frame->findPane()->item(1)->text(), "[screen]main;[item]Button3: name = \"Button3\"");
    emit frame->findPane()->itemDoubleClicked(frame->findPane()->item(1));
    CPageFrame* page = activePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(fs::path(page->file().toStdString()), fs::absolute(folder() / "main.tft"));
    EXPECT_EQ(selectedNames(*page), QStringList{"Button3"});
    // Everything selected, then located again: activated, not opened twice, Button3 alone.
    page->document().selectAll();
    frame->locateLine("[screen]main;[item]Button3: name = \"Button3\"");
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(selectedNames(*page), QStringList{"Button3"});
    // A shape the page lacks: nothing selected.
    frame->locateLine("[screen]main;[item]Nobody: x");
    EXPECT_TRUE(selectedNames(*page).isEmpty());
    // The header and the total are not locate lines; unknown pages open nothing.
    emit frame->findPane()->itemDoubleClicked(frame->findPane()->item(0));
    frame->locateLine("[screen]nowhere;[item]Button3:");
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    // Names that climb out of the project folder open nothing, even when the file exists.
    std::ofstream(dir.path() / "outside.tft") << kMainPage;
    frame->locateLine("[screen]..\\outside;[item]Button3:");
    frame->locateLine("[screen]../outside;[item]Button3:");
    frame->locateLine("[screen]" + q(dir.path() / "outside") + ";[item]Button3:");
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(Panes, LocateFromARealVelmicErrorLine) {
    // Break the showcase: a picture item on "home" without a picture.
    std::string text;
    {
        std::ifstream in(folder() / "home.tft");
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string item =
        "<item type=\"IMAGE\" name=\"lost_pic\" id=\"90\" url=\"\" xOffset=\"0\" yOffset=\"0\" "
        "width=\"10\" height=\"10\"/>\n</DrawPage>";
    text.replace(text.rfind("</DrawPage>"), 11, item);
    std::ofstream(folder() / "home.tft") << text;
    ASSERT_TRUE(openShowcase());
    activate();
    ASSERT_TRUE(compile());
    COutputPane* output = frame->outputPane();
    QListWidgetItem* line = nullptr;
    for (int i = 0; i < output->count(); ++i)
        if (output->item(i)->text().contains("[item]lost_pic"))
            line = output->item(i);
    ASSERT_NE(line, nullptr) << output->lines().join('\n').toStdString();
    EXPECT_TRUE(line->text().contains("[screen]home;[item]lost_pic:"))
        << line->text().toStdString();
    emit output->itemDoubleClicked(line);
    CPageFrame* page = activePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(frame->mdiArea()->activeSubWindow()->windowTitle(), "home");
    EXPECT_EQ(selectedNames(*page), QStringList{"lost_pic"});
}

TEST_F(Panes, ImportAndDeleteThroughTheCommands) {
    const fs::path app = dir.path() / "app";
    fs::create_directories(app / "images" / "mine");
    for (const char* data : {"DeviceInfo.xml", "lang"})
        fs::copy(fs::path(TFT_APP_DIR) / data, app / data, fs::copy_options::recursive);
    auto own = std::make_unique<CMainFrame>(q(app), store.get());
    CPictureBrowser* browser = own->pictureBrowser();
    ASSERT_EQ(browser->currentLibrary(), "mine");
    QImage picture(5, 5, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(q(dir.path() / "blue.png")));
    browser->ui.chooseFiles = [&](QWidget*) { return QStringList{q(dir.path() / "blue.png")}; };
    browser->ui.confirm = [](QWidget*, const QString&) { return true; };
    browser->ui.report = [this](QWidget*, const QString& text) { messages << text; };
    own->runCommand(cmd::ImportPictures);
    ASSERT_EQ(browser->gallery()->count(), 1);
    EXPECT_TRUE(fs::exists(app / "images" / "mine" / "blue.png"));
    browser->gallery()->setCurrentRow(0);
    own->runCommand(cmd::DeletePicture);
    EXPECT_EQ(browser->gallery()->count(), 0);
    EXPECT_FALSE(fs::exists(app / "images" / "mine" / "blue.png"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// The panes filled, for a look at them: ORVANE_RESOURCES_SCREENSHOT names the PNG.
TEST_F(Panes, Screenshot) {
    const QByteArray target = qgetenv("ORVANE_RESOURCES_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "ORVANE_RESOURCES_SCREENSHOT not set";
    ASSERT_TRUE(openShowcase());
    frame->resize(1400, 900);
    activate();
    ASSERT_TRUE(compile());
    frame->pane(4005)->raise();
    frame->pane(4004)->raise();
    CPictureBrowser* browser = frame->pictureBrowser();
    browser->setLibrary("icons");
    QSignalSpy done(browser, &CPictureBrowser::thumbnailsDone);
    if (browser->thumbnailsShown() < browser->gallery()->count()) {
        ASSERT_TRUE(done.wait(10000));
    }
    options.scope = FindOptions::WholeProject;
    typeFind("back");
    frame->pane(4006)->raise();
    QCoreApplication::processEvents();
    const QString file = QString::fromLocal8Bit(target);
    ASSERT_TRUE(frame->grab().save(file));
    // The panes on their own, wide enough for every column.
    CResourcePane pane;
    pane.load(q(folder() / "output" / "showcase.tftres"), 4);
    pane.resize(900, 520);
    pane.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(pane.grab().save(QString(file).replace(".png", "-resources.png")));
    const ImageLibraries shipped(QString::fromUtf8(TFT_APP_DIR) + "/images", QString());
    LibraryUi ui;
    CImagelistMainDlg dialog(shipped, ui);
    dialog.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QString(file).replace(".png", "-library.png")));
    CFindOptionsDlg optionsDialog(FindOptions{});
    optionsDialog.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(optionsDialog.grab().save(QString(file).replace(".png", "-options.png")));
}
