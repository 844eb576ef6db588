// The simulator window under the offscreen platform.
#include "../ui/log_dialog.h"
#include "../ui/main_window.h"
#include "../ui/screen_widget.h"
#include "../ui/single_instance.h"
#include "../ui/sys_config_dialog.h"
#include "compiler/device_catalogue.h"
#include "testing/test_support.h"

#include <QApplication>
#include <QFile>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <pty.h>
#include <sstream>
#include <termios.h>
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

// A compiled-project header: model type, flags (bit 0 screens, bit 4 turned)
// and the project's rate index.
void writeHeader(const std::filesystem::path& file, int type, int flags = 0, int baudIndex = 0) {
    std::vector<char> header(136, 0);
    header[88] = static_cast<char>(type);
    header[90] = static_cast<char>(flags);
    header[92] = static_cast<char>(baudIndex);
    std::ofstream(file, std::ios::binary).write(header.data(), 136);
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("dunmere_ui_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        writeHeader(dir / "small.si", 2);         // the 480 x 272 model
        writeHeader(dir / "wide.si", 3);          // 800 x 480
        writeHeader(dir / "turned.si", 3, 0x10);  // 800 x 480 turned: 480 x 800
        writeHeader(dir / "fast.si", 2, 0x01, 7); // screens, 115200
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    QString file(const char* name) const { return QString::fromStdString((dir / name).string()); }
    std::filesystem::path dir;
    const DeviceCatalogue catalogue =
        DeviceCatalogue::load(std::filesystem::path(TFT_APP_DIR) / "DeviceInfo.xml");
};

// Shows the window and waits until it is the active one.
void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// The whole display lies inside the screen widget, which lies inside the window.
bool displayFits(CDunmereDlg& w) {
    const QRect s = w.screen()->screenRect();
    return w.screen()->rect().contains(s) &&
           w.rect().contains(QRect(w.screen()->mapTo(&w, s.topLeft()), s.size()));
}

// Closes each message box once no connection of `owner` is left: a handed-over
// path must be handled without touching a connection that went away meanwhile.
class BoxCloser : public QObject {
public:
    explicit BoxCloser(QObject& owner) : owner_(owner) { qApp->installEventFilter(this); }
    ~BoxCloser() override { qApp->removeEventFilter(this); }
    QStringList texts;
    int closed = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && !texts.contains(box->text())) {
            texts << box->text();
            closeWhenConnectionsAreGone(box);
        }
        return false;
    }

private:
    void closeWhenConnectionsAreGone(QMessageBox* box) {
        const auto sockets = owner_.findChildren<QLocalSocket*>();
        if (sockets.isEmpty()) {
            QTimer::singleShot(0, box, [this, box] {
                ++closed;
                box->done(QMessageBox::Ok);
            });
            return;
        }
        connect(sockets.first(), &QObject::destroyed, box,
                [this, box] { closeWhenConnectionsAreGone(box); });
    }
    QObject& owner_;
};

} // namespace

TEST_F(Window, OpensAProjectAndKeepsItWhenTheNextIsMissing) {
    CDunmereDlg w;
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

TEST_F(Window, RecordingTakesTheMouseTouchesAndEndsWithTheWindow) {
    const auto recording = dir / "window_recording.txt";
    {
        CDunmereDlg w;
        w.resize(1200, 900);
        showActive(w);
        std::string error;
        ASSERT_TRUE(w.panel().Record(recording.string(), "wide.si", &error)) << error;
        CScreemWnd* screen = w.screen();
        const QRect s = screen->screenRect();
        QTest::mousePress(screen, Qt::LeftButton, {}, s.topLeft() + QPoint(30, 40));
        QTest::mouseMove(screen, s.topLeft() + QPoint(35, 40));
        QTest::mouseRelease(screen, Qt::LeftButton, {}, s.topLeft() + QPoint(35, 40));
        QTest::mouseMove(screen, s.topLeft() + QPoint(50, 50)); // not pressed: no touch
        w.close();
    }
    std::ifstream in(recording);
    std::stringstream text;
    text << in.rdbuf();
    const std::string script = text.str();
    EXPECT_NE(script.find("# project: wide.si\n"), std::string::npos) << script;
    const auto press = script.find("\ntouch 30 40\n");
    ASSERT_NE(press, std::string::npos) << script;
    const auto move = script.find("\ntouch 35 40\n", press);
    ASSERT_NE(move, std::string::npos) << script;
    EXPECT_NE(script.find("\nrelease\n", move), std::string::npos) << script;
    EXPECT_EQ(script.find("touch 50 50"), std::string::npos) << script;
}

TEST_F(Window, VirtualPortShowsItsPathAndCloses) {
    CDunmereDlg w;
    QString error;
    ASSERT_TRUE(w.openLine(CSysConfigDlg::kVirtualPort, &error)) << error.toStdString();
    EXPECT_TRUE(w.lineOpen());
    EXPECT_TRUE(w.lineText().contains("/dev/pts/")) << w.lineText().toStdString();
    w.closeLine();
    EXPECT_FALSE(w.lineOpen());
    EXPECT_FALSE(w.openLine("/dev/no-such-port", &error));
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

TEST_F(Window, LogDialogSavesItsRowsAsAScriptThatParses) {
    TrafficLog log;
    CLogDlg dialog(log);
    dialog.setScriptHeader([] { return std::string("# project: p.si\n"); });
    const auto t0 = TrafficLog::Clock::now();
    const std::uint8_t request[] = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
    const std::uint8_t reply[] = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
    log.Log(TrafficLog::Direction::Received, request, sizeof request, t0);
    log.Log(TrafficLog::Direction::Sent, reply, sizeof reply, t0 + std::chrono::milliseconds(3));
    log.Log(TrafficLog::Direction::Received, request, sizeof request,
            t0 + std::chrono::milliseconds(1207));
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("saveScript"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    const QString file = QString::fromStdString((dir / "log_script.txt").string());
    ASSERT_TRUE(dialog.saveScriptTo(file));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), "# project: p.si\n"
                                             "send EE 04 FF FC FF FF\n"
                                             "expect EE 55 FF FC FF FF\n"
                                             "wait 1210\n"
                                             "send EE 04 FF FC FF FF\n");
    QString error;
    EXPECT_FALSE(
        dialog.saveScriptTo(QString::fromStdString((dir / "no" / "x.txt").string()), &error));
    EXPECT_FALSE(error.isEmpty());
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 10000));
    EXPECT_EQ(received, QStringLiteral("/projects/demo.si"));
    SingleInstance lonely(name + "-absent");
    EXPECT_FALSE(lonely.handOver(QStringLiteral("x"), 200));
}

