// COrvaneView: the designer view of one page. It draws the page (through the
// page painter) 50 pixels in from its corner with a frame and a shadow, and
// turns mouse and keys into the page document's edits: tools that create
// shapes by dragging, selection by click and rubber band, moves, resizes
// through handles, nudges, the clipboard, arranging, an in-place text editor,
// zoom and snapping to other shapes' edges. Every change of the shapes goes
// through the document's entry points or its snapshot and commit, so each is
// one step of the page's history.
#pragma once

#include "page_document.h"
#include "page_painter.h"
#include "view_geometry.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>

class QMimeData;
class QPlainTextEdit;

namespace tft::ide {

class COrvaneView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Mode { Idle, Creating, Moving, Resizing, Band, Locked, Picking };

    explicit COrvaneView(PageDocument& document, QWidget* parent = nullptr);
    ~COrvaneView() override;

    PageDocument& document() { return document_; }
    // Paints again (the document changed).
    void refresh() { invalidate(); }
    void setRenderContext(const RenderContext& context);

    // The designer commands (designer_commands.h); false for an id the view
    // does not handle.
    bool runCommand(int id);
    bool isCommandEnabled(int id) const;

    int tool() const { return tool_; }
    void setTool(int tool);
    bool isLocked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }
    bool showsIds() const { return showIds_; }
    void setShowIds(bool show);
    bool showsGrid() const { return grid_; }
    void setShowGrid(bool show);
    int zoom() const { return zoom_; }
    // Zooms to `percent` (clamped to 25-800) keeping the page point under
    // `at` (viewport pixels) where it is.
    void setZoom(int percent, QPointF at);
    void setZoom(int percent);
    QColor foreground() const { return foreground_; }
    QColor background() const { return background_; }
    void setForeground(const QColor& colour) { foreground_ = colour; }
    void setBackground(const QColor& colour) { background_ = colour; }
    Mode mode() const { return mode_; }

    // Viewport pixels to page pixels and back, at the current zoom and scroll.
    QPoint toPage(QPointF viewport) const;
    QPointF toView(QPoint page) const;

    void copy();
    void cut();
    // Pastes the item form from the clipboard; false when it holds none.
    bool paste();
    void undo();
    void redo();

    // The page alone, as the panel will show it.
    QImage pagePicture() const;
    bool savePagePicture(const QString& path) const;

    // Opens the in-place editor over the one selected Text or Text_Display
    // shape; false for any other selection.
    bool editText();
    // Closes the editor; with `apply` its text becomes the shape's `text`.
    void closeTextEditor(bool apply);
    QPlainTextEdit* textEditor() const { return editor_; }

    // The guide lines of the drag in progress (page coordinates).
    const view::Snap& guides() const { return snap_; }
    QString statusText() const { return status_; }
    // The view as painted (viewport size); painted now if out of date.
    const QImage& buffer();

    // Hooks (dialogs), replaced by tests.
    std::function<QColor(const QColor& initial)> chooseColour;
    std::function<QString()> choosePicturePath;
    // Drops from other panes (a picture from the picture browser): whether
    // the data can be dropped, and the drop itself at a page point (one undo
    // step when it creates something). Unset: the view takes no drops.
    std::function<bool(const QMimeData* data)> canDrop;
    std::function<bool(const QMimeData* data, QPoint page)> drop;

signals:
    void statusTextChanged(const QString& text);
    void toolChanged(int tool);
    void zoomChanged(int percent);
    // A drag, key or command that would change a locked page was refused.
    void dragRefused();
    // A right click (the shape under it selected): show the page's commands.
    void contextMenuRequested(const QPoint& global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True (and the refusal reported) when `id` would change a locked page.
    bool refusedByLock(int id);
    // Interaction (view_interaction.cpp).
    void pressPointer(QPoint page, QPointF at, Qt::KeyboardModifiers modifiers);
    void dragTo(QPoint page, Qt::KeyboardModifiers modifiers);
    void finishDrag(QPoint page);
    void cancelDrag();
    int topmostAt(QPoint page) const;
    bool handleAt(QPointF at, int& shape, int& handle) const;
    std::vector<view::ShapeRect> unselectedRects() const;
    void updateCursor(QPointF at);
    void showStatus(QPointF at);
    // Painting (view_paint.cpp).
    void paintBuffer();
    void paintHandles(QPainter& painter);
    void paintIds(QPainter& painter);
    void paintGrids(QPainter& painter);
    void paintOverlay(QPainter& painter);
    void invalidate();
    void updateScrollBars();
    QPoint origin() const;
    // Colours applied to the selection's colour attributes.
    void applyColour(bool foreground);
    void placeEditor();

    PageDocument& document_;
    PagePainter painter_;
    int tool_;
    bool locked_ = false, showIds_ = false, grid_ = false;
    int zoom_ = 100;
    QColor foreground_{Qt::black}, background_{Qt::white};
    QImage buffer_;
    bool dirty_ = true;
    QString status_;

    Mode mode_ = Mode::Idle;
    QPoint anchor_, current_;
    QPoint applied_;            // the offset a move has applied so far
    view::ShapeRect movingBox_; // the selection's box when the move began
    std::vector<view::ShapeRect> others_;
    int resizeShape_ = -1, resizeHandle_ = -1;
    std::unique_ptr<basic_shape::CShape> resizeOriginal_;
    std::unique_ptr<basic_shape::CShape> preview_;
    std::vector<QPoint> stroke_;
    view::Snap snap_;
    QPlainTextEdit* editor_ = nullptr;
    int editedShape_ = -1;
};

} // namespace tft::ide
