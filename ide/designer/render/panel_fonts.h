// PanelFonts: the panel's bitmap system fonts, read by file from the font
// folder the build writes into the application folder, and text laid out and
// drawn the way the panel does it (line breaks, wrapping in a box, character
// and line gaps, the companion font for the other byte width).
#pragma once

#include "panel_canvas.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace tft::ide {

struct PanelTextStyle {
    std::uint16_t colour = 0;
    bool withBackground = false; // each character cell filled first
    std::uint16_t background = 0;
    bool wrap = false; // within boxWidth x boxHeight from the start point
    int boxWidth = 0;
    int boxHeight = 0;
    int charGap = 0;
    int lineGap = 0;
};

class PanelFonts {
public:
    // Reads <fontFolder>/fonts.xml and the glyph files of the fonts whose bit
    // is set in `mask` (the panel model's system fonts). False with `error`
    // when the list cannot be read; a font whose file is missing is left out.
    bool load(const QString& fontFolder, std::uint32_t mask, QString* error);
    bool isEmpty() const { return fonts_.empty(); }
    bool hasFont(int id) const { return find(id) != nullptr; }

    // `text` in code page 936 (or single bytes), as the panel receives it;
    // CR LF starts a new line; a 0x00 or 0xFF byte ends the text.
    void draw(PanelCanvas& canvas, int fontId, const std::string& text, int x, int y,
              const PanelTextStyle& style) const;

private:
    struct Font {
        int id = 0;
        int encoding = 0;
        int width = 0;
        int height = 0;
        QByteArray glyphs;
    };
    const Font* find(int id) const;
    const Font* companion(const Font& main) const;
    void drawGlyph(PanelCanvas& canvas, const Font& font, long index, int x, int y,
                   const PanelTextStyle& style) const;

    std::vector<Font> fonts_;
};

// UTF-8 as the panel receives it: line feeds as CR LF, code page 936.
// Characters outside the code page are left out.
std::string panelBytes(const std::string& utf8);

} // namespace tft::ide
