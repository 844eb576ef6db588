#include "compiler/identifiers.h"

#include "common/codec.h"
#include "compiler/options.h"

#include <algorithm>
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

std::optional<NonGbkCharacter> firstNonGbkCharacter(const std::string& utf8) {
    const Converted gbk = utf8ToGbk(utf8);
    if (gbk.ok)
        return std::nullopt;
    NonGbkCharacter found;
    std::size_t i = 0;
    while (i < gbk.errorOffset && i < utf8.size()) {
        nextCodePoint(utf8, i);
        ++found.position;
    }
    ++found.position;
    const std::size_t start = std::min(i, utf8.size());
    std::size_t end = start;
    const std::uint32_t code = start < utf8.size() ? nextCodePoint(utf8, end) : 0;
    found.character = utf8.substr(start, end - start);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
    found.codePoint = hex;
    return found;
}

bool hasControlCharacter(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

std::string visibleControls(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

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
