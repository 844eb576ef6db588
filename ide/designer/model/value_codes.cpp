#include "value_codes.h"

#include "compiler/attributes.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace tft::ide::basic_shape {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

template <class T> std::optional<T> parseWhole(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A number 0-255 of a colour; blanks are allowed only before it.
std::optional<std::uint32_t> colourPart(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    const auto value = parseWhole<std::uint32_t>(text);
    if (!value || *value > 255 || text.empty() ||
        !std::isdigit(static_cast<unsigned char>(text.back())))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::int64_t> readInteger(ValueCode code, std::string_view text) {
    const auto value = parseWhole<std::int64_t>(text);
    if (!value)
        return std::nullopt;
    std::int64_t low = std::numeric_limits<std::int64_t>::min();
    std::int64_t high = std::numeric_limits<std::int64_t>::max();
    switch (code) {
    case ValueCode::Int8:
        low = INT8_MIN, high = INT8_MAX;
        break;
    case ValueCode::Int16:
        low = INT16_MIN, high = INT16_MAX;
        break;
    case ValueCode::Int32:
        low = INT32_MIN, high = INT32_MAX;
        break;
    case ValueCode::Int64:
        break;
    default:
        return std::nullopt;
    }
    if (*value < low || *value > high)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> readUnsigned(ValueCode code, std::string_view text) {
    // "-1" is not an unsigned number: it takes the default.
    const auto value = parseWhole<std::uint64_t>(text);
    if (!value)
        return std::nullopt;
    std::uint64_t high = std::numeric_limits<std::uint64_t>::max();
    switch (code) {
    case ValueCode::UInt8:
        high = UINT8_MAX;
        break;
    case ValueCode::UInt16:
        high = UINT16_MAX;
        break;
    case ValueCode::UInt32:
        high = UINT32_MAX;
        break;
    case ValueCode::UInt64:
        break;
    default:
        return std::nullopt;
    }
    if (*value > high)
        return std::nullopt;
    return value;
}

std::string writeInteger(std::int64_t value) {
    return std::to_string(value);
}
std::string writeUnsigned(std::uint64_t value) {
    return std::to_string(value);
}

std::optional<std::uint32_t> readColour(std::string_view text) {
    std::uint32_t parts[3] = {0, 0, 255};
    int count = 0;
    while (count < 3) {
        const std::size_t semicolon = text.find(';');
        const auto part = colourPart(text.substr(0, semicolon));
        if (!part)
            return std::nullopt;
        parts[count++] = *part;
        if (semicolon == std::string_view::npos)
            break;
        text.remove_prefix(semicolon + 1);
        if (count == 3)
            return std::nullopt; // a fourth field
    }
    if (count < 2)
        return std::nullopt;
    return rgb(parts[0], parts[1], parts[2]);
}

std::string writeColour(std::uint32_t colour) {
    return formatColour(colour);
}

std::optional<FontValue> readFont(std::string_view text) {
    const std::size_t first = text.find(';');
    if (first == std::string_view::npos)
        return std::nullopt;
    FontValue font;
    font.face = std::string(trimmed(text.substr(0, first)));
    if (font.face.empty() || font.face.size() > 32)
        return std::nullopt;
    std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(';');
    std::string_view size = trimmed(rest.substr(0, second));
    if (size.size() > 2 && size.substr(size.size() - 2) == "pt")
        size.remove_suffix(2);
    const auto points = parseWhole<std::int32_t>(size);
    if (!points || *points <= 0 || *points > 1000)
        return std::nullopt;
    font.height = *points * kFontDotsPerInch / 72;
    if (second != std::string_view::npos) {
        const std::string_view style = trimmed(rest.substr(second + 1));
        font.weight = style == "bold" ? 700 : 400;
    }
    return font;
}

std::string writeFont(const FontValue& font) {
    // Back from pixels to points, rounded to the nearest.
    const int points = (font.height * 72 + kFontDotsPerInch / 2) / kFontDotsPerInch;
    std::string text = font.face + ";" + std::to_string(points) + "pt";
    if (font.weight == 700)
        text += ";bold";
    return text;
}

std::optional<double> readReal(std::string_view text) {
    return parseReal(text);
}
std::string writeReal(double value) {
    return formatReal(value);
}

} // namespace tft::ide::basic_shape
