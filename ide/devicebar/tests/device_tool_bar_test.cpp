// The device tool bar against a real pseudo-terminal: what each command puts
// on the wire and into the TX/RX log, the dialogs answered through their
// hooks, a closed port, a disconnect, and the backlight edit and slider.
// "Nothing written" is proved by a beep sent afterwards arriving first.
#include "../../link/tests/pty_pair.h"
#include "common/hex_text.h"
#include "device_dialogs.h"
#include "device_link.h"
#include "device_tool_bar.h"
#include "instruct_log.h"
#include "string_table.h"
#include "testing/widgets_app.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace tft;
using namespace tft::ide;
using linktest::PtyPair;

namespace {

const std::string kBeep = "EE 61 0A FF FC FF FF ";
const int kCommands[] = {sid::DeviceTouch, sid::DeviceCalibrate, sid::DeviceTouchTest,
                         sid::DeviceBeep,  sid::DeviceCommand80, sid::DeviceClock,
                         sid::DeviceCursor};
const QDateTime kMonday(QDate(2026, 12, 7), QTime(17, 5, 9));

void ensureApp() {
    if (!QApplication::instance()) {
        testsupport::ensureWidgetsApp();
        currentStrings().load(QStringLiteral(TFT_APP_DIR "/lang/chinese.xml"));
    }
}

const InstructDictionary& noDictionary() {
    static const InstructDictionary empty;
    return empty;
}

QStringList entries(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// Saves a picture of `w` for a look when DEVICEBAR_SHOTS names a folder.
void shoot(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("DEVICEBAR_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

class DeviceBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        link.setLog(&log);
        link.setDetectInterval(3600 * 1000); // no rate cycling while a test runs
        window = std::make_unique<QMainWindow>();
        bar = window->addToolBar(QStringLiteral("SerialPort"));
        bar->setObjectName(QStringLiteral("SerialPort"));
        menu = window->menuBar()->addMenu(ideText(sid::MenuDevice));
        devices = new DeviceToolBar(window.get(), bar, menu, link, log);
        devices->now = [] { return kMonday; };
        devices->showMessage = [this](const QString& m) { messages.push_back(m); };
    }
    void TearDown() override {
        window.reset(); // the tool bar goes with its window, before the link
    }

    void connectPort() {
        std::string error;
        ASSERT_TRUE(link.connectTo(pty.name(), 3, &error)) << error;
        ASSERT_EQ(wire(6), "EE 04 FF FC FF FF ") << "the detection request";
        log.clearRows();
    }
    // The next `count` bytes the panel side received, as hex text.
    std::string wire(std::size_t count) { return toHexText(pty.receive(count)); }
    // Proves nothing else went out: a beep sent now is the next thing on the wire.
    void expectNothingWritten() {
        devices->beep();
        EXPECT_EQ(wire(7), kBeep) << "something was written before the beep";
        ASSERT_FALSE(log.rows().empty());
        EXPECT_EQ(log.rows().back().command, kBeep);
        log.clearRows();
    }
    // "direction|command|comment" per row.
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const CInstructRecord& r : log.rows())
            out.push_back(r.direction + "|" + r.command + "|" + r.comment);
        return out;
    }
    static std::string tx(const std::string& hex, int label) {
        return "TXD(OUT)|" + hex + "|" + (label ? ideText(label).toStdString() : std::string());
    }
    static std::string note(int text) { return "|" + ideText(text).toStdString() + "|"; }

    PtyPair pty;
    InstructLog log{noDictionary, [] { return QTime(12, 0, 0); }};
    DeviceLink link;
    std::unique_ptr<QMainWindow> window;
    QToolBar* bar = nullptr;
    QMenu* menu = nullptr;
    DeviceToolBar* devices = nullptr;
    std::vector<QString> messages;
};

using Rows = std::vector<std::string>;

TEST_F(DeviceBarTest, TouchButtonTwiceSendsOnThenOffWithLabelsAndTheNote) {
    connectPort();
    QAction* touch = devices->action(sid::DeviceTouch);
    ASSERT_TRUE(touch->isEnabled());
    touch->trigger();
    EXPECT_TRUE(touch->isChecked());
    touch->trigger();
    EXPECT_FALSE(touch->isChecked());
    EXPECT_EQ(wire(14), "EE 70 03 FF FC FF FF EE 70 00 FF FC FF FF ");
    EXPECT_EQ(rows(),
              (Rows{tx("EE 70 03 FF FC FF FF ", sid::DeviceTouchOn), note(sid::DeviceTouchNote),
                    tx("EE 70 00 FF FC FF FF ", sid::DeviceTouchOff), note(sid::DeviceTouchNote)}));
    EXPECT_EQ(ideText(sid::DeviceTouchNote), QStringLiteral(">暂无坐标值上传，请点击触摸屏"));
    EXPECT_EQ(ideText(sid::DeviceTouchOn), QStringLiteral("打开触屏"));
    EXPECT_EQ(ideText(sid::DeviceTouchOff), QStringLiteral("关闭触屏"));
}

