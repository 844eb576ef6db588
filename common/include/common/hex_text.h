// Hex text: frames in logs and consoles, each byte as "%02X " (two upper-case
// digits and a blank, the last byte included), and the parser of typed hex text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tft {

std::string toHexText(const std::uint8_t* data, std::size_t length);
std::string toHexText(const std::vector<std::uint8_t>& bytes);

struct HexParse {
    std::vector<std::uint8_t> bytes;
    bool truncated = false; // the text held more than the limit; the rest was cut
    std::size_t tokens = 0; // tokens seen, including the cut ones
};

// Splits at blanks (space, tab, CR, LF), reads each token as hexadecimal the
// way "%X" does (optional 0x, leading hex digits), keeps the low 8 bits; a token
// without hex digits gives 0. At most `limit` bytes are kept.
HexParse parseHexText(std::string_view text, std::size_t limit = 1024);

} // namespace tft
