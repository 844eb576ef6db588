// The instruction console against the real simulator: connect and detect,
// firmware reply and status texts, detection at a wrong rate, a silent line,
// one frame from each command page, and the custom page's run all and loop.
#include "../../link/tests/pty_pair.h"
#include "debug_pages.h"
#include "device_console.h"
#include "sim_panel.h"
#include "string_table.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QToolBar>
#include <atomic>
#include <fcntl.h>
#include <thread>

using namespace tft;
using namespace tft::ide;
using consoletest::SimPanel;
using linktest::PtyPair;

namespace {

void ensureApp() {
    if (!QApplication::instance()) {
        testsupport::ensureWidgetsApp();
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        QStandardPaths::setTestModeEnabled(true);       // Instruct.ini away from the user's own
        QFile::remove(DeviceConsole::customListFile()); // and none from an earlier run
        currentStrings().load(QStringLiteral(TFT_APP_DIR "/lang/chinese.xml"));
    }
}

// Runs the event loop until `done` or the safety limit.
bool runUntil(const std::function<bool()>& done, int limitMs = 15000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The worker thread's idle loop: polls the link.
class Poller {
public:
    explicit Poller(DeviceLink& link)
        : thread_([this, &link] {
              while (!stop_)
                  if (link.poll() == 0)
                      std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }) {}
    ~Poller() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ConsoleE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        settings = std::make_unique<QSettings>(
            QString::fromStdString((dir.path() / "Orvane.conf").string()), QSettings::IniFormat);
        window = std::make_unique<QMainWindow>();
        bar = window->addToolBar(QStringLiteral("SerialPort"));
        pane = new QDockWidget(window.get());
        window->addDockWidget(Qt::BottomDockWidgetArea, pane);
    }
    void makeConsole(int detectMs = 0) {
        if (detectMs > 0)
            settings->setValue(QStringLiteral("Settings/DetectInterval"), detectMs);
        console = std::make_unique<DeviceConsole>(window.get(), bar, pane, settings.get(),
                                                  QStringLiteral(TFT_APP_DIR),
                                                  [this](const QString& m) { messages << m; });
        console->listPorts = [] { return std::vector<std::string>{}; };
        poller = std::make_unique<Poller>(console->link());
    }
    void TearDown() override {
        poller.reset();
        console.reset();
    }
    void connectTo(const std::string& path) {
        console->portCombo()->setEditText(QString::fromStdString(path));
        console->toggleConnection();
    }
    // Index of the first received row at or after `from` whose hex text
    // starts with `prefix`; -1 when none came.
    int waitForRx(const std::string& prefix, std::size_t from) {
        int found = -1;
        runUntil([&] {
            const auto rows = console->log().rows();
            for (std::size_t i = from; i < rows.size(); ++i)
                if (rows[i].direction == "RXD( IN)" && rows[i].command.rfind(prefix, 0) == 0) {
                    found = static_cast<int>(i);
                    return true;
                }
            return false;
        });
        return found;
    }
    // Connected with the firmware known, and the status text built from it
    // (the reply is read on the poll thread, the text made on this one).
    bool connected() {
        return runUntil([&] {
            return console->link().firmware().version != 0 &&
                   console->statusPane()->text().startsWith(QStringLiteral("已连接设备; 固件-2"));
        });
    }
    std::string lastTx() {
        const auto rows = console->log().rows();
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            if (it->direction == "TXD(OUT)")
                return it->command;
        return {};
    }

    testsupport::TempFolder dir;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<QMainWindow> window;
    QToolBar* bar = nullptr;
    QDockWidget* pane = nullptr;
    std::unique_ptr<DeviceConsole> console;
    std::unique_ptr<Poller> poller;
    QStringList messages;
};

TEST_F(ConsoleE2E, ConnectsDetectsAndShowsTheFirmware) {
    SimPanel sim(dir.path() / "panel");
    ASSERT_TRUE(sim.running()) << sim.output().toStdString();
    makeConsole();
    EXPECT_EQ(console->statusPane()->text(),
              QStringLiteral("未连接设备; 固件-XX.XX.XX.XX;  软件-9.8.7"));
    connectTo(sim.link());
    ASSERT_TRUE(connected()) << messages.join('\n').toStdString();
    EXPECT_TRUE(console->connectAction()->isChecked());
    EXPECT_EQ(console->link().detectionRetries(), 0);
    EXPECT_EQ(console->statusPane()->text(),
              QStringLiteral("已连接设备; 固件-2.22.311.0; 软件-9.8.7"));
    // The exchange, in order; the panel's own screen report may come between.
    std::vector<CInstructRecord> exchange;
    for (const CInstructRecord& r : console->log().rows())
        if (r.command.find("B1") != 3)
            exchange.push_back(r);
    ASSERT_EQ(exchange.size(), 4u);
    EXPECT_EQ(exchange[0].command, "EE 04 FF FC FF FF ");
    EXPECT_EQ(exchange[0].direction, "TXD(OUT)");
    EXPECT_EQ(exchange[0].comment, "握手");
    EXPECT_EQ(exchange[1].command, "EE 55 FF FC FF FF ");
    EXPECT_EQ(exchange[1].direction, "RXD( IN)");
    EXPECT_EQ(exchange[1].comment, "握手应答");
    EXPECT_EQ(exchange[2].command, "EE FE FF FC FF FF ");
    EXPECT_EQ(exchange[2].comment, "固件");
    EXPECT_EQ(exchange[3].command, "EE FE 02 16 00 00 01 37 00 00 FF FC FF FF ");
    EXPECT_EQ(exchange[3].comment, "固件");

    console->toggleConnection();
    EXPECT_FALSE(console->link().isOpen());
    EXPECT_FALSE(console->connectAction()->isChecked());
    EXPECT_EQ(console->statusPane()->text(),
              QStringLiteral("未连接设备; 固件-XX.XX.XX.XX;  软件-9.8.7"));
}

// Stands between the console's port and the simulator's line and passes bytes
// unharmed only while the console's side runs at 115200; at any other rate
// the bytes arrive garbled and noise comes back, as on a real line at the
// wrong rate.
class RateGate {
public:
    RateGate(PtyPair& host, const std::string& panelPath) : host_(host) {
        panel_ = ::open(panelPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        struct termios raw {};
        ::tcgetattr(panel_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(panel_, TCSANOW, &raw);
        thread_ = std::thread([this] { run(); });
    }
    ~RateGate() {
        stop_ = true;
        thread_.join();
        ::close(panel_);
    }

private:
    bool rightRate() const {
        struct termios t {};
        return ::tcgetattr(host_.slave(), &t) == 0 && ::cfgetospeed(&t) == B115200;
    }
    void pass(int from, int to) {
        std::uint8_t buf[512];
        const ssize_t n = ::read(from, buf, sizeof buf);
        if (n <= 0)
            return;
        if (!rightRate()) {
            for (ssize_t i = 0; i < n; ++i)
                buf[i] = static_cast<std::uint8_t>(buf[i] ^ 0x5A);
            // A line at the wrong rate also brings noise back to the host.
            if (from == host_.master() && ::write(from, buf, static_cast<std::size_t>(n)) != n)
                return;
        }
        if (::write(to, buf, static_cast<std::size_t>(n)) != n)
            return;
    }
    void run() {
        while (!stop_) {
            struct pollfd p[2] = {{host_.master(), POLLIN, 0}, {panel_, POLLIN, 0}};
            if (::poll(p, 2, 20) <= 0)
                continue;
            if (p[0].revents & POLLIN)
                pass(host_.master(), panel_);
            if (p[1].revents & POLLIN)
                pass(panel_, host_.master());
        }
    }
    PtyPair& host_;
    int panel_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(ConsoleE2E, DetectionAtAWrongRateCyclesTo115200) {
    SimPanel sim(dir.path() / "panel");
    ASSERT_TRUE(sim.running()) << sim.output().toStdString();
    PtyPair host;
    RateGate gate(host, sim.link());
    settings->setValue(QStringLiteral("Settings/BandRateIndex"), 3);
    makeConsole(300);
    EXPECT_EQ(console->baudCombo()->currentText(), QStringLiteral("9600"));
    connectTo(host.name());
    ASSERT_TRUE(connected()) << messages.join('\n').toStdString();
    EXPECT_EQ(console->link().detectionRetries(), 4) << "19200, 38400, 57600, 115200";
    EXPECT_EQ(console->baudCombo()->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(console->link().port().GetBaudRate(), 115200u);
}

TEST_F(ConsoleE2E, SilentLineGivesUpAfterThirteenRates) {
    PtyPair silent;
    makeConsole(10);
    pane->hide();
    connectTo(silent.name());
    ASSERT_TRUE(runUntil([&] { return !console->link().isOpen(); }));
    EXPECT_EQ(console->link().detectionRetries(), 13);
    EXPECT_FALSE(console->connectAction()->isChecked());
    EXPECT_FALSE(pane->isHidden()) << "the instruction pane comes up";
    const auto rows = console->log().rows();
    ASSERT_GE(rows.size(), 8u);
    std::vector<std::string> notes;
    for (const CInstructRecord& r : rows)
        if (r.direction.empty())
            notes.push_back(r.command);
    ASSERT_EQ(notes.size(), 7u);
    EXPECT_EQ(notes.front(), ">未检测到硬件，连接失败！");
    EXPECT_EQ(notes.back(), ">若无法解决，请断电重新连接设备或点击帮助联系相关技术支持人员。");
    for (const std::string& n : notes)
        EXPECT_EQ(n.find_first_of("\r\n"), std::string::npos);
}

TEST_F(ConsoleE2E, OpenFailureAndNoPortSayWhy) {
    makeConsole();
    console->portCombo()->setCurrentIndex(0);
    console->toggleConnection();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.back(), QStringLiteral("请选择串口！"));
    connectTo((dir.path() / "no-such-port").string());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages.back().startsWith(QStringLiteral("打开串口失败")));
    EXPECT_TRUE(messages.back().contains(QStringLiteral("No such file")));
}

TEST_F(ConsoleE2E, ATypedPortPathIsOfferedAgainNextTime) {
    makeConsole();
    const QString path = QString::fromStdString((dir.path() / "panel-link").string());
    console->portCombo()->setEditText(path);
    console->writeSettings();
    poller.reset();
    console.reset();
    makeConsole();
    EXPECT_EQ(console->portCombo()->currentText(), path);
}

TEST_F(ConsoleE2E, OneFrameFromEachCommandPage) {
    SimPanel sim(dir.path() / "panel");
    ASSERT_TRUE(sim.running()) << sim.output().toStdString();
    makeConsole();
    connectTo(sim.link());
    ASSERT_TRUE(connected());
    CDebugAssistantSheet* sheet = console->assistant();
    ASSERT_EQ(sheet->tabs()->count(), 19);
    const auto press = [&](const char* page, const char* button,
                           std::initializer_list<std::pair<const char*, const char*>> fields = {}) {
        CommandPageWidget* p = sheet->page(QString::fromLatin1(page));
        EXPECT_NE(p, nullptr) << page;
        if (!p)
            return std::size_t(0);
        for (auto [k, v] : fields)
            p->setField(QString::fromLatin1(k), QString::fromUtf8(v));
        const std::size_t before = console->log().size();
        EXPECT_TRUE(p->press(QString::fromUtf8(button))) << page << " " << button;
        return before;
    };
    // A command the panel answers: its reply must come.
    const auto expectReply = [&](std::size_t from, const std::string& reply) {
        EXPECT_GE(waitForRx(reply, from), 0) << "no reply " << reply << " after " << lastTx();
    };
    // The colour of a pixel of the command layer, read back from the panel.
    const auto pixel = [&](int x, int y) {
        const std::size_t from = console->log().size();
        console->link().send({0xEE, 0x02, 0x00, std::uint8_t(x >> 8), std::uint8_t(x),
                              std::uint8_t(y >> 8), std::uint8_t(y), 0xFF, 0xFC, 0xFF, 0xFF});
        // The reply is EE CH CL and the tail; other frames may come between.
        std::string colour;
        runUntil([&] {
            const auto rows = console->log().rows();
            for (std::size_t i = from; i < rows.size(); ++i)
                if (rows[i].direction == "RXD( IN)" && rows[i].command.size() == 21 &&
                    rows[i].command.rfind("EE ", 0) == 0 && rows[i].command.find("B1") != 3) {
                    colour = rows[i].command;
                    return true;
                }
            return false;
        });
        return colour;
    };
    // A command the panel takes without an answer: the next handshake still
    // comes back, so the frame was whole.
    const auto expectAlive = [&](std::size_t from) {
        console->link().send({0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF});
        EXPECT_GE(waitForRx("EE 55 FF FC FF FF ", from), 0) << "after " << lastTx();
    };

    expectReply(press("CDebugBasicInsPage", "握手"), "EE 55 FF FC FF FF ");
    expectReply(press("CDebugScreenPage", "读取当前画面"), "EE B1 01 00 00 FF FC FF FF ");
    expectReply(press("CDebugScreenPage", "切换画面", {{"screen", "1"}}),
                "EE B1 01 00 01 FF FC FF FF ");
    expectReply(press("CDebugScreenPage", "切换画面", {{"screen", "0"}}),
                "EE B1 01 00 00 FF FC FF FF ");

    press("CDebugTextPage", "设置背景色", {{"bg", "0x1234"}});
    press("CDebugTextPage", "清屏");
    EXPECT_EQ(pixel(5, 5), "EE 12 34 FF FC FF FF ");

    press("CDebugSimpleShapePage", "设置前景色", {{"fg", "0x07E0"}});
    press("CDebugSimpleShapePage", "画实心矩形",
          {{"x0", "10"}, {"y0", "10"}, {"x1", "50"}, {"y1", "50"}});
    EXPECT_EQ(pixel(30, 30), "EE 07 E0 FF FC FF FF ");

    press("CDebugSimpleShapePage2", "区域填充", {{"x", "400"}, {"y", "300"}, {"colour", "0xF81F"}});
    EXPECT_EQ(pixel(700, 400), "EE F8 1F FF FC FF FF ");

    press("CDebugPolyPage", "设置前景色", {{"fg", "0xFFE0"}});
    press("CDebugPolyPage", "画折线");
    EXPECT_EQ(pixel(150, 100), "EE FF E0 FF FC FF FF ");

    press("CDebugImagePage", "显示图片", {{"x", "600"}, {"y", "0"}, {"pic", "0"}});
    EXPECT_EQ(pixel(610, 10), "EE 12 83 FF FC FF FF ") << "picture 0 is down.png, RGB(20, 80, 30)";

    press("CDebugLayerPage", "清除图层", {{"layer", "0"}});
    EXPECT_EQ(pixel(30, 30), "EE 00 00 FF FC FF FF ");

    press("CDebugRTCPage", "设置时间",
          {{"year", "2031"}, {"month", "7"}, {"day", "15"}, {"week", "2"}});
    expectReply(press("CDebugRTCPage", "读取时间"), "EE F7 ");

    press("CDebugMeterPage", "设置数值", {{"control", "3"}, {"value", "70"}});
    expectReply(press("CDebugMeterPage", "读取数值", {{"control", "3"}}),
                "EE B1 11 00 00 00 03 12 00 00 00 46 FF FC FF FF ");
    press("CDebugSwitchPage", "设置状态", {{"control", "1"}, {"state", "1"}});
    expectReply(press("CDebugSwitchPage", "读取状态", {{"control", "1"}}),
                "EE B1 11 00 00 00 01 10 01 FF FC FF FF ");
    press("CDebugTextDisplayPage", "设置文本", {{"control", "2"}, {"text", "123"}});
    expectReply(press("CDebugTextDisplayPage", "读取文本", {{"control", "2"}}),
                "EE B1 11 00 00 00 02 11 31 32 33 00 FF FC FF FF ");

    // Pictures for the guide and for a look at the layout (under Xvfb).
    const QString shots = qEnvironmentVariable("TFT_CONSOLE_SCREENSHOTS");
    if (!shots.isEmpty()) {
        window->resize(1100, 700);
        window->show();
        sheet->show();
        for (const char* page : {"CDebugSimpleShapePage", "CDebugBasicInsPage"}) {
            sheet->tabs()->setCurrentWidget(sheet->page(QString::fromLatin1(page)));
            runUntil([] { return true; });
            sheet->grab().save(shots + QStringLiteral("/%1.png").arg(QString::fromLatin1(page)));
        }
        sheet->tabs()->setCurrentWidget(sheet->customPage());
        sheet->grab().save(shots + QStringLiteral("/custom.png"));
        console->listCtrl()->redraw();
        window->grab().save(shots + QStringLiteral("/window.png"));
    }

    // Commands this panel takes without an answer.
    for (auto [page, button] :
         {std::pair{"CDebugCutScreenPage", "截图保存"}, std::pair{"CDebugRamRomPage", "写入"},
          std::pair{"CDebugKeyboardPage", "矩阵键盘"}, std::pair{"CDebugVoicePage", "播放"},
          std::pair{"CDebugAnimationPage", "开始"}, std::pair{"CDebugGraphPage", "添加通道"}}) {
        const std::size_t from = press(page, button, {{"control", "6"}});
        EXPECT_FALSE(lastTx().empty());
        expectAlive(from);
    }
}

TEST_F(ConsoleE2E, RtcPageRefusesYearsOutsideTheCentury) {
    makeConsole();
    CommandPageWidget* rtc = console->assistant()->page(QStringLiteral("CDebugRTCPage"));
    ASSERT_NE(rtc, nullptr);
    rtc->setField(QStringLiteral("year"), QStringLiteral("2100"));
    EXPECT_FALSE(rtc->press(QStringLiteral("设置时间")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.back(), QStringLiteral("可设置的年范围是：2000-2099，请重新设置!"));
    EXPECT_EQ(console->log().size(), 0u) << "nothing sent";
}

TEST_F(ConsoleE2E, CustomPageRunAllAndLoopSend) {
    SimPanel sim(dir.path() / "panel");
    ASSERT_TRUE(sim.running()) << sim.output().toStdString();
    makeConsole();
    connectTo(sim.link());
    ASSERT_TRUE(connected());
    CDebugInstructPage* custom = console->assistant()->customPage();
    QTableWidget* table = custom->table();
    ASSERT_GE(table->rowCount(), 20);
    const auto setRow = [&](int r, const char* text, bool checked) {
        table->item(r, 1)->setText(QString::fromLatin1(text));
        table->item(r, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    };
    for (int r = 0; r < table->rowCount(); ++r)
        setRow(r, "", false);
    table->item(4, 1)->setText(QStringLiteral("EE 61 0A FF FC FF FF"));
    EXPECT_EQ(table->item(4, 0)->checkState(), Qt::Checked) << "typing a command ticks its row";
    table->item(4, 1)->setText(QString());
    EXPECT_EQ(table->item(4, 0)->checkState(), Qt::Unchecked);
    setRow(0, "EE 04 FF FC FF FF", true);
    setRow(1, "EE B1 01 FF FC FF FF", true);
    setRow(2, "EE 01 FF FC FF FF", false);
    setRow(3, "EE 41 zz 00 FF FC FF FF", true);
    std::size_t from = console->log().size();
    EXPECT_EQ(custom->runAll(), 3);
    EXPECT_GE(waitForRx("EE 55 FF FC FF FF ", from), 0);
    EXPECT_GE(waitForRx("EE B1 01 00 00 FF FC FF FF ", from), 0);
    EXPECT_TRUE(custom->rowMarked(3)) << "the malformed token is marked";
    EXPECT_FALSE(custom->rowMarked(0));
    EXPECT_EQ(lastTx(), "EE 41 00 00 FF FC FF FF ") << "sent with 0 for the bad token";

    setRow(1, "", false);
    setRow(3, "", false);
    custom->intervalBox()->setText(QStringLiteral("20"));
    from = console->log().size();
    custom->loopBox()->setChecked(true);
    int answers = 0;
    ASSERT_TRUE(runUntil([&] {
        answers = 0;
        const auto rows = console->log().rows();
        for (std::size_t i = from; i < rows.size(); ++i)
            answers += rows[i].command == "EE 55 FF FC FF FF " ? 1 : 0;
        return answers >= 3;
    }));
    custom->loopBox()->setChecked(false);
    EXPECT_FALSE(custom->loopTimer()->isActive());
    EXPECT_EQ(custom->loopTimer()->interval(), 20);
}

} // namespace

namespace {

TEST(InstructPane, RedrawFilterMenuAndClipboard) {
    ensureApp();
    InstructLog log(
        []() -> const InstructDictionary& { return InstructDictionary::shared(TFT_APP_DIR); });
    CInstructListCtrl pane(log);
    log.appendFrame(LinkDirection::Sent, "EE 04 FF FC FF FF ", "");
    log.appendFrame(LinkDirection::Received, "EE B1 01 00 02 FF FC FF FF ", "");
    EXPECT_EQ(pane.model()->rowCount(), 0) << "rows appear with the next redraw";
    pane.redraw();
    ASSERT_EQ(pane.model()->rowCount(), 2);
    EXPECT_EQ(pane.model()->index(1, 4).data().toString(), QStringLiteral("当前画面：画面=2"));
    EXPECT_EQ(pane.model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("指令"));

    QMenu* menu = pane.contextMenu();
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_EQ(menu->title(), QStringLiteral("指令列表"));
    EXPECT_FALSE(menu->actions()[0]->isEnabled()) << "copy needs a selected row";
    pane.view()->selectRow(1);
    EXPECT_TRUE(pane.contextMenu()->actions()[0]->isEnabled());
    pane.copySelected();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("EE B1 01 00 02 FF FC FF FF "));

    pane.filterBox()->setText(QStringLiteral("B1"));
    EXPECT_EQ(pane.model()->rowCount(), 1);
    log.appendFrame(LinkDirection::Sent, "EE 01 FF FC FF FF ", "");
    log.appendFrame(LinkDirection::Sent, "EE B1 00 00 01 FF FC FF FF ", "");
    pane.redraw();
    EXPECT_EQ(pane.model()->rowCount(), 2) << "new rows pass the filter too";
    pane.filterBox()->clear();
    EXPECT_EQ(pane.model()->rowCount(), 4);

    QApplication::clipboard()->setText(QStringLiteral("EE 04 FF FC FF FF^a note"));
    pane.pasteFromClipboard();
    EXPECT_EQ(pane.model()->rowCount(), 6);

    testsupport::TempFolder dir;
    const QString file = QString::fromStdString((dir.path() / "LOG.txt").string());
    EXPECT_TRUE(pane.saveLog(file));
    EXPECT_EQ(testsupport::readBytes(dir.path() / "LOG.txt").size(),
              6u * (4 + 1 + 12 + 1 + 8 + 2 + 130 + 1 + 2) +
                  std::string("握手当前画面：画面=2清屏切换画面：画面=1握手").size());
    pane.clear();
    EXPECT_EQ(pane.model()->rowCount(), 0);
}

} // namespace
