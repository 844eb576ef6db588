// Screens at run time: project start, changing screens, replaying the
// current screen's record onto its layer, stepping animations and clocks,
// notifications to the host, and the hooks the command set calls.
#include "screens.h"

#include "control_layout.h"
#include "core/hardware.h"
#include "core_state.h"
#include "text.h"

#include <cstring>

namespace nimbrel {

ScreenRuntime g_screens;

namespace {

constexpr std::uint32_t kClockRenderTicks = 100;

void showMemoryError() {
    g_core.memoryError = true;
    SelWriteLayer(0);
    GUI_ClearSCR(kBlue);
    TextStyle style{};
    style.colour = kRed;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    const char* text = "Memory is insufficient!!!";
    drawText(1, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), 300, 300, style);
    SelDispLayer(0);
}

void replayStartBlock() {
    const ProjectHeader& h = g_core.header;
    const std::uint64_t entry = static_cast<std::uint64_t>(h.startTableOffset) +
                                static_cast<std::uint64_t>(h.startScreen) * kIndexEntrySize;
    if (h.startScreen == 0xFFFFFFFFu || entry > 0xFFFFFFFFull - kIndexEntrySize)
        return;
    RecordScan scan;
    if (!scan.beginEntry(static_cast<std::uint32_t>(entry)))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    while (scan.next(&frame, &length)) {
        if (length >= 8 && frame[1] == 0xB2)
            changeScreen(be16(frame + 2));
        else if (length >= 2 && frame[1] == 0xB1)
            runControlCommand(frame, length);
        else
            dispatch(frame, length);
    }
}

void stepAnimationsAndClocks() {
    if (g_screens.current == kNone)
        return;
    RecordScan scan;
    if (!scan.begin(g_screens.current))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    bool clockSeen = false;
    while (scan.next(&frame, &length)) {
        if (length < 5 || frame[1] != 0xB0)
            continue;
        const Definition def = definitionOf(frame, length);
        if (def.type() == kTypeClock) {
            clockSeen = true;
        } else if (def.type() == kTypeAnimation) {
            AnimationValue a{};
            std::size_t n = 0;
            if (!loadValue(g_screens.current, def.id(), reinterpret_cast<std::uint8_t*>(&a),
                           sizeof a, &n, nullptr) ||
                n != sizeof a)
                continue;
            if (!a.running || a.frames == 0 ||
                g_core.tick - a.lastStep <= def.u16(animationField::kInterval))
                continue;
            a.lastStep = g_core.tick;
            if (a.current + 1 >= a.frames)
                ++a.loopsDone;
            a.current = static_cast<std::uint8_t>((a.current + 1) % a.frames);
            if (def.u8(animationField::kLoops) != 0 &&
                a.loopsDone >= def.u8(animationField::kLoops))
                a.running = 0;
            storeValue(g_screens.current, def.id(), reinterpret_cast<const std::uint8_t*>(&a),
                       sizeof a);
            markRender();
        }
    }
    if (clockSeen && g_core.tick - g_screens.lastClockRender >= kClockRenderTicks) {
        g_screens.lastClockRender = g_core.tick;
        markRender();
    }
}

void replayCurrent() {
    RecordScan scan;
    if (!scan.begin(g_screens.current))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    while (scan.next(&frame, &length)) {
        if (length >= 8 && frame[1] == 0xB2) {
            const std::uint16_t screen = be16(frame + 2);
            if (screen < screenCount() && screen != g_screens.current)
                changeScreen(screen);
        } else if (length >= 2 && frame[1] == 0xB1) {
            runControlCommand(frame, length);
        } else {
            dispatch(frame, length);
        }
    }
}

} // namespace

std::uint16_t screenCount() {
    return g_core.header.screenCount > kNone
               ? kNone
               : static_cast<std::uint16_t>(g_core.header.screenCount);
}

