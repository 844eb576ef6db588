// The core's one state record and the internal interfaces between its files.
// Everything here runs on the core thread unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

// Intake.
constexpr std::size_t kQueueSize = 8096;
constexpr std::size_t kFlowThreshold = 2100; // below this much free room, whole frames are dropped
constexpr std::size_t kFlowReserve = 10;     // room kept when a frame never ends
constexpr std::size_t kFrameCapacity = 2100; // longer frames are delivered truncated
constexpr std::size_t kShortestFrame = 6;    // EE cmd FF FC FF FF
constexpr std::uint32_t kFrameTail = 0xFFFCFFFFu;
constexpr std::uint32_t kIdleSleepMs = 10;
static_assert(kQueueSize <= 0xFFFF, "queue indexes are 16 bits");
static_assert(kFrameCapacity <= 0xFFFF, "frame length is 16 bits");
static_assert(kFlowThreshold < kQueueSize, "flow threshold must leave room to queue");

// Timers, in 10 ms ticks.
constexpr std::size_t kTimerSlots = 11;
enum TimerSlot : unsigned {
    kSlotTouch = 0,
    kSlotRender = 1,
    kSlotCompose = 2,
    kSlotAnimatedPicture = 3,
    kSlotClockText = 4,
    kSlotCursor = 5,
    kSlotHeartbeat = 8,
    kSlotScreenLocal = 9,
};
constexpr std::uint32_t kTouchInterval = 1;
constexpr std::uint32_t kRenderInterval = 3;
constexpr std::uint32_t kComposeInterval = 2;
constexpr std::uint32_t kClockTextInterval = 100;

// Drawing area: primitives clip to it whatever the panel size.
constexpr int kDrawWidth = 800;
constexpr int kDrawHeight = 600;

// Layers.
constexpr int kLayerRenderedScreen = 2;
constexpr int kLayerCachedPicture = 3;
constexpr int kFirstUserLayer = 4;
constexpr int kLayerCount = 8;
constexpr std::uint16_t kNoPicture = 0xFFFF;

constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kBlue = 0x001F;
constexpr std::uint16_t kYellow = 0xFFE0;

constexpr std::size_t kProjectHeaderSize = 136;
constexpr std::size_t kBaudCount = 13;
extern const std::uint32_t kBaudRates[kBaudCount];

using TimerCallback = void (*)(std::uint32_t);

struct Timer {
    std::uint32_t start;
    std::uint32_t interval;
    TimerCallback callback;
    std::uint32_t argument;
};

struct ReceiveQueue {
    std::uint16_t read;
    std::uint16_t write;
    std::uint8_t data[kQueueSize];
    std::uint16_t count;
};

// Flow control of the pusher; kept under the queue lock with the queue.
struct PushFlow {
    std::uint8_t state; // 0 open, 1 finishing the frame in hand, 2 dropping
    std::uint32_t shift;
    bool tailSeen;
};

struct FrameAssembler {
    std::uint8_t buffer[kFrameCapacity];
    std::uint16_t length;
    bool inFrame;
    std::uint32_t shift;
};

struct DisplaySettings {
    std::uint16_t foreground;
    std::uint16_t background;
    std::uint16_t keyLow;
    std::uint16_t keyHigh;
    std::uint16_t charGap;
    std::uint16_t lineGap;
    std::uint16_t wrap;
    std::uint16_t boxWidth;
    std::uint16_t boxHeight;
    std::uint8_t polylineMode;
};

struct AnimatedPicture {
    bool shown; // a picture was started since the last stop
    bool enabled;
    bool stepping;
    std::uint16_t x;
    std::uint16_t y;
    std::uint16_t picture;
    std::uint8_t loops;
    std::uint8_t loopsDone;
    std::uint8_t frame;
    std::uint8_t frameInterval;
    std::uint8_t frameCount;
};

struct ClockText {
    bool enabled;
    bool withDate;
    std::uint8_t font;
    std::uint16_t colour;
    std::int16_t x;
    std::int16_t y;
};

