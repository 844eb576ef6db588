// Magnified preview of one glyph: each pixel a 6 x 6 square on a white field,
// with a dotted grid between the pixels.
#pragma once

#include "fonttools/glyph_renderer.h"

#include <QWidget>

namespace tft::fonttools {

class CFontPreviewCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kScale = 6;
    static constexpr int kLargestCell = 64;

    explicit CFontPreviewCtrl(QWidget* parent = nullptr);

    void setFontFace(const FontFace& font);
    void setCellSize(int width, int height);
    void setPreviewText(const QString& text);

    // The first character of the preview text, or 中 when it is empty.
    char32_t previewCharacter() const;
    // The preview as it is painted, for checks without a screen.
    QImage renderPreview() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPreview(QPainter& painter) const;

    FontFace font_{QStringLiteral("宋体"), 16, false, false};
    int width_ = 16;
    int height_ = 16;
    QString text_ = QStringLiteral("中文");
};

} // namespace tft::fonttools
