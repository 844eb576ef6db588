// The main window's device jobs against a real simulated panel on a
// pseudo-terminal: Download to Device, display synchronisation on page edits,
// the synchronisation command's state, the firmware file commands.
#include "commands.h"
#include "common/hex_text.h"
#include "device_console.h"
#include "device_jobs.h"
#include "device_tool_bar.h"
#include "display_sync.h"
#include "firmware_file.h"
#include "main_frame.h"
#include "output_pane.h"
#include "page_frame.h"
#include "resource_downloader.h"
#include "resource_update_dlg.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::RunningProgram;

namespace {

class ShellDevice : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ensureWidgetsApp();
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
                 fs::copy_options::recursive);
        store = std::make_unique<QSettings>(
            QString::fromStdString((dir.path() / "orvane.ini").string()), QSettings::IniFormat);
        store->setValue("Settings/Lang", 50011);
        frame = std::make_unique<CMainFrame>(TFT_APP_DIR, store.get());
        frame->showMessage = [this](const QString& text) { messages << text; };
        frame->askSave = [](const QString&) { return QMessageBox::Discard; };
        frame->deviceJobs().makeUsb = [] { return nullptr; }; // the serial link only
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        ASSERT_TRUE(frame->openProject(QString::fromStdString(project().string())))
            << messages.join('\n').toStdString();
    }
    fs::path project() const { return dir.path() / "showcase" / "showcase.tftprj"; }
    fs::path output() const { return dir.path() / "showcase" / "output" / "showcase"; }

    // A blank simulated panel on a pseudo-terminal, connected through the serial bar.
    void connectPanel() {
        const fs::path link = dir.path() / "link";
        panel = std::make_unique<RunningProgram>(
            "dunmere",
            std::vector<std::string>{"--headless", "--storage", (dir.path() / "panel").string(),
                                     "--pty", link.string()});
        ASSERT_TRUE(panel->waitFor("running a panel")) << panel->output;
        frame->console()->portCombo()->setEditText(QString::fromStdString(link.string()));
        frame->console()->toggleConnection();
        QTRY_VERIFY_WITH_TIMEOUT(frame->console()->link().isConnected(), 20000);
    }
    bool waitJob(std::uint32_t bits) {
        QSignalSpy done(frame.get(), &CMainFrame::jobFinished);
        while (done.wait(60000))
            if (done.last().at(0).toUInt() == bits)
                return true;
        return false;
    }

    testsupport::TempFolder dir;
    std::unique_ptr<QSettings> store;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<RunningProgram> panel;
    QStringList messages;
};

TEST_F(ShellDevice, DownloadToDeviceCompilesAndSendsTheBuildToThePanel) {
    connectPanel();
    auto* progress = frame->findChild<QProgressBar*>(QStringLiteral("DownloadProgress"));
    ASSERT_NE(progress, nullptr);
    int shown = 0;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int) { ++shown; });
    frame->runCommand(cmd::Download);
    ASSERT_TRUE(waitJob(0x8E));
    ASSERT_TRUE(panel->waitFor("received a download, running"))
        << panel->output << frame->outputPane()->lines().join('\n').toStdString();
    for (const char* ext : {".si", ".graidx", ".gwb"}) {
        SCOPED_TRACE(ext);
        const auto sent = readBytes(output().string() + ext);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(readBytes((dir.path() / "panel" / "panel").string() + ext), sent);
    }
    QTRY_VERIFY(!progress->isVisible());
    EXPECT_GT(shown, 0) << "the bar moved while the pictures went";
    const QStringList lines = frame->outputPane()->lines();
    EXPECT_TRUE(lines.contains(ideText(sid::DownloadOverSerial))) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.count(ideText(sid::DownloadSucceeded)), 3) // pictures, sounds, screens
        << lines.join('\n').toStdString();
    EXPECT_FALSE(lines.contains(ideText(sid::DownloadFailed)));

    // Unchanged pictures are not sent again to the same panel (the screens are).
    frame->runCommand(cmd::Download);
    ASSERT_TRUE(waitJob(0x8E));
    EXPECT_FALSE(frame->outputPane()->lines().contains(ideText(sid::DownloadFailed)));
}

