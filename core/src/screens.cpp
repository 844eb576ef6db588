// The compiled-screen runtime: reading the screen image through two cached
// windows, the control state store, project load, changing and rendering
// screens, and the control sub-commands.
#include "screens.h"

#include "core/hardware.h"
#include "core_state.h"
#include "text.h"

#include <cstring>

namespace nimbrel {

ScreenRuntime g_screens;

namespace {

constexpr std::uint32_t kHeaderImageSize = 44;
constexpr std::uint32_t kIndexEntrySize = 8;
constexpr std::size_t kReplyCapacity = 16 + kMaxTextLength;
constexpr std::uint32_t kClockRenderTicks = 100;

// The image is never held whole: one window caches index entries, the other
// record bytes. A window near the end of the image may hold fewer bytes.
struct ReadWindow {
    std::uint32_t base;
    std::uint32_t size;
    std::uint8_t data[kReadWindow];
};
ReadWindow g_indexWindow;
ReadWindow g_recordWindow;
std::uint32_t g_imageSize; // 0: not recorded in the header, reads are checked by the layer

bool readImage(ReadWindow& w, std::uint32_t offset, std::uint8_t* out, std::uint32_t length) {
    if (length > kReadWindow)
        return false;
    if (g_imageSize != 0 &&
        static_cast<std::uint64_t>(offset) + length > static_cast<std::uint64_t>(g_imageSize))
        return false;
    if (!(offset >= w.base && static_cast<std::uint64_t>(offset) + length <=
                                  static_cast<std::uint64_t>(w.base) + w.size)) {
        w.size = 0;
        std::uint32_t want = kReadWindow;
        if (g_imageSize != 0 && g_imageSize - offset < want)
            want = g_imageSize - offset;
        if (ReadScreenInfo(offset, w.data, want)) {
            w.size = want;
        } else if (want != length && ReadScreenInfo(offset, w.data, length)) {
            w.size = length; // the layer refuses reads past the end: take just what is wanted
        } else {
            return false;
        }
        w.base = offset;
        if (w.size < length)
            return false;
    }
    std::memcpy(out, w.data + (offset - w.base), length);
    return true;
}

void forgetWindows() {
    g_indexWindow.base = g_recordWindow.base = 0;
    g_indexWindow.size = g_recordWindow.size = 0;
}

// Store: slot table and block pool.
struct Slot {
    std::uint16_t screen;
    std::uint16_t control;
    std::uint32_t info; // bits 0-7 type, 8 in use, 9-10 set at creation, 16-31 value length
    std::uint32_t value;
};
constexpr std::uint32_t kInUse = 0x100;
constexpr std::uint32_t kCreated = 0x600;

struct Store {
    Slot slots[kSlotCount];
    std::uint8_t map[kBlockCount / 8];
    std::uint8_t pool[kBlockCount * kBlockSize];
};
Store g_store;

bool blockUsed(std::size_t k) {
    return (g_store.map[k / 8] >> (k & 7)) & 1;
}
void markBlocks(std::size_t first, std::size_t count, bool used) {
    for (std::size_t k = first; k < first + count && k < kBlockCount; ++k) {
        if (used)
            g_store.map[k / 8] = static_cast<std::uint8_t>(g_store.map[k / 8] | (1u << (k & 7)));
        else
            g_store.map[k / 8] = static_cast<std::uint8_t>(g_store.map[k / 8] & ~(1u << (k & 7)));
    }
}
// First-fit run of count free blocks; -1 when there is none.
long allocateRun(std::size_t count) {
    if (count == 0 || count > kBlockCount)
        return -1;
    std::size_t run = 0;
    for (std::size_t k = 0; k < kBlockCount; ++k) {
        run = blockUsed(k) ? 0 : run + 1;
        if (run == count) {
            markBlocks(k + 1 - count, count, true);
            return static_cast<long>(k + 1 - count);
        }
    }
    return -1;
}
std::size_t refCount(std::uint32_t ref) {
    return ref & 0xFFFF;
}
std::size_t refFirst(std::uint32_t ref) {
    return ref >> 16;
}
void freeRef(std::uint32_t& ref) {
    if (refCount(ref) != 0)
        markBlocks(refFirst(ref), refCount(ref), false);
    ref = 0;
}
std::size_t blocksFor(std::size_t length) {
    return (length + kBlockSize - 1) / kBlockSize;
}
// Places bytes in the run of ref, moving to a larger run when needed. On
// failure the old bytes stay where they were.
bool putBlocks(std::uint32_t& ref, const std::uint8_t* bytes, std::size_t length) {
    const std::size_t need = blocksFor(length);
    if (refCount(ref) < need) {
        const long first = allocateRun(need);
        if (first < 0)
            return false;
        freeRef(ref);
        ref = (static_cast<std::uint32_t>(first) << 16) | static_cast<std::uint32_t>(need);
    }
    if (length > 0)
        std::memmove(g_store.pool + refFirst(ref) * kBlockSize, bytes, length);
    return true;
}

bool usesBlocks(std::uint8_t type) {
    return type == kTypeText || type == kTypeAnimation || type == kTypeGraph;
}

std::size_t probe(std::size_t h, std::size_t i) {
    return (h + i * (i + 1) / 2) % kSlotCount;
}

// The slot of the key, or with create the free slot where it goes. Null when
// absent (or, creating, when the table is full).
Slot* findSlot(std::uint16_t screen, std::uint16_t control, bool create, std::uint8_t type) {
    const std::size_t h = (control + static_cast<std::size_t>(screen) * 256) % kSlotCount;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        Slot& s = g_store.slots[probe(h, i)];
        if (!(s.info & kInUse)) {
            if (!create)
                return nullptr;
            s = Slot{screen, control, kInUse | kCreated | type, 0};
            return &s;
        }
        if (s.screen == screen && s.control == control)
            return &s;
    }
    return nullptr;
}

void clearStore() {
    std::memset(&g_store, 0, sizeof g_store);
}

bool writeSlotValue(Slot& s, const std::uint8_t* bytes, std::size_t length) {
    const std::uint8_t type = static_cast<std::uint8_t>(s.info & 0xFF);
    if (usesBlocks(type)) {
        if (!putBlocks(s.value, bytes, length))
            return false;
    } else {
        if (length > 4)
            length = 4;
        std::uint8_t inline4[4] = {};
        std::memcpy(inline4, bytes, length);
        std::memcpy(&s.value, inline4, 4);
    }
    s.info = (s.info & 0xFFFF) | (static_cast<std::uint32_t>(length) << 16);
    return true;
}

GraphValue initialGraph(const Definition& def) {
    GraphValue g{};
    g.mode = def.u8(13);
    g.depth = def.u8(14) == 2 ? 2 : 1;
    g.count = def.u16(15);
    g.xScale = 100;
    g.yScale = 100;
    return g;
}

// Initial value of a control from its definition, cut to capacity; returns its length.
std::size_t initialValue(const Definition& def, std::uint8_t* result, std::size_t capacity) {
    std::uint8_t out[sizeof(GraphValue) + kMaxTextLength];
    std::size_t length = 0;
    switch (def.type()) {
    case kTypeButton:
        out[0] = def.u8(25) == 1 ? def.u8(28) : 0;
        length = 1;
        break;
    case kTypeText: {
        length = def.u8(26);
        for (std::size_t i = 0; i < length; ++i)
            out[i] = def.u8(27 + i);
        break;
    }
    case kTypeProgress:
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = def.u8(24 + i);
        length = 4;
        break;
    case kTypeSlider:
    case kTypeMeter:
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = def.u8(13 + i);
        length = 4;
        break;
    case kTypeAnimation: {
        std::uint8_t record[16] = {};
        AnimationValue a{};
        a.lastStep = g_core.tick;
        if (TFT_GetImageIndex(def.u16(13), 1, record))
            a.frames = record[15];
        a.running = def.u8(15) ? 1 : 0;
        std::memcpy(out, &a, sizeof a);
        length = sizeof a;
        break;
    }
    case kTypeGraph: {
        const GraphValue g = initialGraph(def);
        std::memcpy(out, &g, sizeof g);
        length = sizeof g;
        break;
    }
    default:
        break;
    }
    if (length > capacity)
        length = capacity;
    std::memcpy(result, out, length);
    return length;
}

void showMemoryError() {
    g_core.memoryError = true;
    SelWriteLayer(0);
    GUI_ClearSCR(kBlue);
    TextStyle style{};
    style.colour = kRed;
    style.boxWidth = kDrawWidth;
    style.boxHeight = kDrawHeight;
    const char* text = "Memory is insufficient!!!";
    drawText(1, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text), 300, 300, style);
    SelDispLayer(0);
}

