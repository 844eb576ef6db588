// The production wizard with the compiled showcase (the job it submits, the
// SD packet it writes, the Modbus check that stands before both) and the
// download link choice.
#include "dialog_support.h"
#include "modbus/map_model.h"
#include "resource_downloader.h"
#include "settings.h"
#include "setup_download_dlg.h"
#include "showcase_build.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace tft::ide;
using namespace dluitest;
using testsupport::readBytes;
using testsupport::TempFolder;

namespace {

std::string native(const fs::path& path) {
    return path.string();
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        owner = std::make_unique<QWidget>();
        owner->setGeometry(100, 80, 1000, 760);
        owner->show();
        project.appDir = QStringLiteral(TFT_APP_DIR);
        project.outputFolder = q(showcaseOutput());
        project.projectFile = q(showcaseProject());
        wizard = std::make_unique<CResouceDownloader>(
            port.port(), [this] { return project; }, owner.get());
        wizard->showMessage = [this](const QString& m) { messages << m; };
        wizard->confirm = [this](const QString& question) {
            questions << question;
            return answer;
        };
        wizard->openFolder = [this](const QString& folder) { opened << folder; };
        wizard->askSdDestination = [this] { return q(temp.path()); };
        wizard->present();
        ASSERT_TRUE(activate(*wizard));
    }
    QString writeMap(const std::vector<std::pair<int, int>>& bindings) {
        tessary::CTessaryDoc doc;
        doc.rows().clear();
        for (const auto& [screen, control] : bindings) {
            tessary::MapRow row;
            row.screenId = std::uint16_t(screen);
            row.controlId = std::uint16_t(control);
            doc.rows().push_back(row);
        }
        std::string error;
        EXPECT_TRUE(doc.saveFile(temp.path() / "map.mbm", &error)) << error;
        return q(temp.path() / "map.mbm");
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::unique_ptr<QWidget> owner; // made once the application is there
    RecordingPort port;
    WizardProject project;
    TempFolder temp;
    std::unique_ptr<CResouceDownloader> wizard;
    QStringList messages, questions, opened;
    bool answer = false;
};

} // namespace

TEST_F(Wizard, LooksAsTheUserKnowsIt) {
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("量产向导"));
    EXPECT_FALSE(wizard->isModal());
    EXPECT_EQ(wizard->startButton()->text(), QStringLiteral("开始下载"));
    EXPECT_EQ(wizard->sdButton()->text(), QStringLiteral("生成SD卡资源包"));
    auto* note = wizard->findChild<QLabel*>(QStringLiteral("Note"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(),
              QStringLiteral("提示：出厂时已下载“字库资源”和“系统键盘“，不需要重复下载"));
    // The folder is the project's output folder, the wizard centred on the window.
    EXPECT_EQ(wizard->folderEdit()->text(), QDir::toNativeSeparators(q(showcaseOutput())));
    const QPoint offset = wizard->frameGeometry().center() - owner->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    screenshot(*wizard, "wizard");
}

TEST_F(Wizard, StartSubmitsTheCheckedBoxesWithTheFolderFiles) {
    wizard->box(CResouceDownloader::Fonts)->setChecked(true);
    click(wizard->startButton());
    ASSERT_EQ(port.submitted.size(), 1u) << messages.join(QLatin1Char('\n')).toStdString();
    const DownloadRequest& r = port.submitted[0];
    EXPECT_EQ(r.bits, 0x95u); // images 0x4, fonts 0x10, screens 0x80, the wizard's mark
    EXPECT_TRUE(r.force);
    EXPECT_EQ(r.job.files.imageIndex, native(showcaseOutput() / "showcase.graidx"));
    EXPECT_EQ(r.job.files.imageData, native(showcaseOutput() / "showcase.gwb"));
    EXPECT_EQ(r.job.files.fontIndex, native(showcaseOutput() / "showcase.fidx"));
    EXPECT_EQ(r.job.files.fontData, native(showcaseOutput() / "showcase.fbin"));
    EXPECT_EQ(r.job.files.screens, native(showcaseOutput() / "showcase.si"));
    EXPECT_TRUE(r.job.files.modbus.empty());
    EXPECT_TRUE(messages.isEmpty());

    // The folder the user typed is the one listed.
    TempFolder other;
    fs::copy_file(showcaseOutput() / "showcase.si", other.path() / "mine.si");
    wizard->folderEdit()->setText(q(other.path()));
    wizard->box(CResouceDownloader::Images)->setChecked(false);
    wizard->box(CResouceDownloader::Fonts)->setChecked(false);
    click(wizard->startButton());
    ASSERT_EQ(port.submitted.size(), 2u);
    EXPECT_EQ(port.submitted[1].bits, 0x81u);
    EXPECT_EQ(port.submitted[1].job.files.screens, native(other.path() / "mine.si"));
    // A folder the user chose survives showing the wizard again.
    wizard->present();
    EXPECT_EQ(wizard->folderEdit()->text(), q(other.path()));
}

