#include "fonttools/glyph_renderer.h"

#include "fonttools/bitmap_strike.h"
#include "fonttools/shipped_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fontconfig/fontconfig.h>

namespace tft::fonttools {

namespace {

const QString kPreferredFace = QStringLiteral("宋体");

// The family fontconfig matches for simplified Chinese text, when the match
// really covers that language.
QString fontconfigChineseFace() {
    QString family;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return family;
    }
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        FcChar8* name = nullptr;
        FcLangSet* langs = nullptr;
        const bool covers =
            FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
            FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("zh-cn")) == FcLangEqual;
        if (covers && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return family;
}

} // namespace

QStringList installedFamilies() {
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (!family.contains(QLatin1Char('@')) && !families.contains(family)) {
            families.append(family);
        }
    }
    families.sort(Qt::CaseInsensitive);
    return families;
}

bool isFamilyInstalled(const QString& family) {
    return QFontDatabase::families().contains(family);
}

QString defaultFaceName() {
    if (isFamilyInstalled(kPreferredFace)) {
        return kPreferredFace;
    }
    const QString matched = fontconfigChineseFace();
    if (!matched.isEmpty() && isFamilyInstalled(matched)) {
        return matched;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (!chinese.isEmpty()) {
        return chinese.front();
    }
    return QGuiApplication::font().family();
}

QFont makeFont(const FontFace& face) {
    QFont font(face.family);
    font.setPixelSize(std::max(1, face.pixelSize));
    font.setWeight(face.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(face.italic);
    // Glyph cells are one bit deep: render without grey edges, hinted so
    // that stems fall on whole pixels. A character the face lacks leaves its
    // cell empty rather than coming from whatever other font is installed.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

namespace {

// The box-drawing vertical line spans a face's whole line, from the top of
// one line to the top of the next, so that rows of it join: its ink is the
// face's real line. Faces without it are measured on the Latin signs and
// letters that reach highest and lowest.
constexpr char32_t kLineGlyph = 0x2502;
constexpr char32_t kLatinReach[] = U"|[]{}()_gjpqy";

// The grey cut: a pixel at least half covered is ink, and so is the centre
// line of a stroke thinner than a pixel (a pixel covered more than its
// neighbour on one side and at least as much as the one on the other).
constexpr int kInkLevel = 128;
constexpr int kStrokeLevel = 48;

// The same glyph drawn with grey edges and without hinting: what the outline
// really covers, whatever the hinting made of it.
QFont greyFont(QFont font) {
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QRectF outlineExtent(const QFont& font, char32_t ch) {
    const QFontMetricsF metrics(font);
    if (!metrics.inFontUcs4(ch)) {
        return {};
    }
    const char32_t one[1] = {ch};
    QPainterPath path;
    path.addText(0, 0, font, QString::fromUcs4(one, 1));
    return path.boundingRect();
}

// The rows of the face's real line, relative to the baseline.
QRectF lineExtent(const QFont& font) {
    QRectF line = outlineExtent(font, kLineGlyph);
    if (line.isEmpty()) {
        for (const char32_t ch : kLatinReach) {
            if (ch != 0) {
                line |= outlineExtent(font, ch);
            }
        }
    }
    if (line.isEmpty()) {
        const QFontMetricsF metrics(font);
        line = QRectF(0, -metrics.ascent(), 1, metrics.ascent() + metrics.descent());
    }
    return line;
}

// How far to move the span [low, high] to lie within [first, last].
int shiftInto(int low, int high, int first, int last) {
    if (low < first || high - low > last - first) {
        return first - low;
    }
    return high > last ? last - high : 0;
}

} // namespace

GlyphRenderer::GlyphRenderer(const FontFace& face, int width, int height)
    : width_(std::max(1, width)), height_(std::max(1, height)), margin_(std::max(width_, height_)),
      fitInCell_(face.pixelSize <= height_),
      canvas_(width_ + 2 * margin_, height_ + 2 * margin_, QImage::Format_RGB32),
      grey_(canvas_.size(), QImage::Format_RGB32),
      inkMask_(static_cast<std::size_t>(canvas_.width() * canvas_.height()), 0),
      font_(makeFont(face)) {
    if (fitInCell_ && !face.bold && !face.italic) {
        if (const auto file = shippedFaceFile(font_.family())) {
            strike_ = BitmapStrike::open(file->path, file->faceIndex, face.pixelSize);
        }
    }
    if (strike_) {
        int ascent = 0;
        int descent = 0;
        const auto measure = [&](char32_t ch) {
            const auto glyph = strike_->glyph(ch);
            if (!glyph || glyph->rows == 0) {
                return;
            }
            ascent = std::max(ascent, glyph->top);
            descent = std::max(descent, glyph->rows - glyph->top);
        };
        measure(kLineGlyph);
        if (ascent + descent == 0) {
            for (const char32_t ch : kLatinReach) {
                measure(ch);
            }
        }
        baseline_ =
            ascent + descent <= height_ ? (height_ - ascent - descent) / 2 + ascent : ascent;
        // Characters the strike lacks are drawn from the outlines.
        greyFont_ = greyFont(font_);
        return;
    }
    QRectF line = lineExtent(font_);
    if (fitInCell_ && line.height() > face.pixelSize) {
        const qreal size = face.pixelSize * face.pixelSize / line.height();
        font_.setPixelSize(std::max(1, static_cast<int>(std::floor(size))));
        line = lineExtent(font_);
    }
    greyFont_ = greyFont(font_);
    baseline_ = qRound((height_ - line.height()) / 2 - line.top());
}

GlyphRenderer::~GlyphRenderer() = default;

bool GlyphRenderer::drawStrike(char32_t ch) {
    const auto glyph = strike_->glyph(ch);
    if (!glyph || std::find(glyph->ink.begin(), glyph->ink.end(), 1) == glyph->ink.end()) {
        return false;
    }
    const int left = margin_ + (width_ - glyph->advance) / 2 + glyph->left;
    const int top = margin_ + baseline_ - glyph->top;
    for (int y = 0; y < glyph->rows; ++y) {
        if (top + y < 0 || top + y >= canvas_.height()) {
            continue;
        }
        auto* line = reinterpret_cast<QRgb*>(canvas_.scanLine(top + y));
        for (int x = 0; x < glyph->width; ++x) {
            const int at = left + x;
            if (glyph->inked(x, y) && at >= 0 && at < canvas_.width()) {
                line[at] = qRgb(255, 255, 255);
            }
        }
    }
    return true;
}

void GlyphRenderer::drawOutline(QImage& canvas, const QFont& font, const QString& text, qreal scale,
                                QPointF inkCentre) {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, (font.styleStrategy() & QFont::NoAntialias) == 0);
    painter.setFont(font);
    painter.setPen(Qt::white);
    if (scale < 1) {
        // Shrunk about the ink's centre into the cell's centre.
        painter.translate(margin_ + width_ / 2.0, margin_ + height_ / 2.0);
        painter.scale(scale, scale);
        painter.translate(-inkCentre);
    }
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    painter.drawText(QPointF(margin_ + (width_ - advance) / 2, margin_ + baseline_), text);
}

QRect GlyphRenderer::cutInk(const QString& text, qreal scale, QPointF inkCentre) {
    const int w = canvas_.width();
    const int h = canvas_.height();
    const auto at = [w](int x, int y) { return static_cast<std::size_t>(y * w + x); };
    const auto level = [&](const QImage& image, int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return 0;
        }
        return qRed(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
    };
    QRect ink;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inked = level(canvas_, x, y) != 0;
            inkMask_[at(x, y)] = inked ? 1 : 0;
            if (inked) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    if (!ink.isEmpty() || text.isEmpty()) {
        return ink;
    }
    // Hinting dropped a glyph of thin strokes whole (a box line, a corner
    // bracket at some sizes): the grey drawing, cut to one bit, stands in.
    grey_.fill(Qt::black);
    drawOutline(grey_, greyFont_, text, scale, inkCentre);
    int brightest = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int c = level(grey_, x, y);
            brightest = std::max(brightest, c);
            bool inked = c >= kInkLevel;
            if (!inked && c >= kStrokeLevel) {
                const int left = level(grey_, x - 1, y), right = level(grey_, x + 1, y);
                const int up = level(grey_, x, y - 1), down = level(grey_, x, y + 1);
                inked = (c >= left && c > right) || (c >= up && c > down);
            }
            inkMask_[at(x, y)] = inked ? 1 : 0;
            if (inked) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    if (ink.isEmpty() && brightest > 0) {
        // A speck fainter than any stroke: its most covered pixels.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (level(grey_, x, y) == brightest) {
                    inkMask_[at(x, y)] = 1;
                    ink |= QRect(x, y, 1, 1);
                }
            }
        }
    }
    return ink;
}

