// Mouse, keys and wheel of the page view.
#include "designer_commands.h"
#include "orvane_view.h"
#include "shape_kinds.h"
#include "value_codes.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace tft::ide {

using basic_shape::CShape;
using view::ShapeRect;

namespace {

// A click without a drag creates a shape of this size rather than an
// invisible one of none.
constexpr int kClickWidth = 80;
constexpr int kClickHeight = 40;

bool extends(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
}

} // namespace

int COrvaneView::topmostAt(QPoint page) const {
    const auto& shapes = document_.shapes();
    for (int i = int(shapes.size()) - 1; i >= 0; --i) {
        const CShape& shape = *shapes[std::size_t(i)];
        if (!shape.isHidden() && shape.hitTest(page))
            return i;
    }
    return -1;
}

// Handles are hit in view pixels (4 around the point, whatever the zoom);
// selected shapes on top are asked first.
bool COrvaneView::handleAt(QPointF at, int& shapeIndex, int& handle) const {
    const auto& shapes = document_.shapes();
    for (int i = int(shapes.size()) - 1; i >= 0; --i) {
        const CShape& shape = *shapes[std::size_t(i)];
        if (!shape.isSelected() || shape.isHidden())
            continue;
        for (int h = 0; h < shape.handleCount(); ++h) {
            const QPointF p = toView(shape.handle(h));
            if (std::abs(at.x() - p.x()) <= 4 && std::abs(at.y() - p.y()) <= 4) {
                shapeIndex = i;
                handle = h;
                return true;
            }
        }
    }
    return false;
}

std::vector<ShapeRect> COrvaneView::unselectedRects() const {
    std::vector<ShapeRect> rects;
    for (const auto& shape : document_.shapes())
        if (!shape->isSelected() && !shape->isHidden() && shape->handleCount() > 0)
            rects.push_back(shape->rect());
    // The page's own edges and centre lines snap too.
    const QSize page = document_.screenSize();
    rects.push_back({0, 0, page.width(), page.height()});
    return rects;
}

void COrvaneView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    closeTextEditor(true);
    const QPointF at = event->position();
    const QPoint page = toPage(at);
    if (mode_ == Mode::Picking) {
        foreground_ = QColor(buffer().pixel(at.toPoint()));
        mode_ = Mode::Idle;
        viewport()->unsetCursor();
        return;
    }
    cancelDrag();
    anchor_ = current_ = page;
    snap_ = {};
    if (!locked_ && tool_ != designer::ToolPointer) {
        preview_ = basic_shape::createShapeForTool(tool_);
        if (preview_) {
            preview_->propertyChanged(
                "pen_color", basic_shape::writeColour(std::uint32_t(foreground_.red()) |
                                                      std::uint32_t(foreground_.green()) << 8 |
                                                      std::uint32_t(foreground_.blue()) << 16));
            stroke_ = {page};
            if (tool_ == designer::ToolCurve)
                preview_->propertyChanged("path", std::to_string(page.x()) + "," +
                                                      std::to_string(page.y()));
            else
                preview_->setRect({page.x(), page.y(), page.x(), page.y()});
            mode_ = Mode::Creating;
            invalidate();
            return;
        }
    }
    pressPointer(page, at, event->modifiers());
}

void COrvaneView::pressPointer(QPoint page, QPointF at, Qt::KeyboardModifiers modifiers) {
    int shapeIndex = -1, handle = -1;
    if (!extends(modifiers) && handleAt(at, shapeIndex, handle)) {
        if (locked_) {
            mode_ = Mode::Locked;
            return;
        }
        resizeShape_ = shapeIndex;
        resizeHandle_ = handle;
        resizeOriginal_ = document_.shapes()[std::size_t(shapeIndex)]->clone();
        others_ = unselectedRects();
        document_.takeSnapshot();
        mode_ = Mode::Resizing;
        return;
    }
    const int hit = topmostAt(page);
    if (hit < 0) {
        if (!extends(modifiers))
            document_.clearSelection();
        mode_ = locked_ ? Mode::Locked : Mode::Band;
        invalidate();
        return;
    }
    CShape& shape = *document_.shapes()[std::size_t(hit)];
    if (modifiers & Qt::ControlModifier) {
        // Ctrl toggles the shape in the selection.
        if (shape.isSelected()) {
            shape.setState(shape.state() & ~CShape::kSelectedReference);
            document_.shapesReplaced();
            mode_ = Mode::Idle;
            invalidate();
            return;
        }
        document_.select(hit, true);
    } else if (modifiers & Qt::ShiftModifier) {
        document_.select(hit, true);
    } else if (!shape.isSelected()) {
        document_.select(hit, false);
    }
    invalidate();
    if (locked_) {
        mode_ = Mode::Locked;
        return;
    }
    std::vector<ShapeRect> selected;
    for (const CShape* s : document_.selection())
        selected.push_back(s->rect());
    movingBox_ = view::boundingBox(selected);
    others_ = unselectedRects();
    applied_ = {};
    document_.takeSnapshot();
    mode_ = Mode::Moving;
}

