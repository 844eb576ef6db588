// Names of the panel's commands, for the description column of the log.
#include "simulator/traffic_log.h"

namespace tft {

namespace {

const char* hostCommand(std::uint8_t code) {
    switch (code) {
    case 0x00:
        return "SyncByte";
    case 0x01:
        return "ClearScreen";
    case 0x02:
        return "ReadPixelToHost";
    case 0x04:
        return "Handshake";
    case 0x05:
        return "ClearLayer";
    case 0x06:
        return "SetClearOnScreenChange";
    case 0x20:
        return "DrawText";
    case 0x21:
        return "SetCursor";
    case 0x31:
        return "ShowFullScreenPicture";
    case 0x32:
        return "ShowPicture";
    case 0x33:
        return "ShowPictureCut";
    case 0x35:
        return "ShowPictureCutAlt";
    case 0x40:
        return "SetColours";
    case 0x41:
        return "SetForeground";
    case 0x42:
        return "SetBackground";
    case 0x43:
        return "SetTextSpacing";
    case 0x44:
        return "SetKeyColours";
    case 0x45:
        return "SetTextBox";
    case 0x48:
        return "PixelToColour";
    case 0x50:
        return "DrawPoints";
    case 0x51:
        return "DrawLines";
    case 0x52:
        return "DrawCircles";
    case 0x53:
        return "FillCircles";
    case 0x54:
        return "DrawRectangles";
    case 0x55:
        return "FillRectangles";
    case 0x56:
        return "DrawEllipses";
    case 0x57:
        return "FillEllipses";
    case 0x58:
        return "ErasePoints";
    case 0x59:
        return "DrawWaveform";
    case 0x60:
        return "SetBacklight";
    case 0x61:
        return "Beep";
    case 0x62:
        return "SetPolylineMode";
    case 0x63:
        return "DrawPolyline";
    case 0x64:
        return "FloodFill";
    case 0x67:
        return "DrawArcs";
    case 0x68:
        return "DrawPolylineFg";
    case 0x69:
        return "DrawPolylineBg";
    case 0x70:
        return "SetTouchReport";
    case 0x72:
        return "CalibrateTouch";
    case 0x73:
        return "TouchTestScreen";
    case 0x75:
        return "DrawRelativePolylineFg";
    case 0x76:
        return "DrawRelativePolylineBg";
    case 0x77:
        return "SetAutoDim";
    case 0x80:
        return "ShowAnimatedPicture";
    case 0x81:
        return "SetClock";
    case 0x82:
        return "ReadClock";
    case 0x85:
        return "ShowClockText";
    case 0x86:
        return "OpenSystemKeyboard";
    case 0xA0:
        return "SetBaudRate";
    case 0xA1:
        return "SetCommandLayer";
    case 0xA2:
        return "SetUserLayer";
    case 0xA3:
        return "PixelToColourBit";
    case 0xA4:
        return "CopyLayer";
    case 0xA5:
        return "Acknowledge";
    case 0xB0:
        return "DrawControl";
    case 0xB1:
        return "ControlCommand";
    case 0xB2:
        return "ShowScreen";
    case 0xB3:
        return "SetScreenRefresh";
    case 0xF0:
        return "SyncByteA5";
    case 0xF3:
        return "DumpBuffer";
    case 0xF4:
        return "SetHeartbeat";
    case 0xFE:
        return "ReadVersion";
    default:
        return "";
    }
}

const char* controlSubCommand(std::uint8_t sub) {
    switch (sub) {
    case 0x00:
        return "SwitchScreen";
    case 0x01:
        return "GetScreen";
    case 0x02:
        return "FocusText";
    case 0x10:
        return "SetControlValue";
    case 0x11:
        return "GetControlValue";
    case 0x20:
        return "AnimationStart";
    case 0x21:
        return "AnimationStop";
    case 0x22:
        return "AnimationPause";
    case 0x23:
        return "AnimationSetFrame";
    case 0x24:
        return "AnimationPrevFrame";
    case 0x25:
        return "AnimationNextFrame";
    case 0x30:
        return "GraphAddChannel";
    case 0x31:
        return "GraphRemoveChannel";
    case 0x32:
        return "GraphAddData";
    case 0x33:
        return "GraphClearChannel";
    case 0x34:
        return "GraphSetView";
    default:
        return "";
    }
}

// What the panel sends: replies and reports.
const char* panelReport(std::uint8_t code, std::uint8_t sub) {
    switch (code) {
    case 0x55:
        return "HandshakeReply";
    case 0x01:
        return "TouchPress";
    case 0x03:
        return "TouchRelease";
    case 0x04:
        return "CalibrationDone";
    case 0x05:
        return "DumpBufferReply";
    case 0x86:
        return "KeyboardText";
    case 0xA5:
        return "AcknowledgeReply";
    case 0xF4:
        return "Heartbeat";
    case 0xF7:
        return "ClockReply";
    case 0xFE:
        return "VersionReply";
    case 0xB1:
        switch (sub) {
        case 0x01:
            return "ScreenReport";
        case 0x11:
            return "ControlValueReport";
        case 0x26:
            return "AnimationTouched";
        default:
            return "ControlReport";
        }
    default:
        return "";
    }
}

} // namespace

std::string commandName(const std::uint8_t* frame, std::size_t length, bool fromPanel) {
    std::size_t i = 0;
    while (i < length && frame[i] != kFrameHead)
        ++i;
    if (i + 1 >= length || length - i < 6)
        return {};
    const std::uint8_t code = frame[i + 1];
    const std::uint8_t sub = i + 2 < length - 4 ? frame[i + 2] : 0xFF;
    if (fromPanel)
        return panelReport(code, sub);
    std::string name = hostCommand(code);
    if (code == 0xB1 && i + 2 < length - 4) {
        const std::string subName = controlSubCommand(sub);
        if (!subName.empty())
            name += "/" + subName;
    }
    return name;
}

} // namespace tft
