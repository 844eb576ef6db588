// The text forms of shape attributes: twelve value codes, each with the way
// its text is read from and written to a page file item.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tft::ide::basic_shape {

enum class ValueCode : int {
    Int8 = 1,
    Int16 = 2,
    Int32 = 3,
    Int64 = 4,
    UInt8 = 5,
    UInt16 = 6,
    UInt32 = 7,
    UInt64 = 8,
    Colour = 9,
    Font = 10,
    Text = 11,
    Real = 12,
};

// A font: face name (at most 32 characters), height in pixels and weight.
struct FontValue {
    std::string face;
    std::int32_t height = 0;
    std::int32_t weight = 400;
    bool operator==(const FontValue& other) const {
        return face == other.face && height == other.height && weight == other.weight;
    }
};

// Fonts convert points to pixels with a fixed resolution, so a page reads and
// writes the same on every machine whatever its screen.
constexpr int kFontDotsPerInch = 96;

// Codes 1-8: a decimal number within the range of the code.
std::optional<std::int64_t> readInteger(ValueCode code, std::string_view text);
std::optional<std::uint64_t> readUnsigned(ValueCode code, std::string_view text);
std::string writeInteger(std::int64_t value);
std::string writeUnsigned(std::uint64_t value);

// Code 9: "R;G;B", each 0-255, blanks allowed after a semicolon; a missing blue
// reads as 255. Held as R + G*256 + B*65536.
std::optional<std::uint32_t> readColour(std::string_view text);
std::string writeColour(std::uint32_t colour);

// Code 10: "face;12" or "face;12pt", optionally ";bold".
std::optional<FontValue> readFont(std::string_view text);
std::string writeFont(const FontValue& font);

// Code 12: a finite decimal real; written as the shortest text that reads back
// as the same value.
std::optional<double> readReal(std::string_view text);
std::string writeReal(double value);

} // namespace tft::ide::basic_shape
