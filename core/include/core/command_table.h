// The panel's command vocabulary, as the core's dispatcher acts on it: every
// command code with its name and parameter layout, the control sub-commands
// of B1, and the names of the frames the panel sends. Tools read it (the
// simulator's traffic log, checks of the IDE's command dictionary); it is
// linked from the static core library or from nimbrel_commands alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

// Parameters after the command (or sub-command) byte: fixedBytes that the
// command always reads, optionalBytes more that it reads when all present,
// then either repeated groups of groupBytes (a group cut short is ignored) or,
// when openEnded, data of any length (text, a control definition, samples).
struct ParameterLayout {
    std::uint16_t fixedBytes;
    std::uint8_t optionalBytes;
    std::uint8_t groupBytes;
    bool openEnded;
};

struct CommandEntry {
    std::uint8_t code;
    const char* name; // "" for codes accepted without effect
    ParameterLayout parameters;
};

struct CommandList {
    const CommandEntry* items;
    std::size_t count;
};

// Commands from the host, in code order. Codes not listed are ignored.
CommandList hostCommands();
// Sub-commands of B1 (the byte after B1), in code order.
CommandList controlCommands();
// Null when the code is not a command.
const CommandEntry* findHostCommand(std::uint8_t code);
const CommandEntry* findControlCommand(std::uint8_t sub);

// True when parameters of that many bytes fill the layout exactly: the fixed
// bytes, all or none of the optional ones, then whole groups or any data.
// The dispatcher itself accepts longer parameter lists and ignores the rest.
bool parametersFit(const ParameterLayout& layout, std::size_t parameterBytes);

// Name of a frame the panel sends, by its first byte after EE and, for B1,
// the byte after it; "" when the panel sends no such frame.
const char* panelFrameName(std::uint8_t code, std::uint8_t sub);

} // namespace nimbrel
