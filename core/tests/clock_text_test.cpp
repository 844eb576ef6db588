// Clock bytes to text.
#include "clock_text.h"
#include "core_fixture.h"

#include <string>

namespace coretest {
namespace {

std::string text(const std::array<std::uint8_t, 7>& clock, int format, int language = 1,
                 int offset = 0) {
    char out[nimbrel::kClockTextCapacity];
    const std::size_t n =
        nimbrel::clockToText(clock.data(), format, language, offset, out, sizeof out);
    return std::string(out, n);
}

// 2026-12-08 12:34:56, a Tuesday.
const std::array<std::uint8_t, 7> kClock = {0x56, 0x34, 0x12, 0x08, 0x02, 0x12, 0x26};

TEST(ClockText, Formats) {
    EXPECT_EQ(text(kClock, 0), "2026-12-08");
    EXPECT_EQ(text(kClock, 1), "2026-12-08 12:34:56");
    EXPECT_EQ(text(kClock, 2), "2026-12-08 12:34:56 Tuesday");
    EXPECT_EQ(text(kClock, 3), "12:34:56");
    EXPECT_EQ(text(kClock, 4), "20261208123456");
    EXPECT_EQ(text(kClock, 200), "20261208123456");
}

TEST(ClockText, WeekdayAboveSixIsSaturday) {
    auto clock = kClock;
    clock[4] = 0x09;
    EXPECT_EQ(text(clock, 2), "2026-12-08 12:34:56 Saturday");
}

TEST(ClockText, ChineseWeekdaysAreCodePage936) {
    auto clock = kClock;
    clock[4] = 0x00;
    EXPECT_EQ(text(clock, 2, 0), "2026-12-08 12:34:56 \xD0\xC7\xC6\xDA\xC8\xD5");
    clock[4] = 0x06;
    EXPECT_EQ(text(clock, 2, 0), "2026-12-08 12:34:56 \xD0\xC7\xC6\xDA\xC1\xF9");
}

TEST(ClockText, TensDigitsAreMasked) {
    // Month tens & 1, day tens & 3, minute tens & 7; minute 75 carries into the hour.
    const std::array<std::uint8_t, 7> clock = {0x00, 0xF5, 0x01, 0xC8, 0x01, 0x91, 0x26};
    EXPECT_EQ(text(clock, 1), "2026-11-08 02:15:00");
}

TEST(ClockText, TimeZoneOffsetCrossesMidnightAndMonth) {
    const std::array<std::uint8_t, 7> clock = {0x00, 0x30, 0x22, 0x31, 0x04, 0x12, 0x26};
    // +8 half hours: 2026-12-31 22:30 becomes 2027-01-01 02:30, Thursday to Friday.
    EXPECT_EQ(text(clock, 2, 1, 8), "2027-01-01 02:30:00 Friday");
    EXPECT_EQ(text(clock, 3, 1, -1), "22:00:00");
}

TEST(ClockText, NonsenseBytesStillGiveBoundedText) {
    const std::array<std::uint8_t, 7> clock = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int format = 0; format < 6; ++format)
        EXPECT_LT(text(clock, format, 0, 100000).size(), nimbrel::kClockTextCapacity);
}

} // namespace
} // namespace coretest
