// Handlers of the drawing commands: text, pictures, geometric primitives,
// the touch test screen, the animated picture and the clock text. Their
// coordinates are signed 16-bit; the primitives clip.
#include "command_handlers.h"
#include "core/hardware.h"
#include "core_state.h"
#include "draw.h"
#include "text.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::size_t kMaxWaveformPoints = 514;
constexpr std::size_t kMaxRelativePoints = 515;
// Enough for the longest point list a frame can carry.
constexpr std::size_t kMaxFramePoints = (kFrameCapacity - kShortestFrame) / 4 + 1;
static_assert(kMaxFramePoints >= kMaxRelativePoints && kMaxFramePoints >= kMaxWaveformPoints,
              "point buffer too small");

Point g_points[kMaxFramePoints];

const DisplaySettings& settings() {
    return g_core.settings;
}

void drawString(std::uint8_t font, const char* text, int x, int y, std::uint16_t colour) {
    TextStyle style{};
    style.colour = colour;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    drawText(font, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), x, y, style);
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
        sendFrame(done, sizeof done);
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

void startAnimatedPicture(std::uint16_t x, std::uint16_t y, std::uint16_t picture,
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

// The point pairs of a command's groups.
std::size_t pointsOfGroups(const CommandFrame& c) {
    for (std::size_t i = 0; i < c.groups; ++i)
        g_points[i] = {s16(c.group(i)), s16(c.group(i) + 2)};
    return c.groups;
}

std::uint16_t foregroundOrBackground(bool background) {
    return background ? settings().background : settings().foreground;
}

} // namespace

void stopAnimatedPicture() {
    g_core.animation = AnimatedPicture{};
    timerClear(kSlotAnimatedPicture);
}

void stopClockText() {
    g_core.clockText = ClockText{};
    timerClear(kSlotClockText);
}

