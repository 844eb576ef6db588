// Touch polling: backlight auto-dim, the touch test mode, coordinate reports,
// the press/hold/release actions and automatic calibration on repeated taps.
#include "core/hardware.h"
#include "core_state.h"
#include "draw.h"
#include "screens.h"

namespace nimbrel {
namespace {

constexpr std::size_t kTapWindow = 20;
constexpr std::uint32_t kTapSpanTicks = 400;
constexpr int kTapSquare = 40;
constexpr std::uint32_t kCalibrationWaitMs = 1000; // 100 ticks
constexpr std::uint32_t kDimStepTicks = 5;
constexpr int kDimStepMax = 20;
constexpr std::uint32_t kHeldReportTicks = 10;

struct Tap {
    std::uint32_t tick;
    std::uint16_t x;
    std::uint16_t y;
};

struct TouchState {
    Tap taps[kTapWindow];
    std::size_t tapCount;
    std::uint8_t level; // backlight level while dimming
    std::uint32_t lastDimStep;
    bool swallowing; // a touch that only woke the panel
    std::uint32_t lastHeldReport;
};
TouchState g_touch;

void report(std::uint8_t event, std::uint16_t x, std::uint16_t y) {
    const std::uint8_t body[] = {event, static_cast<std::uint8_t>(x >> 8),
                                 static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y >> 8),
                                 static_cast<std::uint8_t>(y)};
    sendFrame(body, sizeof body);
}

void countTap(std::uint16_t x, std::uint16_t y) {
    if (g_touch.tapCount == kTapWindow) {
        for (std::size_t i = 1; i < kTapWindow; ++i)
            g_touch.taps[i - 1] = g_touch.taps[i];
        --g_touch.tapCount;
    }
    g_touch.taps[g_touch.tapCount++] = Tap{g_core.tick, x, y};
    if (g_touch.tapCount < kTapWindow)
        return;
    int minX = x, maxX = x, minY = y, maxY = y;
    for (const Tap& t : g_touch.taps) {
        minX = t.x < minX ? t.x : minX;
        maxX = t.x > maxX ? t.x : maxX;
        minY = t.y < minY ? t.y : minY;
        maxY = t.y > maxY ? t.y : maxY;
    }
    if (g_touch.taps[kTapWindow - 1].tick - g_touch.taps[0].tick >= kTapSpanTicks ||
        maxX - minX >= kTapSquare || maxY - minY >= kTapSquare)
        return;
    g_touch.tapCount = 0;
    Beepon(100);
    sleepMs(kCalibrationWaitMs);
    const std::uint8_t calibrate[] = {0xEE, 0x72, 0xFF, 0xFC, 0xFF, 0xFF};
    dispatch(calibrate, sizeof calibrate);
}

// Returns true when the touch is taken by the backlight and goes no further.
bool autoDim(bool pressed) {
    AutoDim& d = g_core.autoDim;
    if (!d.enabled)
        return false;
    if (d.awake) {
        if (pressed) {
            d.lastActivity = g_core.tick;
        } else if (g_core.tick - d.lastActivity > static_cast<std::uint32_t>(d.timeout) * 100) {
            g_touch.level = d.brightLevel;
            SetBackLightLevel(g_touch.level);
            g_touch.lastDimStep = g_core.tick;
            d.awake = false;
        }
        return false;
    }
    if (pressed) {
        if (!g_touch.swallowing)
            SetBackLightLevel(d.brightLevel);
        g_touch.level = d.brightLevel;
        g_touch.swallowing = true;
        return true;
    }
    if (g_touch.swallowing) {
        g_touch.swallowing = false;
        d.awake = true;
        d.lastActivity = g_core.tick;
        return true;
    }
    if (g_core.tick - g_touch.lastDimStep >= kDimStepTicks && g_touch.level != d.dimLevel) {
        g_touch.lastDimStep = g_core.tick;
        if (d.dimLevel < g_touch.level)
            g_touch.level = d.dimLevel;
        else
            g_touch.level = static_cast<std::uint8_t>(d.dimLevel - g_touch.level > kDimStepMax
                                                          ? g_touch.level + kDimStepMax
                                                          : d.dimLevel);
        SetBackLightLevel(g_touch.level);
    }
    return false;
}

void touchTest(bool pressed, std::uint16_t x, std::uint16_t y) {
    if (!pressed || g_screens.wasTouched)
        return;
    report(0x01, x, y);
    const int previous = SelWriteLayer(g_core.userLayer);
    if (x >= 351 && x <= 449 && y >= 361 && y <= 399) {
        GUI_ClearSCR(0);
        g_core.touchTestMode = false;
    } else {
        fillCircle(x, y, 10, kRed);
        Beepon(5);
    }
    SelWriteLayer(previous);
    markDirty();
}

void pressAction(std::uint16_t x, std::uint16_t y) {
    if (keyboardIsOpen()) {
        keyboardPress(x, y);
        return;
    }
    if (!g_core.screensPresent || g_core.memoryError) {
        if (g_core.beepMode != 0)
            Beepon(10);
        countTap(x, y);
        return;
    }
    if (g_screens.pressedControl != kNone)
        return;
    if (!pressControl(x, y)) {
        if (g_core.beepMode == 1)
            Beepon(10);
        countTap(x, y);
    }
}

void releaseAction(std::uint16_t x, std::uint16_t y) {
    if (keyboardIsOpen()) {
        keyboardRelease();
        return;
    }
    releaseControl(x, y);
}

} // namespace

void touchReset() {
    g_touch = TouchState{};
    const ProjectHeader& h = g_core.header;
    if (h.flags & kHeaderAutoDim) {
        AutoDim& d = g_core.autoDim;
        d.enabled = true;
        d.awake = true;
        d.brightLevel = h.brightLevel;
        d.dimLevel = h.dimLevel;
        d.timeout = h.autoDimTimeout;
        d.lastActivity = g_core.tick;
    }
}

void touchPoll(std::uint32_t) {
    const bool pressed = touch_is_pressing() != 0;
    std::uint16_t x = g_screens.lastX, y = g_screens.lastY;
    if (pressed)
        get_coordinate(&x, &y);
    if (autoDim(pressed))
        return;
    if (g_core.touchTestMode) {
        touchTest(pressed, x, y);
        g_screens.wasTouched = pressed;
        g_screens.lastX = x;
        g_screens.lastY = y;
        return;
    }
    if (!g_core.touchEnable) {
        g_screens.wasTouched = false;
        return;
    }
    const std::uint8_t mode = g_core.touchReportMode;
    if (pressed && !g_screens.wasTouched) {
        if (mode == 0 || mode == 2 || mode == 3)
            report(0x01, x, y);
        g_touch.lastHeldReport = g_core.tick;
        g_screens.wasTouched = true;
        g_screens.lastX = x;
        g_screens.lastY = y;
        pressAction(x, y);
    } else if (pressed) {
        if (mode == 2 && g_core.tick - g_touch.lastHeldReport >= kHeldReportTicks) {
            g_touch.lastHeldReport = g_core.tick;
            report(0x01, x, y);
        }
        g_screens.lastX = x;
        g_screens.lastY = y;
        if (!keyboardIsOpen())
            holdControl(x, y);
    } else if (g_screens.wasTouched) {
        g_screens.wasTouched = false;
        if (mode == 1 || mode == 3)
            report(0x03, x, y);
        releaseAction(x, y);
    }
}

} // namespace nimbrel