// Builds every control's slot; false on a full table.
bool buildStore() {
    clearStore();
    RecordScan scan;
    std::uint8_t value[sizeof(GraphValue) + kMaxTextLength];
    for (std::uint32_t screen = 0; screen < g_core.header.screenCount && screen < kNone; ++screen) {
        if (!scan.begin(static_cast<std::uint16_t>(screen)))
            continue;
        const std::uint8_t* frame = nullptr;
        std::size_t length = 0;
        while (scan.next(&frame, &length)) {
            if (length < 5 || frame[1] != 0xB0)
                continue;
            const Definition def = definitionOf(frame, length);
            Slot* existing = findSlot(static_cast<std::uint16_t>(screen), def.id(), false, 0);
            if (existing)
                continue;
            Slot* s = findSlot(static_cast<std::uint16_t>(screen), def.id(), true, def.type());
            if (!s)
                return false;
            writeSlotValue(*s, value, initialValue(def, value, sizeof value));
        }
    }
    return true;
}

void replayStartBlock() {
    const ProjectHeader& h = g_core.header;
    const std::uint64_t entry = static_cast<std::uint64_t>(h.startTableOffset) +
                                static_cast<std::uint64_t>(h.startScreen) * kIndexEntrySize;
    if (h.startScreen == 0xFFFFFFFFu || entry > 0xFFFFFFFFull - kIndexEntrySize)
        return;
    RecordScan scan;
    if (!scan.beginEntry(static_cast<std::uint32_t>(entry)))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    while (scan.next(&frame, &length)) {
        if (length >= 8 && frame[1] == 0xB2)
            changeScreen(be16(frame + 2));
        else if (length >= 2 && frame[1] == 0xB1)
            runControlCommand(frame, length);
        else
            dispatch(frame, length);
    }
}

