// The main window under the offscreen platform: the showcase opened as at
// start, the tree, a real compile through the action, settings across two
// starts, language switching, drops, documents closed every way, dialogs.
#include "commands.h"
#include "debug_pages.h"
#include "device_console.h"
#include "font_options_dlg.h"
#include "main_frame.h"
#include "new_project_dlg.h"
#include "orvane_app.h"
#include "output_pane.h"
#include "page_frame.h"
#include "solution_pane.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextLayout>
#include <QToolBar>
#include <QUrl>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <pugixml.hpp>
#include <thread>
#include <unistd.h>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ensureWidgetsApp();
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
                 fs::copy_options::recursive);
        ini = QString::fromStdString((dir.path() / "orvane.ini").string());
        store = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        store->setValue("Settings/Lang", 50011);
    }
    std::unique_ptr<CMainFrame> makeFrame(const QString& appDir = TFT_APP_DIR) {
        auto frame = std::make_unique<CMainFrame>(appDir, store.get());
        frame->showMessage = [this](const QString& text) { messages << text; };
        frame->launch = [this](const QString& name, const QStringList& args) {
            launched << name + " " + args.join(' ');
            return true;
        };
        return frame;
    }
    QString showcase() const {
        return QString::fromStdString((dir.path() / "showcase" / "showcase.tftprj").string());
    }
    static void activate(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.isActiveWindow());
    }
    static bool waitJob(CMainFrame& frame) {
        QSignalSpy done(&frame, &CMainFrame::jobFinished);
        return done.wait(60000);
    }

    testsupport::TempFolder dir;
    QString ini;
    std::unique_ptr<QSettings> store;
    QStringList messages, launched;
};

} // namespace

TEST_F(Shell, StartsOnTheShowcaseWithItsTree) {
    auto frame = makeFrame();
    openAtStart(*frame, showcase());
    activate(*frame);
    ASSERT_TRUE(frame->workspace().isOpen()) << messages.join('\n').toStdString();
    CSolutionPane* tree = frame->solutionPane();
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "showcase");
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 4);
    EXPECT_EQ(tree->group(Group::Pages)->text(0), "Pages");
    EXPECT_EQ(tree->captions(Group::Pages),
              (QStringList{"home.tft", "drawing.tft", "controls.tft", "gauges.tft"}));
    EXPECT_EQ(tree->captions(Group::Images).size(), 6);
    EXPECT_EQ(tree->captions(Group::Sounds), QStringList{"art\\beep.wav"});
    EXPECT_TRUE(tree->captions(Group::Code).isEmpty());
    EXPECT_EQ(frame->windowTitle(), "Orvane - showcase");
    EXPECT_TRUE(frame->action(cmd::CompileProject)->isEnabled());
    EXPECT_EQ(frame->recent().entries().value(0), showcase());
    // The seven panes and six command bars exist under their names.
    for (int id = 4000; id <= 4006; ++id)
        EXPECT_NE(frame->pane(id), nullptr) << id;
    for (const char* bar : {"Standard", "Find", "SerialPort", "Drawing", "Layout"})
        EXPECT_NE(frame->bar(bar), nullptr) << bar;
    EXPECT_EQ(frame->action(cmd::CompileProject)->shortcut(), QKeySequence("F7"));
    EXPECT_EQ(frame->action(cmd::RunSimulator)->shortcut(), QKeySequence("F5"));
    EXPECT_EQ(frame->action(cmd::Find)->shortcut(), QKeySequence("Ctrl+F"));
}

