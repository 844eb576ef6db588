#include "page_painter.h"

#include "page_document.h"
#include "value_codes.h"

#include <QPainter>

namespace tft::ide {

PagePainter::PagePainter(RenderContext context) : context_(std::move(context)) {}
PagePainter::~PagePainter() = default;

void PagePainter::paintPage(QPainter& painter, const PageDocument& page) {
    const QSize size = page.screenSize();
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), size));
    const auto colour = basic_shape::readColour(page.pageProperty("bk_color"));
    const std::uint32_t c = colour.value_or(0);
    painter.fillRect(QRect(QPoint(0, 0), size),
                     QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff)));
    for (const auto& shape : page.shapes())
        if (!shape->isHidden())
            paintShape(painter, *shape);
    painter.restore();
}

// Outline of the shape's box until each kind draws itself.
void PagePainter::paintShape(QPainter& painter, const basic_shape::CShape& shape) {
    const basic_shape::ShapeRect r = shape.rect();
    painter.setPen(QColor(Qt::white));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.left, r.top, r.width() - 1, r.height() - 1);
}

QImage PagePainter::renderPage(const PageDocument& page) {
    QImage image(page.screenSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    paintPage(painter, page);
    return image;
}

} // namespace tft::ide
