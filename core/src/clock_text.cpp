#include "clock_text.h"

#include <cstdio>
#include <ctime>

namespace nimbrel {
namespace {

int bcd(std::uint8_t value, std::uint8_t tensMask) {
    return ((value >> 4) & tensMask) * 10 + (value & 0x0F);
}

// Weekday names; the Chinese ones in code page 936 as the panel's fonts expect.
const char* const kWeekdays[2][7] = {
    {"\xD0\xC7\xC6\xDA\xC8\xD5", "\xD0\xC7\xC6\xDA\xD2\xBB", "\xD0\xC7\xC6\xDA\xB6\xFE",
     "\xD0\xC7\xC6\xDA\xC8\xFD", "\xD0\xC7\xC6\xDA\xCB\xC4", "\xD0\xC7\xC6\xDA\xCE\xE5",
     "\xD0\xC7\xC6\xDA\xC1\xF9"},
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
};

} // namespace

std::size_t clockToText(const std::uint8_t clock[7], int format, int language, int halfHourOffset,
                        char* out, std::size_t size) {
    if (!out || size == 0)
        return 0;
    const int second = bcd(clock[0], 0x0F);
    const int minute = bcd(clock[1], 0x07);
    const int hour = bcd(clock[2], 0x0F);
    const int day = bcd(clock[3], 0x03);
    int weekday = bcd(clock[4], 0x07);
    const int month = bcd(clock[5], 0x01);
    const int year = 2000 + bcd(clock[6], 0x0F);

    // The clock holds wall time; the calendar arithmetic runs in UTC so that no
    // daylight-saving rule of the host's zone can shift it.
    std::tm broken{};
    broken.tm_sec = second;
    broken.tm_min = minute;
    broken.tm_hour = hour;
    broken.tm_mday = day;
    broken.tm_mon = month - 1;
    broken.tm_year = year - 1900;
    const std::time_t base = timegm(&broken);
    std::tm shifted = broken;
    if (halfHourOffset != 0) {
        const std::time_t moved = base + static_cast<std::time_t>(halfHourOffset) * 1800;
        std::tm result{};
        if (gmtime_r(&moved, &result)) {
            // Keep the weekday in step when the offset crosses midnight.
            if (weekday <= 6) {
                // Years 2000-2165 lie far from the epoch, so both times are positive.
                const long days = static_cast<long>(moved / 86400 - base / 86400);
                weekday = static_cast<int>(((weekday + days) % 7 + 7) % 7);
            }
            shifted = result;
        }
    }
    const int y = shifted.tm_year + 1900;
    const int mo = shifted.tm_mon + 1;
    const int d = shifted.tm_mday;
    const int h = shifted.tm_hour;
    const int mi = shifted.tm_min;
    const int s = shifted.tm_sec;
    const char* name = kWeekdays[language == 1 ? 1 : 0][weekday > 6 ? 6 : weekday];
    int written = 0;
    switch (format) {
    case kClockDate:
        written = std::snprintf(out, size, "%d-%02d-%02d", y, mo, d);
        break;
    case kClockDateTime:
        written = std::snprintf(out, size, "%d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
        break;
    case kClockDateTimeWeekday:
        written =
            std::snprintf(out, size, "%d-%02d-%02d %02d:%02d:%02d %s", y, mo, d, h, mi, s, name);
        break;
    case kClockTime:
        written = std::snprintf(out, size, "%02d:%02d:%02d", h, mi, s);
        break;
    default:
        written = std::snprintf(out, size, "%d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
        break;
    }
    if (written < 0)
        return 0;
    return static_cast<std::size_t>(written) < size ? static_cast<std::size_t>(written) : size - 1;
}

} // namespace nimbrel
