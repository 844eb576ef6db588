#include "fonttools/glyph_renderer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QSaveFile>
#include <algorithm>
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
    // Glyph cells are one bit deep: render without grey edges so what is
    // stored is what the font's outline covers.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

GlyphRenderer::GlyphRenderer(const FontFace& face, int width, int height)
    : image_(std::max(1, width), std::max(1, height), QImage::Format_RGB32), font_(makeFont(face)) {
    image_.fill(Qt::black);
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setFont(font_);
    painter_->setPen(Qt::white);
}

GlyphRenderer::~GlyphRenderer() {
    painter_->end();
}

void GlyphRenderer::render(char32_t ch, const CellLayout& layout, std::uint8_t* cell) {
    painter_->fillRect(image_.rect(), Qt::black);
    if (ch == 0 || ch > 0x10FFFF) {
        return;
    }
    const char32_t one[1] = {ch};
    const QString text = QString::fromUcs4(one, 1);
    painter_->drawText(image_.rect(), Qt::AlignCenter | Qt::TextSingleLine, text);

    const int w = std::min(layout.width, image_.width());
    const int h = std::min(layout.height, image_.height());
    for (int py = 0; py < h; ++py) {
        const auto* line = reinterpret_cast<const QRgb*>(image_.constScanLine(py));
        for (int px = 0; px < w; ++px) {
            if (qRed(line[px]) != 0) {
                layout.setPixel(cell, px, py);
            }
        }
    }
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
