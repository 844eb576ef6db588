// Turns the seven BCD clock bytes into the text a clock shows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

constexpr std::size_t kClockTextCapacity = 48;

enum ClockFormat : int {
    kClockDate = 0,
    kClockDateTime = 1,
    kClockDateTimeWeekday = 2,
    kClockTime = 3,
    // any other value: the 14-digit form
};

// language 0: Chinese weekday names (code page 936), 1: English. The offset
// counts half hours. Returns the text length (NUL-terminated in out).
std::size_t clockToText(const std::uint8_t clock[7], int format, int language, int halfHourOffset,
                        char* out, std::size_t size);

} // namespace nimbrel
