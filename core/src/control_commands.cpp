// The control sub-commands of B1, run from the command list: switching and
// reporting screens, text focus, setting and reading control values, and the
// animation and graph commands.
#include "command_handlers.h"
#include "core_state.h"
#include "screens.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr CommandHandler kControlHandlers[] = {NIMBREL_CONTROL_COMMANDS(NIMBREL_HANDLER_ENTRY)};
static_assert(sizeof kControlHandlers / sizeof kControlHandlers[0] == kControlCommandCount,
              "one handler per listed sub-command");

// EE B1 sub FF FC FF FF
constexpr std::size_t kShortestControlFrame = 7;

std::uint16_t screenOf(const CommandFrame& c) {
    return be16(c.p);
}
std::uint16_t controlOf(const CommandFrame& c) {
    return be16(c.p + 2);
}

} // namespace

void runControlCommand(const std::uint8_t* frame, std::size_t length) {
    if (length < kShortestControlFrame)
        return;
    const std::uint8_t at = kControlCommandPositions[frame[2]];
    if (at == kNoCommand)
        return;
    runCommand(kControlCommandSpecs[at], kControlHandlers[at], frame, length, frame + 3,
               length - kShortestControlFrame);
}

namespace cmd {

void switchScreen(const CommandFrame& c) {
    changeScreen(be16(c.p));
}

void getScreen(const CommandFrame&) {
    sendScreenNotification(g_screens.current);
}

void focusText(const CommandFrame& c) {
    if (c.p[4] != 0) {
        nimbrel::focusText(g_screens.current, controlOf(c));
    } else {
        leaveFocus();
        hideCursor();
    }
}

void setControlValue(const CommandFrame& c) {
    const std::uint16_t screen = screenOf(c), control = controlOf(c);
    std::uint8_t type = 0;
    std::uint8_t value[kMaxTextLength];
    std::size_t valueLength = 0;
    if (!loadValue(screen, control, value, sizeof value, &valueLength, &type))
        return;
    const std::uint8_t* data = c.p + 4;
    const std::size_t dataLength = c.n - 4;
    switch (type) {
    case kTypeButton:
        if (dataLength < 1)
            return;
        value[0] = data[0] & 1;
        storeValue(screen, control, value, 1);
        break;
    case kTypeText:
        storeValue(screen, control, data,
                   dataLength < kMaxTextLength ? dataLength : kMaxTextLength);
        textValueChanged(screen, control);
        break;
    case kTypeProgress:
    case kTypeSlider:
    case kTypeMeter:
        if (dataLength < 4)
            return;
        storeValue(screen, control, data, 4);
        break;
    default:
        return;
    }
    markRender();
}

void getControlValue(const CommandFrame& c) {
    const std::uint16_t screen = screenOf(c), control = controlOf(c);
    std::uint8_t type = 0;
    std::uint8_t value[kMaxTextLength];
    std::size_t valueLength = 0;
    if (!loadValue(screen, control, value, sizeof value, &valueLength, &type))
        return;
    switch (type) {
    case kTypeButton:
    case kTypeText:
    case kTypeProgress:
    case kTypeSlider:
    case kTypeMeter:
        sendControlValue(screen, control, type, value, valueLength);
        break;
    default:
        break;
    }
}

void animation(const CommandFrame& c) {
    const std::uint16_t screen = screenOf(c), control = controlOf(c);
    AnimationValue a{};
    std::size_t length = 0;
    std::uint8_t type = 0;
    if (!loadValue(screen, control, reinterpret_cast<std::uint8_t*>(&a), sizeof a, &length,
                   &type) ||
        type != kTypeAnimation || length != sizeof a || a.frames == 0)
        return;
    switch (c.code) {
    case 0x20:
        a.lastStep = g_core.tick;
        a.running = 1;
        break;
    case 0x21:
        a.current = 0;
        a.running = 0;
        a.loopsDone = 0;
        break;
    case 0x22:
        a.running = 0;
        break;
    case 0x23:
        a.lastStep = g_core.tick;
        // A frame past the end would index outside the picture's frames.
        a.current = static_cast<std::uint8_t>(c.p[4] % a.frames);
        break;
    case 0x24:
        a.lastStep = g_core.tick;
        a.current = static_cast<std::uint8_t>(a.current == 0 ? a.frames - 1 : a.current - 1);
        break;
    default: // 0x25
        a.lastStep = g_core.tick;
        a.current = static_cast<std::uint8_t>((a.current + 1) % a.frames);
        break;
    }
    storeValue(screen, control, reinterpret_cast<const std::uint8_t*>(&a), sizeof a);
    markRender();
}

void graph(const CommandFrame& c) {
    const std::uint16_t screen = screenOf(c), control = controlOf(c);
    GraphValue g{};
    if (!loadGraph(screen, control, &g))
        return;
    if (c.code == 0x34) {
        g.xOffset = static_cast<std::int16_t>(be16(c.p + 4));
        g.xScale = be16(c.p + 6);
        g.yOffset = static_cast<std::int16_t>(be16(c.p + 8));
        g.yScale = be16(c.p + 10);
    } else {
        const std::uint8_t ch = c.p[4];
        if (ch >= kGraphChannels)
            return;
        switch (c.code) {
        case 0x30:
            g.mask = static_cast<std::uint8_t>(g.mask | (1u << ch));
            g.colours[ch] = be16(c.p + 5);
            break;
        case 0x31:
            g.mask = static_cast<std::uint8_t>(g.mask & ~(1u << ch));
            break;
        case 0x32: {
            std::size_t count = be16(c.p + 5);
            // Only the bytes the frame really carries.
            if (count > c.n - 7)
                count = c.n - 7;
            const std::size_t capacity = static_cast<std::size_t>(g.depth) * g.count;
            if (count == 0 || count > capacity)
                return;
            std::size_t keep = g.lengths[ch];
            if (keep + count > capacity)
                keep = capacity - count;
            // Staged so a failed allocation leaves the channel as it was.
            static std::uint8_t staged[kBlockCount * kBlockSize];
            if (keep + count > sizeof staged)
                return;
            const std::uint8_t* old = blockData(g.refs[ch]);
            std::memcpy(staged, old + (g.lengths[ch] - keep), keep);
            std::memcpy(staged + keep, c.p + 7, count);
            if (!putChannelData(g.refs[ch], staged, keep + count))
                return;
            g.lengths[ch] = static_cast<std::uint16_t>(keep + count);
            break;
        }
        default: // 0x33
            freeChannelData(g.refs[ch]);
            g.lengths[ch] = 0;
            break;
        }
    }
    storeValue(screen, control, reinterpret_cast<const std::uint8_t*>(&g), sizeof g);
    markRender();
}

} // namespace cmd
} // namespace nimbrel
