// The panel's commands, listed once: code, name, parameter layout and the
// handler that runs them. The dispatcher expands the lists into its handler
// tables, command_table.cpp into the vocabulary that tools read; both share
// the entries below, so a code, its layout and its handler cannot drift apart.
#pragma once

#include "core/command_table.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace nimbrel {

constexpr ParameterLayout fixedParams(std::uint16_t bytes) {
    return ParameterLayout{bytes, 0, 0, false};
}
constexpr ParameterLayout optionalParams(std::uint16_t bytes, std::uint8_t more) {
    return ParameterLayout{bytes, more, 0, false};
}
constexpr ParameterLayout groupParams(std::uint8_t size, std::uint16_t before = 0) {
    return ParameterLayout{before, 0, size, false};
}
constexpr ParameterLayout openParams(std::uint16_t before) {
    return ParameterLayout{before, 0, 0, true};
}

// X(code, name, parameter layout, handler in namespace cmd)
#define NIMBREL_HOST_COMMANDS(X)                                                                   \
    X(0x00, "SyncByte", fixedParams(0), syncByte)                                                  \
    X(0x01, "ClearScreen", fixedParams(0), clearScreen)                                            \
    X(0x02, "ReadPixelToHost", fixedParams(5), readPixelToHost)                                    \
    X(0x04, "Handshake", fixedParams(0), handshake)                                                \
    X(0x05, "ClearLayer", fixedParams(1), clearLayer)                                              \
    X(0x06, "SetClearOnScreenChange", fixedParams(1), setClearOnScreenChange)                      \
    X(0x20, "DrawText", openParams(6), drawText)                                                   \
    X(0x21, "SetCursor", fixedParams(7), setCursor)                                                \
    X(0x31, "ShowFullScreenPicture", fixedParams(3), showFullScreenPicture)                        \
    X(0x32, "ShowPicture", fixedParams(7), showPicture)                                            \
    X(0x33, "ShowPictureCut", fixedParams(15), showPictureCut)                                     \
    X(0x35, "ShowPictureCutAlt", fixedParams(15), showPictureCut)                                  \
    X(0x40, "SetColours", fixedParams(4), setColours)                                              \
    X(0x41, "SetForeground", fixedParams(2), setForeground)                                        \
    X(0x42, "SetBackground", fixedParams(2), setBackground)                                        \
    X(0x43, "SetTextSpacing", fixedParams(2), setTextSpacing)                                      \
    X(0x44, "SetKeyColours", optionalParams(2, 2), setKeyColours)                                  \
    X(0x45, "SetTextBox", fixedParams(5), setTextBox)                                              \
    X(0x48, "PixelToColour", fixedParams(5), pixelToColour)                                        \
    X(0x50, "DrawPoints", groupParams(4), drawPoints)                                              \
    X(0x51, "DrawLines", groupParams(8), drawLines)                                                \
    X(0x52, "DrawCircles", groupParams(6), drawCircles)                                            \
    X(0x53, "FillCircles", groupParams(6), drawCircles)                                            \
    X(0x54, "DrawRectangles", groupParams(8), drawBoxes)                                           \
    X(0x55, "FillRectangles", groupParams(8), drawBoxes)                                           \
    X(0x56, "DrawEllipses", groupParams(8), drawBoxes)                                             \
    X(0x57, "FillEllipses", groupParams(8), drawBoxes)                                             \
    X(0x58, "ErasePoints", groupParams(4), drawPoints)                                             \
    X(0x59, "DrawWaveform", groupParams(2, 4), drawWaveform)                                       \
    X(0x60, "SetBacklight", fixedParams(1), setBacklight)                                          \
    X(0x61, "Beep", fixedParams(1), beep)                                                          \
    X(0x62, "SetPolylineMode", fixedParams(1), setPolylineMode)                                    \
    X(0x63, "DrawPolyline", groupParams(4, 1), drawPolyline)                                       \
    X(0x64, "FloodFill", fixedParams(6), floodFill)                                                \
    X(0x67, "DrawArcs", groupParams(10), drawArcs)                                                 \
    X(0x68, "DrawPolylineFg", groupParams(4), drawPolylinePoints)                                  \
    X(0x69, "DrawPolylineBg", groupParams(4), drawPolylinePoints)                                  \
    X(0x70, "SetTouchReport", fixedParams(1), setTouchReport)                                      \
    X(0x72, "CalibrateTouch", fixedParams(0), calibrateTouch)                                      \
    X(0x73, "TouchTestScreen", fixedParams(1), touchTestScreen)                                    \
    X(0x75, "DrawRelativePolylineFg", groupParams(2, 4), drawRelativePolyline)                     \
    X(0x76, "DrawRelativePolylineBg", groupParams(2, 4), drawRelativePolyline)                     \
    X(0x77, "SetAutoDim", optionalParams(4, 1), setAutoDim)                                        \
    X(0x79, "", fixedParams(1), ignore)                                                            \
    X(0x80, "ShowAnimatedPicture", fixedParams(8), showAnimatedPicture)                            \
    X(0x81, "SetClock", fixedParams(7), setClock)                                                  \
    X(0x82, "ReadClock", fixedParams(0), readClock)                                                \
    X(0x85, "ShowClockText", fixedParams(9), showClockText)                                        \
    X(0x86, "OpenSystemKeyboard", fixedParams(8), openSystemKeyboard)                              \
    X(0x89, "", openParams(0), ignore)                                                             \
    X(0xA0, "SetBaudRate", fixedParams(1), setBaudRate)                                            \
    X(0xA1, "SetCommandLayer", fixedParams(1), setCommandLayer)                                    \
    X(0xA2, "SetUserLayer", fixedParams(1), setUserLayer)                                          \
    X(0xA3, "PixelToColourBit", fixedParams(5), pixelToColour)                                     \
    X(0xA4, "CopyLayer", fixedParams(4), copyLayer)                                                \
    X(0xA5, "Acknowledge", optionalParams(0, 3), acknowledge)                                      \
    X(0xB0, "DrawControl", openParams(0), drawControl)                                             \
    X(0xB1, "ControlCommand", openParams(1), controlCommand)                                       \
    X(0xB2, "ShowScreen", fixedParams(2), showScreen)                                              \
    X(0xB3, "SetScreenRefresh", fixedParams(1), setScreenRefresh)                                  \
    X(0xF0, "SyncByteA5", fixedParams(0), syncByteA5)                                              \
    X(0xF3, "DumpBuffer", fixedParams(0), dumpBuffer)                                              \
    X(0xF4, "SetHeartbeat", fixedParams(2), setHeartbeat)                                          \
    X(0xFE, "ReadVersion", fixedParams(0), readVersion)

