// The three character sets of a glyph file: their code order, glyph count and
// the index of a code, and their characters through code page 936.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tft::fonttools {

enum class Charset { Ascii, Gb2312, Gbk };

// "ASCII", "GB2312", "GBK": the names shown in the generator and used in
// default file names.
const char* charsetName(Charset set);
std::optional<Charset> parseCharset(const std::string& name);

int glyphCount(Charset set);

// A code is the character byte for ASCII, or lead << 8 | trail for the
// double-byte sets. Codes outside the set have no glyph.
std::optional<int> glyphIndex(Charset set, std::uint16_t code);
// The code stored at a glyph index (0 <= index < glyphCount).
std::uint16_t codeAt(Charset set, int index);

// The character of every glyph in file order; 0 where the code page has no
// character for the code (such a cell stays empty).
std::vector<char32_t> charsetCharacters(Charset set);

} // namespace tft::fonttools