void stepAnimationsAndClocks() {
    if (g_screens.current == kNone)
        return;
    RecordScan scan;
    if (!scan.begin(g_screens.current))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    bool clockSeen = false;
    while (scan.next(&frame, &length)) {
        if (length < 5 || frame[1] != 0xB0)
            continue;
        const Definition def = definitionOf(frame, length);
        if (def.type() == kTypeClock) {
            clockSeen = true;
        } else if (def.type() == kTypeAnimation) {
            AnimationValue a{};
            std::size_t n = 0;
            if (!loadValue(g_screens.current, def.id(), reinterpret_cast<std::uint8_t*>(&a),
                           sizeof a, &n, nullptr) ||
                n != sizeof a)
                continue;
            if (!a.running || a.frames == 0 || g_core.tick - a.lastStep <= def.u16(16))
                continue;
            a.lastStep = g_core.tick;
            if (a.current + 1 >= a.frames)
                ++a.loopsDone;
            a.current = static_cast<std::uint8_t>((a.current + 1) % a.frames);
            if (def.u8(18) != 0 && a.loopsDone >= def.u8(18))
                a.running = 0;
            storeValue(g_screens.current, def.id(), reinterpret_cast<const std::uint8_t*>(&a),
                       sizeof a);
            markRender();
        }
    }
    if (clockSeen && g_core.tick - g_screens.lastClockRender >= kClockRenderTicks) {
        g_screens.lastClockRender = g_core.tick;
        markRender();
    }
}