TEST_F(DeviceBarTest, SingleCommandsAndTheirLabels) {
    connectPort();
    devices->action(sid::DeviceCalibrate)->trigger();
    devices->action(sid::DeviceTouchTest)->trigger();
    devices->action(sid::DeviceBeep)->trigger();
    devices->action(sid::DeviceCommand80)->trigger();
    devices->action(sid::DeviceCommand80)->trigger();
    devices->action(sid::DeviceCommand80)->trigger();
    EXPECT_EQ(wire(6 + 7 + 7 + 3 * 7), "EE 72 FF FC FF FF EE 73 01 FF FC FF FF " + kBeep +
                                           "EE 80 00 FF FC FF FF EE 80 01 FF FC FF FF "
                                           "EE 80 00 FF FC FF FF ");
    EXPECT_EQ(rows(), (Rows{tx("EE 72 FF FC FF FF ", sid::DeviceCalibrate),
                            tx("EE 73 01 FF FC FF FF ", sid::DeviceTouchTest),
                            tx(kBeep, sid::DeviceBeep), tx("EE 80 00 FF FC FF FF ", 0),
                            tx("EE 80 01 FF FC FF FF ", 0), tx("EE 80 00 FF FC FF FF ", 0)}));
    EXPECT_EQ(ideText(sid::DeviceCalibrate), QStringLiteral("校准触屏"));
    EXPECT_EQ(ideText(sid::DeviceTouchTest), QStringLiteral("体验触屏"));
    EXPECT_EQ(ideText(sid::DeviceBeep), QStringLiteral("蜂鸣一声"));
}

TEST_F(DeviceBarTest, ClockUnchangedTwiceOrCancelledSendsNothing) {
    connectPort();
    int opened = 0;
    devices->clockDialog = [&opened](DeviceBarState& s) {
        ++opened;
        s.clock.display = ClockDisplayChoice::Unchanged;
        s.clock.setting = ClockSettingChoice::Unchanged;
        return true;
    };
    devices->action(sid::DeviceClock)->trigger();
    devices->action(sid::DeviceClock)->trigger();
    EXPECT_EQ(opened, 2);
    devices->clockDialog = [](DeviceBarState& s) {
        s.clock.display = ClockDisplayChoice::Show;
        s.clock.setting = ClockSettingChoice::SystemTime;
        return false; // cancelled
    };
    devices->action(sid::DeviceClock)->trigger();
    EXPECT_TRUE(log.rows().empty());
    expectNothingWritten();
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceBarTest, ClockDialogSendsDisplayThenSystemTimeAndKeepsItsValues) {
    connectPort();
    ClockSettings seen;
    devices->clockDialog = [&seen](DeviceBarState& s) {
        seen = s.clock;
        s.clock.display = ClockDisplayChoice::Show;
        s.clock.text.format = ClockTextFormat::DateTime;
        s.clock.text.font = 3;
        s.clock.text.colour = 255; // red
        s.clock.text.x = 300;
        s.clock.text.y = 10;
        s.clock.setting = ClockSettingChoice::SystemTime;
        return true;
    };
    devices->setClock();
    EXPECT_EQ(wire(15 + 13), "EE 85 01 01 03 F8 00 01 2C 00 0A FF FC FF FF "
                             "EE 81 09 05 17 07 01 12 26 FF FC FF FF ");
    EXPECT_EQ(rows(), (Rows{tx("EE 85 01 01 03 F8 00 01 2C 00 0A FF FC FF FF ", sid::DeviceClockOn),
                            tx("EE 81 09 05 17 07 01 12 26 FF FC FF FF ", sid::DeviceClock)}));
    EXPECT_EQ(ideText(sid::DeviceClockOn), QStringLiteral("打开时钟"));
    EXPECT_EQ(ideText(sid::DeviceClock), QStringLiteral("时钟设置"));
    log.clearRows();

    devices->clockDialog = [&seen](DeviceBarState& s) {
        seen = s.clock;
        s.clock.display = ClockDisplayChoice::Hide;
        s.clock.setting = ClockSettingChoice::Unchanged;
        return true;
    };
    devices->setClock();
    EXPECT_EQ(seen.text.x, 300) << "the dialog opens with what it was closed with";
    EXPECT_EQ(seen.text.font, 3);
    EXPECT_EQ(seen.setting, ClockSettingChoice::SystemTime);
    EXPECT_EQ(wire(15), "EE 85 00 00 00 00 00 00 00 00 00 FF FC FF FF ");
    EXPECT_EQ(rows(),
              (Rows{tx("EE 85 00 00 00 00 00 00 00 00 00 FF FC FF FF ", sid::DeviceClockOff)}));
    EXPECT_EQ(ideText(sid::DeviceClockOff), QStringLiteral("关闭时钟"));
}

