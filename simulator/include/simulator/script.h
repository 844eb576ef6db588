// The headless runner's script: one step per line.
//   send <hex bytes>      host bytes into the core
//   touch X Y | release   press (and move) / lift the touch
//   tap X Y               touch, 100 ms, release, 100 ms
//   wait MS               let MS milliseconds of panel time pass
//   expect <hex bytes>    the next bytes the panel sends, within 1000 ms
//   screenshot FILE.png   the display as it would be seen
//   # comment             (blank lines too)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tft {

struct ScriptStep {
    enum class Kind { Send, Touch, Release, Tap, Wait, Expect, Screenshot };
    Kind kind = Kind::Wait;
    std::vector<std::uint8_t> bytes; // send, expect
    int x = 0, y = 0;                // touch, tap
    std::uint32_t ms = 0;            // wait
    std::string file;                // screenshot
    int line = 0;
};

struct Script {
    std::vector<ScriptStep> steps;
    std::string error; // "line N: reason" for the first malformed line
    bool ok() const { return error.empty(); }
};

Script parseScript(std::string_view text);

} // namespace tft
