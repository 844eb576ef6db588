// Symbolic identifiers for screens, buttons and pictures: names built from
// parts, registered once per name with one value.
#pragma once

#include <cstdint>
#include <map>
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