TEST_F(ShellDevice, SynchronisationFollowsThePortAndSendsTheEditedPage) {
    QAction* sync = frame->action(cmd::SyncDisplay);
    EXPECT_FALSE(sync->isEnabled()) << "only while the port is open";
    EXPECT_FALSE(sync->isChecked()) << "off on every start";
    connectPanel();
    EXPECT_TRUE(sync->isEnabled());
    EXPECT_EQ(sync->text(), ideText(sid::SyncDisplay));

    QMdiSubWindow* sub = frame->openDocument(
        QString::fromStdString((dir.path() / "showcase" / "controls.tft").string()));
    ASSERT_NE(sub, nullptr);
    auto* page = qobject_cast<CPageFrame*>(sub->widget());
    ASSERT_TRUE(page->selectShape("entry"));
    // An edit while synchronisation is off queues nothing.
    ASSERT_TRUE(page->document().nudge(1, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->worker().word(), 1u);

    sync->trigger();
    EXPECT_TRUE(sync->isChecked());
    EXPECT_EQ(sync->text(), ideText(sid::SyncDisplayOff));
    ASSERT_TRUE(waitJob(0x26)) << "switching on shows the page at once";
    ASSERT_TRUE(page->document().nudge(0, 1));
    ASSERT_TRUE(waitJob(0x26));
    EXPECT_FALSE(page->isModified()) << "the page is saved for the compiler";

    // The log holds exactly the page's drawing, as sent.
    const auto frames = pageFrames(output().string() + ".tftres", "controls");
    ASSERT_GT(frames.size(), 1u);
    const auto rows = frame->console()->log().rows();
    ASSERT_EQ(rows.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(rows[i].command, tft::toHexText(frames[i])) << i;
        EXPECT_EQ(rows[i].direction, "TXD(OUT)") << i;
    }

    frame->console()->toggleConnection();
    EXPECT_FALSE(sync->isEnabled());
    ASSERT_TRUE(page->document().nudge(0, 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->worker().word(), 1u) << "nothing is queued without the port";
}

TEST_F(ShellDevice, TheDeviceCommandsSitInTheSerialBarAndTheDeviceMenu) {
    DeviceToolBar* devices = frame->deviceBar();
    ASSERT_NE(devices, nullptr);
    QAction* touch = devices->action(33006);
    ASSERT_NE(touch, nullptr);
    EXPECT_TRUE(frame->bar(QStringLiteral("SerialPort"))->actions().contains(touch));
    const QList<QAction*> menu = frame->menu(sid::MenuDevice)->actions();
    for (QAction* a : {touch, frame->action(cmd::Download), frame->action(cmd::SyncDisplay),
                       frame->action(cmd::FirmwareEncrypt)})
        EXPECT_TRUE(menu.contains(a)) << a->text().toStdString();
    EXPECT_FALSE(touch->isEnabled()) << "only while the port is open";
    connectPanel();
    ASSERT_TRUE(touch->isEnabled());
    frame->console()->log().clearRows();
    touch->trigger();
    touch->trigger();
    const auto rows = frame->console()->log().rows();
    std::vector<std::pair<std::string, std::string>> sent;
    for (const auto& row : rows)
        if (row.direction == "TXD(OUT)")
            sent.emplace_back(row.command, row.comment);
    EXPECT_EQ(sent,
              (std::vector<std::pair<std::string, std::string>>{
                  {"EE 70 03 FF FC FF FF ", "Touch On"}, {"EE 70 00 FF FC FF FF ", "Touch Off"}}));
}

TEST_F(ShellDevice, TheWizardSendsTheCheckedFilesOfItsFolder) {
    {
        QSignalSpy compiled(frame.get(), &CMainFrame::compilerFinished);
        frame->runCommand(cmd::CompileProject);
        ASSERT_TRUE(compiled.wait(60000));
        ASSERT_TRUE(waitJob(job::Compile));
    }
    connectPanel();
    frame->runCommand(cmd::DownloadWizard);
    CResouceDownloader* wizard = frame->downloadWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(QDir::cleanPath(wizard->folderEdit()->text()),
              QString::fromStdString(output().parent_path().string()))
        << "the project's output folder";
    wizard->showMessage = [this](const QString& m) { messages << m; };
    for (int box = 0; box < CResouceDownloader::BoxCount; ++box)
        wizard->box(CResouceDownloader::Box(box))
            ->setChecked(box == CResouceDownloader::Screens || box == CResouceDownloader::Keyboard);
    ASSERT_TRUE(wizard->startDownload()) << messages.join('\n').toStdString();
    EXPECT_FALSE(wizard->startDownload()) << "one job at a time";
    ASSERT_TRUE(waitJob(0x181));
    ASSERT_TRUE(panel->waitFor("received a download, running")) << panel->output;
    for (const char* ext : {".si", ".sbin"})
        EXPECT_EQ(readBytes((dir.path() / "panel" / "panel").string() + ext),
                  readBytes(output().string() + ext))
            << ext;
    EXPECT_FALSE(fs::exists((dir.path() / "panel" / "panel.gwb"))) << "pictures were not checked";

    // The picture update dialog opens on the same link, modeless.
    frame->runCommand(cmd::UpdatePictures);
    ASSERT_NE(frame->updateDialog(), nullptr);
    EXPECT_TRUE(frame->updateDialog()->isVisible());
    EXPECT_FALSE(frame->updateDialog()->isModal());
}

// The guide's pictures of the download dialogs (scripts/ide_screenshot).
TEST_F(ShellDevice, Screenshot) {
    const QString folder = qEnvironmentVariable("ORVANE_DOWNLOAD_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "ORVANE_DOWNLOAD_SCREENSHOTS not set";
    connectPanel();
    frame->runCommand(cmd::Download);
    ASSERT_TRUE(waitJob(0x8E));
    frame->runCommand(cmd::DownloadWizard);
    CResouceDownloader* wizard = frame->downloadWizard();
    wizard->box(CResouceDownloader::Fonts)->setChecked(true);
    frame->runCommand(cmd::UpdatePictures);
    CResourceUpdateDlg* update = frame->updateDialog();
    ASSERT_TRUE(update->requestIndex());
    QTRY_VERIFY_WITH_TIMEOUT(update->list()->rowCount() > 0, 10000);
    update->resize(620, 300);
    QCoreApplication::processEvents();
    ASSERT_TRUE(wizard->grab().save(folder + "/ide-download-wizard.png"));
    ASSERT_TRUE(update->grab().save(folder + "/ide-update-pictures.png"));
}

TEST_F(ShellDevice, FirmwareFilesGoBothWaysThroughTheMenu) {
    const fs::path hex = dir.path() / "app.hex";
    const std::string text = ":020000040800F2\r\n:00000001FF\r\n";
    std::ofstream(hex, std::ios::binary) << text;
    QString asked;
    frame->askOpenFile = [&](const QString& title, const QString& filter) {
        asked = title + '|' + filter;
        return filter.contains("*.hex") ? QString::fromStdString(hex.string())
                                        : QString::fromStdString(hex.string() + ".crypt");
    };
    frame->runCommand(cmd::FirmwareEncrypt);
    EXPECT_EQ(asked, "Firmware|Firmware(*.hex);;All Files(*)");
    const auto crypt = readBytes(hex.string() + ".crypt");
    ASSERT_EQ(crypt.size(), text.size());
    EXPECT_NE(std::string(crypt.begin(), crypt.end()), text);
    fs::remove(hex);
    frame->runCommand(cmd::FirmwareDecrypt);
    const auto back = readBytes(hex.string() + ".crypt.hex");
    EXPECT_EQ(std::string(back.begin(), back.end()), text);

    // Cancelling or an empty source writes nothing.
    frame->askOpenFile = [](const QString&, const QString&) { return QString(); };
    frame->runCommand(cmd::FirmwareEncrypt);
    const fs::path empty = dir.path() / "empty.hex";
    std::ofstream(empty).close();
    frame->askOpenFile = [&](const QString&, const QString&) {
        return QString::fromStdString(empty.string());
    };
    frame->runCommand(cmd::FirmwareEncrypt);
    EXPECT_FALSE(fs::exists(empty.string() + ".crypt"));
}

} // namespace
