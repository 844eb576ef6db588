// Painting of the page view: everything goes to an off-screen buffer of the
// viewport's size, which is then copied to the window in one transfer.
#include "orvane_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace tft::ide {

using basic_shape::CShape;

namespace {

const QColor kWorkspace(0xC8, 0xC8, 0xC8);
const QColor kFrame(0x32, 0x32, 0x32);
const QColor kBand(0x80, 0x80, 0x80);
const QColor kGuide(0xFF, 0x00, 0xFF);
constexpr int kShadow = 6;

} // namespace

void COrvaneView::paintEvent(QPaintEvent*) {
    QPainter window(viewport());
    window.drawImage(0, 0, buffer());
}

void COrvaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    invalidate();
}

void COrvaneView::scrollContentsBy(int, int) {
    placeEditor();
    invalidate();
}

const QImage& COrvaneView::buffer() {
    if (dirty_ || buffer_.size() != viewport()->size())
        paintBuffer();
    return buffer_;
}

void COrvaneView::paintBuffer() {
    dirty_ = false;
    if (buffer_.size() != viewport()->size())
        buffer_ = QImage(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&buffer_);
    painter.fillRect(buffer_.rect(), kWorkspace);
    const double scale = zoom_ / 100.0;
    const QSize screen = document_.screenSize();
    const QRectF page(QPointF(origin()), QSizeF(screen) * scale);
    // A soft shadow along the right and bottom edges, then the frame.
    for (int i = kShadow; i > 0; --i) {
        const QColor shade(0, 0, 0, 12 + (kShadow - i) * 10);
        painter.fillRect(QRectF(page.right(), page.top() + i, i, page.height()), shade);
        painter.fillRect(QRectF(page.left() + i, page.bottom(), page.width(), i), shade);
    }
    painter.setPen(kFrame);
    painter.drawRect(page.adjusted(-1, -1, 0, 0));

    painter.save();
    painter.translate(page.topLeft());
    painter.scale(scale, scale);
    painter_.paintPage(painter, document_);
    if (preview_) {
        painter.setClipRect(QRect(QPoint(0, 0), screen));
        painter_.paintShape(painter, *preview_);
    }
    painter.restore();
    paintGrids(painter);
    paintIds(painter);
    paintHandles(painter);
    paintOverlay(painter);
}

// The 20-pixel grid, and the pixel grid when zoomed far in.
void COrvaneView::paintGrids(QPainter& painter) {
    const QSize screen = document_.screenSize();
    const auto lines = [&](int step, const QColor& colour) {
        painter.setPen(QPen(colour, 0));
        for (int x = step; x < screen.width(); x += step)
            painter.drawLine(toView(QPoint(x, 0)), toView(QPoint(x, screen.height())));
        for (int y = step; y < screen.height(); y += step)
            painter.drawLine(toView(QPoint(0, y)), toView(QPoint(screen.width(), y)));
    };
    if (zoom_ >= view::kPixelGridZoom)
        lines(1, QColor(128, 128, 128, 70));
    if (grid_)
        lines(view::kGridStep, QColor(128, 128, 128, 160));
}

void COrvaneView::paintIds(QPainter& painter) {
    if (!showIds_)
        return;
    painter.setPen(Qt::red);
    for (const auto& shape : document_.shapes()) {
        if (shape->isHidden() || shape->handleCount() == 0)
            continue;
        const view::ShapeRect r = shape->rect().normalised();
        painter.drawText(toView(QPoint(r.left, r.top)) + QPointF(2, 12),
                         QString::number(shape->id()));
    }
}

void COrvaneView::paintHandles(QPainter& painter) {
    painter.setPen(Qt::black);
    for (const auto& shape : document_.shapes()) {
        if (!shape->isSelected() || shape->isHidden())
            continue;
        // The reference shape of a selection has black handles.
        painter.setBrush(shape->state() == CShape::kSelectedReference ? QColor(Qt::black)
                                                                      : QColor(Qt::lightGray));
        for (int i = 0; i < shape->handleCount(); ++i) {
            const QPointF p = toView(shape->handle(i));
            painter.drawRect(QRectF(p.x() - 4, p.y() - 4, 8, 8));
        }
    }
    painter.setBrush(Qt::NoBrush);
}

// The rubber band and the snapping guides.
void COrvaneView::paintOverlay(QPainter& painter) {
    if (mode_ == Mode::Band) {
        painter.setPen(QPen(kBand, 1, Qt::DotLine));
        painter.drawRect(QRectF(toView(anchor_), toView(current_)).normalized());
    }
    const QSize screen = document_.screenSize();
    painter.setPen(QPen(kGuide, 1, Qt::DashLine));
    for (const int x : snap_.xs)
        painter.drawLine(toView(QPoint(x, 0)), toView(QPoint(x, screen.height())));
    for (const int y : snap_.ys)
        painter.drawLine(toView(QPoint(0, y)), toView(QPoint(screen.width(), y)));
}

} // namespace tft::ide