// Auto-dim settings of command 0x77, applied by the touch poller.
struct AutoDim {
    bool enabled;
    bool awake;
    std::uint8_t brightLevel; // hardware scale (255 - host value)
    std::uint8_t dimLevel;
    std::uint16_t timeout;      // seconds
    std::uint32_t lastActivity; // tick the timeout counts from
};

// Fields of the compiled project's header (little-endian in the image).
struct ProjectHeader {
    std::uint32_t startScreen;
    std::uint32_t screenCount;
    std::uint32_t indexOffset;
    std::uint32_t startTableOffset;
    std::uint16_t modelType;
    std::uint16_t flags;
    std::uint8_t baudIndex;
    std::uint8_t touchReportMode;
    std::uint8_t notifyScreen;
    std::uint8_t notifyFlags;
    std::uint16_t autoDimTimeout;
    std::uint8_t brightLevel;
    std::uint8_t dimLevel;
};
constexpr std::uint16_t kHeaderScreensPresent = 0x0001;
constexpr std::uint16_t kHeaderTouchEnable = 0x0002;
constexpr std::uint16_t kHeaderAutoDim = 0x0040;

struct CoreState {
    ReceiveQueue queue;
    PushFlow flow;
    FrameAssembler assembler;
    Timer timers[kTimerSlots];
    std::uint32_t tick;
    bool started;

    DisplaySettings settings;
    std::uint8_t commandLayer;
    std::uint8_t userLayer;
    std::uint8_t clearOnScreenChange;
    std::uint8_t screenRefresh;
    std::uint32_t touchEnable;
    std::uint8_t beepMode;
    std::uint8_t touchReportMode;
    bool touchTestMode;
    std::uint32_t baudRate;
    std::uint16_t cachedPicture;
    AutoDim autoDim;

    AnimatedPicture animation;
    ClockText clockText;

    ProjectHeader header;
    bool screensPresent;
    bool displayDirty;
    bool memoryError;
    std::uint8_t backBuffer; // 0 or 1: the display buffer composed next is the other one
};

extern CoreState g_core;

// clock.cpp
std::uint32_t nowMs();
void sleepMs(std::uint32_t ms);

// intake.cpp
void timerInstall(unsigned slot, std::uint32_t interval, TimerCallback callback,
                  std::uint32_t argument = 0);
void timerClear(unsigned slot);
std::uint16_t panelWidth();
std::uint16_t panelHeight();
// Test view: flow state and count of the queue, read under its lock.
void queueSnapshot(std::uint16_t* count, std::uint8_t* flowState);

// dispatch.cpp
void dispatch(const std::uint8_t* frame, std::size_t length);
void markDirty();
// Longest reply body: a control value report carrying the longest text.
constexpr std::size_t kMaxReplyBody = 16 + 255;
// Sends EE, the body, FF FC FF FF; bodies longer than kMaxReplyBody are not sent.
void sendFrame(const std::uint8_t* body, std::size_t length);

// commands_state.cpp, commands_drawing.cpp
void resetDisplaySettings();
bool applyBaudIndex(unsigned index);
void stopAnimatedPicture();
void stopClockText();

// compose.cpp: project load and display composition.
void loadProject();
void composeDisplay(std::uint32_t);

// screens.cpp, touch.cpp, keyboard.cpp: hooks into the screen, control, touch
// and keyboard layer.
void screensBuildAndStart();
void screensRender(std::uint32_t);
void screensDrawControl(const std::uint8_t* frame, std::size_t length);
void screensControlCommand(const std::uint8_t* frame, std::size_t length);
void screensShow(std::uint16_t screen);
void screensSetRefresh(std::uint8_t enable);
void screensRelease();
void touchPoll(std::uint32_t);
void keyboardSetCursor(bool enable, std::uint16_t x, std::uint16_t y, std::uint8_t width,
                       std::uint8_t height);
void keyboardOpenFromHost(std::uint8_t open, std::uint16_t x, std::uint16_t y,
                          std::uint8_t keyboard, std::uint8_t password, std::uint8_t maxLength);
void keyboardClose();
void keyboardDrawOverlay();
void cursorDrawOverlay();

// Big-endian parameter reads.
inline std::uint16_t be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
// Coordinates of drawing commands are signed 16-bit.
inline int s16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(be16(p));
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace nimbrel