TEST_F(Window, HandedOverPathWithoutProjectIsReportedAndTheWindowLives) {
    // The real program hands the path over as a second start would; the local
    // socket lives in a folder of this test.
    testsupport::TempFolder sockets;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(sockets.path().string()));
    {
        CDunmereDlg w;
        showActive(w);
        SingleInstance first(SingleInstance::defaultName());
        ASSERT_TRUE(first.listen([&](const QString& p) { w.receiveProject(p); }));
        BoxCloser closer(first);
        const auto second = testsupport::runProgram("dunmere", {(dir / "none.si").string()},
                                                    {"TMPDIR=" + sockets.path().string()});
        EXPECT_EQ(second.status, 0) << second.output;
        EXPECT_TRUE(QTest::qWaitFor([&] { return closer.closed == 1; }, 10000));
        ASSERT_EQ(closer.texts.size(), 1);
        EXPECT_TRUE(closer.texts[0].contains("none.si")) << closer.texts[0].toStdString();
        // The window goes on: it takes the next path handed over.
        w.panel().SetCatalogue(catalogue);
        const auto third = testsupport::runProgram("dunmere", {"-p", (dir / "small.si").string()},
                                                   {"TMPDIR=" + sockets.path().string()});
        EXPECT_EQ(third.status, 0) << third.output;
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.panel().Device().Width() == 480; }, 10000));
        EXPECT_EQ(closer.closed, 1);
        w.close();
    }
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST_F(Window, TakesTheSizeOfEachOpenedProject) {
    CDunmereDlg w;
    w.panel().SetCatalogue(catalogue);
    ASSERT_TRUE(w.openProject(file("wide.si")));
    showActive(w);
    const QSize wide = w.size();
    EXPECT_TRUE(displayFits(w));
    // A turned panel is taller than the window of the wide one.
    ASSERT_TRUE(w.openProject(file("turned.si")));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.screen()->screenRect().size(), QSize(480, 800));
    EXPECT_GT(w.height(), wide.height());
    EXPECT_TRUE(displayFits(w)) << w.width() << "x" << w.height();
    // And back, also through a hand-over.
    w.receiveProject(file("small.si"));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.screen()->screenRect().size(), QSize(480, 272));
    EXPECT_LT(w.height(), wide.height());
    EXPECT_TRUE(displayFits(w));
}

TEST_F(Window, WorkAreaIsPaleGreen) {
    CDunmereDlg w;
    w.resize(1200, 900);
    showActive(w);
    const QImage shot = w.screen()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(2, 2)), QColor(199, 237, 204));
}

TEST_F(Window, SerialSettingsShowTheProjectsAndTheHostsRate) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    auto lineSpeed = [slave] {
        struct termios t {};
        ::tcgetattr(slave, &t);
        return ::cfgetospeed(&t);
    };
    auto rateShownInSettings = [](CDunmereDlg& w) {
        int shown = 0;
        QTimer::singleShot(0, &w, [&shown] {
            auto* dialog = qobject_cast<CSysConfigDlg*>(QApplication::activeModalWidget());
            if (dialog) {
                shown = dialog->baud();
                dialog->reject();
            }
        });
        w.configureLine();
        return shown;
    };
    {
        CDunmereDlg w;
        w.panel().SetCatalogue(catalogue);
        showActive(w);
        ASSERT_TRUE(w.openProject(file("fast.si")));
        // The core takes the project with its rate; then a real port is opened.
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.panel().Rate() == 115200; }, 10000));
        EXPECT_EQ(rateShownInSettings(w), 115200);
        QString error;
        ASSERT_TRUE(w.openLine(QString::fromLatin1(name), &error)) << error.toStdString();
        EXPECT_EQ(lineSpeed(), static_cast<speed_t>(B115200));
        EXPECT_TRUE(w.lineText().contains("115200")) << w.lineText().toStdString();

        // The host asks for 19200 (EE A0 04).
        const char command[] = "\xEE\xA0\x04\xFF\xFC\xFF\xFF";
        ASSERT_EQ(::write(master, command, 7), 7);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.lineText().contains("19200"); }, 10000))
            << w.lineText().toStdString();
        EXPECT_EQ(lineSpeed(), static_cast<speed_t>(B19200));
        EXPECT_EQ(rateShownInSettings(w), 19200);
        w.close();
    }
    ::close(master);
    ::close(slave);
}

TEST_F(Window, LostPortIsShownAsDisconnected) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    CDunmereDlg w;
    showActive(w);
    QString error;
    ASSERT_TRUE(w.openLine(QString::fromLatin1(name), &error)) << error.toStdString();
    ::close(slave);
    ::close(master); // the adapter is unplugged
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return w.lineText() == QStringLiteral("串口已断开"); }, 10000))
        << w.lineText().toStdString();
    EXPECT_FALSE(w.lineOpen());
}
