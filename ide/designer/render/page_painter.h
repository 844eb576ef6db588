// PagePainter: draws a page's background and its visible shapes in page
// pixels, as the panel will show them. The page view draws through it (and
// adds handles and guides on top); `orvane --render` draws through it too, so
// the two always agree.
#pragma once

#include <QImage>
#include <QString>

class QPainter;

namespace tft::ide {

class PageDocument;
namespace basic_shape {
class CShape;
}

struct RenderContext {
    QString projectDir; // pictures and sounds are relative to it
    QString appDir;     // the application folder: fonts, images
};

class PagePainter {
public:
    explicit PagePainter(RenderContext context);
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    const RenderContext& context() const { return context_; }
    void setContext(const RenderContext& context) { context_ = context; }

    // The page at 1:1 with its origin at (0, 0), clipped to the screen size.
    void paintPage(QPainter& painter, const PageDocument& page);
    void paintShape(QPainter& painter, const basic_shape::CShape& shape);
    // The page alone as an image of the document's screen size.
    QImage renderPage(const PageDocument& page);

private:
    RenderContext context_;
};

} // namespace tft::ide
