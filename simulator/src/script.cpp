#include "simulator/script.h"

#include <cctype>
#include <charconv>
#include <sstream>

namespace tft {

namespace {

std::vector<std::string> splitWords(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool parseNumber(const std::string& text, long min, long max, long& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && value >= min && value <= max;
}

// Script hex is strict: one or two hex digits per byte, nothing else.
bool parseBytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& out,
                std::string& bad) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        unsigned value = 0;
        const auto r = std::from_chars(w.data(), w.data() + w.size(), value, 16);
        if (w.size() > 2 || r.ec != std::errc() || r.ptr != w.data() + w.size()) {
            bad = w;
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(value));
    }
    return !out.empty();
}

} // namespace

Script parseScript(std::string_view text) {
    Script script;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const auto words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        auto fail = [&](const std::string& why) {
            script.error = "line " + std::to_string(lineNumber) + ": " + why;
            return script;
        };
        ScriptStep step;
        step.line = lineNumber;
        const std::string& verb = words[0];
        if (verb == "send" || verb == "expect") {
            step.kind = verb == "send" ? ScriptStep::Kind::Send : ScriptStep::Kind::Expect;
            std::string bad;
            if (!parseBytes(words, step.bytes, bad))
                return fail(bad.empty() ? verb + " needs hex bytes"
                                        : "'" + bad + "' is not a hex byte");
        } else if (verb == "touch" || verb == "tap") {
            step.kind = verb == "touch" ? ScriptStep::Kind::Touch : ScriptStep::Kind::Tap;
            long x = 0, y = 0;
            if (words.size() != 3 || !parseNumber(words[1], 0, 65535, x) ||
                !parseNumber(words[2], 0, 65535, y))
                return fail(verb + " needs X Y (0-65535)");
            step.x = static_cast<int>(x);
            step.y = static_cast<int>(y);
        } else if (verb == "release") {
            if (words.size() != 1)
                return fail("release takes nothing");
            step.kind = ScriptStep::Kind::Release;
        } else if (verb == "wait") {
            long ms = 0;
            if (words.size() != 2 || !parseNumber(words[1], 0, 86400000, ms))
                return fail("wait needs milliseconds (0-86400000)");
            step.kind = ScriptStep::Kind::Wait;
            step.ms = static_cast<std::uint32_t>(ms);
        } else if (verb == "screenshot") {
            if (words.size() != 2)
                return fail("screenshot needs one file name");
            step.kind = ScriptStep::Kind::Screenshot;
            step.file = words[1];
        } else {
            return fail("unknown step '" + verb + "'");
        }
        script.steps.push_back(std::move(step));
    }
    return script;
}

} // namespace tft