TEST_F(DeviceBarTest, AClockThatDoesNotFitIsRefusedWithAMessage) {
    connectPort();
    devices->now = [] { return QDateTime(QDate(2100, 3, 1), QTime(8, 0, 0)); };
    devices->clockDialog = [](DeviceBarState& s) {
        s.clock.display = ClockDisplayChoice::Show;
        s.clock.setting = ClockSettingChoice::SystemTime;
        return true;
    };
    devices->setClock();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], ideText(sid::RtcYearRange));
    EXPECT_TRUE(log.rows().empty());
    expectNothingWritten();
}

TEST_F(DeviceBarTest, CursorDialogSendsSetCursor) {
    connectPort();
    devices->cursorDialog = [](DeviceBarState& s) {
        s.cursor = CursorSettings{true, 10, 20, 2, 16};
        return true;
    };
    devices->action(sid::DeviceCursor)->trigger();
    EXPECT_EQ(wire(13), "EE 21 01 00 0A 00 14 02 10 FF FC FF FF ");
    EXPECT_EQ(rows(), (Rows{tx("EE 21 01 00 0A 00 14 02 10 FF FC FF FF ", sid::DeviceCursor)}));
    EXPECT_EQ(ideText(sid::DeviceCursor), QStringLiteral("光标设置"));
    log.clearRows();
    devices->cursorDialog = [](DeviceBarState&) { return false; };
    devices->setCursor();
    expectNothingWritten();
}

TEST_F(DeviceBarTest, AClosedPortWritesAndLogsNothing) {
    connectPort();
    link.disconnectLink();
    for (int id : kCommands)
        EXPECT_FALSE(devices->action(id)->isEnabled()) << id;
    EXPECT_FALSE(devices->backlightEdit()->isEnabled());
    EXPECT_FALSE(devices->backlightSlider()->isEnabled());
    // Called directly, as a stale shortcut would: still nothing goes out.
    devices->clockDialog = [](DeviceBarState& s) {
        s.clock.display = ClockDisplayChoice::Show;
        s.clock.setting = ClockSettingChoice::SystemTime;
        return true;
    };
    devices->cursorDialog = [](DeviceBarState&) { return true; };
    devices->toggleTouch();
    devices->calibrateTouch();
    devices->touchTest();
    devices->beep();
    devices->sendCommand80();
    devices->setClock();
    devices->setCursor();
    devices->sendBacklightFromSlider();
    EXPECT_TRUE(log.rows().empty());
    EXPECT_FALSE(devices->state().touchOn) << "a touch frame that did not go out turns nothing on";
    EXPECT_FALSE(devices->action(sid::DeviceTouch)->isChecked());
    EXPECT_EQ(devices->state().command80, 0) << "the toggle flips only when its frame went out";

    // Whatever had been written would come before the next connection's request.
    connectPort();
    devices->sendCommand80();
    EXPECT_EQ(wire(7), "EE 80 00 FF FC FF FF ");
}

TEST_F(DeviceBarTest, CommandsFollowThePortAndADisconnectTurnsTouchOff) {
    EXPECT_FALSE(devices->action(sid::DeviceBeep)->isEnabled());
    connectPort();
    for (int id : kCommands)
        EXPECT_TRUE(devices->action(id)->isEnabled()) << id;
    EXPECT_TRUE(devices->backlightSlider()->isEnabled());

    devices->action(sid::DeviceTouch)->trigger();
    EXPECT_EQ(wire(7), "EE 70 03 FF FC FF FF ");
    link.disconnectLink();
    EXPECT_FALSE(devices->action(sid::DeviceTouch)->isChecked());
    EXPECT_FALSE(devices->state().touchOn);

    connectPort();
    devices->action(sid::DeviceTouch)->trigger();
    EXPECT_EQ(wire(7), "EE 70 03 FF FC FF FF ") << "after a reconnect the button turns touch on";
    EXPECT_TRUE(devices->action(sid::DeviceTouch)->isChecked());
}

