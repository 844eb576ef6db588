#include "common/hex_text.h"

#include <cctype>

namespace tft {

std::string toHexText(const std::uint8_t* data, std::size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(digits[data[i] >> 4]);
        text.push_back(digits[data[i] & 0x0F]);
        text.push_back(' ');
    }
    return text;
}

std::string toHexText(const std::vector<std::uint8_t>& bytes) {
    return toHexText(bytes.data(), bytes.size());
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%X": optional sign, optional 0x/0X, then the leading hex digits; the low
// 8 bits of the value are what a byte keeps.
std::uint8_t scanHexToken(std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    if (i + 1 < token.size() && token[i] == '0' && (token[i + 1] == 'x' || token[i + 1] == 'X') &&
        i + 2 < token.size() && hexValue(token[i + 2]) >= 0)
        i += 2;
    unsigned value = 0;
    for (; i < token.size() && hexValue(token[i]) >= 0; ++i)
        value = (value << 4) | static_cast<unsigned>(hexValue(token[i]));
    if (negative)
        value = 0u - value;
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

HexParse parseHexText(std::string_view text, std::size_t limit) {
    HexParse result;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i == start)
            break;
        ++result.tokens;
        if (result.bytes.size() < limit)
            result.bytes.push_back(scanHexToken(text.substr(start, i - start)));
        else
            result.truncated = true;
    }
    return result;
}

} // namespace tft
