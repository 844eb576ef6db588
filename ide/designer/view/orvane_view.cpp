#include "orvane_view.h"

#include "arrange.h"
#include "designer_commands.h"
#include "page_clipboard.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace tft::ide {

using basic_shape::CShape;

namespace {

// The colour attributes a foreground or background colour goes to.
const char* const kForegroundAttributes[] = {"pen_color", "fore_color"};
const char* const kBackgroundAttributes[] = {"bk_color", "bkg_color"};

std::string colourText(const QColor& colour) {
    return std::to_string(colour.red()) + ";" + std::to_string(colour.green()) + ";" +
           std::to_string(colour.blue());
}

bool editsText(const CShape& shape) {
    return shape.typeName() == "TEXT" || shape.typeName() == "TEXT_DISPLAY";
}

} // namespace

COrvaneView::COrvaneView(PageDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), painter_(RenderContext{}),
      tool_(designer::ToolPointer) {
    setObjectName(QStringLiteral("OrvaneView"));
    viewport()->setObjectName(QStringLiteral("OrvaneViewport"));
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    chooseColour = [this](const QColor& initial) { return QColorDialog::getColor(initial, this); };
    choosePicturePath = [this] {
        return QFileDialog::getSaveFileName(this, QString(),
                                            QString::fromStdString(document_.title()) + ".png",
                                            QStringLiteral("PNG (*.png);;BMP (*.bmp)"));
    };
    editor_ = new QPlainTextEdit(viewport());
    editor_->setObjectName(QStringLiteral("InPlaceTextEditor"));
    editor_->hide();
    editor_->installEventFilter(this);
    // Drops reach the viewport; the scroll area passes them here in its
    // coordinates.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    updateScrollBars();
}