TEST_F(Shell, AProjectThatDoesNotOpenLeavesNoProjectAndFallsBackToTheRecentOne) {
    {
        auto frame = makeFrame();
        ASSERT_TRUE(frame->openProject(showcase()));
        frame->writeSettings();
    }
    std::ofstream(dir.path() / "bad.tftprj") << "<Orvane";
    auto frame = makeFrame();
    const QString bad = QString::fromStdString((dir.path() / "bad.tftprj").string());
    EXPECT_FALSE(frame->openProject(bad));
    EXPECT_FALSE(frame->workspace().isOpen());
    EXPECT_EQ(frame->solutionPane()->topLevelItemCount(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(bad)) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("offset")) << messages[0].toStdString();
    // The good recent entry is kept and opened instead.
    openAtStart(*frame, bad);
    EXPECT_TRUE(frame->workspace().isOpen());
    // A recent entry that no longer opens leaves the list.
    fs::remove(dir.path() / "showcase" / "showcase.tftprj");
    auto again = makeFrame();
    openAtStart(*again, QString());
    EXPECT_FALSE(again->workspace().isOpen());
    EXPECT_TRUE(again->recent().entries().isEmpty());
}

TEST_F(Shell, CompilesThroughTheActionAndShowsVelmicsLines) {
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    activate(*frame);
    QSignalSpy finished(frame.get(), &CMainFrame::compilerFinished);
    frame->action(cmd::CompileProject)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished[0][0].toBool());
    const QStringList lines = frame->outputPane()->lines();
    EXPECT_FALSE(lines.filter("showcase - 0 error").isEmpty()) << lines.join('\n').toStdString();
    EXPECT_FALSE(lines.filter("showcase.sbin").isEmpty()) << lines.join('\n').toStdString();
    EXPECT_EQ(frame->statusText(), "Compiler finished, exit code 0");
    EXPECT_TRUE(frame->pane(4002)->isVisible());
    EXPECT_TRUE(frame->solutionPane()->captions(Group::Code).contains("hmi_driver.c"));
    EXPECT_TRUE(frame->solutionPane()->captions(Group::Code).contains("DefineID.h"));
    EXPECT_TRUE(fs::exists(dir.path() / "showcase" / "output" / "showcase.fidx"));
    // Compile the active page: velmic compiles that one screen.
    EXPECT_FALSE(frame->action(cmd::CompilePage)->isEnabled());
    frame->openDocument(QString::fromStdString((dir.path() / "showcase" / "gauges.tft").string()));
    ASSERT_TRUE(frame->action(cmd::CompilePage)->isEnabled());
    frame->action(cmd::CompilePage)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    const QStringList pageLines = frame->outputPane()->lines();
    EXPECT_FALSE(pageLines.filter("gauges").isEmpty()) << pageLines.join('\n').toStdString();
    EXPECT_TRUE(pageLines.filter("home.c").isEmpty()) << pageLines.join('\n').toStdString();
    // Run simulator: compile, then dunmere -p <.si>.
    frame->action(cmd::RunSimulator)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    ASSERT_EQ(launched.size(), 1);
    EXPECT_EQ(launched[0],
              "dunmere -p " + QString::fromStdString(
                                  (dir.path() / "showcase" / "output" / "showcase.si").string()));
}

TEST_F(Shell, AFailedCompileShowsItsStatusAndStartsNoSimulator) {
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    // The page breaks after opening: velmic reports it and exits with 1.
    std::ofstream(dir.path() / "showcase" / "gauges.tft") << "<DrawPage";
    frame->action(cmd::RunSimulator)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    EXPECT_EQ(frame->statusText(), "Compiler finished, exit code 1");
    EXPECT_TRUE(launched.isEmpty());
    EXPECT_FALSE(frame->outputPane()->lines().filter("gauges").isEmpty())
        << frame->outputPane()->lines().join('\n').toStdString();
    // The driver files are copied all the same.
    EXPECT_TRUE(fs::exists(dir.path() / "showcase" / "output" / "hmi_user_uart.c"));
}

