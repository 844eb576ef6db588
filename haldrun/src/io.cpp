// Files, touch, clock, buzzer and the host line.
#include "core/hardware.h"
#include "state.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

namespace tft::haldrun {

namespace {

// The font pack stores each font's data offset; the core subtracts the
// panel's font base from the address it reads, so the address is served as
// offset + base.
constexpr std::uint32_t kFontBase = 0x120000;
constexpr std::uint32_t kFontEntrySize = 8;

std::uint8_t toBcd(int v) {
    return static_cast<std::uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}
int fromBcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

} // namespace

} // namespace tft::haldrun

using namespace tft;
using namespace tft::haldrun;

extern "C" {

int ReadScreenInfo(uint32_t offset, uint8_t* buffer, uint32_t length) {
    IDevice* d = device();
    return d && buffer ? d->ReadScreenInfo(offset, buffer, length) : 0;
}

int ReadSystemResource(uint32_t offset, uint8_t* buffer, uint32_t length) {
    IDevice* d = device();
    return d && buffer ? d->ReadSystemResource(offset, buffer, length) : 0;
}

int ReadFontIndex(uint32_t offset, uint8_t* buffer, uint32_t length) {
    IDevice* d = device();
    if (!d || !buffer)
        return 0;
    // Read the whole entries that cover the request, shift their address
    // fields, then hand out the bytes asked for.
    const std::uint64_t first = offset / kFontEntrySize * kFontEntrySize;
    const std::uint64_t end =
        (std::uint64_t(offset) + length + kFontEntrySize - 1) / kFontEntrySize * kFontEntrySize;
    if (end > 0xFFFFFFFFu || end - first > (1u << 20))
        return 0;
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(end - first));
    if (!d->ReadFontIndex(static_cast<std::uint32_t>(first), entries.data(),
                          static_cast<std::uint32_t>(entries.size()))) {
        // The last entry may be partial at the end of the file: fall back to the plain read.
        return d->ReadFontIndex(offset, buffer, length);
    }
    for (std::size_t e = 0; e + kFontEntrySize <= entries.size(); e += kFontEntrySize) {
        std::uint8_t* a = entries.data() + e + 4;
        const std::uint32_t address = le32(a) + kFontBase;
        for (int i = 0; i < 4; ++i)
            a[i] = static_cast<std::uint8_t>(address >> (8 * i));
    }
    std::memcpy(buffer, entries.data() + (offset - first), length);
    return 1;
}

int ReadFont(uint32_t address, uint8_t* buffer, uint32_t length) {
    IDevice* d = device();
    return d && buffer ? d->ReadFontData(address, buffer, length) : 0;
}

void send_data(const uint8_t* buffer, uint32_t length) {
    if (IDevice* d = device(); d && buffer && length)
        d->Send(buffer, length);
}

void CMD_UART_Init(uint32_t bitsPerSecond) {
    if (IDevice* d = device())
        d->SetBaudRate(static_cast<int>(bitsPerSecond));
}

int touch_is_pressing(void) {
    IDevice* d = device();
    return d ? d->Pressed() : 0;
}

void get_coordinate(uint16_t* x, uint16_t* y) {
    std::uint16_t px = 0, py = 0;
    if (IDevice* d = device())
        d->TouchPoint(&px, &py);
    if (x)
        *x = px;
    if (y)
        *y = py;
}

void Calibration_Panle(void) {} // a mouse needs no calibration

void Beepon(int duration) {
    if (IDevice* d = device())
        d->Beep(duration);
}

void GetRTC(uint8_t* clock) {
    if (!clock)
        return;
    if (IDevice* d = device(); d && d->ReadClock(clock))
        return;
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::time_t t = now + static_cast<std::time_t>(clockOffset().load());
    std::tm tm{};
    localtime_r(&t, &tm);
    clock[0] = toBcd(tm.tm_sec);
    clock[1] = toBcd(tm.tm_min);
    clock[2] = toBcd(tm.tm_hour);
    clock[3] = toBcd(tm.tm_mday);
    clock[4] = toBcd(tm.tm_wday);
    clock[5] = toBcd(tm.tm_mon + 1);
    clock[6] = toBcd(tm.tm_year % 100);
}

void SetRTC(const uint8_t* clock) {
    if (!clock)
        return;
    if (IDevice* d = device(); d && d->WriteClock(clock))
        return;
    std::tm tm{};
    tm.tm_sec = std::clamp(fromBcd(clock[0]), 0, 59);
    tm.tm_min = std::clamp(fromBcd(clock[1]), 0, 59);
    tm.tm_hour = std::clamp(fromBcd(clock[2]), 0, 23);
    tm.tm_mday = std::clamp(fromBcd(clock[3]), 1, 31);
    tm.tm_mon = std::clamp(fromBcd(clock[5]), 1, 12) - 1;
    tm.tm_year = 100 + fromBcd(clock[6]) % 100;
    tm.tm_isdst = -1;
    const std::time_t wanted = std::mktime(&tm);
    if (wanted == static_cast<std::time_t>(-1))
        return;
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    clockOffset().store(static_cast<std::int64_t>(wanted - now));
}

int EnableRTC(void) {
    return 1;
}
int BusNoBusy(void) {
    return 1;
}

} // extern "C"