void COrvaneView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    showStatus(at);
    if (mode_ == Mode::Idle || mode_ == Mode::Picking) {
        updateCursor(at);
        return;
    }
    if (event->buttons() & Qt::LeftButton)
        dragTo(toPage(at), event->modifiers());
}

void COrvaneView::dragTo(QPoint page, Qt::KeyboardModifiers modifiers) {
    current_ = page;
    // Alt holds snapping off; the reach is a few view pixels at any zoom.
    const int reach =
        (modifiers & Qt::AltModifier) ? -1 : std::max(1, view::kSnapReach * 100 / zoom_);
    switch (mode_) {
    case Mode::Moving: {
        snap_ = view::snapMove(movingBox_, others_, page.x() - anchor_.x(), page.y() - anchor_.y(),
                               reach);
        const QPoint step(snap_.dx - applied_.x(), snap_.dy - applied_.y());
        if (!step.isNull()) {
            for (CShape* shape : document_.selection())
                shape->offset(step.x(), step.y());
            applied_ += step;
        }
        break;
    }
    case Mode::Resizing: {
        snap_ = view::snapPoint(page, others_, reach);
        CShape& shape = *document_.shapes()[std::size_t(resizeShape_)];
        shape.dragHandle(resizeHandle_, page + QPoint(snap_.dx, snap_.dy));
        break;
    }
    case Mode::Creating:
        if (tool_ == designer::ToolCurve) {
            if (stroke_.back() != page)
                stroke_.push_back(page);
            std::string path;
            for (const QPoint& p : stroke_)
                path +=
                    (path.empty() ? "" : ",") + std::to_string(p.x()) + "," + std::to_string(p.y());
            preview_->propertyChanged("path", path);
        } else {
            snap_ = view::snapPoint(page, unselectedRects(), reach);
            const QPoint to = page + QPoint(snap_.dx, snap_.dy);
            preview_->setRect({anchor_.x(), anchor_.y(), to.x(), to.y()});
        }
        break;
    case Mode::Band:
    case Mode::Locked:
    case Mode::Idle:
    case Mode::Picking:
        break;
    }
    invalidate();
}

void COrvaneView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    finishDrag(toPage(event->position()));
}

void COrvaneView::finishDrag(QPoint page) {
    const Mode mode = mode_;
    mode_ = Mode::Idle;
    snap_ = {};
    const QPoint moved = page - anchor_;
    switch (mode) {
    case Mode::Locked:
        if (std::abs(moved.x()) > view::kLockSlack || std::abs(moved.y()) > view::kLockSlack)
            emit dragRefused();
        break;
    case Mode::Moving:
        document_.commit(QStringLiteral("Move"));
        break;
    case Mode::Resizing:
        resizeOriginal_.reset();
        document_.commit(QStringLiteral("Resize"));
        break;
    case Mode::Creating: {
        std::unique_ptr<CShape> shape = std::move(preview_);
        if (tool_ != designer::ToolCurve && std::abs(moved.x()) < 2 && std::abs(moved.y()) < 2)
            shape->setRect({anchor_.x(), anchor_.y(), anchor_.x() + kClickWidth,
                            anchor_.y() + (tool_ == designer::ToolLine ? 0 : kClickHeight)});
        if (tool_ != designer::ToolCurve || stroke_.size() > 1)
            document_.addShape(std::move(shape));
        stroke_.clear();
        setTool(designer::ToolPointer);
        break;
    }
    case Mode::Band: {
        const ShapeRect band{anchor_.x(), anchor_.y(), page.x(), page.y()};
        bool changed = false;
        for (const auto& shape : document_.shapes()) {
            if (!shape->isHidden() && shape->handleCount() > 0 && !shape->isSelected() &&
                view::insideBand(shape->rect(), band)) {
                shape->setState(shape->state() | CShape::Selected);
                changed = true;
            }
        }
        if (changed)
            document_.shapesReplaced();
        break;
    }
    case Mode::Idle:
    case Mode::Picking:
        break;
    }
    invalidate();
}

