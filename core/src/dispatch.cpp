// The command dispatcher: every frame from the host or from a screen record
// goes through dispatch(), which selects the command by its second byte.
#include "clock_text.h"
#include "core/hardware.h"
#include "core_state.h"
#include "draw.h"
#include "text.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::size_t kFrameOverhead = 6; // EE, command, FF FC FF FF
constexpr std::size_t kMaxWaveformPoints = 514;
constexpr std::size_t kMaxRelativePoints = 515;
constexpr std::size_t kMaxReplyBytes = 16;
// Enough for the longest point list a frame can carry.
constexpr std::size_t kMaxFramePoints = (kFrameCapacity - kFrameOverhead) / 4 + 1;
static_assert(kMaxFramePoints >= kMaxRelativePoints && kMaxFramePoints >= kMaxWaveformPoints,
              "point buffer too small");

Point g_points[kMaxFramePoints];

std::uint16_t nonZero(std::uint16_t colour) {
    return colour == 0 ? 1 : colour;
}

std::uint16_t readPixelClipped(int x, int y) {
    std::uint16_t colour = 0;
    if (x >= 0 && x < kDrawWidth && y >= 0 && y < kDrawHeight)
        GUI_ReadPoint(x, y, &colour);
    return colour;
}

void sendByte(std::uint8_t byte) {
    send_data(&byte, 1);
}

TextStyle plainStyle(std::uint16_t colour) {
    TextStyle style{};
    style.colour = colour;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    return style;
}

void drawString(std::uint8_t font, const char* text, int x, int y, std::uint16_t colour) {
    drawText(font, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), x, y,
             plainStyle(colour));
}

void heartbeat(std::uint32_t) {
    const std::uint8_t reply[] = {0xF4};
    sendReply(reply, sizeof reply);
}

void clockTextTick(std::uint32_t) {
    if (g_core.clockText.enabled)
        markDirty();
}

void animatedPictureTick(std::uint32_t) {
    AnimatedPicture& a = g_core.animation;
    if (a.enabled)
        markDirty();
    if (!a.stepping)
        return;
    ++a.frame;
    if (a.loops != 0 && a.loopsDone >= a.loops) {
        const std::uint8_t done[] = {0x02};
        sendReply(done, sizeof done);
        a.stepping = false;
    }
    if (a.frame >= a.frameCount) {
        ++a.loopsDone;
        a.frame = 0;
    }
}

void drawAnimationFrame(const AnimatedPicture& a) {
    TFT_Draw_PIC_XY(a.picture, 1, a.x, a.y, 0, 0, 0, 0, 0, 0, 0, a.frame, 0);
}

void showAnimatedPicture(std::uint16_t x, std::uint16_t y, std::uint16_t picture,
                         std::uint8_t enable, std::uint8_t loops) {
    AnimatedPicture& a = g_core.animation;
    if (a.stepping && a.x == x && a.y == y && a.picture == picture && a.enabled == (enable != 0) &&
        a.loops == loops)
        return;
    if (a.shown)
        drawAnimationFrame(a);
    a.shown = true;
    a.x = x;
    a.y = y;
    a.picture = picture;
    a.enabled = enable != 0;
    a.loops = loops;
    a.frame = 0;
    a.loopsDone = 0;
    std::uint8_t record[16] = {};
    if (!TFT_GetImageIndex(picture, 1, record))
        std::memset(record, 0, sizeof record);
    a.frameInterval = record[14];
    a.frameCount = record[15];
    if (a.enabled) {
        a.stepping = true;
        timerInstall(kSlotAnimatedPicture, a.frameInterval, animatedPictureTick);
    }
    if (a.frameCount < 2) {
        if (a.enabled)
            drawAnimationFrame(a);
        // A still picture has nothing to step through and no loops to report.
        a.enabled = false;
        a.stepping = false;
    }
}

