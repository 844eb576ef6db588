// The frames of the device tool bar, without widgets: touch reporting,
// calibration, the touch test screen, a beep, the backlight, command 80, the
// clock text and the clock, and the text cursor. Builders whose values may
// not fit the frame return a `BuiltFrame` that names why it was refused; a
// refused frame has no bytes and must not be sent.
#pragma once

#include <QDate>
#include <QTime>
#include <cstdint>
#include <vector>

namespace tft::ide {

using Frame = std::vector<std::uint8_t>;

enum class FrameRefusal {
    None,
    YearOutOfRange,       // the clock holds two year digits: 2000-2099 only
    InvalidDateTime,      // no such date or time
    CoordinateOutOfRange, // X and Y are 16-bit
    BacklightOutOfRange,  // 0-255
    FontOutOfRange,       // one byte
    CursorSizeOutOfRange, // width and height are one byte each
};

struct BuiltFrame {
    Frame bytes;
    FrameRefusal refusal = FrameRefusal::None;
    explicit operator bool() const { return refusal == FrameRefusal::None; }
};

// EE 70 03 (report touches, beep on touch) or EE 70 00.
Frame touchReportFrame(bool on);
// EE 72.
Frame calibrateTouchFrame();
// EE 73 01: the touch test screen.
Frame touchTestFrame();
// EE 61 0A: one beep of 100 ms.
Frame beepFrame();
// EE 60 level.
BuiltFrame backlightFrame(int level);
// EE 80 t.
Frame command80Frame(std::uint8_t toggle);

// What the clock text shows. The panel reads bit 0 of the format byte only:
// clear, the time; set, the date and the time.
enum class ClockTextFormat : std::uint8_t { Time = 0, DateTime = 1 };

struct ClockText {
    bool show = false;
    ClockTextFormat format = ClockTextFormat::Time;
    int font = 0;
    std::uint32_t colour = 0xFFFFFF; // R + G*256 + B*65536
    int x = 0;
    int y = 0;
};
// EE 85 e m f CH CL XH XL YH YL; hiding sends every field after e as 0.
BuiltFrame clockTextFrame(const ClockText& text);

// EE 81 ss mm hh DD ww MM YY, packed BCD, weekday 0 = Sunday.
BuiltFrame setClockFrame(const QDate& date, const QTime& time);

struct CursorSettings {
    bool enable = true;
    int x = 0;
    int y = 0;
    int width = 2;
    int height = 16;
};
// EE 21 e XH XL YH YL w h.
BuiltFrame setCursorFrame(const CursorSettings& cursor);

// A stored colour (R + G*256 + B*65536) as the panel's RGB565 value.
std::uint16_t panelRgb565(std::uint32_t colour);

} // namespace tft::ide