// Sub-commands of B1; parameters counted after the sub-command byte. All but
// the first two begin with screen and control ids.
#define NIMBREL_CONTROL_COMMANDS(X)                                                                \
    X(0x00, "SwitchScreen", fixedParams(2), switchScreen)                                          \
    X(0x01, "GetScreen", fixedParams(0), getScreen)                                                \
    X(0x02, "FocusText", fixedParams(5), focusText)                                                \
    X(0x10, "SetControlValue", openParams(4), setControlValue)                                     \
    X(0x11, "GetControlValue", fixedParams(4), getControlValue)                                    \
    X(0x20, "AnimationStart", fixedParams(4), animation)                                           \
    X(0x21, "AnimationStop", fixedParams(4), animation)                                            \
    X(0x22, "AnimationPause", fixedParams(4), animation)                                           \
    X(0x23, "AnimationSetFrame", fixedParams(5), animation)                                        \
    X(0x24, "AnimationPrevFrame", fixedParams(4), animation)                                       \
    X(0x25, "AnimationNextFrame", fixedParams(4), animation)                                       \
    X(0x30, "GraphAddChannel", fixedParams(7), graph)                                              \
    X(0x31, "GraphRemoveChannel", fixedParams(5), graph)                                           \
    X(0x32, "GraphAddData", openParams(7), graph)                                                  \
    X(0x33, "GraphClearChannel", fixedParams(5), graph)                                            \
    X(0x34, "GraphSetView", fixedParams(12), graph)

#define NIMBREL_COMMAND_SPEC(code, name, layout, handler) CommandEntry{code, name, layout},

inline constexpr CommandEntry kHostCommandSpecs[] = {NIMBREL_HOST_COMMANDS(NIMBREL_COMMAND_SPEC)};
inline constexpr CommandEntry kControlCommandSpecs[] = {
    NIMBREL_CONTROL_COMMANDS(NIMBREL_COMMAND_SPEC)};

constexpr std::size_t kHostCommandCount = sizeof kHostCommandSpecs / sizeof kHostCommandSpecs[0];
constexpr std::size_t kControlCommandCount =
    sizeof kControlCommandSpecs / sizeof kControlCommandSpecs[0];
constexpr std::uint8_t kNoCommand = 0xFF;

template <std::size_t N> constexpr bool inCodeOrder(const CommandEntry (&entries)[N]) {
    for (std::size_t i = 1; i < N; ++i)
        if (entries[i - 1].code >= entries[i].code)
            return false;
    return true;
}
static_assert(inCodeOrder(kHostCommandSpecs), "host commands must be listed once, in code order");
static_assert(inCodeOrder(kControlCommandSpecs), "sub-commands must be listed once, in code order");
static_assert(kHostCommandCount < kNoCommand && kControlCommandCount < kNoCommand,
              "table positions are bytes");

// Position in the entry table by code, kNoCommand for codes not listed.
template <std::size_t N>
constexpr std::array<std::uint8_t, 256> positionsByCode(const CommandEntry (&entries)[N]) {
    std::array<std::uint8_t, 256> positions{};
    for (std::uint8_t& p : positions)
        p = kNoCommand;
    for (std::size_t i = 0; i < N; ++i)
        positions[entries[i].code] = static_cast<std::uint8_t>(i);
    return positions;
}
inline constexpr std::array<std::uint8_t, 256> kHostCommandPositions =
    positionsByCode(kHostCommandSpecs);
inline constexpr std::array<std::uint8_t, 256> kControlCommandPositions =
    positionsByCode(kControlCommandSpecs);

} // namespace nimbrel
