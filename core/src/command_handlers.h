// The handlers of the command lists and the frame view they are given.
#pragma once

#include "command_list.h"

#include <cstddef>
#include <cstdint>

namespace nimbrel {

struct CommandFrame {
    const std::uint8_t* frame; // the whole frame, head and tail included
    std::size_t length;
    std::uint8_t code;             // the command or sub-command byte
    const std::uint8_t* p;         // parameters after that byte
    std::size_t n;                 // their count, tail excluded
    const ParameterLayout* layout; // of the command
    std::size_t groups;            // whole groups after the fixed bytes

    const std::uint8_t* group(std::size_t i) const {
        return p + layout->fixedBytes + i * layout->groupBytes;
    }
};

using CommandHandler = void (*)(const CommandFrame&);

// Runs the handler when the parameters hold the command's fixed bytes.
void runCommand(const CommandEntry& entry, CommandHandler handler, const std::uint8_t* frame,
                std::size_t length, const std::uint8_t* parameters, std::size_t count);

#define NIMBREL_DECLARE_HANDLER(code, name, layout, handler) void handler(const CommandFrame&);
#define NIMBREL_HANDLER_ENTRY(code, name, layout, handler) &cmd::handler,

namespace cmd {
NIMBREL_HOST_COMMANDS(NIMBREL_DECLARE_HANDLER)
NIMBREL_CONTROL_COMMANDS(NIMBREL_DECLARE_HANDLER)
} // namespace cmd

} // namespace nimbrel