void replayCurrent() {
    RecordScan scan;
    if (!scan.begin(g_screens.current))
        return;
    const std::uint8_t* frame = nullptr;
    std::size_t length = 0;
    while (scan.next(&frame, &length)) {
        if (length >= 8 && frame[1] == 0xB2) {
            const std::uint16_t screen = be16(frame + 2);
            if (screen < screenCount() && screen != g_screens.current)
                changeScreen(screen);
        } else if (length >= 2 && frame[1] == 0xB1) {
            runControlCommand(frame, length);
        } else {
            dispatch(frame, length);
        }
    }
}

void animationCommand(std::uint8_t sub, std::uint16_t screen, std::uint16_t control,
                      const std::uint8_t* p, std::size_t n) {
    AnimationValue a{};
    std::size_t length = 0;
    std::uint8_t type = 0;
    if (!loadValue(screen, control, reinterpret_cast<std::uint8_t*>(&a), sizeof a, &length,
                   &type) ||
        type != kTypeAnimation || length != sizeof a || a.frames == 0)
        return;
    switch (sub) {
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
        if (n < 6)
            return;
        a.lastStep = g_core.tick;
        // A frame past the end would index outside the picture's frames.
        a.current = static_cast<std::uint8_t>(p[5] % a.frames);
        break;
    case 0x24:
        a.lastStep = g_core.tick;
        a.current = static_cast<std::uint8_t>(a.current == 0 ? a.frames - 1 : a.current - 1);
        break;
    case 0x25:
        a.lastStep = g_core.tick;
        a.current = static_cast<std::uint8_t>((a.current + 1) % a.frames);
        break;
    default:
        return;
    }
    storeValue(screen, control, reinterpret_cast<const std::uint8_t*>(&a), sizeof a);
    markRender();
}

void graphCommand(std::uint8_t sub, std::uint16_t screen, std::uint16_t control,
                  const std::uint8_t* p, std::size_t n) {
    Slot* s = findSlot(screen, control, false, 0);
    if (!s || (s->info & 0xFF) != kTypeGraph || (s->info >> 16) != sizeof(GraphValue) ||
        refCount(s->value) == 0)
        return;
    GraphValue g{};
    std::memcpy(&g, g_store.pool + refFirst(s->value) * kBlockSize, sizeof g);
    if (sub == 0x34) {
        if (n < 13)
            return;
        g.xOffset = static_cast<std::int16_t>(be16(p + 5));
        g.xScale = be16(p + 7);
        g.yOffset = static_cast<std::int16_t>(be16(p + 9));
        g.yScale = be16(p + 11);
    } else {
        if (n < 6 || p[5] >= kGraphChannels)
            return;
        const std::uint8_t ch = p[5];
        switch (sub) {
        case 0x30:
            if (n < 8)
                return;
            g.mask = static_cast<std::uint8_t>(g.mask | (1u << ch));
            g.colours[ch] = be16(p + 6);
            break;
        case 0x31:
            g.mask = static_cast<std::uint8_t>(g.mask & ~(1u << ch));
            break;
        case 0x32: {
            if (n < 8)
                return;
            std::size_t count = be16(p + 6);
            // Only the bytes the frame really carries.
            if (count > n - 8)
                count = n - 8;
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
            const std::uint8_t* old = g_store.pool + refFirst(g.refs[ch]) * kBlockSize;
            std::memcpy(staged, old + (g.lengths[ch] - keep), keep);
            std::memcpy(staged + keep, p + 8, count);
            if (!putBlocks(g.refs[ch], staged, keep + count))
                return;
            g.lengths[ch] = static_cast<std::uint16_t>(keep + count);
            break;
        }
        case 0x33:
            freeRef(g.refs[ch]);
            g.lengths[ch] = 0;
            break;
        default:
            return;
        }
    }
    std::memcpy(g_store.pool + refFirst(s->value) * kBlockSize, &g, sizeof g);
    markRender();
}

} // namespace