void COrvaneView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void COrvaneView::dragMoveEvent(QDragMoveEvent* event) {
    if (canDrop && drop && canDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void COrvaneView::dropEvent(QDropEvent* event) {
    if (!canDrop || !drop || !canDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    const QPoint at = toPage(event->position());
    if (drop(event->mimeData(), at))
        event->acceptProposedAction();
    else
        event->ignore();
    setFocus();
}

COrvaneView::~COrvaneView() = default;

void COrvaneView::setRenderContext(const RenderContext& context) {
    painter_.setContext(context);
    invalidate();
}

void COrvaneView::setTool(int tool) {
    if (tool < designer::ToolFirst || tool > designer::ToolLast || tool == tool_)
        return;
    tool_ = tool;
    emit toolChanged(tool_);
}

void COrvaneView::setShowIds(bool show) {
    showIds_ = show;
    invalidate();
}

void COrvaneView::setShowGrid(bool show) {
    grid_ = show;
    invalidate();
}

void COrvaneView::setZoom(int percent) {
    setZoom(percent, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void COrvaneView::setZoom(int percent, QPointF at) {
    percent = std::clamp(percent, view::kZoomMin, view::kZoomMax);
    if (percent == zoom_)
        return;
    // Keep the page point under `at` where it is.
    const QPointF page = (at - QPointF(origin())) / (zoom_ / 100.0);
    zoom_ = percent;
    updateScrollBars();
    const QPointF moved = QPointF(origin()) + page * (zoom_ / 100.0);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + int(moved.x() - at.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + int(moved.y() - at.y()));
    placeEditor();
    invalidate();
    emit zoomChanged(zoom_);
}

QPoint COrvaneView::origin() const {
    return QPoint(view::kPageMargin - horizontalScrollBar()->value(),
                  view::kPageMargin - verticalScrollBar()->value());
}

QPoint COrvaneView::toPage(QPointF viewport) const {
    const QPointF page = (viewport - QPointF(origin())) / (zoom_ / 100.0);
    return QPoint(int(std::floor(page.x())), int(std::floor(page.y())));
}

QPointF COrvaneView::toView(QPoint page) const {
    return QPointF(origin()) + QPointF(page) * (zoom_ / 100.0);
}

void COrvaneView::updateScrollBars() {
    const QSize page = document_.screenSize() * (zoom_ / 100.0);
    const QSize content = page + QSize(2 * view::kPageMargin, 2 * view::kPageMargin);
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - area.width()));
    verticalScrollBar()->setRange(0, std::max(0, content.height() - area.height()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void COrvaneView::invalidate() {
    dirty_ = true;
    viewport()->update();
}

bool COrvaneView::isCommandEnabled(int id) const {
    const bool selected = !document_.selection().empty();
    switch (id) {
    case designer::DeleteSelection:
    case designer::Cut:
    case designer::Copy:
        return selected;
    case designer::DeleteAll:
    case designer::SelectAll:
        return !document_.shapes().empty();
    case designer::Paste:
        return !view::itemsFromMimeData(QGuiApplication::clipboard()->mimeData()).empty();
    case designer::Undo:
        return document_.canUndo();
    case designer::Redo:
        return document_.canRedo();
    default:
        break;
    }
    if (id >= designer::OrderFirst && id <= designer::OrderLast)
        return document_.selection().size() == 1;
    if (designer::isAlignCommand(id))
        return selected;
    return true;
}

bool COrvaneView::refusedByLock(int id) {
    // The lock keeps the shapes where and as they are: nothing is moved,
    // arranged, deleted, cut or pasted, whether by mouse, key or menu.
    const bool changesLayout = (id >= designer::OrderFirst && id <= designer::OrderLast) ||
                               designer::isAlignCommand(id) || id == designer::DeleteSelection ||
                               id == designer::DeleteAll || id == designer::Cut ||
                               id == designer::Paste;
    if (!locked_ || !changesLayout)
        return false;
    emit dragRefused();
    return true;
}

bool COrvaneView::runCommand(int id) {
    if (id >= designer::ToolFirst && id <= designer::ToolLast) {
        setTool(id);
        return true;
    }
    if (refusedByLock(id))
        return true;
    if (id >= designer::OrderFirst && id <= designer::OrderLast) {
        closeTextEditor(true);
        document_.order(id);
        return true;
    }
    if (designer::isAlignCommand(id)) {
        closeTextEditor(true);
        document_.arrange(id);
        return true;
    }
    switch (id) {
    case designer::DeleteSelection:
        closeTextEditor(false);
        document_.deleteSelection();
        return true;
    case designer::DeleteAll:
        closeTextEditor(false);
        document_.deleteAll();
        return true;
    case designer::Cut:
        cut();
        return true;
    case designer::Copy:
        copy();
        return true;
    case designer::Paste:
        paste();
        return true;
    case designer::SelectAll:
        document_.selectAll();
        return true;
    case designer::Undo:
        undo();
        return true;
    case designer::Redo:
        redo();
        return true;
    case designer::Grid:
        setShowGrid(!grid_);
        return true;
    case designer::CopyPagePicture:
        QGuiApplication::clipboard()->setImage(pagePicture());
        return true;
    case designer::SavePagePicture: {
        const QString path = choosePicturePath ? choosePicturePath() : QString();
        if (!path.isEmpty())
            savePagePicture(path);
        return true;
    }
    case designer::ColourPicker:
        mode_ = Mode::Picking;
        viewport()->setCursor(Qt::CrossCursor);
        return true;
    case designer::ForegroundColour:
        applyColour(true);
        return true;
    case designer::BackgroundColour:
        applyColour(false);
        return true;
    case designer::MoreForegroundColours:
    case designer::MoreBackgroundColours: {
        const bool fore = id == designer::MoreForegroundColours;
        const QColor chosen =
            chooseColour ? chooseColour(fore ? foreground_ : background_) : QColor();
        if (chosen.isValid())
            (fore ? foreground_ : background_) = chosen;
        return true;
    }
    case designer::SwapColours:
        std::swap(foreground_, background_);
        return true;
    case designer::DefaultColours:
        foreground_ = Qt::black;
        background_ = Qt::white;
        return true;
    default:
        return false;
    }
}

void COrvaneView::applyColour(bool foreground) {
    QColor& colour = foreground ? foreground_ : background_;
    const QColor chosen = chooseColour ? chooseColour(colour) : QColor();
    if (!chosen.isValid())
        return;
    colour = chosen;
    // The selection takes the colour too, as one undo step.
    closeTextEditor(true);
    document_.takeSnapshot();
    for (CShape* shape : document_.selection()) {
        const char* const* names = foreground ? kForegroundAttributes : kBackgroundAttributes;
        for (int i = 0; i < 2; ++i)
            shape->propertyChanged(names[i], colourText(colour));
    }
    document_.commit(QStringLiteral("Colour"));
}

void COrvaneView::copy() {
    const std::string items = document_.copySelection();
    if (!items.empty())
        QGuiApplication::clipboard()->setMimeData(view::itemsMimeData(items));
}

void COrvaneView::cut() {
    closeTextEditor(false);
    const std::string items = document_.cutSelection();
    if (!items.empty())
        QGuiApplication::clipboard()->setMimeData(view::itemsMimeData(items));
}

bool COrvaneView::paste() {
    closeTextEditor(true);
    const std::string items = view::itemsFromMimeData(QGuiApplication::clipboard()->mimeData());
    return !items.empty() && document_.paste(items) > 0;
}

void COrvaneView::undo() {
    closeTextEditor(false);
    cancelDrag();
    document_.undo();
}

void COrvaneView::redo() {
    closeTextEditor(false);
    cancelDrag();
    document_.redo();
}

QImage COrvaneView::pagePicture() const {
    return const_cast<PagePainter&>(painter_).renderPage(document_);
}

bool COrvaneView::savePagePicture(const QString& path) const {
    return pagePicture().save(path);
}

bool COrvaneView::editText() {
    const std::vector<CShape*> selected = document_.selection();
    if (selected.size() != 1 || !editsText(*selected.front()))
        return false;
    const auto& shapes = document_.shapes();
    for (std::size_t i = 0; i < shapes.size(); ++i)
        if (shapes[i].get() == selected.front())
            editedShape_ = int(i);
    editor_->setPlainText(QString::fromStdString(selected.front()->property("text")));
    placeEditor();
    editor_->show();
    editor_->setFocus();
    editor_->selectAll();
    return true;
}

void COrvaneView::placeEditor() {
    if (editedShape_ < 0 || editedShape_ >= int(document_.shapes().size()))
        return;
    const view::ShapeRect r = document_.shapes()[std::size_t(editedShape_)]->rect().normalised();
    const QPointF topLeft = toView(QPoint(r.left, r.top));
    const QPointF bottomRight = toView(QPoint(r.right, r.bottom));
    const QRectF box(topLeft, bottomRight);
    editor_->setGeometry(
        QRect(box.topLeft().toPoint(), box.size().toSize().expandedTo(QSize(80, 24))));
}

void COrvaneView::closeTextEditor(bool apply) {
    if (!editor_->isVisible())
        return;
    const int shape = editedShape_;
    editedShape_ = -1;
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus)
        setFocus();
    // The text goes to the shape the editor was opened on, when it is still
    // the one selected shape.
    const std::vector<CShape*> selected = document_.selection();
    if (!apply || shape < 0 || shape >= int(document_.shapes().size()) || selected.size() != 1 ||
        selected.front() != document_.shapes()[std::size_t(shape)].get() ||
        !editsText(*selected.front()))
        return;
    document_.setProperty("text", editor_->toPlainText().toStdString());
}

bool COrvaneView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            closeTextEditor(false);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier)) {
            closeTextEditor(true);
            return true;
        }
    }
    if (watched == editor_ && event->type() == QEvent::FocusOut && editor_->isVisible()) {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason)
            closeTextEditor(true);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace tft::ide