TEST_F(Shell, AMissingCompilerSaysSo) {
    const fs::path app = dir.path() / "app";
    fs::create_directories(app);
    fs::copy(fs::path(TFT_APP_DIR) / "lang", app / "lang", fs::copy_options::recursive);
    fs::copy_file(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", app / "DeviceInfo.xml");
    auto frame = makeFrame(QString::fromStdString(app.string()));
    ASSERT_TRUE(frame->openProject(showcase())) << messages.join('\n').toStdString();
    frame->action(cmd::CompileProject)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    EXPECT_EQ(frame->outputPane()->lines(), QStringList{QStringLiteral("创建编译进程失败！")});
}

TEST_F(Shell, SettingsAreWrittenAtExitAndReadAtTheNextStart) {
    {
        auto frame = makeFrame();
        activate(*frame);
        ASSERT_TRUE(frame->openProject(showcase()));
        frame->setLanguage(50010);
        frame->action(cmd::ShowIds)->trigger();
        frame->pane(4005)->close();
        frame->close();
    }
    QSettings written(ini, QSettings::IniFormat);
    EXPECT_EQ(written.value("Settings/Lang").toInt(), 50010);
    EXPECT_EQ(written.value("Settings/ShowID").toInt(), 1);
    EXPECT_EQ(written.value("Recent Project List/Project1").toString(), showcase());
    EXPECT_TRUE(written.contains("NormalLayout/State"));
    auto frame = makeFrame();
    activate(*frame);
    EXPECT_EQ(frame->settings().language, 50010);
    EXPECT_EQ(frame->settings().showId, 1);
    EXPECT_TRUE(frame->action(cmd::ShowIds)->isChecked());
    EXPECT_EQ(frame->menu(sid::MenuFile)->title(), QStringLiteral("文件"));
    EXPECT_FALSE(frame->pane(4005)->isVisible());
    EXPECT_TRUE(frame->pane(4000)->isVisible());
    // 32916 brings back the built-in layout.
    frame->action(cmd::RestoreLayout)->trigger();
    EXPECT_TRUE(frame->pane(4005)->isVisibleTo(frame.get()));
}

TEST_F(Shell, LanguageSwitchRebuildsMenusPanesAndTree) {
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    activate(*frame);
    EXPECT_EQ(frame->menu(sid::MenuFile)->title(), "File");
    EXPECT_EQ(frame->action(cmd::CompileProject)->text(), "Compile Project");
    frame->action(cmd::LanguageChinese)->trigger();
    EXPECT_EQ(frame->menu(sid::MenuFile)->title(), QStringLiteral("文件"));
    EXPECT_EQ(frame->action(cmd::CompileProject)->text(), QStringLiteral("编译工程"));
    EXPECT_EQ(frame->pane(4002)->windowTitle(), QStringLiteral("输出"));
    EXPECT_EQ(frame->bar("Standard")->windowTitle(), QStringLiteral("标准"));
    EXPECT_EQ(frame->solutionPane()->group(Group::Code)->text(0), QStringLiteral("代码文件"));
    EXPECT_TRUE(frame->action(cmd::LanguageChinese)->isChecked());
    EXPECT_FALSE(frame->action(cmd::LanguageEnglish)->isChecked());
    frame->action(cmd::LanguageEnglish)->trigger();
    EXPECT_EQ(frame->pane(4002)->windowTitle(), "Output");
}

TEST_F(Shell, DroppedProjectFilesOpenInAnyCaseOthersDoNothing) {
    fs::copy_file(dir.path() / "showcase" / "showcase.tftprj",
                  dir.path() / "showcase" / "X.TFTPRJ");
    auto frame = makeFrame();
    EXPECT_FALSE(frame->openDropped({QUrl::fromLocalFile(
        QString::fromStdString((dir.path() / "showcase" / "art" / "badge.png").string()))}));
    EXPECT_FALSE(frame->workspace().isOpen());
    EXPECT_TRUE(frame->openDropped({QUrl::fromLocalFile(
        QString::fromStdString((dir.path() / "showcase" / "X.TFTPRJ").string()))}));
    EXPECT_EQ(frame->workspace().title(), "X");
}

TEST_F(Shell, DocumentsCloseEveryWay) {
    fs::create_directories(dir.path() / "showcase" / "output");
    std::ofstream(dir.path() / "showcase" / "output" / "main.c")
        << "int main(void) { return 0; }\n";
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    activate(*frame);
    QMdiArea* mdi = frame->mdiArea();
    const auto open = [&](const char* page) {
        return frame->openDocument(
            QString::fromStdString((dir.path() / "showcase" / page).string()));
    };
    // The tab's own close.
    QMdiSubWindow* home = open("home.tft");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->windowTitle(), "home");
    EXPECT_NE(qobject_cast<CPageFrame*>(home->widget()), nullptr);
    EXPECT_EQ(open("home.tft"), home); // a second open activates it
    home->close();
    EXPECT_TRUE(mdi->subWindowList().isEmpty());
    // Removing the page from the tree closes its tab.
    open("drawing.tft");
    frame->removeEntry(frame->solutionPane()->findEntry(Group::Pages, "drawing.tft"));
    EXPECT_TRUE(mdi->subWindowList().isEmpty());
    // Closing the project closes everything, edited C files saved first by Save all.
    open("controls.tft");
    QMdiSubWindow* code = open("output/main.c");
    ASSERT_NE(code, nullptr);
    auto* editor = qobject_cast<CTextEditorDoc*>(code->widget());
    ASSERT_NE(editor, nullptr);
    editor->appendPlainText("/* edited */");
    frame->action(cmd::SaveProject)->trigger();
    EXPECT_FALSE(editor->document()->isModified());
    frame->action(cmd::CloseProject)->trigger();
    EXPECT_TRUE(mdi->subWindowList().isEmpty());
    EXPECT_FALSE(frame->workspace().isOpen());
    std::ifstream in(dir.path() / "showcase" / "output" / "main.c");
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("/* edited */"), std::string::npos);
    // Opening another project closes the documents of the first.
    ASSERT_TRUE(frame->openProject(showcase()));
    open("gauges.tft");
    fs::copy_file(dir.path() / "showcase" / "showcase.tftprj",
                  dir.path() / "showcase" / "other.tftprj");
    ASSERT_TRUE(frame->openProject(
        QString::fromStdString((dir.path() / "showcase" / "other.tftprj").string())));
    EXPECT_TRUE(mdi->subWindowList().isEmpty());
}

