// The device tool bar's frames byte by byte, the values that do not fit
// refused, and which frames the clock dialog's choices produce.
#include "common/hex_text.h"
#include "core/command_table.h"
#include "device_bar_state.h"
#include "device_frames.h"
#include "string_table.h"

#include <gtest/gtest.h>

using namespace tft;
using namespace tft::ide;

namespace {

std::string hex(const Frame& f) {
    return toHexText(f);
}

std::string hex(const BuiltFrame& f) {
    EXPECT_TRUE(f) << "refused: " << static_cast<int>(f.refusal);
    return toHexText(f.bytes);
}

TEST(DeviceFrames, FixedCommands) {
    EXPECT_EQ(hex(touchReportFrame(true)), "EE 70 03 FF FC FF FF ");
    EXPECT_EQ(hex(touchReportFrame(false)), "EE 70 00 FF FC FF FF ");
    EXPECT_EQ(hex(calibrateTouchFrame()), "EE 72 FF FC FF FF ");
    EXPECT_EQ(hex(touchTestFrame()), "EE 73 01 FF FC FF FF ");
    EXPECT_EQ(hex(beepFrame()), "EE 61 0A FF FC FF FF ");
    EXPECT_EQ(hex(command80Frame(0)), "EE 80 00 FF FC FF FF ");
    EXPECT_EQ(hex(command80Frame(1)), "EE 80 01 FF FC FF FF ");
}

TEST(DeviceFrames, BacklightTakesOneByte) {
    EXPECT_EQ(hex(backlightFrame(0)), "EE 60 00 FF FC FF FF ");
    EXPECT_EQ(hex(backlightFrame(128)), "EE 60 80 FF FC FF FF ");
    EXPECT_EQ(hex(backlightFrame(255)), "EE 60 FF FF FC FF FF ");
    for (int level : {-1, 256, 1000}) {
        const BuiltFrame f = backlightFrame(level);
        EXPECT_FALSE(f) << level;
        EXPECT_EQ(f.refusal, FrameRefusal::BacklightOutOfRange);
        EXPECT_TRUE(f.bytes.empty());
    }
}

TEST(DeviceFrames, SetClockInBcdWithSundayZero) {
    EXPECT_EQ(hex(setClockFrame(QDate(2026, 12, 7), QTime(17, 5, 9))),
              "EE 81 09 05 17 07 01 12 26 FF FC FF FF ")
        << "a Monday";
    EXPECT_EQ(hex(setClockFrame(QDate(2026, 12, 6), QTime(0, 0, 0))),
              "EE 81 00 00 00 06 00 12 26 FF FC FF FF ")
        << "Sunday is weekday 0";
    EXPECT_EQ(hex(setClockFrame(QDate(2099, 12, 31), QTime(23, 59, 59))),
              "EE 81 59 59 23 31 04 12 99 FF FC FF FF ");
    EXPECT_EQ(hex(setClockFrame(QDate(2000, 1, 1), QTime(10, 20, 30))),
              "EE 81 30 20 10 01 06 01 00 FF FC FF FF ");
    for (int year : {1999, 2100, 2126}) {
        const BuiltFrame f = setClockFrame(QDate(year, 6, 1), QTime(12, 0, 0));
        EXPECT_EQ(f.refusal, FrameRefusal::YearOutOfRange) << year;
        EXPECT_TRUE(f.bytes.empty());
    }
    EXPECT_EQ(setClockFrame(QDate(), QTime(1, 2, 3)).refusal, FrameRefusal::InvalidDateTime);
    EXPECT_EQ(setClockFrame(QDate(2026, 1, 1), QTime()).refusal, FrameRefusal::InvalidDateTime);
}

TEST(DeviceFrames, ClockTextShownOrHidden) {
    ClockText t;
    t.show = true;
    t.format = ClockTextFormat::DateTime;
    t.font = 2;
    t.colour = 255 + 128 * 256 + 8 * 65536; // R;G;B 255;128;8
    t.x = 300;
    t.y = 0x1234;
    // RGB565: 11111 100000 00001
    EXPECT_EQ(hex(clockTextFrame(t)), "EE 85 01 01 02 FC 01 01 2C 12 34 FF FC FF FF ");
    EXPECT_EQ(clockTextFrame(t).bytes.size(), 15u);
    t.format = ClockTextFormat::Time;
    t.x = 65535;
    EXPECT_EQ(hex(clockTextFrame(t)), "EE 85 01 00 02 FC 01 FF FF 12 34 FF FC FF FF ");

    ClockText hidden = t;
    hidden.show = false;
    EXPECT_EQ(hex(clockTextFrame(hidden)), "EE 85 00 00 00 00 00 00 00 00 00 FF FC FF FF ");

    for (auto [x, y] : {std::pair{65536, 0}, std::pair{0, 70000}, std::pair{-1, 0}}) {
        t.x = x;
        t.y = y;
        EXPECT_EQ(clockTextFrame(t).refusal, FrameRefusal::CoordinateOutOfRange) << x << "," << y;
    }
    t.x = t.y = 0;
    t.font = 256;
    EXPECT_EQ(clockTextFrame(t).refusal, FrameRefusal::FontOutOfRange);
}

TEST(DeviceFrames, ColourToRgb565TakesTheTopBitsOfEachChannel) {
    EXPECT_EQ(panelRgb565(255), 0xF800); // red
    EXPECT_EQ(panelRgb565(255 << 8), 0x07E0);
    EXPECT_EQ(panelRgb565(255 << 16), 0x001F);
    EXPECT_EQ(panelRgb565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(panelRgb565(8 | 4 << 8 | 8 << 16), 0x0821);
    EXPECT_EQ(panelRgb565(7 | 3 << 8 | 7 << 16), 0x0000) << "bits below the kept ones drop";
}

TEST(DeviceFrames, CursorBytesAndRanges) {
    CursorSettings c;
    c.enable = true;
    c.x = 10;
    c.y = 0x0102;
    c.width = 2;
    c.height = 16;
    EXPECT_EQ(hex(setCursorFrame(c)), "EE 21 01 00 0A 01 02 02 10 FF FC FF FF ");
    c.enable = false;
    c.x = 65535;
    c.width = 255;
    EXPECT_EQ(hex(setCursorFrame(c)), "EE 21 00 FF FF 01 02 FF 10 FF FC FF FF ");
    c.y = 65536;
    EXPECT_EQ(setCursorFrame(c).refusal, FrameRefusal::CoordinateOutOfRange);
    c.y = 0;
    c.height = 256;
    EXPECT_EQ(setCursorFrame(c).refusal, FrameRefusal::CursorSizeOutOfRange);
}

// The panel acts only on frames whose parameters fill the command's layout: a
// touch test frame without its mode byte would be dropped without a word.
TEST(DeviceFrames, EveryFrameFitsThePanelsCommand) {
    ClockText shown;
    shown.show = true;
    const std::vector<Frame> frames = {touchReportFrame(true),
                                       touchReportFrame(false),
                                       calibrateTouchFrame(),
                                       touchTestFrame(),
                                       beepFrame(),
                                       backlightFrame(7).bytes,
                                       clockTextFrame(shown).bytes,
                                       clockTextFrame(ClockText{}).bytes,
                                       setClockFrame(QDate(2026, 12, 7), QTime(1, 2, 3)).bytes,
                                       setCursorFrame(CursorSettings{}).bytes};
    for (const Frame& f : frames) {
        ASSERT_GE(f.size(), 6u);
        const nimbrel::CommandEntry* entry = nimbrel::findHostCommand(f[1]);
        ASSERT_NE(entry, nullptr) << hex(f);
        EXPECT_TRUE(nimbrel::parametersFit(entry->parameters, f.size() - 6)) << hex(f);
    }
}

// ---- the clock dialog's choices

const QDateTime kMonday(QDate(2026, 12, 7), QTime(17, 5, 9));

std::vector<std::pair<std::string, int>> plan(const ClockSettings& s, const QDateTime& now) {
    std::vector<std::pair<std::string, int>> out;
    for (const LabelledFrame& f : clockFrames(s, now).frames)
        out.emplace_back(toHexText(f.bytes), f.label);
    return out;
}

TEST(ClockFrames, UnchangedInBothCombosSendsNothing) {
    ClockSettings s;
    s.text.x = 70000; // not looked at while nothing is sent
    const ClockFrames f = clockFrames(s, kMonday);
    EXPECT_TRUE(f.frames.empty());
    EXPECT_EQ(f.refusal, FrameRefusal::None);
}

TEST(ClockFrames, DisplayThenClockWithTheirLabels) {
    ClockSettings s;
    s.display = ClockDisplayChoice::Show;
    s.text.format = ClockTextFormat::DateTime;
    s.text.font = 1;
    s.text.colour = 0xFFFFFF;
    s.text.x = 10;
    s.text.y = 20;
    s.setting = ClockSettingChoice::SystemTime;
    using P = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(plan(s, kMonday),
              (P{{"EE 85 01 01 01 FF FF 00 0A 00 14 FF FC FF FF ", sid::DeviceClockOn},
                 {"EE 81 09 05 17 07 01 12 26 FF FC FF FF ", sid::DeviceClock}}));

    s.display = ClockDisplayChoice::Hide;
    s.setting = ClockSettingChoice::GivenTime;
    s.givenDate = QDate(2030, 2, 3); // a Sunday
    s.givenTime = QTime(4, 5, 6);
    EXPECT_EQ(plan(s, kMonday),
              (P{{"EE 85 00 00 00 00 00 00 00 00 00 FF FC FF FF ", sid::DeviceClockOff},
                 {"EE 81 06 05 04 03 00 02 30 FF FC FF FF ", sid::DeviceClock}}))
        << "the given time, not now";

    s.display = ClockDisplayChoice::Unchanged;
    EXPECT_EQ(plan(s, kMonday), (P{{"EE 81 06 05 04 03 00 02 30 FF FC FF FF ", sid::DeviceClock}}));
}

TEST(ClockFrames, ARefusedFrameRefusesTheOtherToo) {
    ClockSettings s;
    s.display = ClockDisplayChoice::Show;
    s.setting = ClockSettingChoice::SystemTime;
    const ClockFrames late = clockFrames(s, QDateTime(QDate(2100, 1, 1), QTime(0, 0, 0)));
    EXPECT_TRUE(late.frames.empty()) << "the clock text is not shown when the clock cannot be set";
    EXPECT_EQ(late.refusal, FrameRefusal::YearOutOfRange);

    s.text.y = 65536;
    const ClockFrames far = clockFrames(s, kMonday);
    EXPECT_TRUE(far.frames.empty());
    EXPECT_EQ(far.refusal, FrameRefusal::CoordinateOutOfRange);
}

} // namespace