TEST_F(Wizard, NothingGoesWhileBusyOrWithNothingChecked) {
    port.busy = true;
    click(wizard->startButton());
    EXPECT_TRUE(port.submitted.empty());
    EXPECT_EQ(messages, QStringList{ideText(sid::JobBusy)});
    port.busy = false;
    port.refuse = true; // taken by another job in between
    click(wizard->startButton());
    EXPECT_TRUE(port.submitted.empty());
    EXPECT_EQ(messages.size(), 2);
    port.refuse = false;
    for (int b = 0; b < CResouceDownloader::BoxCount; ++b)
        wizard->box(CResouceDownloader::Box(b))->setChecked(false);
    click(wizard->startButton());
    click(wizard->sdButton());
    EXPECT_TRUE(port.submitted.empty());
    EXPECT_EQ(messages.mid(2),
              (QStringList{ideText(sid::NothingChosen), ideText(sid::NothingChosen)}));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(Wizard, FontsOnlySdPacket) {
    wizard->box(CResouceDownloader::Images)->setChecked(false);
    wizard->box(CResouceDownloader::Screens)->setChecked(false);
    wizard->box(CResouceDownloader::Fonts)->setChecked(true);
    click(wizard->sdButton());
    const fs::path packet = temp.path() / "SD_PACKET";
    ASSERT_EQ(opened, QStringList{q(packet)}) << messages.join(QLatin1Char('\n')).toStdString();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(packet))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"config.ini", "font.bin", "font.idx",
                                               "全部文件复制到SD卡根目录.txt"}));
    const std::string config = "FontIndex=font.idx\r\nFontBin=font.bin\r\n";
    EXPECT_EQ(readBytes(packet / "config.ini"),
              std::vector<std::uint8_t>(config.begin(), config.end()));
    EXPECT_EQ(readBytes(packet / "font.bin"), readBytes(showcaseOutput() / "showcase.fbin"));
    EXPECT_EQ(readBytes(packet / "font.idx"), readBytes(showcaseOutput() / "showcase.fidx"));
    EXPECT_TRUE(port.submitted.empty());
}

TEST_F(Wizard, AnSdDestinationThatCannotTakeThePacketIsAMessage) {
    temp.write("file", "x");
    wizard->askSdDestination = [this] { return q(temp.path() / "file"); };
    click(wizard->sdButton());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0].startsWith(ideText(sid::SdPacketFailed).section(QLatin1Char('%'), 0, 0)))
        << messages[0].toStdString();
    EXPECT_TRUE(opened.isEmpty());
    // Cancelling the folder choice does nothing at all.
    wizard->askSdDestination = [] { return QString(); };
    click(wizard->sdButton());
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(Wizard, AMapBindingAMissingControlIsShownAndSentOnlyWhenConfirmed) {
    const QString map = writeMap({{2, 12}, {2, 999}});
    wizard->setMapFile(map);
    EXPECT_TRUE(wizard->box(CResouceDownloader::Modbus)->isChecked());
    // Leaving the field unchanged keeps the user's box as it is.
    wizard->box(CResouceDownloader::Modbus)->setChecked(false);
    wizard->setMapFile(map);
    EXPECT_FALSE(wizard->box(CResouceDownloader::Modbus)->isChecked());
    wizard->box(CResouceDownloader::Modbus)->setChecked(true);
    ASSERT_TRUE(wizard->problemList()->isVisible());
    ASSERT_EQ(wizard->problemList()->count(), 1);
    const QString problem = wizard->problemList()->item(0)->text();
    EXPECT_TRUE(problem.startsWith(QStringLiteral("第 1 行："))) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("999")));
    EXPECT_EQ(wizard->problemSummary()->text(),
              QStringLiteral("Modbus映射表检查：1 个错误，0 个警告"));
    screenshot(*wizard, "wizard_map_problems");

    answer = false;
    click(wizard->startButton());
    click(wizard->sdButton());
    EXPECT_TRUE(port.submitted.empty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(questions, (QStringList(2, QStringLiteral("Modbus映射表有 1 个错误，仍然继续吗？"))));

    answer = true;
    click(wizard->startButton());
    ASSERT_EQ(port.submitted.size(), 1u);
    EXPECT_EQ(port.submitted[0].bits, 0x885u);
    EXPECT_EQ(port.submitted[0].job.files.modbus, native(temp.path() / "map.mbm"));

    // Mended in the meantime: checked again when it goes, and nothing to ask.
    writeMap({{2, 12}});
    questions.clear();
    click(wizard->startButton());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(port.submitted.size(), 2u);
    EXPECT_EQ(wizard->problemSummary()->text(), ideText(sid::MapClean));
    EXPECT_FALSE(wizard->problemList()->isVisible());
}

