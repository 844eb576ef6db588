#include "fonttools/bitmap_strike.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace tft::fonttools {

struct BitmapStrike::Library {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Library() {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
};

namespace {

// Loads glyph `index` from the selected strike. A glyph the strike lacks
// comes as an outline, which is not the designer's bitmap: false.
bool loadBitmap(FT_Face face, FT_UInt index) {
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_BITMAP)
        return false;
    const unsigned char mode = face->glyph->bitmap.pixel_mode;
    return mode == FT_PIXEL_MODE_MONO || mode == FT_PIXEL_MODE_GRAY;
}

} // namespace

std::unique_ptr<BitmapStrike> BitmapStrike::open(const QString& file, int faceIndex,
                                                 int pixelHeight) {
    auto ft = std::make_unique<Library>();
    const QByteArray path = file.toLocal8Bit();
    if (FT_Init_FreeType(&ft->library) != 0 ||
        FT_New_Face(ft->library, path.constData(), faceIndex, &ft->face) != 0)
        return nullptr;
    FT_Face face = ft->face;
    int strike = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
        if (face->available_sizes[i].height == pixelHeight)
            strike = i;
    if (strike < 0 || FT_Select_Size(face, strike) != 0)
        return nullptr;
    std::unique_ptr<BitmapStrike> result(new BitmapStrike);
    result->ft_ = std::move(ft);
    return result;
}

BitmapStrike::~BitmapStrike() = default;

std::optional<StrikeGlyph> BitmapStrike::glyph(char32_t ch) const {
    FT_Face face = ft_->face;
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (index == 0 || !loadBitmap(face, index))
        return std::nullopt;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    StrikeGlyph glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.advance = static_cast<int>(slot->advance.x >> 6);
    glyph.ink.assign(static_cast<std::size_t>(glyph.width * glyph.rows), 0);
    for (int y = 0; y < glyph.rows; ++y) {
        const unsigned char* line = bitmap.buffer + y * bitmap.pitch;
        for (int x = 0; x < glyph.width; ++x) {
            const bool inked = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                   ? (line[x / 8] & (0x80 >> (x % 8))) != 0
                                   : line[x] >= 128;
            glyph.ink[static_cast<std::size_t>(y * glyph.width + x)] = inked ? 1 : 0;
        }
    }
    return glyph;
}

} // namespace tft::fonttools
