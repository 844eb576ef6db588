#include "device_frames.h"

#include "common/frame.h"
#include "media/picture.h"

#include <QColor>

namespace tft::ide {

namespace {

constexpr std::uint8_t kTouchOnFlags = 0x03; // touches reported, beep on touch
constexpr std::uint8_t kBeepTicks = 0x0A;    // 10 ms units

bool fits16(int v) {
    return v >= 0 && v <= 0xFFFF;
}

bool fits8(int v) {
    return v >= 0 && v <= 0xFF;
}

BuiltFrame refused(FrameRefusal why) {
    return BuiltFrame{{}, why};
}

BuiltFrame built(Frame bytes) {
    return BuiltFrame{std::move(bytes), FrameRefusal::None};
}

} // namespace

Frame touchReportFrame(bool on) {
    return FrameBuilder(0x70).u8(on ? kTouchOnFlags : 0).finish();
}

Frame calibrateTouchFrame() {
    return FrameBuilder(0x72).finish();
}

Frame touchTestFrame() {
    // The panel takes the mode byte: without it the command is ignored.
    return FrameBuilder(0x73).u8(1).finish();
}

Frame beepFrame() {
    return FrameBuilder(0x61).u8(kBeepTicks).finish();
}

BuiltFrame backlightFrame(int level) {
    if (!fits8(level))
        return refused(FrameRefusal::BacklightOutOfRange);
    return built(FrameBuilder(0x60).u8(static_cast<std::uint8_t>(level)).finish());
}

Frame command80Frame(std::uint8_t toggle) {
    return FrameBuilder(0x80).u8(toggle).finish();
}

std::uint16_t panelRgb565(std::uint32_t colour) {
    return toRgb565(qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
}

BuiltFrame clockTextFrame(const ClockText& text) {
    FrameBuilder b(0x85);
    if (!text.show)
        return built(b.u8(0).u8(0).u8(0).u16(0).u16(0).u16(0).finish());
    if (!fits16(text.x) || !fits16(text.y))
        return refused(FrameRefusal::CoordinateOutOfRange);
    if (!fits8(text.font))
        return refused(FrameRefusal::FontOutOfRange);
    b.u8(1).u8(static_cast<std::uint8_t>(text.format)).u8(static_cast<std::uint8_t>(text.font));
    b.u16(panelRgb565(text.colour));
    b.u16(static_cast<std::uint16_t>(text.x)).u16(static_cast<std::uint16_t>(text.y));
    return built(b.finish());
}

BuiltFrame setClockFrame(const QDate& date, const QTime& time) {
    if (!date.isValid() || !time.isValid())
        return refused(FrameRefusal::InvalidDateTime);
    if (date.year() < 2000 || date.year() > 2099)
        return refused(FrameRefusal::YearOutOfRange);
    const int weekday = date.dayOfWeek() % 7; // Qt counts Monday 1 .. Sunday 7
    FrameBuilder b(0x81);
    for (int field : {time.second(), time.minute(), time.hour(), date.day(), weekday, date.month(),
                      date.year() % 100})
        b.u8(toBcd(static_cast<unsigned>(field)));
    return built(b.finish());
}

BuiltFrame setCursorFrame(const CursorSettings& cursor) {
    if (!fits16(cursor.x) || !fits16(cursor.y))
        return refused(FrameRefusal::CoordinateOutOfRange);
    if (!fits8(cursor.width) || !fits8(cursor.height))
        return refused(FrameRefusal::CursorSizeOutOfRange);
    FrameBuilder b(0x21);
    b.u8(cursor.enable ? 1 : 0);
    b.u16(static_cast<std::uint16_t>(cursor.x)).u16(static_cast<std::uint16_t>(cursor.y));
    b.u8(static_cast<std::uint8_t>(cursor.width)).u8(static_cast<std::uint8_t>(cursor.height));
    return built(b.finish());
}

} // namespace tft::ide
