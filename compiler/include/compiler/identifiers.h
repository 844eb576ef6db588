// Symbolic identifiers for screens, buttons and pictures: names built from
// parts, registered once per name with one value.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tft {

// "_" + part for each part, where ASCII letters, digits and "_" stay and every
// other character becomes its UTF-16 code in four hexadecimal digits (a byte
// that is not valid UTF-8 counts as the character of that value); the whole
// name upper case. {"SCREEN", "main 1"} gives "_SCREEN_MAIN00201".
std::string identifierName(const std::vector<std::string>& parts);

// The "#define" line of an identifier: "#define  %-60s %10d\n\n".
std::string defineLine(const std::string& name, std::int64_t value);

// The first character of a UTF-8 text that code page 936 cannot hold, which
// the panel and the generated C files use.
struct NonGbkCharacter {
    std::int64_t position = 0; // 1 for the first character of the text
    std::string character;     // as UTF-8 (a stray byte as it stands)
    std::string codePoint;     // hexadecimal, at least four digits: "1F600"
};
std::optional<NonGbkCharacter> firstNonGbkCharacter(const std::string& utf8);

// True when the text holds a C0 control character (line feed, carriage
// return, tab, ...) or DEL: in a name it would end a comment of the
// generated C or go into a file name.
bool hasControlCharacter(const std::string& text);
// The text with control characters written as \n, \r, \t or \xNN, for messages.
std::string visibleControls(const std::string& text);

class IdentifierMap {
public:
    enum class Result { Added, Known, Clash };
    // A new name is added and its comment and "#define" line are appended to
    // the definitions; a known name with the same value changes nothing; a
    // known name with another value is a clash.
    Result add(const std::string& name, std::uint16_t value, const std::string& comment);
    // Every comment and "#define" line added so far, in order.
    const std::string& definitions() const { return definitions_; }

private:
    std::map<std::string, std::uint16_t> values_;
    std::string definitions_;
};

} // namespace tft
