// Internal interfaces of the compiled-screen runtime: the screen image, the
// control state store, control definitions, controls, touch and the keyboard.
#pragma once

#include "core_state.h"

#include <cstddef>
#include <cstdint>

namespace nimbrel {

constexpr std::size_t kReadWindow = 2048;
constexpr std::uint32_t kIndexEntrySize = 8;
constexpr std::size_t kScanFrameCapacity = 2048;
constexpr std::uint32_t kEmptyRecord = 0xFFFFFF; // a last position above this: empty screen
constexpr std::size_t kSlotCount = 16384;
constexpr std::size_t kBlockSize = 64;
constexpr std::size_t kBlockCount = 2048;
constexpr std::size_t kMaxTextLength = 255;
constexpr std::size_t kGraphChannels = 8;
constexpr std::uint16_t kNone = 0xFFFF;
static_assert((kSlotCount & (kSlotCount - 1)) == 0, "triangular probing needs a power of two");
static_assert(kBlockCount % 8 == 0, "the block map is whole bytes");
static_assert(kMaxReplyBody >= 8 + kMaxTextLength, "a control value report must fit a reply");

enum ControlType : std::uint8_t {
    kTypeButton = 0x10,
    kTypeText = 0x11,
    kTypeProgress = 0x12,
    kTypeSlider = 0x13,
    kTypeMeter = 0x14,
    kTypeAnimation = 0x16,
    kTypeClock = 0x17,
    kTypeGraph = 0x18,
};

// A B0 frame without its tail; fields past its end read as 0.
struct Definition {
    const std::uint8_t* bytes;
    std::size_t length;

    std::uint8_t u8(std::size_t i) const { return i < length ? bytes[i] : 0; }
    std::uint16_t u16(std::size_t i) const {
        return static_cast<std::uint16_t>((u8(i) << 8) | u8(i + 1));
    }
    std::uint32_t u32(std::size_t i) const {
        return (static_cast<std::uint32_t>(u16(i)) << 16) | u16(i + 2);
    }
    std::uint16_t id() const { return u16(2); }
    std::uint8_t type() const { return u8(4); }
    int x() const { return u16(5); }
    int y() const { return u16(7); }
    int width() const { return u16(9); }
    int height() const { return u16(11); }
    bool contains(int px, int py) const {
        return px >= x() && px < x() + width() && py >= y() && py < y() + height();
    }
};
Definition definitionOf(const std::uint8_t* frame, std::size_t length);

// Animation value, 8 bytes in the store.
struct AnimationValue {
    std::uint32_t lastStep;
    std::uint8_t frames;
    std::uint8_t current;
    std::uint8_t running;
    std::uint8_t loopsDone;
};

// Graph value; channel data live in block runs of their own.
struct GraphValue {
    std::uint8_t mask;
    std::uint8_t mode;
    std::uint8_t depth;
    std::uint16_t count;
    std::uint16_t lengths[kGraphChannels];
    std::uint32_t refs[kGraphChannels];
    std::uint16_t colours[kGraphChannels];
    std::int16_t xOffset;
    std::uint16_t xScale;
    std::int16_t yOffset;
    std::uint16_t yScale;
};

struct ScreenRuntime {
    std::uint16_t current;
    std::uint16_t pressedScreen;
    std::uint16_t pressedControl;
    bool wasTouched;
    std::uint16_t lastX;
    std::uint16_t lastY;
    bool needsRender;
    bool notifyPending; // the next render reports the screen it shows
    std::uint32_t lastClockRender;
};
extern ScreenRuntime g_screens;

// image.cpp: the screen image, read through two cached windows.
// Starts reading a newly loaded image (its recorded size, empty windows).
void imageOpen();
void imageClose();

// Record scanning through the image's read windows.
class RecordScan {
public:
    // False when the screen has no readable record.
    bool begin(std::uint16_t screen);
    bool beginEntry(std::uint32_t entryOffset);
    // The next frame, or false at the end of the record.
    bool next(const std::uint8_t** frame, std::size_t* length);

private:
    std::uint32_t offset_ = 0;
    std::uint32_t last_ = 0;
    std::uint32_t position_ = 0;
    bool active_ = false;
    std::uint8_t frame_[kScanFrameCapacity];
};

// Copies the B0 frame of (screen, control) into buffer (kScanFrameCapacity bytes).
bool findDefinition(std::uint16_t screen, std::uint16_t control, std::uint8_t* buffer,
                    std::size_t* length);

// store.cpp: the control state store.
void storeClear();
// Gives every control of every screen its slot and initial value; false when
// the table is full.
bool storeBuild();
bool storeValue(std::uint16_t screen, std::uint16_t control, const std::uint8_t* bytes,
                std::size_t length);
// Copies at most capacity bytes; returns false when the control has no slot.
bool loadValue(std::uint16_t screen, std::uint16_t control, std::uint8_t* out, std::size_t capacity,
               std::size_t* length, std::uint8_t* type);
bool loadGraph(std::uint16_t screen, std::uint16_t control, GraphValue* graph);
const std::uint8_t* blockData(std::uint32_t ref);
// Graph channel data in a block run named by ref; on a failed move the old
// bytes stay.
bool putChannelData(std::uint32_t& ref, const std::uint8_t* bytes, std::size_t length);
void freeChannelData(std::uint32_t& ref);
// The control's value as the stored bytes, or its initial value when it has no slot.
std::size_t currentValue(const Definition& def, std::uint16_t screen, std::uint8_t* out,
                         std::size_t capacity);
std::uint32_t numericValue(const Definition& def, std::uint16_t screen);

// screens.cpp: screens at run time.
void changeScreen(std::uint16_t screen);
void markRender();
std::uint16_t screenCount();
void sendControlValue(std::uint16_t screen, std::uint16_t control, std::uint8_t type,
                      const std::uint8_t* data, std::size_t length);
void sendScreenNotification(std::uint16_t screen);

// control_commands.cpp: a B1 frame, from the host or a screen record.
void runControlCommand(const std::uint8_t* frame, std::size_t length);

// Controls.
void drawControl(const Definition& def);
// Press on the current screen; false when no control is hit.
bool pressControl(int x, int y);
void holdControl(int x, int y);
void releaseControl(int x, int y);

// Keyboard and text input.
void keyboardReset();
bool keyboardIsOpen();
void keyboardPress(int x, int y);
void keyboardRelease();
void keyFromButton(std::uint8_t code);
void openKeyboardForText(const Definition& def, int x, int y);
void openKeyboardForClock(const Definition& def, int x, int y);
void focusText(std::uint16_t screen, std::uint16_t control);
void leaveFocus();
void hideCursor();
void textValueChanged(std::uint16_t screen, std::uint16_t control);
bool capsOn();
// For the touch poller's calibration wait.
void touchReset();

} // namespace nimbrel
