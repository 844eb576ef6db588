#include "device_bar_state.h"

#include "string_table.h"

namespace tft::ide {

ClockFrames clockFrames(const ClockSettings& settings, const QDateTime& now) {
    ClockFrames out;
    const auto add = [&out](const BuiltFrame& f, int label) {
        if (!f) {
            out.frames.clear();
            out.refusal = f.refusal;
            return false;
        }
        out.frames.push_back({f.bytes, label});
        return true;
    };
    if (settings.display != ClockDisplayChoice::Unchanged) {
        ClockText text = settings.text;
        text.show = settings.display == ClockDisplayChoice::Show;
        if (!add(clockTextFrame(text), text.show ? sid::DeviceClockOn : sid::DeviceClockOff))
            return out;
    }
    if (settings.setting == ClockSettingChoice::SystemTime)
        add(setClockFrame(now.date(), now.time()), sid::DeviceClock);
    else if (settings.setting == ClockSettingChoice::GivenTime)
        add(setClockFrame(settings.givenDate, settings.givenTime), sid::DeviceClock);
    return out;
}

} // namespace tft::ide
