// The command vocabulary for tools: the entries of the command lists and the
// names of the frames the panel sends. No handlers, so tools link it alone.
#include "core/command_table.h"

#include "command_list.h"

namespace nimbrel {
namespace {

struct PanelFrame {
    std::uint8_t code;
    bool anySub; // otherwise only frames whose second byte is sub
    std::uint8_t sub;
    const char* name;
};

// First match wins: the B1 reports with a known sub-command come before the
// catch-all.
constexpr PanelFrame kPanelFrames[] = {
    {0x01, true, 0, "TouchPress"},
    {0x03, true, 0, "TouchRelease"},
    {0x04, true, 0, "CalibrationDone"},
    {0x05, true, 0, "DumpBufferReply"},
    {0x55, true, 0, "HandshakeReply"},
    {0x86, true, 0, "KeyboardText"},
    {0xA5, true, 0, "AcknowledgeReply"},
    {0xB1, false, 0x01, "ScreenReport"},
    {0xB1, false, 0x11, "ControlValueReport"},
    {0xB1, false, 0x26, "AnimationTouched"},
    {0xB1, true, 0, "ControlReport"},
    {0xF4, true, 0, "Heartbeat"},
    {0xF7, true, 0, "ClockReply"},
    {0xFE, true, 0, "VersionReply"},
};

} // namespace

CommandList hostCommands() {
    return CommandList{kHostCommandSpecs, kHostCommandCount};
}

CommandList controlCommands() {
    return CommandList{kControlCommandSpecs, kControlCommandCount};
}

const CommandEntry* findHostCommand(std::uint8_t code) {
    const std::uint8_t at = kHostCommandPositions[code];
    return at == kNoCommand ? nullptr : &kHostCommandSpecs[at];
}

const CommandEntry* findControlCommand(std::uint8_t sub) {
    const std::uint8_t at = kControlCommandPositions[sub];
    return at == kNoCommand ? nullptr : &kControlCommandSpecs[at];
}

bool parametersFit(const ParameterLayout& layout, std::size_t parameterBytes) {
    if (parameterBytes < layout.fixedBytes)
        return false;
    const std::size_t rest = parameterBytes - layout.fixedBytes;
    if (layout.openEnded)
        return true;
    if (layout.groupBytes != 0)
        return rest % layout.groupBytes == 0;
    return rest == 0 || rest == layout.optionalBytes;
}

const char* panelFrameName(std::uint8_t code, std::uint8_t sub) {
    for (const PanelFrame& f : kPanelFrames)
        if (f.code == code && (f.anySub || f.sub == sub))
            return f.name;
    return "";
}

} // namespace nimbrel
