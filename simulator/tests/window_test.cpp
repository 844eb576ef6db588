// The simulator window under the offscreen platform.
#include "../ui/log_dialog.h"
#include "../ui/main_window.h"
#include "../ui/screen_widget.h"
#include "../ui/single_instance.h"
#include "../ui/sys_config_dialog.h"
#include "compiler/device_catalogue.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using namespace tft;

namespace {

// One application for the whole run, ended before static destruction (Qt
// must not be torn down after its own globals).
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        config_ = (std::filesystem::temp_directory_path() /
                   ("dunmere_window_" + std::to_string(::getpid())))
                      .string();
        ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1); // settings stay out of the user's
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        std::filesystem::remove_all(config_);
    }

private:
    int argc_ = 1;
    char name_[12] = "window_test";
    char* argv_[2] = {name_, nullptr};
    std::string config_;
    std::unique_ptr<QApplication> app_;
};

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("dunmere_ui_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::vector<char> header(136, 0);
        header[88] = 2; // the 480 x 272 model
        std::ofstream(dir / "small.si", std::ios::binary).write(header.data(), 136);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

} // namespace

TEST_F(Window, OpensAProjectAndKeepsItWhenTheNextIsMissing) {
    CDunmereDlg w;
    const DeviceCatalogue catalogue =
        DeviceCatalogue::load(std::filesystem::path(TFT_APP_DIR) / "DeviceInfo.xml");
    w.panel().SetCatalogue(catalogue);
    QString error;
    ASSERT_TRUE(w.openProject(QString::fromStdString((dir / "small.si").string()), &error))
        << error.toStdString();
    EXPECT_EQ(w.panel().Device().Width(), 480);
    EXPECT_FALSE(w.openProject(QString::fromStdString((dir / "none.si").string()), &error));
    EXPECT_TRUE(error.contains("none.si"));
    EXPECT_EQ(w.panel().Device().Height(), 272);
}

TEST_F(Window, MouseTouchesOnlyInsideTheDisplay) {
    CDunmereDlg w;
    w.resize(1200, 900);
    w.show();
    CScreemWnd* screen = w.screen();
    const QRect s = screen->screenRect();
    QTest::mousePress(screen, Qt::LeftButton, {}, s.topLeft() - QPoint(5, 5));
    EXPECT_EQ(w.panel().Device().Pressed(), 0);
    QTest::mouseRelease(screen, Qt::LeftButton, {}, s.topLeft() - QPoint(5, 5));
    QTest::mousePress(screen, Qt::LeftButton, {}, s.topLeft() + QPoint(30, 40));
    EXPECT_EQ(w.panel().Device().Pressed(), 1);
    std::uint16_t x = 0, y = 0;
    w.panel().Device().TouchPoint(&x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    QTest::mouseRelease(screen, Qt::LeftButton, {}, s.topLeft() + QPoint(30, 40));
    EXPECT_EQ(w.panel().Device().Pressed(), 0);
}

TEST_F(Window, VirtualPortShowsItsPathAndCloses) {
    CDunmereDlg w;
    QString error;
    ASSERT_TRUE(w.openLine(CSysConfigDlg::kVirtualPort, 115200, &error)) << error.toStdString();
    EXPECT_TRUE(w.lineOpen());
    EXPECT_TRUE(w.lineText().contains("/dev/pts/")) << w.lineText().toStdString();
    w.closeLine();
    EXPECT_FALSE(w.lineOpen());
    EXPECT_FALSE(w.openLine("/dev/no-such-port", 9600, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(Window, LogDialogShowsRowsAndSavesThem) {
    TrafficLog log;
    CLogDlg dialog(log);
    const std::uint8_t frame[] = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
    log.Log(TrafficLog::Direction::Received, frame, sizeof frame);
    QCoreApplication::processEvents();
    ASSERT_EQ(dialog.table()->rowCount(), 1);
    EXPECT_EQ(dialog.table()->item(0, 1)->text(), "RXD");
    EXPECT_EQ(dialog.table()->item(0, 2)->text(), "EE 04 FF FC FF FF ");
    EXPECT_EQ(dialog.table()->columnWidth(2), 300);
    const QString file = QString::fromStdString((dir / "log.txt").string());
    ASSERT_TRUE(dialog.saveTo(file));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), log.SaveText());
    dialog.clear();
    EXPECT_EQ(dialog.table()->rowCount(), 0);
    EXPECT_EQ(log.RowCount(), 0u);
}

TEST_F(Window, SerialChoiceOffersTheVirtualPortAndThirteenRates) {
    CSysConfigDlg dialog(QString(), 0);
    EXPECT_EQ(dialog.portCombo()->itemText(0), CSysConfigDlg::kVirtualPort);
    EXPECT_EQ(dialog.baudCombo()->count(), 13);
    EXPECT_EQ(dialog.baud(), 9600);
    QStringList listed;
    for (int i = 1; i < dialog.portCombo()->count(); ++i)
        listed << dialog.portCombo()->itemText(i);
    QStringList sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed, sorted);
}

TEST_F(Window, SecondStartHandsItsPathToTheFirst) {
    const QString name = QStringLiteral("dunmere-test-%1").arg(::getpid());
    SingleInstance first(name);
    QString received;
    ASSERT_TRUE(first.listen([&](const QString& p) { received = p; }));
    SingleInstance second(name);
    EXPECT_TRUE(second.handOver(QStringLiteral("/projects/demo.si")));
    for (int i = 0; i < 100 && received.isEmpty(); ++i)
        QTest::qWait(10);
    EXPECT_EQ(received, QStringLiteral("/projects/demo.si"));
    SingleInstance lonely(name + "-absent");
    EXPECT_FALSE(lonely.handOver(QStringLiteral("x"), 200));
}