TEST_F(Shell, RenamingAnOpenPageRetitlesItsTab) {
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    QMdiSubWindow* tab = frame->openDocument(
        QString::fromStdString((dir.path() / "showcase" / "gauges.tft").string()));
    ASSERT_TRUE(
        frame->renameEntry(frame->solutionPane()->findEntry(Group::Pages, "gauges.tft"), "dials"));
    EXPECT_EQ(tab->windowTitle(), "dials");
    EXPECT_TRUE(frame->solutionPane()->captions(Group::Pages).contains("dials.tft"));
    EXPECT_FALSE(
        frame->renameEntry(frame->solutionPane()->findEntry(Group::Pages, "dials.tft"), "home"));
    EXPECT_EQ(messages.value(0), "The name must be unique!");
    // Group items keep their names.
    EXPECT_FALSE(frame->renameEntry(frame->solutionPane()->group(Group::Images), "pics"));
}

TEST_F(Shell, NewPageOpensAndDoubleClickOnAnOutputLineLocatesThePage) {
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    activate(*frame);
    ASSERT_TRUE(frame->newPage());
    ASSERT_NE(frame->mdiArea()->activeSubWindow(), nullptr);
    EXPECT_EQ(frame->mdiArea()->activeSubWindow()->windowTitle(), "Screen0");
    EXPECT_TRUE(frame->solutionPane()->captions(Group::Pages).contains("Screen0.tft"));
    frame->outputPane()->appendLine(
        QStringLiteral("错误：[screen]Drawing;[item]line1:不可识别图形..."));
    QListWidgetItem* line = frame->outputPane()->item(0);
    emit frame->outputPane()->itemDoubleClicked(line);
    EXPECT_EQ(frame->mdiArea()->activeSubWindow()->windowTitle(), "drawing");
}