TEST_F(Wizard, WarningsAreShownButDoNotStopTheDownload) {
    wizard->setMapFile(writeMap({{2, 12}, {2, 12}}));
    ASSERT_EQ(wizard->problemList()->count(), 1);
    EXPECT_TRUE(
        wizard->problemList()->item(0)->text().startsWith(QStringLiteral("第 1 行（警告）：")));
    click(wizard->startButton());
    EXPECT_TRUE(questions.isEmpty());
    ASSERT_EQ(port.submitted.size(), 1u);
    EXPECT_EQ(port.submitted[0].bits & 0x800u, 0x800u);
}

TEST_F(Wizard, AMapThatIsGoneIsAMessageNotASilentSkip) {
    wizard->setMapFile(q(temp.path() / "gone.mbm"));
    ASSERT_EQ(wizard->problemList()->count(), 1); // it cannot be read
    click(wizard->startButton());
    EXPECT_TRUE(port.submitted.empty());
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.back().contains(QStringLiteral("gone.mbm")));
}

// ---- the download link choice

class SetupDownload : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    TempFolder temp;
};

TEST_F(SetupDownload, TheChoiceIsStoredOnOkOnly) {
    QSettings store(q(temp.path() / "orvane.ini"), QSettings::IniFormat);
    store.setValue(QStringLiteral("Settings/DownloadOptions"), 1);
    {
        CSetupDownloadDlg dialog(&store);
        ASSERT_TRUE(activate(dialog));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选择资源下载方式"));
        EXPECT_EQ(dialog.choice(), 1);
        EXPECT_EQ(dialog.group()->button(0)->text(),
                  QStringLiteral("自动（有USB设备时用USB，否则用串口）"));
        EXPECT_EQ(dialog.group()->button(1)->text(), QStringLiteral("仅串口"));
        screenshot(dialog, "setup_download");
        dialog.group()->button(0)->click();
        dialog.reject();
        EXPECT_EQ(store.value(QStringLiteral("Settings/DownloadOptions")).toInt(), 1);
    }
    CSetupDownloadDlg dialog(&store);
    ASSERT_TRUE(activate(dialog));
    QSignalSpy stored(&dialog, &CSetupDownloadDlg::optionsStored);
    QTest::mouseClick(dialog.group()->button(0), Qt::LeftButton);
    dialog.accept();
    EXPECT_EQ(store.value(QStringLiteral("Settings/DownloadOptions")).toInt(), 0);
    ASSERT_EQ(stored.count(), 1);
    EXPECT_EQ(stored.at(0).at(0).toInt(), 0);
    // The IDE's settings reader sees it.
    EXPECT_EQ(IdeSettings::read(store).downloadOptions, 0);
}

TEST_F(SetupDownload, AnUnknownStoredValueShowsAutomatic) {
    QSettings store(q(temp.path() / "orvane.ini"), QSettings::IniFormat);
    store.setValue(QStringLiteral("Settings/DownloadOptions"), 7);
    CSetupDownloadDlg dialog(&store);
    EXPECT_EQ(dialog.choice(), kDownloadAuto);
    EXPECT_TRUE(dialog.group()->button(0)->isChecked());
}

TEST(DownloadOptions, OnlySerialOnlyKeepsUsbOut) {
    EXPECT_TRUE(usbAllowed(kDownloadAuto));
    EXPECT_FALSE(usbAllowed(kDownloadSerialOnly));
    EXPECT_FALSE(usbAllowed(0x10000 | kDownloadSerialOnly)); // the low 16 bits count
    EXPECT_TRUE(usbAllowed(7));
}
