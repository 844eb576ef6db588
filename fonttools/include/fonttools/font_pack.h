// The system font pack: the fonts of the font list that a panel model holds,
// as an index file of 8-byte records and one data file of glyph data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tft::fonttools {

// Encodings of the panel's font table.
enum FontEncoding : int {
    kEncodingGb2312 = 0,
    kEncodingGbk = 1,
    kEncodingSingleByte = 2,
    kEncodingBig5 = 3
};

constexpr std::size_t kFontIndexRecordSize = 8;

struct FontEntry {
    int id = 0;
    std::string name;
    int type = 0;
    int width = 0;
    int height = 0;
    std::string file; // relative to the font folder
};

// Glyphs the panel can address in a font of this encoding; 0 for an unknown one.
std::size_t fontGlyphCount(int type);
// Bytes of one glyph as the panel reads it: rows padded to whole bytes.
std::size_t panelGlyphBytes(int width, int height);

// Reads the `font` elements of a font list. A malformed list or entry is an
// error naming the element; nothing is returned then.
bool readFontList(const std::filesystem::path& fontsXml, std::vector<FontEntry>& fonts,
                  std::string& error);

struct FontPack {
    std::vector<std::uint8_t> index;
    std::vector<std::uint8_t> data;
};

enum class PackStatus { Written, Skipped, Failed };

// Packs, in list order, every font whose bit `id` is set in `mask`. Each font's
// file must hold at least its full glyph set.
bool buildFontPack(const std::filesystem::path& fontFolder, std::uint32_t mask, FontPack& pack,
                   std::string& error);

// Builds the pack from <fontFolder>/fonts.xml and writes both files. Without a
// font list nothing is written (Skipped). On failure neither file is left
// behind half written.
PackStatus writeFontPack(const std::filesystem::path& fontFolder, std::uint32_t mask,
                         const std::filesystem::path& indexFile,
                         const std::filesystem::path& dataFile, std::string& error);

} // namespace tft::fonttools