void showClockText(const std::uint8_t* p) {
    ClockText& c = g_core.clockText;
    c.enabled = (p[0] & 1) != 0;
    c.withDate = (p[1] & 1) != 0;
    c.font = p[2];
    c.colour = be16(p + 3);
    c.x = s16(p + 5);
    c.y = s16(p + 7);
    if (c.enabled) {
        EnableRTC();
        timerInstall(kSlotClockText, kClockTextInterval, clockTextTick);
    } else {
        timerClear(kSlotClockText);
    }
}

void showFullScreenPicture(std::uint16_t picture, bool masked) {
    const DisplaySettings& s = g_core.settings;
    if (masked) {
        TFT_Draw_PIC_XY(picture, 1, 0, 0, 0, 0, 0, 0, 1, s.keyLow, s.keyHigh, 0, 0);
        return;
    }
    if (picture != g_core.cachedPicture) {
        const int previous = SelWriteLayer(kLayerCachedPicture);
        GUI_ClearSCR(0);
        TFT_Draw_PIC_XY(picture, 1, 0, 0, 0, 0, 0, 0, 0, s.keyLow, s.keyHigh, 0, 0);
        SelWriteLayer(previous);
        g_core.cachedPicture = picture;
    }
    CopyLayer(kLayerCachedPicture, GetWriteLayer(), 1, 0);
}

void drawTouchTestScreen() {
    GUI_ClearSCR(kBlue);
    // Texts in code page 936, as the panel's fonts expect.
    drawString(5,
               "\xC7\xEB\xB0\xB4\xCF\xC2\xB4\xA5\xC3\xFE\xC6\xC1\xBD\xF8\xD0\xD0\xCC\xE5\xD1\xE9",
               300, 300, kRed);
    drawString(1, "Please press the touch panle", 300, 330, kRed);
    fillRectangle(400, 350, 450, 360, kYellow);
    drawString(5, "\xCD\xCB\xB3\xF6(exit)", 360, 370, kRed);
}

std::size_t polylineFromPairs(const std::uint8_t* p, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        g_points[i] = {s16(p + 4 * i), s16(p + 4 * i + 2)};
    return count;
}

std::size_t relativePolyline(const std::uint8_t* p, std::size_t n) {
    if (n < 4)
        return 0;
    std::size_t count = 1 + (n - 4) / 2;
    if (count > kMaxRelativePoints)
        count = kMaxRelativePoints;
    g_points[0] = {s16(p), s16(p + 2)};
    for (std::size_t i = 1; i < count; ++i) {
        const auto dx = static_cast<std::int8_t>(p[4 + 2 * (i - 1)]);
        const auto dy = static_cast<std::int8_t>(p[5 + 2 * (i - 1)]);
        g_points[i] = {g_points[i - 1].x + dx, g_points[i - 1].y + dy};
    }
    return count;
}

} // namespace

void markDirty() {
    if (!g_core.displayDirty) {
        g_core.displayDirty = true;
        g_core.timers[kSlotCompose].start = g_core.tick;
    }
}

void resetDisplaySettings() {
    DisplaySettings& s = g_core.settings;
    s = DisplaySettings{};
    s.foreground = kRed;
    s.background = kBlue;
    s.boxWidth = kDrawWidth;
    s.boxHeight = kDrawHeight;
    s.polylineMode = 1;
}

void stopAnimatedPicture() {
    g_core.animation = AnimatedPicture{};
    timerClear(kSlotAnimatedPicture);
}

void stopClockText() {
    g_core.clockText = ClockText{};
    timerClear(kSlotClockText);
}

void sendReply(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t frame[kMaxReplyBytes + 5];
    if (count > kMaxReplyBytes)
        return;
    frame[0] = 0xEE;
    std::memcpy(frame + 1, bytes, count);
    const std::uint8_t tail[] = {0xFF, 0xFC, 0xFF, 0xFF};
    std::memcpy(frame + 1 + count, tail, sizeof tail);
    send_data(frame, static_cast<std::uint32_t>(count + 5));
}

bool applyBaudIndex(unsigned index) {
    if (index >= kBaudCount)
        return false;
    g_core.baudRate = kBaudRates[index];
    CMD_UART_Init(g_core.baudRate);
    return true;
}