TEST_F(Shell, NewProjectDialogRefusesAnExistingFolder) {
    testsupport::ensureWidgetsApp();
    const tft::DeviceCatalogue catalogue =
        tft::DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    currentStrings().load(languageFile(TFT_APP_DIR, 50011));
    CNewProjectDlg dialog(catalogue, QString::fromStdString(dir.path().string()));
    dialog.setProperty("quiet", true);
    dialog.show();
    EXPECT_EQ(dialog.deviceList()->count(), int(catalogue.count()));
    const QStringList details = dialog.details()->toPlainText().split('\n');
    EXPECT_EQ(details.value(0), QString("Screen size").leftJustified(35) + "3.5");
    EXPECT_EQ(details.value(1), QString("Resolution").leftJustified(35) + "480*320");
    dialog.seriesBox()->setCurrentIndex(2); // series 2 only
    for (int i = 0; i < dialog.deviceList()->count(); ++i)
        EXPECT_EQ(
            catalogue.at(std::size_t(dialog.deviceList()->item(i)->data(Qt::UserRole).toInt()))
                .Category,
            2);
    dialog.nameEdit()->setText("showcase");
    dialog.accept();
    EXPECT_EQ(dialog.refusal(),
              "A project of that name already exists; please change the project name!");
    EXPECT_TRUE(dialog.isVisible());
    dialog.nameEdit()->setText("fresh");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(Shell, FontOptionsWriteTheTickedMasks) {
    const fs::path app = dir.path() / "app";
    fs::create_directories(app / "font");
    fs::copy_file(fs::path(TFT_SOURCE_DIR) / "data" / "font" / "fonts.xml",
                  app / "font" / "fonts.xml");
    fs::copy_file(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", app / "DeviceInfo.xml");
    currentStrings().load(languageFile(TFT_APP_DIR, 50010));
    CFontOptionsDlg dialog(app);
    QTableWidget* table = dialog.table();
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("字库\\设备"));
    EXPECT_EQ(table->item(0, 0)->text(), "0. ASCII 6x12");
    for (int r = 0; r < table->rowCount(); ++r) {
        table->item(r, 1)->setCheckState(r == 0 || r == 3 ? Qt::Checked : Qt::Unchecked);
        table->item(r, 2)->setCheckState(Qt::Unchecked);
    }
    QString error;
    EXPECT_EQ(dialog.save(error), app / "DeviceInfo.xml") << error.toStdString();
    const auto back = tft::DeviceCatalogue::load(app / "DeviceInfo.xml");
    EXPECT_EQ(back.at(0).SystemFontMask, 9);
    EXPECT_EQ(back.at(1).SystemFontMask, 0);
    EXPECT_EQ(back.at(2).SystemFontMask, 255);
}

TEST_F(Shell, CodeIsColouredFromTheEditorConfiguration) {
    const SyntaxStyle style = SyntaxStyle::load(TFT_APP_DIR "/EditConfig/SyntaxEdit.ini");
    EXPECT_EQ(style.keyword, QColor(0, 0, 255));
    EXPECT_TRUE(style.keywords.contains("return"));
    EXPECT_TRUE(style.types.contains("uint8_t"));
    const fs::path file = dir.path() / "a.c";
    std::ofstream(file) << "int f(void) { return 7; } // done\n";
    CTextEditorDoc editor(QString::fromStdString(file.string()), style);
    ASSERT_TRUE(editor.load());
    editor.show();
    QCoreApplication::processEvents();
    const QTextLayout* layout = editor.document()->firstBlock().layout();
    QColor keyword, comment;
    for (const QTextLayout::FormatRange& range : layout->formats()) {
        if (range.start == 14)
            keyword = range.format.foreground().color();
        if (range.start == 26)
            comment = range.format.foreground().color();
    }
    EXPECT_EQ(keyword, QColor(0, 0, 255));
    EXPECT_EQ(comment, QColor(0, 128, 0));
}

// Writes the guide's picture of the main window when ORVANE_SCREENSHOT names
// a file (scripts/ide_screenshot runs it under Xvfb).
TEST_F(Shell, Screenshot) {
    const QByteArray target = qgetenv("ORVANE_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "ORVANE_SCREENSHOT not set";
    auto frame = makeFrame();
    ASSERT_TRUE(frame->openProject(showcase()));
    frame->resize(1280, 800);
    activate(*frame);
    frame->action(cmd::CompileProject)->trigger();
    ASSERT_TRUE(waitJob(*frame));
    frame->openDocument(
        QString::fromStdString((dir.path() / "showcase" / "output" / "home.c").string()));
    frame->openDocument(QString::fromStdString((dir.path() / "showcase" / "home.tft").string()));
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame->grab().save(QString::fromLocal8Bit(target)));
}

namespace {

TEST_F(Shell, TheDeviceLinkSitsInTheSerialBarAndTheWorkerPollsIt) {
    auto frame = makeFrame();
    DeviceConsole* console = frame->console();
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(frame->pane(sid::PaneInstructions)->widget(), console->listCtrl());
    EXPECT_TRUE(
        frame->bar(QStringLiteral("SerialPort"))->actions().contains(console->connectAction()));
    EXPECT_EQ(console->portCombo()->itemText(0), QStringLiteral("Refresh"));
    EXPECT_EQ(console->baudCombo()->count(), 13);
    EXPECT_EQ(console->baudCombo()->currentText(), QStringLiteral("9600"));

    // A panel on a pseudo-terminal: answers the detection and the firmware request.
    int master = -1, slave = -1;
    char name[256] = {};
    struct termios raw {};
    ::cfmakeraw(&raw);
    ASSERT_EQ(::openpty(&master, &slave, name, &raw, nullptr), 0);
    std::atomic<bool> stop{false};
    std::thread panel([&] {
        std::string in;
        while (!stop) {
            struct pollfd p {
                master, POLLIN, 0
            };
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                continue;
            in.append(buf, static_cast<std::size_t>(n));
            const std::string hello("\xEE\x04\xFF\xFC\xFF\xFF", 6);
            const std::string version("\xEE\xFE\xFF\xFC\xFF\xFF", 6);
            if (in.find(hello) != std::string::npos) {
                in.erase(in.find(hello), 6);
                ASSERT_EQ(::write(master, "\xEE\x55\xFF\xFC\xFF\xFF", 6), 6);
            }
            if (in.find(version) != std::string::npos) {
                in.erase(in.find(version), 6);
                const char reply[] = "\xEE\xFE\x02\x16\x00\x00\x01\x37\x00\x00\xFF\xFC\xFF\xFF";
                ASSERT_EQ(::write(master, reply, 14), 14);
            }
        }
    });
    console->portCombo()->setEditText(QString::fromLatin1(name));
    console->toggleConnection();
    // The worker reads the reply; the status text follows on this thread.
    QTRY_VERIFY_WITH_TIMEOUT(console->statusPane()->text().startsWith(QStringLiteral(
                                 "Device connected; Firmware-2.22.311.0; Software-")),
                             10000);
    frame->runCommand(cmd::InstructionConsole);
    EXPECT_TRUE(console->assistant()->isVisible());
    console->baudCombo()->setCurrentIndex(7);
    frame->writeSettings();
    EXPECT_EQ(store->value("Settings/BandRateIndex").toInt(), 7);
    console->toggleConnection();
    EXPECT_FALSE(console->link().isOpen());
    stop = true;
    panel.join();
    ::close(master);
    ::close(slave);
}

} // namespace
