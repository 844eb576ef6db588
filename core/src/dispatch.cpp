// The command dispatcher: every frame from the host or from a screen record
// goes through dispatch(), which finds the command by its second byte in the
// command list and runs its handler. Also the one builder of reply frames.
#include "command_handlers.h"
#include "core/hardware.h"
#include "core_state.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::size_t kFrameOverhead = 6; // EE, command, FF FC FF FF
constexpr std::uint8_t kSetBacklight = 0x60;

constexpr CommandHandler kHostHandlers[] = {NIMBREL_HOST_COMMANDS(NIMBREL_HANDLER_ENTRY)};
static_assert(sizeof kHostHandlers / sizeof kHostHandlers[0] == kHostCommandCount,
              "one handler per listed command");

} // namespace

void markDirty() {
    if (!g_core.displayDirty) {
        g_core.displayDirty = true;
        g_core.timers[kSlotCompose].start = g_core.tick;
    }
}

void sendFrame(const std::uint8_t* body, std::size_t length) {
    std::uint8_t out[kMaxReplyBody + 5];
    if (length > kMaxReplyBody)
        return;
    out[0] = 0xEE;
    std::memcpy(out + 1, body, length);
    const std::uint8_t tail[] = {0xFF, 0xFC, 0xFF, 0xFF};
    std::memcpy(out + 1 + length, tail, sizeof tail);
    send_data(out, static_cast<std::uint32_t>(length + 5));
}

void runCommand(const CommandEntry& entry, CommandHandler handler, const std::uint8_t* frame,
                std::size_t length, const std::uint8_t* parameters, std::size_t count) {
    const ParameterLayout& layout = entry.parameters;
    if (count < layout.fixedBytes)
        return;
    const std::size_t groups =
        layout.groupBytes == 0 ? 0 : (count - layout.fixedBytes) / layout.groupBytes;
    handler(CommandFrame{frame, length, entry.code, parameters, count, &layout, groups});
}

void dispatch(const std::uint8_t* frame, std::size_t length) {
    if (!frame || length < 2)
        return;
    const std::uint8_t code = frame[1];
    // Every command but the backlight, known or not, asks for a composition.
    if (code != kSetBacklight)
        markDirty();
    const std::uint8_t at = kHostCommandPositions[code];
    if (at == kNoCommand)
        return;
    // Parameters lie between the command byte and the four tail bytes.
    const std::size_t n = length >= kFrameOverhead ? length - kFrameOverhead : 0;
    runCommand(kHostCommandSpecs[at], kHostHandlers[at], frame, length, frame + 2, n);
}

} // namespace nimbrel
