#include "text.h"

#include "core/hardware.h"
#include "core_state.h"

namespace nimbrel {
namespace {

bool isDoubleByte(std::uint8_t encoding) {
    return encoding != kEncodingSingleByte;
}

// An entry that would make the renderer read outside the glyph space, or
// divide a line into zero-height rows, is treated as absent.
bool readEntry(std::size_t n, FontEntry* font) {
    std::uint8_t raw[kFontEntrySize] = {};
    if (!ReadFontIndex(static_cast<std::uint32_t>(n * kFontEntrySize), raw, kFontEntrySize))
        return false;
    font->id = raw[0];
    font->encoding = raw[1];
    font->width = raw[2];
    font->height = raw[3];
    font->address = le32(raw + 4);
    return font->encoding <= kEncodingBig5 && font->width > 0 && font->height > 0 &&
           font->address >= kGlyphBase;
}

bool findCompanion(const FontEntry& main, FontEntry* companion) {
    for (std::size_t n = 0; n < kFontTableEntries; ++n) {
        FontEntry entry{};
        if (!readEntry(n, &entry))
            continue;
        if (entry.height == main.height &&
            isDoubleByte(entry.encoding) != isDoubleByte(main.encoding)) {
            *companion = entry;
            return true;
        }
    }
    return false;
}

std::uint8_t g_glyph[kMaxGlyphBytes];

void drawGlyph(const FontEntry& font, long index, int x, int y, const TextStyle& style) {
    const std::uint32_t rowBytes = (font.width + 7u) / 8u;
    const std::uint32_t glyphBytes = rowBytes * font.height;
    if (style.withBackground) {
        const int x0 = x < 0 ? 0 : x;
        const int x1 = x + font.width - 1 >= kDrawWidth ? kDrawWidth - 1 : x + font.width - 1;
        setPenColor(style.background);
        for (int row = 0; row < font.height && x0 <= x1; ++row)
            if (y + row >= 0 && y + row < kDrawHeight)
                setHLine(x0, y + row, x1);
    }
    if (index < 0)
        return;
    const unsigned long long address = static_cast<unsigned long long>(font.address - kGlyphBase) +
                                       static_cast<unsigned long long>(index) * glyphBytes;
    if (address > 0xFFFFFFFFull - glyphBytes)
        return;
    if (!ReadFont(static_cast<std::uint32_t>(address), g_glyph, glyphBytes))
        return;
    const std::uint16_t colour = style.colour == 0 ? 1 : style.colour;
    // Only the rows and columns of the glyph inside the drawing area.
    const int rowFrom = y < 0 ? -y : 0;
    const int rowTo = kDrawHeight - y < font.height ? kDrawHeight - y : font.height;
    const int colFrom = x < 0 ? -x : 0;
    const int colTo = kDrawWidth - x < font.width ? kDrawWidth - x : font.width;
    for (int row = rowFrom; row < rowTo; ++row) {
        const std::uint8_t* bits = g_glyph + static_cast<std::size_t>(row) * rowBytes;
        for (int col = colFrom; col < colTo; ++col) {
            const std::uint8_t byte = bits[col >> 3];
            if (byte == 0)
                col |= 7; // the rest of an empty byte
            else if (byte & (0x80u >> (col & 7)))
                GUI_Point(x + col, y + row, colour);
        }
    }
}

// Walks the characters of a text, placing them by the line rules. Draws when
// style is given; otherwise measures, counting a single-byte character of a
// double-byte font as half the font width.
struct Layout {
    int x;
    int y;
    int height;
};

bool layoutText(std::uint8_t fontId, const std::uint8_t* text, std::size_t length, int startX,
                int startY, bool wrap, int boxWidth, int boxHeight, int charGap, int lineGap,
                const TextStyle* style, Layout* out) {
    FontEntry main{};
    if (!findFont(fontId, &main))
        return false;
    FontEntry companion{};
    const bool hasCompanion = findCompanion(main, &companion);
    const FontEntry* single = nullptr;
    const FontEntry* twoByte = nullptr;
    if (isDoubleByte(main.encoding)) {
        twoByte = &main;
        single = hasCompanion ? &companion : nullptr;
    } else {
        single = &main;
        twoByte = hasCompanion ? &companion : nullptr;
    }
    const int lineStep = main.height + lineGap;
    int x = startX;
    int y = startY;
    const auto newLine = [&](int atX) {
        x = atX;
        y += lineStep;
        return !(wrap && y + main.height > startY + boxHeight);
    };
    std::size_t i = 0;
    while (i < length && text && text[i] != 0x00 && text[i] != 0xFF) {
        const std::uint8_t b = text[i];
        if (b == '\r' && i + 1 < length && text[i + 1] == '\n') {
            i += 2;
            if (!newLine(startX))
                break;
            continue;
        }
        std::size_t used = 1;
        std::uint8_t lo = 0;
        const FontEntry* font = single;
        if (b & 0x80) {
            if (i + 1 >= length || text[i + 1] == 0x00 || text[i + 1] == 0xFF)
                break;
            lo = text[i + 1];
            used = 2;
            font = twoByte;
        }
        int advance = 0;
        if (style) {
            if (!font)
                break;
            advance = font->width;
        } else if (!isDoubleByte(main.encoding) && used == 2) {
            if (!font)
                break;
            advance = font->width;
        } else {
            advance = used == 1 && isDoubleByte(main.encoding) ? main.width / 2 : main.width;
        }
        if (wrap) {
            if (x + advance > startX + boxWidth && !newLine(startX))
                break;
        } else if (x + advance > kDrawWidth) {
            newLine(0);
        }
        if (y >= kDrawHeight && style)
            break;
        if (style)
            drawGlyph(*font, glyphIndex(font->encoding, b, lo), x, y, *style);
        x += advance + charGap;
        i += used;
    }
    out->x = x;
    out->y = y;
    out->height = main.height;
    return true;
}

} // namespace

bool findFont(std::uint8_t id, FontEntry* font) {
    for (std::size_t n = 0; n < kFontTableEntries; ++n) {
        FontEntry entry{};
        if (readEntry(n, &entry) && entry.id == id) {
            *font = entry;
            return true;
        }
    }
    return false;
}

long glyphIndex(std::uint8_t encoding, std::uint8_t hi, std::uint8_t lo) {
    long index = -1;
    switch (encoding) {
    case kEncodingGb2312:
        if (hi >= 0xA1 && lo >= 0xA1)
            index = (hi - 0xA1L) * 94 + (lo - 0xA1L);
        break;
    case kEncodingGbk:
        if (hi >= 0x81 && lo >= 0x40)
            index = (hi - 0x81L) * 190 + (lo - 0x40L) - (lo >= 0x7F ? 1 : 0);
        break;
    case kEncodingBig5:
        if (hi >= 0xA1 && lo >= 0x40)
            index = (hi - 0xA1L) * 157 + (lo < 0x7F ? lo - 0x40L : lo - 0x62L);
        break;
    case kEncodingSingleByte:
        index = hi;
        break;
    default:
        break;
    }
    return index;
}

void drawText(std::uint8_t font, const std::uint8_t* text, std::size_t length, int x, int y,
              const TextStyle& style) {
    if (x >= kDrawWidth || y >= kDrawHeight)
        return;
    Layout end{};
    layoutText(font, text, length, x, y, style.wrap, style.boxWidth, style.boxHeight, style.charGap,
               style.lineGap, &style, &end);
}

bool measureText(std::uint8_t font, const std::uint8_t* text, std::size_t length, int boxWidth,
                 int boxHeight, int charGap, int lineGap, TextExtent* extent) {
    Layout end{};
    if (!layoutText(font, text, length, 0, 0, true, boxWidth, boxHeight, charGap, lineGap, nullptr,
                    &end))
        return false;
    extent->lastLineWidth = end.x;
    extent->lastLineTop = end.y;
    extent->height = end.height;
    return true;
}

} // namespace nimbrel