Definition definitionOf(const std::uint8_t* frame, std::size_t length) {
    return Definition{frame, length >= 4 ? length - 4 : 0};
}

bool RecordScan::beginEntry(std::uint32_t entryOffset) {
    active_ = false;
    std::uint8_t entry[kIndexEntrySize];
    if (!readImage(g_indexWindow, entryOffset, entry, kIndexEntrySize))
        return false;
    last_ = le32(entry);
    offset_ = le32(entry + 4);
    position_ = 0;
    if (last_ > kEmptyRecord)
        return false;
    if (static_cast<std::uint64_t>(offset_) + last_ > 0xFFFFFFFFull)
        return false;
    active_ = true;
    return true;
}

bool RecordScan::begin(std::uint16_t screen) {
    active_ = false;
    if (screen >= screenCount())
        return false;
    const std::uint64_t entry = static_cast<std::uint64_t>(g_core.header.indexOffset) +
                                static_cast<std::uint64_t>(screen) * kIndexEntrySize;
    if (entry > 0xFFFFFFFFull - kIndexEntrySize)
        return false;
    return beginEntry(static_cast<std::uint32_t>(entry));
}

bool RecordScan::next(const std::uint8_t** frame, std::size_t* length) {
    if (!active_)
        return false;
    std::size_t n = 0;
    while (position_ <= last_) {
        if (n == kScanFrameCapacity) {
            active_ = false; // no tail within the frame buffer: the scan ends
            return false;
        }
        if (!readImage(g_recordWindow, offset_ + position_, frame_ + n, 1)) {
            active_ = false;
            return false;
        }
        ++position_;
        ++n;
        if (n > 4 && frame_[n - 4] == 0xFF && frame_[n - 3] == 0xFC && frame_[n - 2] == 0xFF &&
            frame_[n - 1] == 0xFF) {
            *frame = frame_;
            *length = n;
            return true;
        }
    }
    active_ = false;
    return false;
}

bool findDefinition(std::uint16_t screen, std::uint16_t control, std::uint8_t* buffer,
                    std::size_t* length) {
    RecordScan scan;
    if (!scan.begin(screen))
        return false;
    const std::uint8_t* frame = nullptr;
    std::size_t n = 0;
    while (scan.next(&frame, &n)) {
        if (n >= 8 && frame[1] == 0xB0 && be16(frame + 2) == control) {
            std::memcpy(buffer, frame, n);
            *length = n;
            return true;
        }
    }
    return false;
}

bool storeValue(std::uint16_t screen, std::uint16_t control, const std::uint8_t* bytes,
                std::size_t length) {
    Slot* s = findSlot(screen, control, false, 0);
    if (!s)
        return false;
    return writeSlotValue(*s, bytes, length);
}

bool loadValue(std::uint16_t screen, std::uint16_t control, std::uint8_t* out, std::size_t capacity,
               std::size_t* length, std::uint8_t* type) {
    const Slot* s = findSlot(screen, control, false, 0);
    if (!s)
        return false;
    const std::uint8_t t = static_cast<std::uint8_t>(s->info & 0xFF);
    std::size_t n = s->info >> 16;
    if (type)
        *type = t;
    if (n > capacity)
        n = capacity;
    if (usesBlocks(t)) {
        if (n > refCount(s->value) * kBlockSize)
            n = refCount(s->value) * kBlockSize;
        if (n > 0)
            std::memcpy(out, g_store.pool + refFirst(s->value) * kBlockSize, n);
    } else {
        if (n > 4)
            n = 4;
        std::memcpy(out, &s->value, n);
    }
    *length = n;
    return true;
}

bool loadGraph(std::uint16_t screen, std::uint16_t control, GraphValue* graph) {
    std::size_t n = 0;
    std::uint8_t type = 0;
    return loadValue(screen, control, reinterpret_cast<std::uint8_t*>(graph), sizeof *graph, &n,
                     &type) &&
           type == kTypeGraph && n == sizeof *graph;
}

