// Names of the panel's commands and replies, for the description column of
// the log, taken from the core's command table.
#include "core/command_table.h"
#include "simulator/traffic_log.h"

namespace tft {

std::string commandName(const std::uint8_t* frame, std::size_t length, bool fromPanel) {
    std::size_t i = 0;
    while (i < length && frame[i] != kFrameHead)
        ++i;
    if (i + 1 >= length || length - i < 6)
        return {};
    const std::uint8_t code = frame[i + 1];
    const bool hasSub = i + 2 < length - 4;
    const std::uint8_t sub = hasSub ? frame[i + 2] : 0xFF;
    if (fromPanel)
        return nimbrel::panelFrameName(code, sub);
    const nimbrel::CommandEntry* command = nimbrel::findHostCommand(code);
    if (!command)
        return {};
    std::string name = command->name;
    if (code == 0xB1 && hasSub) {
        if (const nimbrel::CommandEntry* control = nimbrel::findControlCommand(sub))
            name += std::string("/") + control->name;
    }
    return name;
}

} // namespace tft
