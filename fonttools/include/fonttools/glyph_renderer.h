// Renders single characters into glyph cells with an installed font. Needs a
// QGuiApplication (fonts); one renderer per thread.
#pragma once

#include "fonttools/charset.h"
#include "fonttools/glyph_layout.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tft::fonttools {

struct FontFace {
    QString family;
    int pixelSize = 16;
    bool bold = false;
    bool italic = false;
};

// The face used when none is named: "宋体" when installed, otherwise the face
// fontconfig picks for simplified Chinese, otherwise the application font.
QString defaultFaceName();
// Installed families without vertical ("@") variants, each once, sorted.
QStringList installedFamilies();
bool isFamilyInstalled(const QString& family);

QFont makeFont(const FontFace& face);

class BitmapStrike;

// Draws single characters into one-bit glyph cells. The font size is the
// height of the face's real line (the rows its box-drawing line spans, which
// joins one line to the next, or else its tallest Latin signs), as a
// character height is in the panel's tools; up to the cell height every glyph
// is placed whole inside the cell, moved or, when larger than the cell,
// shrunk. A shipped face with a bitmap strike of the font size draws its
// designer's pixels; outlines are drawn hinted in one bit, and a glyph whose
// thin strokes the hinting dropped whole is taken from a grey drawing cut to
// one bit that keeps strokes thinner than a pixel. A character the face
// lacks leaves its cell empty.
class GlyphRenderer {
public:
    GlyphRenderer(const FontFace& face, int width, int height);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    // Draws `ch` in the W x H cell and sets the bit of every inked pixel in
    // `cell` (cellBytes() long, all zero on entry). Character 0 leaves the
    // cell empty.
    void render(char32_t ch, const CellLayout& layout, std::uint8_t* cell);
    // The inked pixels of the last render, in cell coordinates, before the
    // cell cut them: outside the cell only for a font larger than the cell.
    QRect inkBounds() const { return ink_; }

private:
    void drawGlyph(const QString& text, qreal scale, QPointF inkCentre);
    void drawOutline(QImage& canvas, const QFont& font, const QString& text, qreal scale,
                     QPointF inkCentre);
    bool drawStrike(char32_t ch);
    // Fills inkMask_ from the canvas, or, when that is empty, from the grey
    // drawing of `text`; the ink's bounds on the canvas.
    QRect cutInk(const QString& text, qreal scale, QPointF inkCentre);

    int width_;
    int height_;
    int margin_;
    bool fitInCell_;
    QImage canvas_; // the hinted one-bit drawing, the cell with a margin all round
    QImage grey_;   // the same glyph with grey edges, unhinted
    std::vector<std::uint8_t> inkMask_;
    QFont font_;
    QFont greyFont_;
    std::unique_ptr<BitmapStrike> strike_;
    int baseline_ = 0;
    QRect ink_;
};

// Progress is reported as a percentage whenever it changes.
using ProgressFn = std::function<void(int percent)>;

// Every glyph of `set` in file order, rendered into one buffer.
std::vector<std::uint8_t> renderCharset(const FontFace& face, Charset set, const CellLayout& layout,
                                        const ProgressFn& progress = {});

// Writes `bytes` to `path` through a temporary file, so a failed or
// interrupted write leaves no partial file behind.
bool writeFileAtomically(const QString& path, const std::vector<std::uint8_t>& bytes,
                         QString* error);

// The bit pattern of `text` as C source: "char data[]={\r\n", one line of
// "0x%02X," per glyph (four blanks before, "\r\n" after), then "};".
QString sampleArray(const FontFace& face, const CellLayout& layout, const QString& text);
QString formatSampleArray(const std::vector<std::uint8_t>& bytes, std::size_t cellBytes);

} // namespace tft::fonttools
