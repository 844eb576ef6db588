// Renders single characters into glyph cells with an installed font. Needs a
// QGuiApplication (fonts); one renderer per thread.
#pragma once

#include "fonttools/charset.h"
#include "fonttools/glyph_layout.h"

#include <QFont>
#include <QImage>
#include <QPainter>
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

class GlyphRenderer {
public:
    GlyphRenderer(const FontFace& face, int width, int height);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    // Draws `ch` centred in the W x H cell and sets the bit of every inked
    // pixel in `cell` (cellBytes() long, all zero on entry). Character 0
    // leaves the cell empty.
    void render(char32_t ch, const CellLayout& layout, std::uint8_t* cell);
    // The cell picture of the last render (white ink on black).
    const QImage& image() const { return image_; }

private:
    QImage image_;
    QFont font_;
    std::unique_ptr<QPainter> painter_;
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
