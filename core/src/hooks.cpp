// Entry points of the screen, control, touch and keyboard layer. The command
// set and the main loop call these; the compiled-screen runtime, control
// drawing, touch handling and the system keyboard are not built yet, so they
// do nothing beyond what is noted.
#include "core_state.h"

namespace nimbrel {

// Project load after the header: build the control store, replay the start
// screen. Not built yet: a project with screens shows an empty screen.
void screensBuildAndStart() {}

// Timer slot 1: step animations and clocks, re-render the current screen.
void screensRender(std::uint32_t) {}

// 0xB0: draw a control from its stored value.
void screensDrawControl(const std::uint8_t*, std::size_t) {}

// 0xB1: control sub-commands.
void screensControlCommand(const std::uint8_t*, std::size_t) {}

// 0xB2: change screen.
void screensShow(std::uint16_t) {}

// 0xB3: the refresh setting is the composition's own; re-rendering reads it too.
void screensSetRefresh(std::uint8_t enable) {
    g_core.screenRefresh = enable;
}

// At exit, on the core thread: empty the control store.
void screensRelease() {}

// Timer slot 0: touch polling, auto-dim, touch-test mode, calibration taps.
void touchPoll(std::uint32_t) {}

// 0x21: the host's cursor.
void keyboardSetCursor(bool, std::uint16_t, std::uint16_t, std::uint8_t, std::uint8_t) {}

// 0x86: open the system keyboard for the host.
void keyboardOpenFromHost(std::uint8_t, std::uint16_t, std::uint16_t, std::uint8_t, std::uint8_t,
                          std::uint8_t) {}

void keyboardClose() {}

// Composition overlays, drawn onto the back buffer.
void keyboardDrawOverlay() {}
void cursorDrawOverlay() {}

} // namespace nimbrel
