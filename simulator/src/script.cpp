#include "simulator/script.h"

#include <charconv>
#include <cstdio>
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

// A percentage, "1", "1%" or "0.5%" (no locale: the decimal point is always '.').
bool parsePercent(std::string text, double& value) {
    if (!text.empty() && text.back() == '%')
        text.pop_back();
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return !text.empty() && r.ec == std::errc() && r.ptr == end && value >= 0 && value <= 100;
}

// Text only: tabs and a carriage return at the end are the only control
// characters, and what is not ASCII must be well-formed UTF-8.
bool isText(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t' && !(c == '\r' && i + 1 == line.size())) || c == 0x7F)
                return false;
            continue;
        }
        int follow = 0;
        unsigned code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(follow) >= line.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            const auto n = static_cast<unsigned char>(line[i + static_cast<std::size_t>(k)]);
            if ((n & 0xC0) != 0x80)
                return false;
            code = code << 6 | (n & 0x3F);
        }
        // Over-long forms, surrogates and code points past U+10FFFF.
        if ((follow == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (follow == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += static_cast<std::size_t>(follow);
    }
    return true;
}

// "YYYY-MM-DD" "HH:MM:SS" as seconds since 1970 (the panel keeps two-digit years).
bool parseClock(const std::string& date, const std::string& time, std::int64_t& seconds) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    if (date.size() != 10 || std::sscanf(date.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3 ||
        used != 10)
        return false;
    if (time.size() != 8 || std::sscanf(time.c_str(), "%2d:%2d:%2d%n", &h, &mi, &s, &used) != 3 ||
        used != 8)
        return false;
    if (y < 2000 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h < 0 ||
        h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    seconds = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

// "# test: NAME" opens a test case; other comments are skipped.
bool testHeader(const std::string& line, std::string& name) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#')
        return false;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 5, "test:") != 0)
        return false;
    const std::size_t first = line.find_first_not_of(" \t\r", at + 5);
    const std::size_t last = line.find_last_not_of(" \t\r");
    name = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    return true;
}

} // namespace

int daysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t days, int* year, int* month, int* day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yoe + era * 400 + (m <= 2));
    *month = m;
    *day = d;
}

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
        auto fail = [&](const std::string& why) {
            script.error = "line " + std::to_string(lineNumber) + ": " + why;
            script.steps.clear();
            return script;
        };
        if (line.size() > kScriptLineLimit)
            return fail("longer than " + std::to_string(kScriptLineLimit) + " bytes");
        if (!isText(line))
            return fail("binary data, not script text");
        ScriptStep step;
        step.line = lineNumber;
        if (testHeader(std::string(line), step.file)) {
            if (step.file.empty())
                return fail("a test needs a name");
            step.kind = ScriptStep::Kind::Test;
            script.steps.push_back(std::move(step));
            continue;
        }
        const auto words = splitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
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
        } else if (verb == "wait" || verb == "expect-none") {
            long ms = 0;
            if (words.size() != 2 || !parseNumber(words[1], 0, 86400000, ms))
                return fail(verb + " needs milliseconds (0-86400000)");
            step.kind = verb == "wait" ? ScriptStep::Kind::Wait : ScriptStep::Kind::ExpectNone;
            step.ms = static_cast<std::uint32_t>(ms);
        } else if (verb == "expect-any") {
            if (words.size() != 1)
                return fail("expect-any takes nothing");
            step.kind = ScriptStep::Kind::ExpectAny;
        } else if (verb == "screenshot") {
            if (words.size() != 2)
                return fail("screenshot needs one file name");
            step.kind = ScriptStep::Kind::Screenshot;
            step.file = words[1];
        } else if (verb == "compare") {
            if (words.size() < 2 || words.size() > 3 ||
                (words.size() == 3 && !parsePercent(words[2], step.tolerancePercent)))
                return fail("compare needs FILE.png and an optional tolerance (0-100%)");
            step.kind = ScriptStep::Kind::Compare;
            step.file = words[1];
        } else if (verb == "mask") {
            long v[4] = {};
            if (words.size() != 5 || !parseNumber(words[1], 0, 65535, v[0]) ||
                !parseNumber(words[2], 0, 65535, v[1]) || !parseNumber(words[3], 1, 65535, v[2]) ||
                !parseNumber(words[4], 1, 65535, v[3]))
                return fail("mask needs X Y W H (W and H at least 1)");
            step.kind = ScriptStep::Kind::Mask;
            step.x = static_cast<int>(v[0]);
            step.y = static_cast<int>(v[1]);
            step.width = static_cast<int>(v[2]);
            step.height = static_cast<int>(v[3]);
        } else if (verb == "set-clock") {
            if (words.size() != 3 || !parseClock(words[1], words[2], step.clockSeconds))
                return fail("set-clock needs YYYY-MM-DD HH:MM:SS (years 2000-2099)");
            step.kind = ScriptStep::Kind::SetClock;
        } else {
            return fail("unknown step '" + verb + "'");
        }
        script.steps.push_back(std::move(step));
    }
    return script;
}

} // namespace tft
