// One bitmap strike of a font file: the hand-drawn glyphs a face carries for
// one pixel height, read straight from the file with FreeType, so that small
// system fonts are the font designer's pixels rather than a thresholded
// outline.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tft::fonttools {

struct StrikeGlyph {
    int left = 0;  // from the pen position to the first column
    int top = 0;   // rows above the baseline (the first row is baseline - top)
    int width = 0; // bitmap size in pixels
    int rows = 0;
    int advance = 0;
    std::vector<std::uint8_t> ink; // width * rows, 1 = inked, row by row

    bool inked(int x, int y) const { return ink[static_cast<std::size_t>(y * width + x)] != 0; }
};

class BitmapStrike {
public:
    // The strike `pixelHeight` rows high of face `faceIndex` in `file`, or
    // nothing when the face has no such strike.
    static std::unique_ptr<BitmapStrike> open(const QString& file, int faceIndex, int pixelHeight);
    ~BitmapStrike();
    BitmapStrike(const BitmapStrike&) = delete;
    BitmapStrike& operator=(const BitmapStrike&) = delete;

    // The glyph of `ch`; nothing when the strike lacks the character.
    std::optional<StrikeGlyph> glyph(char32_t ch) const;

private:
    struct Library;
    BitmapStrike() = default;
    std::unique_ptr<Library> ft_;
};

} // namespace tft::fonttools
