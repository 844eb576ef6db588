#include "font_preview_ctrl.h"

#include <QPaintEvent>
#include <QPainter>
#include <vector>

namespace tft::fonttools {

CFontPreviewCtrl::CFontPreviewCtrl(QWidget* parent) : QWidget(parent) {
    // The largest cell, 64 x 64, shows whole at the dialog's default size.
    setMinimumSize(kLargestCell * kScale, kLargestCell * kScale);
}

void CFontPreviewCtrl::setFontFace(const FontFace& font) {
    font_ = font;
    update();
}

void CFontPreviewCtrl::setCellSize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    updateGeometry();
    update();
}

void CFontPreviewCtrl::setPreviewText(const QString& text) {
    text_ = text;
    update();
}

char32_t CFontPreviewCtrl::previewCharacter() const {
    const QList<uint> chars = text_.toUcs4();
    return chars.isEmpty() ? U'\u4E2D' : static_cast<char32_t>(chars.front());
}

QSize CFontPreviewCtrl::sizeHint() const {
    return {width_ * kScale, height_ * kScale};
}

QImage CFontPreviewCtrl::renderPreview() const {
    QImage image(std::max(width_ * kScale, width()), std::max(height_ * kScale, height()),
                 QImage::Format_ARGB32);
    QPainter painter(&image);
    paintPreview(painter);
    return image;
}

void CFontPreviewCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintPreview(painter);
}

void CFontPreviewCtrl::paintPreview(QPainter& painter) const {
    painter.fillRect(
        QRect(0, 0, std::max(width(), width_ * kScale), std::max(height(), height_ * kScale)),
        QColor(150, 150, 150));
    painter.fillRect(0, 0, width_ * kScale, height_ * kScale, Qt::white);

    CellLayout layout;
    layout.width = width_;
    layout.height = height_;
    std::vector<std::uint8_t> cell(layout.cellBytes(), 0);
    {
        GlyphRenderer renderer(font_, width_, height_);
        renderer.render(previewCharacter(), layout, cell.data());
    }
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (layout.pixel(cell.data(), x, y)) {
                painter.fillRect(x * kScale, y * kScale, kScale, kScale, Qt::black);
            }
        }
    }
    QPen grid(QColor::fromRgba(0xC8969696));
    grid.setWidth(1);
    grid.setStyle(Qt::DotLine);
    painter.setPen(grid);
    for (int x = 1; x < width_; ++x) {
        painter.drawLine(x * kScale, 0, x * kScale, height_ * kScale - 1);
    }
    for (int y = 1; y < height_; ++y) {
        painter.drawLine(0, y * kScale, width_ * kScale - 1, y * kScale);
    }
}

} // namespace tft::fonttools