TEST_F(DeviceBarTest, BacklightEditAndSliderStayEqualAndSendOnce) {
    connectPort();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QLineEdit* edit = devices->backlightEdit();
    QSlider* slider = devices->backlightSlider();

    // Typing moves the slider and sends nothing; Enter sends the value once.
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("128"));
    EXPECT_EQ(slider->value(), 128);
    EXPECT_TRUE(log.rows().empty());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(wire(7), "EE 60 80 FF FC FF FF ");
    EXPECT_EQ(rows(), (Rows{tx("EE 60 80 FF FC FF FF ", sid::DeviceBacklight)}));
    log.clearRows();

    // A drag updates the edit at every step and sends once, on release.
    slider->setSliderDown(true);
    for (int v : {120, 90, 64}) {
        slider->setSliderPosition(v);
        EXPECT_EQ(edit->text(), QString::number(v));
    }
    EXPECT_TRUE(log.rows().empty()) << "nothing while dragging";
    slider->setSliderDown(false);
    EXPECT_EQ(wire(7), "EE 60 40 FF FC FF FF ");
    EXPECT_EQ(rows(), (Rows{tx("EE 60 40 FF FC FF FF ", sid::DeviceBacklightSlider)}));
    log.clearRows();

    // A key step on the slider sends its new value.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 65);
    EXPECT_EQ(edit->text(), QStringLiteral("65"));
    EXPECT_EQ(wire(7), "EE 60 41 FF FC FF FF ");
    log.clearRows();

    // Past 255: the slider keeps the last value that fits ("30" on the way),
    // Enter is refused with a message.
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("300"));
    EXPECT_EQ(slider->value(), 30);
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], ideText(sid::DeviceBacklightRange));
    EXPECT_TRUE(log.rows().empty());
    expectNothingWritten();
    EXPECT_EQ(ideText(sid::DeviceBacklight), QStringLiteral("背光"));
    EXPECT_EQ(ideText(sid::DeviceBacklightSlider), QStringLiteral("背光调节"));
}

TEST_F(DeviceBarTest, CommandsAreOnTheBarAndInTheMenu) {
    const QList<QAction*> inMenu = menu->actions();
    for (int id : kCommands) {
        QAction* a = devices->action(id);
        ASSERT_NE(a, nullptr) << id;
        EXPECT_TRUE(inMenu.contains(a)) << id;
        EXPECT_TRUE(bar->actions().contains(a)) << id;
        EXPECT_EQ(a->text(), ideText(id));
    }
    EXPECT_EQ(bar->findChild<QSlider*>(QStringLiteral("Command33011")), devices->backlightSlider());
    EXPECT_EQ(bar->findChild<QLineEdit*>(QStringLiteral("Command33010")), devices->backlightEdit());
    connectPort();
    window->resize(1100, 120);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(devices->backlightSlider()->isVisible());
    EXPECT_TRUE(devices->backlightEdit()->isVisible());
    shoot(bar, QStringLiteral("tool_bar"));
}

// The default hooks exec the real dialogs: answered from inside their loop.
template <typename Dialog> void answerNextDialog(const std::function<void(Dialog&)>& answer) {
    QTimer::singleShot(0, [answer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<Dialog*>(w); d && d->isVisible()) {
                answer(*d);
                return;
            }
        ADD_FAILURE() << "no dialog open";
    });
}

TEST_F(DeviceBarTest, TheRealClockDialogKeepsWhatItWasClosedWith) {
    connectPort();
    answerNextDialog<CSetClockDlg>([](CSetClockDlg& d) {
        d.displayCombo()->setCurrentIndex(2);
        d.formatCombo()->setCurrentIndex(1);
        d.settingCombo()->setCurrentIndex(1);
        d.findChild<QSpinBox*>(QStringLiteral("X"))->setValue(480);
        d.accept();
    });
    devices->action(sid::DeviceClock)->trigger();
    EXPECT_EQ(wire(15 + 13), "EE 85 01 01 00 FF FF 01 E0 00 00 FF FC FF FF "
                             "EE 81 09 05 17 07 01 12 26 FF FC FF FF ");
    EXPECT_EQ(devices->state().clock.display, ClockDisplayChoice::Show);
    log.clearRows();

    int shownX = -1;
    answerNextDialog<CSetClockDlg>([&shownX](CSetClockDlg& d) {
        shownX = d.settings().text.x;
        d.displayCombo()->setCurrentIndex(1);
        d.reject();
    });
    devices->setClock();
    EXPECT_EQ(shownX, 480);
    EXPECT_EQ(devices->state().clock.display, ClockDisplayChoice::Show)
        << "cancel keeps the values";
    expectNothingWritten();

    answerNextDialog<CSetCursorDlg>([](CSetCursorDlg& d) {
        d.findChild<QSpinBox*>(QStringLiteral("Height"))->setValue(24);
        d.accept();
    });
    devices->setCursor();
    EXPECT_EQ(wire(13), "EE 21 01 00 00 00 00 02 18 FF FC FF FF ");
}

