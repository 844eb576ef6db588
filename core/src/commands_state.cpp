// Handlers of the commands that set state or answer the host: colours and
// text settings, layers, backlight and touch, clock, baud rate, keyboard and
// cursor, heartbeat, fixed replies, and the hooks into the screen runtime.
#include "command_handlers.h"
#include "core/hardware.h"
#include "core_state.h"

#include <initializer_list>

namespace nimbrel {
namespace {

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

void reply(std::initializer_list<std::uint8_t> body) {
    sendFrame(body.begin(), body.size());
}

void heartbeat(std::uint32_t) {
    reply({0xF4});
}

DisplaySettings& settings() {
    return g_core.settings;
}

} // namespace

void resetDisplaySettings() {
    DisplaySettings& s = g_core.settings;
    s = DisplaySettings{};
    s.foreground = kRed;
    s.background = kBlue;
    s.boxWidth = kDrawWidth;
    s.boxHeight = kDrawHeight;
    s.polylineMode = 1;
}

bool applyBaudIndex(unsigned index) {
    if (index >= kBaudCount)
        return false;
    g_core.baudRate = kBaudRates[index];
    CMD_UART_Init(g_core.baudRate);
    return true;
}

namespace cmd {

void syncByte(const CommandFrame&) {
    sendByte(0x55);
}

void syncByteA5(const CommandFrame&) {
    sendByte(0xA5);
}

void handshake(const CommandFrame&) {
    reply({0x55});
}

void acknowledge(const CommandFrame&) {
    reply({0xA5});
}

void dumpBuffer(const CommandFrame&) {
    reply({0x05, 0x00, 0x00});
}

void readVersion(const CommandFrame&) {
    reply({0xFE, 0x02, 0x16, 0x00, 0x00, 0x01, 0x37, 0x00, 0x00});
    Beepon(10);
}

void ignore(const CommandFrame&) {}

void readPixelToHost(const CommandFrame& c) {
    const std::uint16_t colour = readPixelClipped(be16(c.p + 1), be16(c.p + 3));
    reply({static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour & 0xFF)});
}

void pixelToColour(const CommandFrame& c) {
    const std::uint16_t colour = readPixelClipped(be16(c.p + 1), be16(c.p + 3));
    // 48 takes any non-zero target byte as the background, A3 only bit 0.
    const bool toForeground = c.code == 0x48 ? c.p[0] == 0 : (c.p[0] & 1) == 0;
    (toForeground ? settings().foreground : settings().background) = colour;
}

void clearLayer(const CommandFrame& c) {
    const int previous = SelWriteLayer((c.p[0] & 3) + kFirstUserLayer);
    GUI_ClearSCR(0);
    SelWriteLayer(previous);
}

void setClearOnScreenChange(const CommandFrame& c) {
    g_core.clearOnScreenChange = c.p[0];
}

void setCursor(const CommandFrame& c) {
    keyboardSetCursor((c.p[0] & 1) != 0, be16(c.p + 1), be16(c.p + 3), c.p[5], c.p[6]);
}

void setColours(const CommandFrame& c) {
    settings().foreground = nonZero(be16(c.p));
    settings().background = nonZero(be16(c.p + 2));
}

void setForeground(const CommandFrame& c) {
    settings().foreground = nonZero(be16(c.p));
}

void setBackground(const CommandFrame& c) {
    settings().background = nonZero(be16(c.p));
}

void setTextSpacing(const CommandFrame& c) {
    settings().charGap = c.p[0] & 0x3F;
    settings().lineGap = c.p[1] & 0x3F;
}

void setKeyColours(const CommandFrame& c) {
    settings().keyLow = be16(c.p);
    settings().keyHigh = c.length < 9 || c.n < 4 ? settings().keyLow : be16(c.p + 2);
}

void setTextBox(const CommandFrame& c) {
    settings().wrap = c.p[0] & 1;
    settings().boxWidth = be16(c.p + 1);
    settings().boxHeight = be16(c.p + 3);
}

void setPolylineMode(const CommandFrame& c) {
    settings().polylineMode = c.p[0];
}

void setBacklight(const CommandFrame& c) {
    SetBackLightLevel(c.p[0]);
    g_core.autoDim.awake = true;
    g_core.autoDim.lastActivity = g_core.tick;
}

void beep(const CommandFrame& c) {
    Beepon(c.p[0]);
}

void setTouchReport(const CommandFrame& c) {
    g_core.touchEnable = c.p[0] & 1;
    g_core.beepMode = (c.p[0] >> 1) & 1;
    g_core.touchReportMode = (c.p[0] >> 2) & 7;
}

void calibrateTouch(const CommandFrame&) {
    const int previous = SelWriteLayer(g_core.backBuffer);
    Calibration_Panle();
    reply({0x04});
    SelWriteLayer(previous);
    markDirty();
}

void setAutoDim(const CommandFrame& c) {
    AutoDim& d = g_core.autoDim;
    d.enabled = (c.p[0] & 1) != 0;
    d.brightLevel = static_cast<std::uint8_t>(255 - c.p[1]);
    d.dimLevel = static_cast<std::uint8_t>(255 - c.p[2]);
    d.timeout = c.length > 10 && c.n >= 5 ? be16(c.p + 3) : c.p[3];
    d.awake = true;
    d.lastActivity = g_core.tick;
    SetBackLightLevel(d.brightLevel);
}

void setClock(const CommandFrame& c) {
    SetRTC(c.p);
}

void readClock(const CommandFrame&) {
    std::uint8_t clock[7] = {};
    GetRTC(clock);
    reply({0xF7, clock[6], static_cast<std::uint8_t>(clock[5] & 0x1F),
           static_cast<std::uint8_t>(clock[4] & 0x07), static_cast<std::uint8_t>(clock[3] & 0x3F),
           static_cast<std::uint8_t>(clock[2] & 0x3F), static_cast<std::uint8_t>(clock[1] & 0x7F),
           static_cast<std::uint8_t>(clock[0] & 0x7F)});
}

void openSystemKeyboard(const CommandFrame& c) {
    keyboardOpenFromHost(c.p[0], be16(c.p + 1), be16(c.p + 3), c.p[5], c.p[6], c.p[7]);
}

void setBaudRate(const CommandFrame& c) {
    applyBaudIndex(c.p[0]);
}

void setCommandLayer(const CommandFrame& c) {
    g_core.commandLayer = static_cast<std::uint8_t>((c.p[0] & 3) + kFirstUserLayer);
}

void setUserLayer(const CommandFrame& c) {
    g_core.userLayer = static_cast<std::uint8_t>((c.p[0] & 3) + kFirstUserLayer);
}

void copyLayer(const CommandFrame& c) {
    CopyLayer((c.p[0] & 3) | 4, (c.p[1] & 3) | 4, c.p[2] & 1, c.p[3] & 1);
}

void drawControl(const CommandFrame& c) {
    screensDrawControl(c.frame, c.length);
}

void controlCommand(const CommandFrame& c) {
    screensControlCommand(c.frame, c.length);
}

void showScreen(const CommandFrame& c) {
    screensShow(be16(c.p));
}

void setScreenRefresh(const CommandFrame& c) {
    screensSetRefresh(c.p[0]);
}

void setHeartbeat(const CommandFrame& c) {
    if (c.p[0] & 1)
        timerInstall(kSlotHeartbeat, c.p[1] == 0 ? 1 : c.p[1], heartbeat);
    else
        timerClear(kSlotHeartbeat);
}

} // namespace cmd
} // namespace nimbrel