void GlyphRenderer::drawGlyph(const QString& text, qreal scale, QPointF inkCentre) {
    canvas_.fill(Qt::black);
    drawOutline(canvas_, font_, text, scale, inkCentre);
}

void GlyphRenderer::render(char32_t ch, const CellLayout& layout, std::uint8_t* cell) {
    ink_ = QRect();
    if (ch == 0 || ch > 0x10FFFF) {
        return;
    }
    canvas_.fill(Qt::black);
    const char32_t one[1] = {ch};
    const QString text = QString::fromUcs4(one, 1);
    const bool fromStrike = strike_ && drawStrike(ch);
    if (!fromStrike) {
        if (!QFontMetricsF(font_).inFontUcs4(ch)) {
            return;
        }
        drawGlyph(text, 1, {});
    }
    QRect ink = cutInk(fromStrike ? QString() : text, 1, {});
    if (ink.isEmpty()) {
        return;
    }
    if (fitInCell_ && !fromStrike && (ink.width() > width_ || ink.height() > height_)) {
        const qreal scale = std::min(static_cast<qreal>(width_) / ink.width(),
                                     static_cast<qreal>(height_) / ink.height());
        const QPointF centre = QRectF(ink).center();
        drawGlyph(text, scale, centre);
        ink = cutInk(text, scale, centre);
    }
    int dx = 0;
    int dy = 0;
    if (fitInCell_ && !ink.isEmpty()) {
        dx = shiftInto(ink.left(), ink.right(), margin_, margin_ + width_ - 1);
        dy = shiftInto(ink.top(), ink.bottom(), margin_, margin_ + height_ - 1);
    }
    const int w = std::min(layout.width, width_);
    const int h = std::min(layout.height, height_);
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            const int x = margin_ + px - dx;
            const int y = margin_ + py - dy;
            if (inkMask_[static_cast<std::size_t>(y * canvas_.width() + x)] != 0) {
                layout.setPixel(cell, px, py);
            }
        }
    }
    ink_ = ink.translated(dx - margin_, dy - margin_);
}