namespace cmd {

void clearScreen(const CommandFrame&) {
    GUI_ClearSCR(settings().background);
}

void drawText(const CommandFrame& c) {
    const DisplaySettings& s = settings();
    TextStyle style{};
    style.colour = s.foreground;
    style.background = s.background;
    style.withBackground = c.p[4] != 0;
    style.wrap = (s.wrap & 1) != 0;
    style.boxWidth = s.boxWidth;
    style.boxHeight = s.boxHeight;
    style.charGap = s.charGap;
    style.lineGap = s.lineGap;
    // The text runs to its terminator, which the tail's first byte supplies.
    nimbrel::drawText(c.p[5], c.p + 6, c.length - 8, s16(c.p), s16(c.p + 2), style);
}

void showFullScreenPicture(const CommandFrame& c) {
    const DisplaySettings& s = settings();
    const std::uint16_t picture = be16(c.p);
    if (c.p[2] & 1) {
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

void showPicture(const CommandFrame& c) {
    TFT_Draw_PIC_XY(be16(c.p + 4), 1, s16(c.p), s16(c.p + 2), 0, 0, 0, 0, c.p[6] & 1,
                    settings().keyLow, settings().keyHigh, 0, 0);
}

void showPictureCut(const CommandFrame& c) {
    const std::uint8_t* p = c.p;
    TFT_Draw_PIC_XY(be16(p + 4), 0, s16(p), s16(p + 2), be16(p + 6), be16(p + 8), be16(p + 10),
                    be16(p + 12), p[14] & 1, settings().keyLow, settings().keyHigh, 0,
                    c.code == 0x35 ? 1 : 0);
}

void drawPoints(const CommandFrame& c) {
    const std::uint16_t colour = foregroundOrBackground(c.code == 0x58);
    for (std::size_t i = 0; i < c.groups; ++i)
        drawPoint(s16(c.group(i)), s16(c.group(i) + 2), colour);
}

void drawLines(const CommandFrame& c) {
    for (std::size_t i = 0; i < c.groups; ++i) {
        const std::uint8_t* g = c.group(i);
        drawLine(s16(g), s16(g + 2), s16(g + 4), s16(g + 6), settings().foreground);
    }
}

void drawCircles(const CommandFrame& c) {
    for (std::size_t i = 0; i < c.groups; ++i) {
        const std::uint8_t* g = c.group(i);
        if (c.code == 0x52)
            drawCircle(s16(g), s16(g + 2), be16(g + 4), settings().foreground);
        else
            fillCircle(s16(g), s16(g + 2), be16(g + 4), settings().foreground);
    }
}

// Rectangles and ellipses, outlined or filled, by their corners.
void drawBoxes(const CommandFrame& c) {
    const std::uint16_t colour = settings().foreground;
    for (std::size_t i = 0; i < c.groups; ++i) {
        const std::uint8_t* g = c.group(i);
        const int x0 = s16(g), y0 = s16(g + 2), x1 = s16(g + 4), y1 = s16(g + 6);
        switch (c.code) {
        case 0x54:
            drawRectangle(x0, y0, x1, y1, colour);
            break;
        case 0x55:
            fillRectangle(x0, y0, x1, y1, colour);
            break;
        case 0x56:
            drawEllipse(x0, y0, x1, y1, colour);
            break;
        default:
            fillEllipse(x0, y0, x1, y1, colour);
            break;
        }
    }
}

void drawWaveform(const CommandFrame& c) {
    const int x0 = s16(c.p);
    const int dx = s16(c.p + 2);
    const std::size_t count = c.groups < kMaxWaveformPoints ? c.groups : kMaxWaveformPoints;
    for (std::size_t i = 0; i < count; ++i)
        g_points[i] = {x0 + static_cast<int>(i) * dx, s16(c.group(i))};
    nimbrel::drawPolyline(g_points, count, settings().foreground, settings().polylineMode);
}

void drawPolyline(const CommandFrame& c) {
    const std::size_t count = pointsOfGroups(c);
    nimbrel::drawPolyline(g_points, count, foregroundOrBackground(c.p[0] & 1),
                          settings().polylineMode);
}

void drawPolylinePoints(const CommandFrame& c) {
    const std::size_t count = pointsOfGroups(c);
    nimbrel::drawPolyline(g_points, count, foregroundOrBackground(c.code == 0x69),
                          settings().polylineMode);
}

void drawRelativePolyline(const CommandFrame& c) {
    std::size_t count = 1 + c.groups;
    if (count > kMaxRelativePoints)
        count = kMaxRelativePoints;
    g_points[0] = {s16(c.p), s16(c.p + 2)};
    for (std::size_t i = 1; i < count; ++i) {
        const std::uint8_t* step = c.group(i - 1);
        g_points[i] = {g_points[i - 1].x + static_cast<std::int8_t>(step[0]),
                       g_points[i - 1].y + static_cast<std::int8_t>(step[1])};
    }
    nimbrel::drawPolyline(g_points, count, foregroundOrBackground(c.code == 0x76),
                          settings().polylineMode);
}

void floodFill(const CommandFrame& c) {
    const int x = s16(c.p), y = s16(c.p + 2);
    if (x < kDrawWidth && y < kDrawHeight)
        nimbrel::floodFill(x, y, be16(c.p + 4));
}

void drawArcs(const CommandFrame& c) {
    for (std::size_t i = 0; i < c.groups; ++i) {
        const std::uint8_t* g = c.group(i);
        drawArc(s16(g), s16(g + 2), be16(g + 4), s16(g + 6), s16(g + 8), settings().foreground);
    }
}

void touchTestScreen(const CommandFrame& c) {
    SelWriteLayer(g_core.userLayer);
    if (c.p[0] & 1) {
        drawTouchTestScreen();
        g_core.touchTestMode = true;
    } else {
        GUI_ClearSCR(0);
        g_core.touchTestMode = false;
    }
}

void showAnimatedPicture(const CommandFrame& c) {
    startAnimatedPicture(be16(c.p), be16(c.p + 2), be16(c.p + 4), c.p[6], c.p[7]);
}

void showClockText(const CommandFrame& c) {
    ClockText& t = g_core.clockText;
    t.enabled = (c.p[0] & 1) != 0;
    t.withDate = (c.p[1] & 1) != 0;
    t.font = c.p[2];
    t.colour = be16(c.p + 3);
    t.x = static_cast<std::int16_t>(s16(c.p + 5));
    t.y = static_cast<std::int16_t>(s16(c.p + 7));
    if (t.enabled) {
        EnableRTC();
        timerInstall(kSlotClockText, kClockTextInterval, clockTextTick);
    } else {
        timerClear(kSlotClockText);
    }
}

} // namespace cmd
} // namespace nimbrel