void COrvaneView::cancelDrag() {
    switch (mode_) {
    case Mode::Moving:
        for (CShape* shape : document_.selection())
            shape->offset(-applied_.x(), -applied_.y());
        document_.dropSnapshot();
        break;
    case Mode::Resizing:
        if (resizeOriginal_ && resizeShape_ < int(document_.shapes().size()))
            document_.shapes()[std::size_t(resizeShape_)]->copyFrom(resizeOriginal_.get());
        resizeOriginal_.reset();
        document_.dropSnapshot();
        break;
    case Mode::Creating:
        preview_.reset();
        stroke_.clear();
        break;
    default:
        break;
    }
    if (mode_ != Mode::Picking)
        mode_ = Mode::Idle;
    snap_ = {};
    invalidate();
}

void COrvaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && tool_ == designer::ToolPointer) {
        const int hit = topmostAt(toPage(event->position()));
        if (hit >= 0) {
            document_.select(hit, false);
            editText();
            return;
        }
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void COrvaneView::updateCursor(QPointF at) {
    int shapeIndex = -1, handle = -1;
    if (mode_ == Mode::Picking)
        viewport()->setCursor(Qt::CrossCursor);
    else if (handleAt(at, shapeIndex, handle))
        viewport()->setCursor(document_.shapes()[std::size_t(shapeIndex)]->handleCursor(handle));
    else if (tool_ != designer::ToolPointer)
        viewport()->setCursor(Qt::CrossCursor);
    else
        viewport()->unsetCursor();
}

void COrvaneView::showStatus(QPointF at) {
    const QImage& image = buffer();
    const QPoint pixel = at.toPoint();
    const QColor colour = image.rect().contains(pixel) ? QColor(image.pixel(pixel)) : QColor();
    status_ = view::statusText(toPage(at), colour);
    emit statusTextChanged(status_);
}

void COrvaneView::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & ~(Qt::KeypadModifier));
    if (mode_ != Mode::Idle && event->key() == Qt::Key_Escape) {
        cancelDrag();
        viewport()->unsetCursor();
        return;
    }
    if (mode_ != Mode::Idle) {
        event->accept();
        return; // no edits in the middle of a drag
    }
    const int key = event->key();
    if (locked_ &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        emit dragRefused();
        return;
    }
    switch (key) {
    case Qt::Key_Left:
        document_.nudge(-1, 0);
        break;
    case Qt::Key_Right:
        document_.nudge(1, 0);
        break;
    case Qt::Key_Up:
        document_.nudge(0, -1);
        break;
    case Qt::Key_Down:
        document_.nudge(0, 1);
        break;
    case Qt::Key_Delete:
        runCommand(designer::DeleteSelection);
        break;
    case Qt::Key_A:
        if (!plain) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        document_.selectAll();
        break;
    case Qt::Key_Escape:
        setTool(designer::ToolPointer);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    invalidate();
}

void COrvaneView::contextMenuEvent(QContextMenuEvent* event) {
    if (mode_ != Mode::Idle)
        return;
    closeTextEditor(true);
    const int hit = topmostAt(toPage(event->pos()));
    if (hit >= 0 && !document_.shapes()[std::size_t(hit)]->isSelected())
        document_.select(hit, false);
    emit contextMenuRequested(event->globalPos());
}

void COrvaneView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setZoom(view::nextZoom(zoom_, steps), event->position());
    event->accept();
}

} // namespace tft::ide