std::vector<std::uint8_t> renderCharset(const FontFace& face, Charset set, const CellLayout& layout,
                                        const ProgressFn& progress) {
    const std::vector<char32_t> chars = charsetCharacters(set);
    const std::size_t cellBytes = layout.cellBytes();
    std::vector<std::uint8_t> bytes(chars.size() * cellBytes, 0);
    GlyphRenderer renderer(face, layout.width, layout.height);
    int lastPercent = -1;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        renderer.render(chars[i], layout, bytes.data() + i * cellBytes);
        const int percent = static_cast<int>((i + 1) * 100 / chars.size());
        if (progress && percent != lastPercent) {
            lastPercent = percent;
            progress(percent);
        }
    }
    return bytes;
}

bool writeFileAtomically(const QString& path, const std::vector<std::uint8_t>& bytes,
                         QString* error) {
    QSaveFile file(path);
    const auto fail = [&](const QString& reason) {
        if (error != nullptr) {
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        }
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        return fail(file.errorString());
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

QString formatSampleArray(const std::vector<std::uint8_t>& bytes, std::size_t cellBytes) {
    QString text = QStringLiteral("char data[]={\r\n");
    if (cellBytes == 0) {
        return text + QStringLiteral("};");
    }
    char hex[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % cellBytes == 0) {
            text += QStringLiteral("    ");
        }
        std::snprintf(hex, sizeof hex, "0x%02X,", bytes[i]);
        text += QLatin1String(hex);
        if (i % cellBytes == cellBytes - 1) {
            text += QStringLiteral("\r\n");
        }
    }
    return text + QStringLiteral("};");
}

QString sampleArray(const FontFace& face, const CellLayout& layout, const QString& text) {
    const QList<uint> chars = text.toUcs4();
    const std::size_t cellBytes = layout.cellBytes();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(chars.size()) * cellBytes, 0);
    if (!chars.isEmpty()) {
        GlyphRenderer renderer(face, layout.width, layout.height);
        for (qsizetype i = 0; i < chars.size(); ++i) {
            renderer.render(static_cast<char32_t>(chars[i]), layout,
                            bytes.data() + static_cast<std::size_t>(i) * cellBytes);
        }
    }
    return formatSampleArray(bytes, cellBytes);
}

} // namespace tft::fonttools
