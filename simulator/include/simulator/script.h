// The headless runner's script: one step per line.
//   send <hex bytes>        host bytes into the core
//   touch X Y | release     press (and move) / lift the touch
//   tap X Y                 touch, 100 ms, release, 100 ms
//   wait MS                 let MS milliseconds of panel time pass
//   expect <hex bytes>      the next bytes the panel sends, within 1000 ms
//   expect-any              some frame from the panel, within 1000 ms
//   expect-none MS          nothing from the panel for MS milliseconds
//   screenshot FILE.png     the display as it would be seen
//   compare FILE.png [T%]   the display equals a stored picture (T% of pixels may differ)
//   mask X Y W H            leaves a rectangle out of the later compares
//   set-clock YYYY-MM-DD HH:MM:SS   the panel clock, from then on moving with panel time
//   # test: NAME            starts a test case of its own (a fresh panel)
//   # comment               (blank lines too)
// Lines are at most 64 KiB of text; control characters and invalid UTF-8 are refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tft {

struct ScriptStep {
    enum class Kind {
        Send,
        Touch,
        Release,
        Tap,
        Wait,
        Expect,
        Screenshot,
        ExpectAny,
        ExpectNone,
        Compare,
        Mask,
        SetClock,
        Test, // "# test: NAME": `file` holds the name
    };
    Kind kind = Kind::Wait;
    std::vector<std::uint8_t> bytes; // send, expect
    int x = 0, y = 0;                // touch, tap, mask
    int width = 0, height = 0;       // mask
    std::uint32_t ms = 0;            // wait, expect-none
    double tolerancePercent = 0;     // compare
    std::int64_t clockSeconds = 0;   // set-clock: seconds since 1970-01-01 00:00:00 (no zone)
    std::string file;                // screenshot, compare; the test's name
    int line = 0;
};

struct Script {
    std::vector<ScriptStep> steps;
    std::string error; // "line N: reason" for the first malformed line
    bool ok() const { return error.empty(); }
};

constexpr std::size_t kScriptLineLimit = 64 * 1024;

Script parseScript(std::string_view text);

// Days since 1970-01-01 of a proleptic Gregorian date, and back; no time zone involved.
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int* year, int* month, int* day);
int daysInMonth(int year, int month); // month 1-12

} // namespace tft
