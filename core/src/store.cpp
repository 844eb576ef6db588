// The control state store: one slot per (screen, control) in an open
// addressed table, values of four bytes inline and longer ones (texts,
// animation and graph records, graph channels) in runs of a block pool.
#include "control_layout.h"
#include "core/hardware.h"
#include "core_state.h"
#include "screens.h"

#include <cstring>

namespace nimbrel {
namespace {

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
    g.mode = def.u8(graphField::kMode);
    g.depth = def.u8(graphField::kSampleDepth) == 2 ? 2 : 1;
    g.count = def.u16(graphField::kSampleCount);
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
        out[0] = def.u8(buttonField::kKind) == buttonField::kToggle
                     ? def.u8(buttonField::kInitialState)
                     : 0;
        length = 1;
        break;
    case kTypeText: {
        length = def.u8(textField::kInitialLength);
        for (std::size_t i = 0; i < length; ++i)
            out[i] = def.u8(textField::kInitialText + i);
        break;
    }
    case kTypeProgress:
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = def.u8(progressField::kInitialValue + i);
        length = 4;
        break;
    case kTypeSlider:
    case kTypeMeter:
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = def.u8(sliderField::kInitialValue + i);
        length = 4;
        break;
    case kTypeAnimation: {
        std::uint8_t record[16] = {};
        AnimationValue a{};
        a.lastStep = g_core.tick;
        if (TFT_GetImageIndex(def.u16(animationField::kPicture), 1, record))
            a.frames = record[15];
        a.running = def.u8(animationField::kAutoStart) ? 1 : 0;
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

} // namespace

void storeClear() {
    clearStore();
}

// Builds every control's slot; false on a full table.
bool storeBuild() {
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

bool putChannelData(std::uint32_t& ref, const std::uint8_t* bytes, std::size_t length) {
    return putBlocks(ref, bytes, length);
}

void freeChannelData(std::uint32_t& ref) {
    freeRef(ref);
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

} // namespace nimbrel
