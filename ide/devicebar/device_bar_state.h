// What the device tool bar remembers while the IDE runs: the touch and
// command-80 toggles and the values of the clock and cursor dialogs, which
// open with what they were closed with.
#pragma once

#include "device_frames.h"

#include <QDateTime>
#include <string>

namespace tft::ide {

enum class ClockDisplayChoice { Unchanged = 0, Hide = 1, Show = 2 };
enum class ClockSettingChoice { Unchanged = 0, SystemTime = 1, GivenTime = 2 };

struct ClockSettings {
    ClockDisplayChoice display = ClockDisplayChoice::Unchanged;
    ClockText text; // format, font, colour, position (`show` follows `display`)
    ClockSettingChoice setting = ClockSettingChoice::Unchanged;
    QDate givenDate; // invalid until the dialog first opens: it starts at now
    QTime givenTime;
};

struct DeviceBarState {
    bool touchOn = false;
    std::uint8_t command80 = 0;
    ClockSettings clock;
    CursorSettings cursor;
};

// One frame to send and the string id of its TX row label.
struct LabelledFrame {
    Frame bytes;
    int label = 0;
};

struct ClockFrames {
    std::vector<LabelledFrame> frames; // in sending order; empty when refused
    FrameRefusal refusal = FrameRefusal::None;
};

// The frames the clock dialog's OK sends: the clock text shown or hidden,
// then the clock set to `now` or the given date and time. "Unchanged" adds
// nothing. A refused frame refuses both, so the panel is never half set.
ClockFrames clockFrames(const ClockSettings& settings, const QDateTime& now);

} // namespace tft::ide
