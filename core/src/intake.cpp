// Command intake and the main loop: the receive queue with its flow control,
// the frame assembler, the timer table, start-up, reset and exit.
#include "core/hardware.h"
#include "core/nimbrel.h"
#include "core_state.h"

#include <atomic>
#include <mutex>

namespace nimbrel {

CoreState g_core;

namespace {

// Guards the queue and the pusher's flow state; held for one enqueue or one
// dequeue only.
std::mutex g_queueLock;

// Set from any thread, read once per iteration by the core thread.
std::atomic<std::uint32_t> g_exitFlag{0};
std::atomic<std::uint32_t> g_resetFlag{0};
std::atomic<std::uint16_t> g_width{800};
std::atomic<std::uint16_t> g_height{480};

constexpr int kBacklightStart = 190;
constexpr int kBacklightEnd = 21;

void enqueueLocked(std::uint8_t byte) {
    ReceiveQueue& q = g_core.queue;
    if (q.count >= kQueueSize)
        return;
    q.data[q.write] = byte;
    q.write = static_cast<std::uint16_t>((q.write + 1) % kQueueSize);
    ++q.count;
}

bool dequeue(std::uint8_t* byte) {
    std::lock_guard<std::mutex> lock(g_queueLock);
    ReceiveQueue& q = g_core.queue;
    if (q.count == 0)
        return false;
    *byte = q.data[q.read];
    q.read = static_cast<std::uint16_t>((q.read + 1) % kQueueSize);
    --q.count;
    return true;
}

// Takes one byte from the queue into the assembler; returns the length of a
// completed frame, or 0.
std::size_t takeFrame() {
    std::uint8_t byte = 0;
    if (!dequeue(&byte)) {
        sleepMs(kIdleSleepMs);
        return 0;
    }
    FrameAssembler& a = g_core.assembler;
    if (!a.inFrame) {
        a.buffer[0] = byte;
        a.length = 1;
        a.inFrame = byte == 0xEE;
    } else if (a.length < kFrameCapacity) {
        a.buffer[a.length++] = byte;
    }
    a.shift = (a.shift << 8) | byte;
    if (a.shift == kFrameTail && a.inFrame && a.length > kShortestFrame - 1) {
        a.inFrame = false;
        return a.length;
    }
    return 0;
}

void stopScreenExtras() {
    g_core.commandLayer = kFirstUserLayer;
    g_core.userLayer = kFirstUserLayer;
    g_core.cachedPicture = kNoPicture;
    g_core.clearOnScreenChange = 1;
    stopClockText();
    stopAnimatedPicture();
}

void startUp() {
    g_core.tick = nowMs() / 10;
    for (Timer& t : g_core.timers)
        t = Timer{};
    LCD_MODULE_Init();
    LCD_TurnOff();
    stopScreenExtras();
    loadProject();
    LCD_TurnOn();
    for (int level = kBacklightStart; level >= kBacklightEnd; --level)
        SetBackLightLevel(level);
    BusNoBusy();
    timerInstall(kSlotTouch, kTouchInterval, touchPoll);
    g_core.started = true;
}

// Ends a run on the core thread: the control store is released here rather
// than on the thread that asked for the exit, which may not touch it.
void shutDown() {
    screensRelease();
    {
        std::lock_guard<std::mutex> lock(g_queueLock);
        g_core.queue = ReceiveQueue{};
        g_core.flow = PushFlow{};
    }
    g_core.assembler = FrameAssembler{};
    for (Timer& t : g_core.timers)
        t = Timer{};
    g_core.started = false;
    g_resetFlag.store(0);
    g_exitFlag.store(0);
}

void iterate() {
    if (g_resetFlag.exchange(0) != 0) {
        stopScreenExtras();
        loadProject();
    }
    g_core.tick = nowMs() / 10;
    const std::size_t length = takeFrame();
    if (length > 0) {
        SelWriteLayer(g_core.commandLayer);
        dispatch(g_core.assembler.buffer, length);
    }
    for (unsigned slot = 0; slot < kTimerSlots; ++slot) {
        Timer& t = g_core.timers[slot];
        // Unsigned difference keeps the comparison right across a tick wrap.
        if (t.callback && g_core.tick - t.start >= t.interval) {
            t.callback(t.argument);
            t.start = g_core.tick;
        }
    }
}

} // namespace

const std::uint32_t kBaudRates[kBaudCount] = {
    1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 1000000, 2000000, 218750, 437500, 875000};

void timerInstall(unsigned slot, std::uint32_t interval, TimerCallback callback,
                  std::uint32_t argument) {
    if (slot >= kTimerSlots)
        return;
    g_core.timers[slot] = Timer{g_core.tick, interval, callback, argument};
}

void timerClear(unsigned slot) {
    if (slot < kTimerSlots)
        g_core.timers[slot] = Timer{};
}

std::uint16_t panelWidth() {
    return g_width.load();
}

std::uint16_t panelHeight() {
    return g_height.load();
}

void queueSnapshot(std::uint16_t* count, std::uint8_t* flowState) {
    std::lock_guard<std::mutex> lock(g_queueLock);
    *count = g_core.queue.count;
    *flowState = g_core.flow.state;
}

} // namespace nimbrel

using namespace nimbrel;

extern "C" int tft_push_cmd(int value) {
    const std::uint8_t byte = static_cast<std::uint8_t>(value & 0xFF);
    std::lock_guard<std::mutex> lock(g_queueLock);
    PushFlow& f = g_core.flow;
    f.shift = (f.shift << 8) | byte;
    f.tailSeen = f.shift == kFrameTail;
    const std::size_t room = kQueueSize - g_core.queue.count;
    switch (f.state) {
    case 0:
        if (room < kFlowThreshold)
            f.state = 1;
        enqueueLocked(byte);
        break;
    case 1:
        if (room > kFlowThreshold)
            f.state = 0;
        else if (f.tailSeen || room <= kFlowReserve)
            f.state = 2;
        enqueueLocked(byte);
        break;
    default:
        // Dropping whole frames; the byte that completes a tail is dropped too.
        if (room > kFlowThreshold && f.tailSeen)
            f.state = 0;
        break;
    }
    return 0;
}

extern "C" int tft_step(void) {
    if (g_exitFlag.load() != 0) {
        shutDown();
        return 0;
    }
    if (!g_core.started)
        startUp();
    iterate();
    if (g_exitFlag.load() != 0) {
        shutDown();
        return 0;
    }
    return 1;
}

extern "C" int tft_main(void) {
    while (tft_step() != 0) {
    }
    return 0;
}

extern "C" void tft_reset(void) {
    g_resetFlag.store(1);
}

extern "C" void tft_exit(void) {
    g_exitFlag.store(1);
}

extern "C" void tft_set_size(int width, int height) {
    g_width.store(static_cast<std::uint16_t>(width & 0xFFFF));
    g_height.store(static_cast<std::uint16_t>(height & 0xFFFF));
}
