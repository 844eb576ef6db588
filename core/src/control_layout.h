// Byte offsets of the fields of a control definition (a B0 frame, counted
// from its EE head), per control type. Bytes 2-12 are common: id, type and
// rectangle (see Definition). Bytes not named here are not read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

namespace buttonField {
constexpr std::size_t kPressedPicture = 13; // state 1, with its source x, y
constexpr std::size_t kPressedSourceX = 15;
constexpr std::size_t kPressedSourceY = 17;
constexpr std::size_t kReleasedPicture = 19; // state 0, with its source x, y
constexpr std::size_t kReleasedSourceX = 21;
constexpr std::size_t kReleasedSourceY = 23;
constexpr std::size_t kKind = 25;         // 0 plain, 1 toggle, 2 key
constexpr std::size_t kTargetScreen = 26; // plain buttons, 16 bits
constexpr std::size_t kKeyCode = 26;      // key buttons
constexpr std::size_t kInitialState = 28; // toggle buttons
constexpr std::size_t kToggleMode = 29;   // toggle buttons
constexpr std::size_t kPressFrame = 30;   // frames longer than 34 bytes: 0 hides it
constexpr std::size_t kPressFrameFrom = 34;

constexpr std::uint8_t kPlain = 0;
constexpr std::uint8_t kToggle = 1;
constexpr std::uint8_t kKey = 2;
} // namespace buttonField

namespace textField {
constexpr std::size_t kFont = 13;
constexpr std::size_t kBackgroundMode = 14; // 1 colour, 2 picture
constexpr std::size_t kBackgroundColour = 15;
constexpr std::size_t kBackgroundPicture = 17;
constexpr std::size_t kColour = 19;
constexpr std::size_t kPassword = 21;
constexpr std::size_t kInputMode = 22; // 0 not touchable, 1 system keyboard, 2 cursor input
constexpr std::size_t kKeyboard = 23;
constexpr std::size_t kMaxLength = 25;
constexpr std::size_t kInitialLength = 26;
constexpr std::size_t kInitialText = 27;

constexpr std::uint8_t kSystemKeyboard = 1;
constexpr std::uint8_t kCursorInput = 2;
} // namespace textField

namespace progressField {
constexpr std::size_t kBackgroundMode = 13; // 1 colour, 2 picture
constexpr std::size_t kBackgroundColour = 14;
constexpr std::size_t kBackgroundPicture = 16;
constexpr std::size_t kFillMode = 18; // 0 colour, otherwise picture
constexpr std::size_t kFillColour = 19;
constexpr std::size_t kFillPicture = 21;
constexpr std::size_t kDirection = 23; // 0 from the left, 1 right, 2 top, 3 bottom
constexpr std::size_t kInitialValue = 24;
constexpr std::size_t kMinimum = 28;
constexpr std::size_t kMaximum = 32;
} // namespace progressField

namespace sliderField {
constexpr std::size_t kInitialValue = 13;
constexpr std::size_t kMinimum = 17;
constexpr std::size_t kMaximum = 21;
constexpr std::size_t kOrientation = 25; // 0 horizontal, 1 vertical
constexpr std::size_t kRailStart = 27;
constexpr std::size_t kRailEnd = 29;
constexpr std::size_t kThumbOffset = 31;
constexpr std::size_t kBackgroundPicture = 33;
constexpr std::size_t kThumbPicture = 35;
} // namespace sliderField

namespace meterField {
constexpr std::size_t kInitialValue = 13;
constexpr std::size_t kMinimum = 17;
constexpr std::size_t kMaximum = 21;
constexpr std::size_t kBackgroundPicture = 25;
constexpr std::size_t kStartAngle = 27;
constexpr std::size_t kEndAngle = 29;
constexpr std::size_t kDirection = 31; // bit 0: counter-clockwise
constexpr std::size_t kNeedleStyle = 32;
constexpr std::size_t kNeedleColour = 33;
constexpr std::size_t kHubColour = 35;
} // namespace meterField

namespace animationField {
constexpr std::size_t kPicture = 13;
constexpr std::size_t kAutoStart = 15;
constexpr std::size_t kInterval = 16; // ticks between frames
constexpr std::size_t kLoops = 18;    // 0: endless
} // namespace animationField

namespace clockField {
constexpr std::size_t kTimeZone = 13; // signed, half hours
constexpr std::size_t kFormat = 14;
constexpr std::size_t kLanguage = 15;
constexpr std::size_t kFont = 16;
constexpr std::size_t kColour = 17;
constexpr std::size_t kSettable = 19;
} // namespace clockField

namespace graphField {
constexpr std::size_t kMode = 13;
constexpr std::size_t kSampleDepth = 14; // 2: two-byte samples, otherwise one
constexpr std::size_t kSampleCount = 15;
} // namespace graphField

static_assert(sliderField::kInitialValue == meterField::kInitialValue,
              "sliders and meters share their value layout");

} // namespace nimbrel
