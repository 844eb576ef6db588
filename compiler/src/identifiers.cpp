#include "compiler/identifiers.h"

#include "compiler/options.h"

#include <cstdio>

namespace tft {
namespace {

// Decodes one UTF-8 character at `i`; an invalid sequence yields its first byte.
std::uint32_t nextCodePoint(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        ++i;
        return lead;
    }
    if (i + length > text.size()) {
        ++i;
        return lead;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    i += length;
    return code;
}

void appendHex4(std::string& out, std::uint32_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04x", static_cast<unsigned>(unit & 0xFFFF));
    out += buffer;
}

} // namespace

std::string identifierName(const std::vector<std::string>& parts) {
    std::string name;
    for (const std::string& part : parts) {
        name += '_';
        for (std::size_t i = 0; i < part.size();) {
            const char c = part[i];
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '_') {
                name += c;
                ++i;
                continue;
            }
            const std::uint32_t code = nextCodePoint(part, i);
            if (code >= 0x10000) { // a surrogate pair in UTF-16
                const std::uint32_t v = code - 0x10000;
                appendHex4(name, 0xD800 + (v >> 10));
                appendHex4(name, 0xDC00 + (v & 0x3FF));
            } else {
                appendHex4(name, code);
            }
        }
    }
    return asciiUpper(name);
}

std::string defineLine(const std::string& name, std::int64_t value) {
    std::string line = "#define  " + name;
    if (name.size() < 60)
        line.append(60 - name.size(), ' ');
    const std::string number = std::to_string(value);
    line += ' ';
    if (number.size() < 10)
        line.append(10 - number.size(), ' ');
    return line + number + "\n\n";
}

IdentifierMap::Result IdentifierMap::add(const std::string& name, std::uint16_t value,
                                         const std::string& comment) {
    const auto found = values_.find(name);
    if (found != values_.end())
        return found->second == value ? Result::Known : Result::Clash;
    values_.emplace(name, value);
    definitions_ += comment + defineLine(name, value);
    return Result::Added;
}

} // namespace tft