void dispatch(const std::uint8_t* frame, std::size_t length) {
    if (!frame || length < 2)
        return;
    const std::uint8_t command = frame[1];
    if (command != 0x60)
        markDirty();
    // Parameters lie between the command byte and the four tail bytes.
    const std::uint8_t* p = frame + 2;
    const std::size_t n = length >= kFrameOverhead ? length - kFrameOverhead : 0;
    DisplaySettings& s = g_core.settings;

    switch (command) {
    case 0x00:
        sendByte(0x55);
        break;
    case 0x01:
        GUI_ClearSCR(s.background);
        break;
    case 0x02:
        if (n >= 5) {
            const std::uint16_t c = readPixelClipped(be16(p + 1), be16(p + 3));
            const std::uint8_t reply[] = {static_cast<std::uint8_t>(c >> 8),
                                          static_cast<std::uint8_t>(c & 0xFF)};
            sendReply(reply, sizeof reply);
        }
        break;
    case 0x04: {
        const std::uint8_t reply[] = {0x55};
        sendReply(reply, sizeof reply);
        break;
    }
    case 0x05:
        if (n >= 1) {
            const int previous = SelWriteLayer((p[0] & 3) + kFirstUserLayer);
            GUI_ClearSCR(0);
            SelWriteLayer(previous);
        }
        break;
    case 0x06:
        if (n >= 1)
            g_core.clearOnScreenChange = p[0];
        break;
    case 0x20:
        if (n >= 6) {
            TextStyle style{};
            style.colour = s.foreground;
            style.background = s.background;
            style.withBackground = p[4] != 0;
            style.wrap = (s.wrap & 1) != 0;
            style.boxWidth = s.boxWidth;
            style.boxHeight = s.boxHeight;
            style.charGap = s.charGap;
            style.lineGap = s.lineGap;
            // The text runs to its terminator, which the tail's first byte supplies.
            drawText(p[5], p + 6, length - 8, s16(p), s16(p + 2), style);
        }
        break;
    case 0x21:
        if (n >= 7)
            keyboardSetCursor((p[0] & 1) != 0, be16(p + 1), be16(p + 3), p[5], p[6]);
        break;
    case 0x31:
        if (n >= 3)
            showFullScreenPicture(be16(p), (p[2] & 1) != 0);
        break;
    case 0x32:
        if (n >= 7)
            TFT_Draw_PIC_XY(be16(p + 4), 1, s16(p), s16(p + 2), 0, 0, 0, 0, p[6] & 1, s.keyLow,
                            s.keyHigh, 0, 0);
        break;
    case 0x33:
    case 0x35:
        if (n >= 15)
            TFT_Draw_PIC_XY(be16(p + 4), 0, s16(p), s16(p + 2), be16(p + 6), be16(p + 8),
                            be16(p + 10), be16(p + 12), p[14] & 1, s.keyLow, s.keyHigh, 0,
                            command == 0x35 ? 1 : 0);
        break;
    case 0x40:
        if (n >= 4) {
            s.foreground = nonZero(be16(p));
            s.background = nonZero(be16(p + 2));
        }
        break;
    case 0x41:
        if (n >= 2)
            s.foreground = nonZero(be16(p));
        break;
    case 0x42:
        if (n >= 2)
            s.background = nonZero(be16(p));
        break;
    case 0x43:
        if (n >= 2) {
            s.charGap = p[0] & 0x3F;
            s.lineGap = p[1] & 0x3F;
        }
        break;
    case 0x44:
        if (n >= 2) {
            s.keyLow = be16(p);
            s.keyHigh = length < 9 || n < 4 ? s.keyLow : be16(p + 2);
        }
        break;
    case 0x45:
        if (n >= 5) {
            s.wrap = p[0] & 1;
            s.boxWidth = be16(p + 1);
            s.boxHeight = be16(p + 3);
        }
        break;
    case 0x48:
    case 0xA3:
        if (n >= 5) {
            const std::uint16_t c = readPixelClipped(be16(p + 1), be16(p + 3));
            const bool toForeground = command == 0x48 ? p[0] == 0 : (p[0] & 1) == 0;
            (toForeground ? s.foreground : s.background) = c;
        }
        break;
    case 0x50:
    case 0x58: {
        const std::uint16_t colour = command == 0x50 ? s.foreground : s.background;
        for (std::size_t i = 0; i + 4 <= n; i += 4)
            drawPoint(s16(p + i), s16(p + i + 2), colour);
        break;
    }
    case 0x51:
        for (std::size_t i = 0; i + 8 <= n; i += 8)
            drawLine(s16(p + i), s16(p + i + 2), s16(p + i + 4), s16(p + i + 6), s.foreground);
        break;
    case 0x52:
    case 0x53:
        for (std::size_t i = 0; i + 6 <= n; i += 6) {
            if (command == 0x52)
                drawCircle(s16(p + i), s16(p + i + 2), be16(p + i + 4), s.foreground);
            else
                fillCircle(s16(p + i), s16(p + i + 2), be16(p + i + 4), s.foreground);
        }
        break;
    case 0x54:
    case 0x55:
    case 0x56:
    case 0x57:
        for (std::size_t i = 0; i + 8 <= n; i += 8) {
            const int x0 = s16(p + i), y0 = s16(p + i + 2);
            const int x1 = s16(p + i + 4), y1 = s16(p + i + 6);
            if (command == 0x54)
                drawRectangle(x0, y0, x1, y1, s.foreground);
            else if (command == 0x55)
                fillRectangle(x0, y0, x1, y1, s.foreground);
            else if (command == 0x56)
                drawEllipse(x0, y0, x1, y1, s.foreground);
            else
                fillEllipse(x0, y0, x1, y1, s.foreground);
        }
        break;
    case 0x59:
        if (n >= 4) {
            const int x0 = s16(p);
            const int dx = s16(p + 2);
            std::size_t count = (n - 4) / 2;
            if (count > kMaxWaveformPoints)
                count = kMaxWaveformPoints;
            for (std::size_t i = 0; i < count; ++i)
                g_points[i] = {x0 + static_cast<int>(i) * dx, s16(p + 4 + 2 * i)};
            drawPolyline(g_points, count, s.foreground, s.polylineMode);
        }
        break;
    case 0x60:
        if (n >= 1) {
            SetBackLightLevel(p[0]);
            g_core.autoDim.awake = true;
            g_core.autoDim.lastActivity = g_core.tick;
        }
        break;
    case 0x61:
        if (n >= 1)
            Beepon(p[0]);
        break;
    case 0x62:
        if (n >= 1)
            s.polylineMode = p[0];
        break;
    case 0x63:
        if (n >= 1) {
            const std::size_t count = (n - 1) / 4;
            polylineFromPairs(p + 1, count);
            drawPolyline(g_points, count, (p[0] & 1) ? s.background : s.foreground, s.polylineMode);
        }
        break;
    case 0x64:
        if (n >= 6 && s16(p) < kDrawWidth && s16(p + 2) < kDrawHeight)
            floodFill(s16(p), s16(p + 2), be16(p + 4));
        break;
    case 0x67:
        for (std::size_t i = 0; i + 10 <= n; i += 10)
            drawArc(s16(p + i), s16(p + i + 2), be16(p + i + 4), s16(p + i + 6), s16(p + i + 8),
                    s.foreground);
        break;
    case 0x68:
    case 0x69: {
        const std::size_t count = n / 4;
        polylineFromPairs(p, count);
        drawPolyline(g_points, count, command == 0x68 ? s.foreground : s.background,
                     s.polylineMode);
        break;
    }
    case 0x70:
        if (n >= 1) {
            g_core.touchEnable = p[0] & 1;
            g_core.beepMode = (p[0] >> 1) & 1;
            g_core.touchReportMode = (p[0] >> 2) & 7;
        }
        break;
    case 0x72: {
        const int previous = SelWriteLayer(g_core.backBuffer);
        Calibration_Panle();
        const std::uint8_t reply[] = {0x04};
        sendReply(reply, sizeof reply);
        SelWriteLayer(previous);
        markDirty();
        break;
    }
    case 0x73:
        if (n >= 1) {
            SelWriteLayer(g_core.userLayer);
            if (p[0] & 1) {
                drawTouchTestScreen();
                g_core.touchTestMode = true;
            } else {
                GUI_ClearSCR(0);
                g_core.touchTestMode = false;
            }
        }
        break;
    case 0x75:
    case 0x76: {
        const std::size_t count = relativePolyline(p, n);
        drawPolyline(g_points, count, command == 0x75 ? s.foreground : s.background,
                     s.polylineMode);
        break;
    }
    case 0x77:
        if (n >= 4) {
            AutoDim& d = g_core.autoDim;
            d.enabled = (p[0] & 1) != 0;
            d.brightLevel = static_cast<std::uint8_t>(255 - p[1]);
            d.dimLevel = static_cast<std::uint8_t>(255 - p[2]);
            d.timeout = length > 10 && n >= 5 ? be16(p + 3) : p[3];
            d.awake = true;
            d.lastActivity = g_core.tick;
            SetBackLightLevel(d.brightLevel);
        }
        break;
    case 0x79:
    case 0x89:
        break;
    case 0x80:
        if (n >= 8)
            showAnimatedPicture(be16(p), be16(p + 2), be16(p + 4), p[6], p[7]);
        break;
    case 0x81:
        if (n >= 7)
            SetRTC(p);
        break;
    case 0x82: {
        std::uint8_t clock[7] = {};
        GetRTC(clock);
        const std::uint8_t reply[] = {0xF7,
                                      clock[6],
                                      static_cast<std::uint8_t>(clock[5] & 0x1F),
                                      static_cast<std::uint8_t>(clock[4] & 0x07),
                                      static_cast<std::uint8_t>(clock[3] & 0x3F),
                                      static_cast<std::uint8_t>(clock[2] & 0x3F),
                                      static_cast<std::uint8_t>(clock[1] & 0x7F),
                                      static_cast<std::uint8_t>(clock[0] & 0x7F)};
        sendReply(reply, sizeof reply);
        break;
    }
    case 0x85:
        if (n >= 9)
            showClockText(p);
        break;
    case 0x86:
        if (n >= 8)
            keyboardOpenFromHost(p[0], be16(p + 1), be16(p + 3), p[5], p[6], p[7]);
        break;
    case 0xA0:
        if (n >= 1)
            applyBaudIndex(p[0]);
        break;
    case 0xA1:
        if (n >= 1)
            g_core.commandLayer = static_cast<std::uint8_t>((p[0] & 3) + kFirstUserLayer);
        break;
    case 0xA2:
        if (n >= 1)
            g_core.userLayer = static_cast<std::uint8_t>((p[0] & 3) + kFirstUserLayer);
        break;
    case 0xA4:
        if (n >= 4)
            CopyLayer((p[0] & 3) | 4, (p[1] & 3) | 4, p[2] & 1, p[3] & 1);
        break;
    case 0xA5: {
        const std::uint8_t reply[] = {0xA5};
        sendReply(reply, sizeof reply);
        break;
    }
    case 0xB0:
        screensDrawControl(frame, length);
        break;
    case 0xB1:
        screensControlCommand(frame, length);
        break;
    case 0xB2:
        if (n >= 2)
            screensShow(be16(p));
        break;
    case 0xB3:
        if (n >= 1)
            screensSetRefresh(p[0]);
        break;
    case 0xF0:
        sendByte(0xA5);
        break;
    case 0xF3: {
        const std::uint8_t reply[] = {0x05, 0x00, 0x00};
        sendReply(reply, sizeof reply);
        break;
    }
    case 0xF4:
        if (n >= 2) {
            if (p[0] & 1)
                timerInstall(kSlotHeartbeat, p[1] == 0 ? 1 : p[1], heartbeat);
            else
                timerClear(kSlotHeartbeat);
        }
        break;
    case 0xFE: {
        const std::uint8_t reply[] = {0xFE, 0x02, 0x16, 0x00, 0x00, 0x01, 0x37, 0x00, 0x00};
        sendReply(reply, sizeof reply);
        Beepon(10);
        break;
    }
    default:
        break;
    }
}

} // namespace nimbrel
