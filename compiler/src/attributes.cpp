#include "compiler/attributes.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tft {
namespace {

std::string_view trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseColour(std::string_view text) {
    std::array<std::uint32_t, 3> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != ';')
                return std::nullopt;
            text.remove_prefix(1);
            while (!text.empty() && text.front() == ' ')
                text.remove_prefix(1);
        }
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(text[digits] - '0');
            if (value > 255)
                return std::nullopt;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        parts[i] = value;
        text.remove_prefix(digits);
    }
    if (!text.empty())
        return std::nullopt;
    return rgb(parts[0], parts[1], parts[2]);
}

std::string formatColour(std::uint32_t colour) {
    return std::to_string(colour & 0xFF) + ";" + std::to_string(colour >> 8 & 0xFF) + ";" +
           std::to_string(colour >> 16 & 0xFF);
}

std::string formatReal(double value) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::uint16_t colourToRgb565(std::uint32_t colour) {
    const std::uint32_t r = colour & 0xFF;
    const std::uint32_t g = colour >> 8 & 0xFF;
    const std::uint32_t b = colour >> 16 & 0xFF;
    return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

} // namespace tft