const std::uint8_t* blockData(std::uint32_t ref) {
    return g_store.pool + refFirst(ref) * kBlockSize;
}

std::size_t currentValue(const Definition& def, std::uint16_t screen, std::uint8_t* out,
                         std::size_t capacity) {
    std::size_t n = 0;
    if (loadValue(screen, def.id(), out, capacity, &n, nullptr))
        return n;
    return initialValue(def, out, capacity);
}

std::uint32_t numericValue(const Definition& def, std::uint16_t screen) {
    std::uint8_t v[4] = {};
    currentValue(def, screen, v, sizeof v);
    return (static_cast<std::uint32_t>(v[0]) << 24) | (static_cast<std::uint32_t>(v[1]) << 16) |
           (static_cast<std::uint32_t>(v[2]) << 8) | v[3];
}

std::uint16_t screenCount() {
    return g_core.header.screenCount > kNone
               ? kNone
               : static_cast<std::uint16_t>(g_core.header.screenCount);
}

void markRender() {
    if (!g_screens.needsRender) {
        g_screens.needsRender = true;
        g_core.timers[kSlotRender].start = g_core.tick;
    }
}

void sendFrame(const std::uint8_t* body, std::size_t length) {
    std::uint8_t out[kReplyCapacity + 5];
    if (length > kReplyCapacity)
        return;
    out[0] = 0xEE;
    std::memcpy(out + 1, body, length);
    const std::uint8_t tail[] = {0xFF, 0xFC, 0xFF, 0xFF};
    std::memcpy(out + 1 + length, tail, sizeof tail);
    send_data(out, static_cast<std::uint32_t>(length + 5));
}

void sendControlValue(std::uint16_t screen, std::uint16_t control, std::uint8_t type,
                      const std::uint8_t* data, std::size_t length) {
    std::uint8_t body[kReplyCapacity];
    if (length > kMaxTextLength)
        length = kMaxTextLength;
    const std::uint8_t head[] = {0xB1,
                                 0x11,
                                 static_cast<std::uint8_t>(screen >> 8),
                                 static_cast<std::uint8_t>(screen),
                                 static_cast<std::uint8_t>(control >> 8),
                                 static_cast<std::uint8_t>(control),
                                 type};
    std::memcpy(body, head, sizeof head);
    if (length > 0)
        std::memcpy(body + sizeof head, data, length);
    std::size_t n = sizeof head + length;
    if (type == kTypeText)
        body[n++] = 0x00;
    sendFrame(body, n);
}

void sendScreenNotification(std::uint16_t screen) {
    const std::uint8_t body[] = {0xB1, 0x01, static_cast<std::uint8_t>(screen >> 8),
                                 static_cast<std::uint8_t>(screen)};
    sendFrame(body, sizeof body);
}

void changeScreen(std::uint16_t screen) {
    if (screen >= screenCount() || screen == g_screens.current)
        return;
    leaveFocus();
    keyboardClose();
    stopAnimatedPicture();
    hideCursor();
    timerClear(kSlotScreenLocal);
    g_screens.pressedScreen = kNone;
    g_screens.pressedControl = kNone;
    g_screens.current = screen;
    g_screens.notifyPending = true;
    if (g_core.clearOnScreenChange) {
        const int previous = SelWriteLayer(g_core.userLayer);
        GUI_ClearSCR(0);
        SelWriteLayer(previous);
    }
    markRender();
}

