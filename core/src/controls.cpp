// Controls: drawing each type from its stored value, and the press, hold and
// release actions a touch runs on the control under it.
#include "clock_text.h"
#include "control_layout.h"
#include "core/hardware.h"
#include "core_state.h"
#include "draw.h"
#include "screens.h"
#include "text.h"

#include <cmath>
#include <cstring>

namespace nimbrel {
namespace {

constexpr std::uint8_t kKeyCaps = 16;

namespace A = animationField;
namespace B = buttonField;
namespace C = clockField;
namespace M = meterField;
namespace P = progressField;
namespace S = sliderField;
namespace T = textField;

// The definition of the pressed control, kept from press to release.
std::uint8_t g_pressedFrame[kScanFrameCapacity];
std::size_t g_pressedLength;

std::uint16_t keyLow() {
    return g_core.settings.keyLow;
}
std::uint16_t keyHigh() {
    return g_core.settings.keyHigh;
}

// Control pictures (backgrounds, dials, fills) are compiled at the size of the
// control's on-screen rectangle, so their cuts are taken relative to the
// picture's own origin, not at the control's screen position.
void drawCut(std::uint16_t picture, int x, int y, int sourceX, int sourceY, int width, int height) {
    if (picture == kNoPicture)
        return;
    TFT_Draw_PIC_XY(picture, 0, x, y, sourceX, sourceY, width, height, 1, keyLow(), keyHigh(), 0,
                    0);
}

// Position of a value between minimum and maximum as 0-1; an empty or
// reversed range counts as the start.
double fraction(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
    if (maximum <= minimum)
        return 0.0;
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    return static_cast<double>(value - minimum) / static_cast<double>(maximum - minimum);
}

bool isPressed(const Definition& def) {
    return g_screens.pressedScreen == g_screens.current && g_screens.pressedControl == def.id();
}

void drawButton(const Definition& def) {
    std::uint8_t state = 0;
    currentValue(def, g_screens.current, &state, 1);
    if (def.u8(B::kKind) == B::kKey && def.u8(B::kKeyCode) == kKeyCaps)
        state = capsOn() ? 1 : 0;
    if (state & 1)
        drawCut(def.u16(B::kPressedPicture), def.x(), def.y(), def.u16(B::kPressedSourceX),
                def.u16(B::kPressedSourceY), def.width(), def.height());
    else
        drawCut(def.u16(B::kReleasedPicture), def.x(), def.y(), def.u16(B::kReleasedSourceX),
                def.u16(B::kReleasedSourceY), def.width(), def.height());
    const bool frameOff = def.length + 4 > B::kPressFrameFrom && def.u8(B::kPressFrame) == 0;
    if (isPressed(def) && !frameOff)
        invertFrame(def.x() - 1, def.y() - 1, def.x() + def.width(), def.y() + def.height(), 2, 1);
}

void drawTextControl(const Definition& def) {
    if (def.u8(T::kBackgroundMode) == 1 && def.width() > 0 && def.height() > 0)
        fillRectangle(def.x(), def.y(), def.x() + def.width() - 1, def.y() + def.height() - 1,
                      def.u16(T::kBackgroundColour));
    else if (def.u8(T::kBackgroundMode) == 2 && def.u16(T::kBackgroundPicture) != kNoPicture)
        TFT_Draw_PIC_XY(def.u16(T::kBackgroundPicture), 1, def.x(), def.y(), 0, 0, 0, 0, 1,
                        keyLow(), keyHigh(), 0, 0);
    std::uint8_t text[kMaxTextLength];
    const std::size_t length = currentValue(def, g_screens.current, text, sizeof text);
    if (def.u8(T::kPassword))
        for (std::size_t i = 0; i < length; ++i)
            text[i] = '*';
    TextStyle style{};
    style.colour = def.u16(T::kColour);
    style.wrap = true;
    style.boxWidth = def.width();
    style.boxHeight = def.height();
    drawText(def.u8(T::kFont), text, length, def.x(), def.y(), style);
}

void drawProgress(const Definition& def) {
    const int x = def.x(), y = def.y(), w = def.width(), h = def.height();
    if (w <= 0 || h <= 0)
        return;
    if (def.u8(P::kBackgroundMode) == 1)
        fillRectangle(x, y, x + w - 1, y + h - 1, def.u16(P::kBackgroundColour));
    else if (def.u8(P::kBackgroundMode) == 2)
        drawCut(def.u16(P::kBackgroundPicture), x, y, 0, 0, w, h);
    const double f =
        fraction(numericValue(def, g_screens.current), def.u32(P::kMinimum), def.u32(P::kMaximum));
    const std::uint8_t direction = def.u8(P::kDirection);
    const int size = direction >= 2 ? h : w;
    const int length = static_cast<int>(std::lround(size * f));
    if (length <= 0)
        return;
    int fx = x, fy = y, fw = w, fh = h;
    switch (direction) {
    case 0:
        fw = length;
        break;
    case 1:
        fx = x + w - length;
        fw = length;
        break;
    case 2:
        fh = length;
        break;
    default:
        fy = y + h - length;
        fh = length;
        break;
    }
    if (def.u8(P::kFillMode) == 0)
        fillRectangle(fx, fy, fx + fw - 1, fy + fh - 1, def.u16(P::kFillColour));
    else
        drawCut(def.u16(P::kFillPicture), fx, fy, fx - x, fy - y, fw, fh);
}

struct SliderGeometry {
    bool horizontal;
    int rail; // rail length in pixels
    int thumbWidth;
    int thumbHeight;
    bool thumb;
};

SliderGeometry sliderGeometry(const Definition& def) {
    SliderGeometry g{};
    g.horizontal = def.u8(S::kOrientation) == 0;
    const int l = def.u16(S::kRailStart), k = def.u16(S::kRailEnd);
    g.rail = (g.horizontal ? def.width() : def.height()) - l - k;
    std::uint8_t record[16] = {};
    const std::uint16_t thumb = def.u16(S::kThumbPicture);
    if (thumb != kNoPicture && TFT_GetImageIndex(thumb, 1, record) && le16(record) == thumb) {
        g.thumb = true;
        g.thumbWidth = le16(record + 7);
        g.thumbHeight = le16(record + 9);
    }
    return g;
}

void drawSlider(const Definition& def) {
    const int x = def.x(), y = def.y(), w = def.width(), h = def.height();
    drawCut(def.u16(S::kBackgroundPicture), x, y, 0, 0, w, h);
    const SliderGeometry g = sliderGeometry(def);
    if (!g.thumb)
        return;
    const double f =
        fraction(numericValue(def, g_screens.current), def.u32(S::kMinimum), def.u32(S::kMaximum));
    const int l = def.u16(S::kRailStart), k = def.u16(S::kRailEnd), m = def.u16(S::kThumbOffset);
    int tx = 0, ty = 0;
    if (g.horizontal) {
        tx = static_cast<int>(x + l + f * g.rail - g.thumbWidth / 2.0);
        ty = y + m;
    } else {
        tx = x + m;
        ty = static_cast<int>(y + h - k - f * g.rail - g.thumbHeight / 2.0);
    }
    TFT_Draw_PIC_XY(def.u16(S::kThumbPicture), 1, tx < 0 ? 0 : tx, ty < 0 ? 0 : ty, 0, 0, 0, 0, 1,
                    keyLow(), keyHigh(), 0, 0);
}

void drawMeter(const Definition& def) {
    const int x = def.x(), y = def.y(), w = def.width(), h = def.height();
    drawCut(def.u16(M::kBackgroundPicture), x, y, 0, 0, w, h);
    const int start = static_cast<std::int16_t>(def.u16(M::kStartAngle));
    const int end = static_cast<std::int16_t>(def.u16(M::kEndAngle));
    int sweep = ((end - start) % 360 + 360) % 360;
    if (def.u8(M::kDirection) & 1)
        sweep -= 360;
    else if (sweep == 0)
        sweep = 360;
    const double f =
        fraction(numericValue(def, g_screens.current), def.u32(M::kMinimum), def.u32(M::kMaximum));
    double angle = std::fmod(start + sweep * f, 360.0);
    if (angle < 0)
        angle += 360.0;
    drawNeedle(def.u8(M::kNeedleStyle), x + w / 2, y + h / 2, h / 2, angle,
               def.u16(M::kNeedleColour), def.u16(M::kHubColour));
}

void drawAnimation(const Definition& def) {
    AnimationValue a{};
    currentValue(def, g_screens.current, reinterpret_cast<std::uint8_t*>(&a), sizeof a);
    TFT_Draw_PIC_XY(def.u16(A::kPicture), 1, def.x(), def.y(), 0, 0, 0, 0, 1, keyLow(), keyHigh(),
                    a.current, 0);
}

void drawClock(const Definition& def) {
    std::uint8_t clock[7] = {};
    GetRTC(clock);
    char text[kClockTextCapacity];
    const std::size_t length =
        clockToText(clock, def.u8(C::kFormat), def.u8(C::kLanguage),
                    static_cast<std::int8_t>(def.u8(C::kTimeZone)), text, sizeof text);
    TextStyle style{};
    style.colour = def.u16(C::kColour);
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    drawText(def.u8(C::kFont), reinterpret_cast<const std::uint8_t*>(text), length, def.x(),
             def.y(), style);
}

void drawGraph(const Definition& def) {
    GraphValue g{};
    if (!loadGraph(g_screens.current, def.id(), &g))
        return;
    const int w = def.width(), h = def.height();
    const int depth = g.depth == 2 ? 2 : 1;
    for (std::size_t ch = 0; ch < kGraphChannels; ++ch) {
        if (!(g.mask & (1u << ch)) || g.lengths[ch] == 0)
            continue;
        const std::uint8_t* data = blockData(g.refs[ch]);
        const std::size_t samples = g.lengths[ch] / static_cast<std::size_t>(depth);
        double px = 0, py = 0;
        for (std::size_t i = 0; i < samples; ++i) {
            const int v = depth == 2 ? (data[2 * i] << 8) | data[2 * i + 1] : data[i];
            const double sx =
                std::trunc((static_cast<double>(i) - g.xOffset) * g.xScale * 0.01 + 0.5);
            const double sy =
                std::trunc((static_cast<double>(v) - g.yOffset) * g.yScale * 0.01 + 0.5);
            if (i > 0 && px >= 0 && px <= w - 1) {
                double x0 = px, y0 = py, x1 = sx, y1 = sy;
                if (clipSegment(x0, y0, x1, y1, w, h))
                    drawLine(def.x() + static_cast<int>(x0), def.y() + h - static_cast<int>(y0),
                             def.x() + static_cast<int>(x1), def.y() + h - static_cast<int>(y1),
                             g.colours[ch]);
            }
            px = sx;
            py = sy;
        }
    }
}

// Touch area of a slider: its rail, extended by half the thumb at each end.
bool sliderHit(const Definition& def, int px, int py) {
    const SliderGeometry g = sliderGeometry(def);
    const int grow = g.horizontal ? g.thumbWidth / 2 : g.thumbHeight / 2;
    if (g.horizontal)
        return px >= def.x() - grow && px < def.x() + def.width() + grow && py >= def.y() &&
               py < def.y() + def.height();
    return px >= def.x() && px < def.x() + def.width() && py >= def.y() - grow &&
           py < def.y() + def.height() + grow;
}

bool touchable(const Definition& def, int px, int py) {
    switch (def.type()) {
    case kTypeButton:
    case kTypeAnimation:
        return def.contains(px, py);
    case kTypeText:
        return def.u8(T::kInputMode) != 0 && def.contains(px, py);
    case kTypeClock:
        return def.u8(C::kSettable) != 0 && def.contains(px, py);
    case kTypeSlider:
        return sliderHit(def, px, py);
    default:
        return false;
    }
}

void sendAnimationTouch(const Definition& def, std::uint8_t pressed) {
    const std::uint8_t body[] = {0xB1,
                                 0x26,
                                 static_cast<std::uint8_t>(g_screens.current >> 8),
                                 static_cast<std::uint8_t>(g_screens.current),
                                 static_cast<std::uint8_t>(def.id() >> 8),
                                 static_cast<std::uint8_t>(def.id()),
                                 pressed};
    sendFrame(body, sizeof body);
}

std::uint8_t applyToggle(std::uint8_t mode, std::uint8_t state, bool press) {
    switch (mode) {
    case 0:
        return state ^ 1;
    case 1:
        return press ? state ^ 1 : state;
    case 2:
        return 1;
    case 3:
        return 0;
    default:
        return state;
    }
}

void notifyButton(const Definition& def, std::uint8_t state, std::uint16_t screen) {
    const std::uint8_t kind = def.u8(B::kKind);
    std::uint8_t data[2] = {kind, state};
    if (kind == B::kKey)
        data[1] = def.u8(B::kKeyCode);
    sendControlValue(screen, def.id(), kTypeButton, data, 2);
}

std::uint8_t toggleMode(const Definition& def) {
    return def.u8(B::kKind) == B::kToggle ? def.u8(B::kToggleMode) : 0;
}

} // namespace

void drawControl(const Definition& def) {
    switch (def.type()) {
    case kTypeButton:
        drawButton(def);
        break;
    case kTypeText:
        drawTextControl(def);
        break;
    case kTypeProgress:
        drawProgress(def);
        break;
    case kTypeSlider:
        drawSlider(def);
        break;
    case kTypeMeter:
        drawMeter(def);
        break;
    case kTypeAnimation:
        drawAnimation(def);
        break;
    case kTypeClock:
        drawClock(def);
        break;
    case kTypeGraph:
        drawGraph(def);
        break;
    default:
        break;
    }
}

bool pressControl(int px, int py) {
    if (g_screens.pressedControl != kNone)
        return true;
    RecordScan scan;
    if (!scan.begin(g_screens.current))
        return false;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    bool hit = false;
    while (scan.next(&frame, &length)) {
        if (length < 8 || frame[1] != 0xB0)
            continue;
        if (touchable(definitionOf(frame, length), px, py)) {
            std::memcpy(g_pressedFrame, frame, length);
            g_pressedLength = length;
            hit = true;
        }
    }
    if (!hit)
        return false;
    const Definition def = definitionOf(g_pressedFrame, g_pressedLength);
    if (g_core.beepMode != 0)
        Beepon(10);
    g_screens.pressedScreen = g_screens.current;
    g_screens.pressedControl = def.id();
    markRender();
    if (def.type() == kTypeButton) {
        std::uint8_t state = 0;
        currentValue(def, g_screens.current, &state, 1);
        state = applyToggle(toggleMode(def), state & 1, true);
        storeValue(g_screens.current, def.id(), &state, 1);
        if (def.u8(B::kKind) == B::kKey)
            keyFromButton(def.u8(B::kKeyCode));
        if (g_core.header.notifyFlags & 1)
            notifyButton(def, state, g_screens.current);
    } else if (def.type() == kTypeAnimation) {
        sendAnimationTouch(def, 1);
    }
    return true;
}

void holdControl(int px, int py) {
    if (g_screens.pressedControl == kNone || g_screens.pressedScreen != g_screens.current)
        return;
    const Definition def = definitionOf(g_pressedFrame, g_pressedLength);
    if (def.type() != kTypeSlider)
        return;
    const SliderGeometry g = sliderGeometry(def);
    if (g.rail <= 0)
        return;
    const int l = def.u16(S::kRailStart), k = def.u16(S::kRailEnd);
    double f = g.horizontal ? static_cast<double>(px - def.x() - l) / g.rail
                            : static_cast<double>(def.y() + def.height() - k - py) / g.rail;
    f = f < 0 ? 0 : (f > 1 ? 1 : f);
    const std::uint32_t minimum = def.u32(S::kMinimum), maximum = def.u32(S::kMaximum);
    const double span = maximum > minimum ? static_cast<double>(maximum - minimum) : 0.0;
    const auto value = static_cast<std::uint32_t>(std::floor(minimum + f * span + 0.5));
    if (value == numericValue(def, g_screens.current))
        return;
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    storeValue(g_screens.current, def.id(), bytes, 4);
    sendControlValue(g_screens.current, def.id(), kTypeSlider, bytes, 4);
    markRender();
}

void releaseControl(int px, int py) {
    if (g_screens.pressedControl == kNone)
        return;
    const bool sameScreen = g_screens.pressedScreen == g_screens.current;
    g_screens.pressedScreen = kNone;
    g_screens.pressedControl = kNone;
    markRender();
    if (!sameScreen)
        return;
    const Definition def = definitionOf(g_pressedFrame, g_pressedLength);
    const std::uint8_t notify = g_core.header.notifyFlags;
    switch (def.type()) {
    case kTypeButton: {
        const std::uint16_t screen = g_screens.current;
        const std::uint8_t mode = toggleMode(def);
        std::uint8_t state = 0;
        currentValue(def, g_screens.current, &state, 1);
        state = applyToggle(mode, state & 1, false);
        storeValue(g_screens.current, def.id(), &state, 1);
        const std::uint16_t target = def.u16(B::kTargetScreen);
        if (def.u8(B::kKind) == B::kPlain && target != kNone && target < screenCount() &&
            target != g_screens.current) {
            changeScreen(target);
            if (g_core.header.notifyScreen) {
                g_screens.notifyPending = false;
                sendScreenNotification(target);
            }
        }
        if (notify & 2) {
            if (def.u8(B::kKind) == B::kKey) {
                if (!(notify & 1))
                    notifyButton(def, state, screen);
            } else if (!(mode != 0 && (notify & 1))) {
                notifyButton(def, state, screen);
            }
        }
        break;
    }
    case kTypeText:
        if (def.u8(T::kInputMode) == T::kSystemKeyboard)
            openKeyboardForText(def, px, py);
        else if (def.u8(T::kInputMode) == T::kCursorInput)
            focusText(g_screens.current, def.id());
        break;
    case kTypeClock:
        if (def.u8(C::kSettable))
            openKeyboardForClock(def, px, py);
        break;
    case kTypeAnimation:
        sendAnimationTouch(def, 0);
        break;
    default:
        break;
    }
}

} // namespace nimbrel