// ---- the dialogs themselves

TEST_F(DeviceBarTest, ClockDialogShowsItsChoicesAndHandsBackWhatWasSet) {
    ClockSettings initial;
    initial.display = ClockDisplayChoice::Show;
    initial.text = ClockText{true, ClockTextFormat::DateTime, 4, 0x00FF00, 100, 200};
    initial.setting = ClockSettingChoice::GivenTime;
    initial.givenDate = QDate(2031, 5, 6);
    initial.givenTime = QTime(7, 8, 9);
    CSetClockDlg dialog(initial, kMonday, window.get());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("时钟设置"));
    EXPECT_EQ(entries(dialog.displayCombo()).join(QLatin1Char(';')) + QLatin1Char(';'),
              QStringLiteral("不变;关闭时钟显示;开启时钟显示;"));
    EXPECT_EQ(entries(dialog.formatCombo()).join(QLatin1Char(';')) + QLatin1Char(';'),
              QStringLiteral("HH:MM:SS;YYYY-MM-DD HH:MM:SS;"));
    EXPECT_EQ(entries(dialog.settingCombo()).join(QLatin1Char(';')) + QLatin1Char(';'),
              QStringLiteral("不变;设置为系统时间;设置为指定时间;"));
    const ClockSettings back = dialog.settings();
    EXPECT_EQ(back.display, initial.display);
    EXPECT_EQ(back.text.format, ClockTextFormat::DateTime);
    EXPECT_EQ(back.text.font, 4);
    EXPECT_EQ(back.text.colour, 0x00FF00u);
    EXPECT_EQ(back.text.x, 100);
    EXPECT_EQ(back.text.y, 200);
    EXPECT_EQ(back.setting, ClockSettingChoice::GivenTime);
    EXPECT_EQ(back.givenDate, initial.givenDate);
    EXPECT_EQ(back.givenTime, initial.givenTime);
    dialog.show();
    shoot(&dialog, QStringLiteral("clock_dialog"));

    // Hiding the clock greys its parameters; system time greys the pickers.
    dialog.displayCombo()->setCurrentIndex(1);
    dialog.settingCombo()->setCurrentIndex(1);
    EXPECT_FALSE(dialog.formatCombo()->isEnabled());
    EXPECT_FALSE(dialog.findChild<QDateEdit*>(QStringLiteral("Date"))->isEnabled());

    // First opening: the pickers start at now.
    CSetClockDlg fresh(ClockSettings{}, kMonday, window.get());
    EXPECT_EQ(fresh.settings().givenDate, kMonday.date());
    EXPECT_EQ(fresh.settings().givenTime, kMonday.time());
    EXPECT_EQ(fresh.settings().display, ClockDisplayChoice::Unchanged);
    EXPECT_EQ(fresh.settings().setting, ClockSettingChoice::Unchanged);
}

TEST_F(DeviceBarTest, CursorDialogRoundTripsItsValues) {
    CSetCursorDlg dialog(CursorSettings{false, 640, 480, 3, 20}, window.get());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("光标设置"));
    auto* enable = dialog.findChild<QComboBox*>(QStringLiteral("Enable"));
    ASSERT_NE(enable, nullptr);
    EXPECT_EQ(entries(enable), (QStringList{QStringLiteral("Disable"), QStringLiteral("Enable")}));
    const CursorSettings back = dialog.settings();
    EXPECT_FALSE(back.enable);
    EXPECT_EQ(back.x, 640);
    EXPECT_EQ(back.y, 480);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 20);
    enable->setCurrentIndex(1);
    dialog.findChild<QSpinBox*>(QStringLiteral("Width"))->setValue(300);
    EXPECT_TRUE(dialog.settings().enable);
    EXPECT_EQ(dialog.settings().width, 255) << "the box holds one byte";
    dialog.show();
    shoot(&dialog, QStringLiteral("cursor_dialog"));
}

} // namespace