void runControlCommand(const std::uint8_t* frame, std::size_t length) {
    if (length < 7)
        return;
    const std::uint8_t* p = frame + 2;
    const std::size_t n = length - 6;
    const std::uint8_t sub = p[0];
    if (sub == 0x00) {
        if (n >= 3)
            changeScreen(be16(p + 1));
        return;
    }
    if (sub == 0x01) {
        sendScreenNotification(g_screens.current);
        return;
    }
    if (n < 5)
        return;
    const std::uint16_t screen = be16(p + 1);
    const std::uint16_t control = be16(p + 3);
    if (sub == 0x02) {
        if (n < 6)
            return;
        if (p[5] != 0) {
            focusText(g_screens.current, control);
        } else {
            leaveFocus();
            hideCursor();
        }
        return;
    }
    if (sub >= 0x20 && sub <= 0x25) {
        animationCommand(sub, screen, control, p, n);
        return;
    }
    if (sub >= 0x30 && sub <= 0x34) {
        graphCommand(sub, screen, control, p, n);
        return;
    }
    std::uint8_t type = 0;
    std::uint8_t value[kMaxTextLength];
    std::size_t valueLength = 0;
    if (!loadValue(screen, control, value, sizeof value, &valueLength, &type))
        return;
    if (sub == 0x10) {
        switch (type) {
        case kTypeButton:
            if (n < 6)
                return;
            value[0] = p[5] & 1;
            storeValue(screen, control, value, 1);
            break;
        case kTypeText: {
            std::size_t textLength = n - 5;
            if (textLength > kMaxTextLength)
                textLength = kMaxTextLength;
            storeValue(screen, control, p + 5, textLength);
            textValueChanged(screen, control);
            break;
        }
        case kTypeProgress:
        case kTypeSlider:
        case kTypeMeter:
            if (n < 9)
                return;
            storeValue(screen, control, p + 5, 4);
            break;
        default:
            return;
        }
        markRender();
    } else if (sub == 0x11) {
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
}

// Hooks called by the command set and the main loop.

void screensBuildAndStart() {
    forgetWindows();
    g_imageSize = 0;
    std::uint8_t size[4];
    if (ReadScreenInfo(kHeaderImageSize, size, 4))
        g_imageSize = le32(size);
    // A recorded size must at least cover the header; otherwise it is not trusted.
    if (g_imageSize != 0 && g_imageSize < kProjectHeaderSize)
        g_imageSize = 0;
    keyboardReset();
    hideCursor();
    touchReset();
    g_screens = ScreenRuntime{kNone, kNone, kNone, false, 0, 0, false, false, g_core.tick};
    if (!buildStore()) {
        showMemoryError();
        return;
    }
    replayStartBlock();
    markDirty();
}

void screensRender(std::uint32_t) {
    if (g_core.memoryError || !g_core.screensPresent)
        return;
    stepAnimationsAndClocks();
    if (!g_screens.needsRender || !g_core.screenRefresh)
        return;
    const DisplaySettings saved = g_core.settings;
    g_core.settings.keyLow = 0;
    g_core.settings.keyHigh = 0;
    const int previous = SelWriteLayer(kLayerRenderedScreen);
    g_screens.needsRender = false;
    replayCurrent();
    // Reported once per change of screen, not on every re-render.
    if (g_screens.notifyPending) {
        g_screens.notifyPending = false;
        if (g_core.header.notifyScreen)
            sendScreenNotification(g_screens.current);
    }
    markDirty();
    SelWriteLayer(previous);
    g_core.settings = saved;
    markDirty();
}

void screensDrawControl(const std::uint8_t* frame, std::size_t length) {
    if (length < 8 || !g_core.screensPresent || g_screens.current == kNone)
        return;
    drawControl(definitionOf(frame, length));
}

void screensControlCommand(const std::uint8_t* frame, std::size_t length) {
    if (!g_core.screensPresent || g_core.memoryError)
        return;
    runControlCommand(frame, length);
}

void screensShow(std::uint16_t screen) {
    if (!g_core.screensPresent || g_core.memoryError)
        return;
    changeScreen(screen);
}

void screensSetRefresh(std::uint8_t enable) {
    g_core.screenRefresh = enable;
}

void screensRelease() {
    clearStore();
    forgetWindows();
    g_screens = ScreenRuntime{kNone, kNone, kNone, false, 0, 0, false, false, 0};
}

} // namespace nimbrel
