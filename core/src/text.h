// Bitmap-font text: the font table, the four encodings, companion fonts,
// line breaking inside a text box, and measuring for cursors.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nimbrel {

constexpr std::size_t kFontTableEntries = 20;
constexpr std::size_t kFontEntrySize = 8;
constexpr std::uint32_t kGlyphBase = 0x120000;
constexpr std::size_t kMaxGlyphBytes = ((255 + 7) / 8) * 255;

enum FontEncoding : std::uint8_t {
    kEncodingGb2312 = 0,
    kEncodingGbk = 1,
    kEncodingSingleByte = 2,
    kEncodingBig5 = 3,
};

struct FontEntry {
    std::uint8_t id;
    std::uint8_t encoding;
    std::uint8_t width;
    std::uint8_t height;
    std::uint32_t address;
};

struct TextStyle {
    std::uint16_t colour;
    std::uint16_t background;
    bool withBackground;
    bool wrap;
    int boxWidth;
    int boxHeight;
    int charGap;
    int lineGap;
};

// First usable table entry with the id (entries that cannot be drawn are skipped).
bool findFont(std::uint8_t id, FontEntry* font);
// Glyph index of a character (second byte ignored for single-byte fonts); -1 when
// the bytes lie outside the encoding's table.
long glyphIndex(std::uint8_t encoding, std::uint8_t hi, std::uint8_t lo);

// Draws text up to a 0x00 or 0xFF byte or the end of the buffer.
void drawText(std::uint8_t font, const std::uint8_t* text, std::size_t length, int x, int y,
              const TextStyle& style);

struct TextExtent {
    int lastLineWidth; // x of the end of the text, relative to the start
    int lastLineTop;   // y of the last line, relative to the start
    int height;        // the font height
};
// Measures text as drawn inside a box; false when the font does not exist.
bool measureText(std::uint8_t font, const std::uint8_t* text, std::size_t length, int boxWidth,
                 int boxHeight, int charGap, int lineGap, TextExtent* extent);

} // namespace nimbrel
