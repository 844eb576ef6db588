#include "panel_fonts.h"

#include "common/codec.h"
#include "fonttools/font_pack.h"

#include <QFile>
#include <QString>
#include <algorithm>

namespace tft::ide {
namespace {

bool doubleByte(int encoding) {
    return encoding != fonttools::kEncodingSingleByte;
}

long glyphIndex(int encoding, std::uint8_t hi, std::uint8_t lo) {
    switch (encoding) {
    case fonttools::kEncodingGb2312:
        return hi >= 0xA1 && lo >= 0xA1 ? (hi - 0xA1L) * 94 + (lo - 0xA1L) : -1;
    case fonttools::kEncodingGbk:
        return hi >= 0x81 && lo >= 0x40 ? (hi - 0x81L) * 190 + (lo - 0x40L) - (lo >= 0x7F ? 1 : 0)
                                        : -1;
    case fonttools::kEncodingBig5:
        return hi >= 0xA1 && lo >= 0x40 ? (hi - 0xA1L) * 157 + (lo < 0x7F ? lo - 0x40L : lo - 0x62L)
                                        : -1;
    case fonttools::kEncodingSingleByte:
        return hi;
    default:
        return -1;
    }
}

} // namespace

std::string panelBytes(const std::string& utf8) {
    std::string crlf;
    for (char ch : utf8) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    Converted whole = utf8ToGbk(crlf);
    if (whole.ok)
        return whole.bytes;
    // Character by character, leaving out what the code page cannot hold.
    std::string out;
    const QString text = QString::fromStdString(crlf);
    for (int i = 0; i < text.size(); ++i) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const Converted one = utf8ToGbk(text.mid(i, length).toStdString());
        if (one.ok)
            out += one.bytes;
        i += length - 1;
    }
    return out;
}

bool PanelFonts::load(const QString& fontFolder, std::uint32_t mask, QString* error) {
    fonts_.clear();
    std::vector<fonttools::FontEntry> entries;
    std::string why;
    const std::filesystem::path folder = fontFolder.toStdString();
    if (!fonttools::readFontList(folder / "fonts.xml", entries, why)) {
        if (error != nullptr)
            *error = QString::fromStdString(why);
        return false;
    }
    for (const auto& entry : entries) {
        if (entry.id < 0 || entry.id > 31 || !(mask & (1u << entry.id)))
            continue;
        if (entry.width <= 0 || entry.height <= 0 || entry.type < 0 || entry.type > 3)
            continue;
        QFile file(QString::fromStdString((folder / entry.file).string()));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        fonts_.push_back(Font{entry.id, entry.type, entry.width, entry.height, file.readAll()});
    }
    return true;
}

const PanelFonts::Font* PanelFonts::find(int id) const {
    for (const auto& font : fonts_)
        if (font.id == id)
            return &font;
    return nullptr;
}

const PanelFonts::Font* PanelFonts::companion(const Font& main) const {
    for (const auto& font : fonts_)
        if (font.height == main.height && doubleByte(font.encoding) != doubleByte(main.encoding))
            return &font;
    return nullptr;
}

void PanelFonts::drawGlyph(PanelCanvas& canvas, const Font& font, long index, int x, int y,
                           const PanelTextStyle& style) const {
    const int drawWidth = canvas.size().width(), drawHeight = canvas.size().height();
    const int rowBytes = (font.width + 7) / 8;
    const long glyphBytes = long(rowBytes) * font.height;
    if (style.withBackground) {
        const int x0 = std::max(x, 0), x1 = std::min(x + font.width - 1, drawWidth - 1);
        for (int row = 0; row < font.height && x0 <= x1; ++row)
            if (y + row >= 0 && y + row < drawHeight)
                canvas.fillRectangle(x0, y + row, x1, y + row, style.background);
    }
    if (index < 0 || (index + 1) * glyphBytes > font.glyphs.size())
        return;
    const auto* glyph =
        reinterpret_cast<const std::uint8_t*>(font.glyphs.constData()) + index * glyphBytes;
    // A black pen draws the darkest colour that is not the picture key.
    const std::uint16_t colour = style.colour == 0 ? 1 : style.colour;
    const int rowTo = std::min(font.height, drawHeight - y);
    const int colTo = std::min(font.width, drawWidth - x);
    for (int row = std::max(0, -y); row < rowTo; ++row) {
        const std::uint8_t* bits = glyph + row * rowBytes;
        for (int col = std::max(0, -x); col < colTo; ++col)
            if (bits[col >> 3] & (0x80u >> (col & 7)))
                canvas.point(x + col, y + row, colour);
    }
}

void PanelFonts::draw(PanelCanvas& canvas, int fontId, const std::string& text, int startX,
                      int startY, const PanelTextStyle& style) const {
    // Text runs within the screen: a line that does not wrap in a box goes
    // on at the left edge when it reaches the right one.
    const int drawWidth = canvas.size().width(), drawHeight = canvas.size().height();
    if (startX >= drawWidth || startY >= drawHeight)
        return;
    const Font* main = find(fontId);
    if (main == nullptr)
        return;
    const Font* other = companion(*main);
    const Font* single = doubleByte(main->encoding) ? other : main;
    const Font* twoByte = doubleByte(main->encoding) ? main : other;
    const int lineStep = main->height + style.lineGap;
    int x = startX, y = startY;
    const auto newLine = [&](int atX) {
        x = atX;
        y += lineStep;
        return !(style.wrap && y + main->height > startY + style.boxHeight);
    };
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t length = text.size();
    std::size_t i = 0;
    while (i < length && bytes[i] != 0x00 && bytes[i] != 0xFF) {
        const std::uint8_t b = bytes[i];
        if (b == '\r' && i + 1 < length && bytes[i + 1] == '\n') {
            i += 2;
            if (!newLine(startX))
                break;
            continue;
        }
        std::size_t used = 1;
        std::uint8_t lo = 0;
        const Font* font = single;
        if (b & 0x80) {
            if (i + 1 >= length || bytes[i + 1] == 0x00 || bytes[i + 1] == 0xFF)
                break;
            lo = bytes[i + 1];
            used = 2;
            font = twoByte;
        }
        if (font == nullptr)
            break;
        const int advance = font->width;
        if (style.wrap) {
            if (x + advance > startX + style.boxWidth && !newLine(startX))
                break;
        } else if (x + advance > drawWidth) {
            newLine(0);
        }
        if (y >= drawHeight)
            break;
        drawGlyph(canvas, *font, glyphIndex(font->encoding, b, lo), x, y, style);
        x += advance + style.charGap;
        i += used;
    }
}

} // namespace tft::ide
