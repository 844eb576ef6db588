// Project load and display composition: the parts of the screen runtime the
// command set needs (settings at load, the composed display and its overlays).
#include "clock_text.h"
#include "core/hardware.h"
#include "core_state.h"
#include "text.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::uint32_t kDefaultBaud = 9600;

void readHeader() {
    std::uint8_t raw[kProjectHeaderSize] = {};
    if (!ReadScreenInfo(0, raw, kProjectHeaderSize))
        std::memset(raw, 0, sizeof raw);
    ProjectHeader& h = g_core.header;
    h.startScreen = le32(raw + 8);
    h.screenCount = le32(raw + 16);
    h.indexOffset = le32(raw + 24);
    h.startTableOffset = le32(raw + 36);
    h.modelType = le16(raw + 88);
    h.flags = le16(raw + 90);
    h.baudIndex = raw[92];
    h.touchReportMode = raw[93];
    h.notifyScreen = raw[94];
    h.notifyFlags = raw[95];
    h.autoDimTimeout = le16(raw + 96);
    h.brightLevel = raw[98];
    h.dimLevel = raw[99];
}

void drawClockText() {
    const ClockText& c = g_core.clockText;
    std::uint8_t clock[7] = {};
    GetRTC(clock);
    char text[kClockTextCapacity];
    const std::size_t length =
        clockToText(clock, c.withDate ? kClockDateTime : kClockTime, 0, 0, text, sizeof text);
    TextStyle style{};
    style.colour = c.colour;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    drawText(c.font, reinterpret_cast<const std::uint8_t*>(text), length, c.x, c.y, style);
}

} // namespace

void loadProject() {
    resetDisplaySettings();
    g_core.baudRate = kDefaultBaud;
    g_core.screenRefresh = 1;
    g_core.touchEnable = 0;
    g_core.beepMode = 0;
    g_core.touchReportMode = 0;
    g_core.touchTestMode = false;
    g_core.autoDim = AutoDim{};
    for (int layer = 0; layer < kLayerCount; ++layer) {
        SelWriteLayer(layer);
        GUI_ClearSCR(0);
    }
    g_core.cachedPicture = kNoPicture;
    g_core.memoryError = false;
    timerInstall(kSlotRender, kRenderInterval, screensRender);
    timerInstall(kSlotCompose, kComposeInterval, composeDisplay);

    readHeader();
    const ProjectHeader& h = g_core.header;
    g_core.screensPresent = (h.flags & kHeaderScreensPresent) != 0;
    if (!g_core.screensPresent) {
        SelWriteLayer(g_core.userLayer);
        GUI_ClearSCR(kBlue);
        TFT_Draw_PIC_XY(0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        markDirty();
        return;
    }
    applyBaudIndex(h.baudIndex);
    g_core.touchEnable = (h.flags & kHeaderTouchEnable) ? 1 : 0;
    g_core.beepMode = static_cast<std::uint8_t>((h.flags >> 2) & 3);
    g_core.touchReportMode = h.touchReportMode;
    screensBuildAndStart();
}

void composeDisplay(std::uint32_t) {
    if (!g_core.displayDirty || !g_core.screenRefresh || g_core.memoryError)
        return;
    g_core.backBuffer ^= 1;
    const int back = g_core.backBuffer;
    if (g_core.screensPresent) {
        CopyLayer(kLayerRenderedScreen, back, 0, 0);
        CopyLayer(g_core.userLayer, back, 1, 0);
    } else {
        CopyLayer(g_core.userLayer, back, 0, 0);
    }
    SelWriteLayer(back);
    const AnimatedPicture& a = g_core.animation;
    if (a.enabled)
        TFT_Draw_PIC_XY(a.picture, 1, a.x, a.y, 0, 0, 0, 0, 0, 0, 0, a.frame, 0);
    if (g_core.clockText.enabled)
        drawClockText();
    keyboardDrawOverlay();
    cursorDrawOverlay();
    SelDispLayer(back);
    g_core.displayDirty = false;
    GUI_Win32Update();
}

} // namespace nimbrel