void markRender() {
    if (!g_screens.needsRender) {
        g_screens.needsRender = true;
        g_core.timers[kSlotRender].start = g_core.tick;
    }
}

void sendControlValue(std::uint16_t screen, std::uint16_t control, std::uint8_t type,
                      const std::uint8_t* data, std::size_t length) {
    std::uint8_t body[kMaxReplyBody];
    if (length > kMaxTextLength)
        length = kMaxTextLength;
    const std::uint8_t head[] = {0xB1,
                                 0x11,
                                 static_cast<std::uint8_t>(screen >> 8),
                                 static_cast<std::uint8_t>(screen),
                                 static_cast<std::uint8_t>(control >> 8),
                                 static_cast<std::uint8_t>(control),
                                 type};
    std::memcpy(body, head, sizeof head);
    if (length > 0)
        std::memcpy(body + sizeof head, data, length);
    std::size_t n = sizeof head + length;
    if (type == kTypeText)
        body[n++] = 0x00;
    sendFrame(body, n);
}

void sendScreenNotification(std::uint16_t screen) {
    const std::uint8_t body[] = {0xB1, 0x01, static_cast<std::uint8_t>(screen >> 8),
                                 static_cast<std::uint8_t>(screen)};
    sendFrame(body, sizeof body);
}

void changeScreen(std::uint16_t screen) {
    if (screen >= screenCount() || screen == g_screens.current)
        return;
    leaveFocus();
    keyboardClose();
    stopAnimatedPicture();
    hideCursor();
    timerClear(kSlotScreenLocal);
    g_screens.pressedScreen = kNone;
    g_screens.pressedControl = kNone;
    g_screens.current = screen;
    g_screens.notifyPending = true;
    if (g_core.clearOnScreenChange) {
        const int previous = SelWriteLayer(g_core.userLayer);
        GUI_ClearSCR(0);
        SelWriteLayer(previous);
    }
    markRender();
}

// Hooks called by the command set and the main loop.

void screensBuildAndStart() {
    imageOpen();
    keyboardReset();
    hideCursor();
    touchReset();
    g_screens = ScreenRuntime{kNone, kNone, kNone, false, 0, 0, false, false, g_core.tick};
    if (!storeBuild()) {
        showMemoryError();
        return;
    }
    replayStartBlock();
    markDirty();
}

void screensRender(std::uint32_t) {
    if (g_core.memoryError || !g_core.screensPresent)
        return;
    stepAnimationsAndClocks();
    if (!g_screens.needsRender || !g_core.screenRefresh)
        return;
    const DisplaySettings saved = g_core.settings;
    g_core.settings.keyLow = 0;
    g_core.settings.keyHigh = 0;
    const int previous = SelWriteLayer(kLayerRenderedScreen);
    g_screens.needsRender = false;
    replayCurrent();
    // Reported once per change of screen, not on every re-render.
    if (g_screens.notifyPending) {
        g_screens.notifyPending = false;
        if (g_core.header.notifyScreen)
            sendScreenNotification(g_screens.current);
    }
    markDirty();
    SelWriteLayer(previous);
    g_core.settings = saved;
    markDirty();
}

void screensDrawControl(const std::uint8_t* frame, std::size_t length) {
    if (length < 8 || !g_core.screensPresent || g_screens.current == kNone)
        return;
    drawControl(definitionOf(frame, length));
}

void screensControlCommand(const std::uint8_t* frame, std::size_t length) {
    if (!g_core.screensPresent || g_core.memoryError)
        return;
    runControlCommand(frame, length);
}

void screensShow(std::uint16_t screen) {
    if (!g_core.screensPresent || g_core.memoryError)
        return;
    changeScreen(screen);
}

void screensSetRefresh(std::uint8_t enable) {
    g_core.screenRefresh = enable;
}

void screensRelease() {
    storeClear();
    imageClose();
    g_screens = ScreenRuntime{kNone, kNone, kNone, false, 0, 0, false, false, 0};
}

} // namespace nimbrel
