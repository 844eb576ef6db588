#include "fonttools/charset.h"

#include "common/codec.h"

#include <QList>
#include <QString>
#include <algorithm>

namespace tft::fonttools {

namespace {

constexpr int kGb2312Side = 94; // 0xA1..0xFE for lead and trail
constexpr int kGbkLeads = 126;  // 0x81..0xFE
constexpr int kGbkTrails = 190; // 0x40..0x7E and 0x80..0xFE

// The code page's text of `bytes` as code points, or nothing when any byte
// does not convert.
std::optional<std::u32string> decodeCp936(const std::string& bytes) {
    const Converted utf8 = convertText(bytes, "CP936", "UTF-8");
    if (!utf8.ok) {
        return std::nullopt;
    }
    const QList<uint> ucs4 =
        QString::fromUtf8(utf8.bytes.data(), static_cast<qsizetype>(utf8.bytes.size())).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

} // namespace

const char* charsetName(Charset set) {
    switch (set) {
    case Charset::Ascii:
        return "ASCII";
    case Charset::Gb2312:
        return "GB2312";
    case Charset::Gbk:
        return "GBK";
    }
    return "";
}

std::optional<Charset> parseCharset(const std::string& name) {
    for (Charset set : {Charset::Ascii, Charset::Gb2312, Charset::Gbk}) {
        if (name == charsetName(set)) {
            return set;
        }
    }
    return std::nullopt;
}

int glyphCount(Charset set) {
    switch (set) {
    case Charset::Ascii:
        return 128;
    case Charset::Gb2312:
        return kGb2312Side * kGb2312Side;
    case Charset::Gbk:
        return kGbkLeads * kGbkTrails;
    }
    return 0;
}

std::optional<int> glyphIndex(Charset set, std::uint16_t code) {
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    switch (set) {
    case Charset::Ascii:
        if (code < 0x80) {
            return code;
        }
        return std::nullopt;
    case Charset::Gb2312:
        if (lead >= 0xA1 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE) {
            return (lead - 0xA1) * kGb2312Side + (trail - 0xA1);
        }
        return std::nullopt;
    case Charset::Gbk:
        if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return (lead - 0x81) * kGbkTrails + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::uint16_t codeAt(Charset set, int index) {
    switch (set) {
    case Charset::Ascii:
        return static_cast<std::uint16_t>(index);
    case Charset::Gb2312:
        return static_cast<std::uint16_t>((0xA1 + index / kGb2312Side) << 8 |
                                          (0xA1 + index % kGb2312Side));
    case Charset::Gbk: {
        int trail = 0x40 + index % kGbkTrails;
        if (trail >= 0x7F) {
            ++trail; // 0x7F is not a trail byte
        }
        return static_cast<std::uint16_t>((0x81 + index / kGbkTrails) << 8 | trail);
    }
    }
    return 0;
}

std::vector<char32_t> charsetCharacters(Charset set) {
    const int count = glyphCount(set);
    std::vector<char32_t> chars(static_cast<std::size_t>(count), 0);
    if (set == Charset::Ascii) {
        for (int i = 0; i < count; ++i) {
            chars[static_cast<std::size_t>(i)] = static_cast<char32_t>(i);
        }
        return chars;
    }
    // One conversion per lead byte; a row with an unassigned code falls back
    // to converting its codes one at a time.
    const int perRow = set == Charset::Gb2312 ? kGb2312Side : kGbkTrails;
    for (int row = 0; row < count / perRow; ++row) {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(perRow) * 2);
        for (int i = 0; i < perRow; ++i) {
            const std::uint16_t code = codeAt(set, row * perRow + i);
            bytes.push_back(static_cast<char>(code >> 8));
            bytes.push_back(static_cast<char>(code & 0xFF));
        }
        const auto whole = decodeCp936(bytes);
        if (whole && whole->size() == static_cast<std::size_t>(perRow)) {
            std::copy(whole->begin(), whole->end(),
                      chars.begin() + static_cast<std::ptrdiff_t>(row) * perRow);
            continue;
        }
        for (int i = 0; i < perRow; ++i) {
            const auto one = decodeCp936(bytes.substr(static_cast<std::size_t>(i) * 2, 2));
            if (one && one->size() == 1) {
                chars[static_cast<std::size_t>(row * perRow + i)] = (*one)[0];
            }
        }
    }
    return chars;
}

} // namespace tft::fonttools
