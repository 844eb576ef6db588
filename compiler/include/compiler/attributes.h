// Attribute values of project and page files: decimal integers, reals, colours
// written R;G;B (held as R + G*256 + B*65536) and texts. A value that does not
// parse leaves the caller's default in place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tft {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | g << 8 | b << 16;
}

// A decimal integer in 32 bits, blanks around it allowed, nothing else.
std::optional<std::int32_t> parseInteger(std::string_view text);
// A finite decimal real, blanks around it allowed.
std::optional<double> parseReal(std::string_view text);
// Three decimal numbers 0-255 separated by ';', each ';' optionally followed
// by blanks ("255;0;0", "255; 0; 0").
std::optional<std::uint32_t> parseColour(std::string_view text);
// "R;G;B" without blanks.
std::string formatColour(std::uint32_t colour);
// The shortest text that reads back as the same real.
std::string formatReal(double value);
// RGB565 of a colour held as R + G*256 + B*65536.
std::uint16_t colourToRgb565(std::uint32_t colour);

} // namespace tft
