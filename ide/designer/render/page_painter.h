// PagePainter: draws a page's background and its visible shapes in page
// pixels, as the panel will show them. The page view draws through it (and
// adds handles and guides on top); `orvane --render` draws through it too, so
// the two always agree.
//
// The page is drawn onto an RGB565 canvas with the panel's own rasterisation:
// pictures go through the compiler's picture conversion, meter dials and
// slider rails and thumbs through the compiler's control art, texts with the
// panel's bitmap system fonts from the application folder, and each control
// as the panel draws it from its compiled definition.
#pragma once

#include "panel_canvas.h"
#include "panel_fonts.h"
#include "picture_cache.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class QPainter;

namespace tft::ide {

class PageDocument;
namespace basic_shape {
class CShape;
}

struct RenderContext {
    QString projectDir; // pictures and sounds are relative to it
    QString appDir;     // the application folder: fonts, images
    // The system fonts the panel model holds (bit n: font id n).
    std::uint32_t fontMask = 0xFFFFFFFFu;
    // The panel clock the clocks show, as wall time (the date and time
    // fields are used as they are). Invalid: sampleClock().
    QDateTime clock;
};

// The time clocks show when the context names none, so that a page draws the
// same at every repaint and on every machine.
QDateTime sampleClock();

class PagePainter {
public:
    explicit PagePainter(RenderContext context);
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    const RenderContext& context() const { return context_; }
    void setContext(const RenderContext& context);

    // The page at 1:1 with its origin at (0, 0), clipped to the screen size.
    void paintPage(QPainter& painter, const PageDocument& page);
    // One shape alone, over what the painter already shows.
    void paintShape(QPainter& painter, const basic_shape::CShape& shape);
    // The page alone as an image of the document's screen size.
    QImage renderPage(const PageDocument& page);
    // The page as the panel's RGB565 pixels.
    const PanelCanvas& renderCanvas(const PageDocument& page);

    PictureCache& pictures() { return pictures_; }
    // Pictures that could not be drawn in the last paint, as "path: reason".
    const std::vector<QString>& problems() const { return problems_; }

private:
    struct State;
    void drawBackground(PanelCanvas& canvas, const PageDocument& page, State& state);
    void drawShape(PanelCanvas& canvas, const basic_shape::CShape& shape, State& state);
    void drawText(PanelCanvas& canvas, const basic_shape::CShape& shape, State& state);
    void drawImage(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawButton(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawTextDisplay(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawProgress(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawSlider(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawMeter(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawClock(PanelCanvas& canvas, const basic_shape::CShape& shape);
    void drawAnimation(PanelCanvas& canvas, const basic_shape::CShape& shape);

    // A project picture converted at `target` (empty: its own size), the part
    // `keep` kept; null after drawing a placeholder over `box` when it fails.
    std::shared_ptr<const ConvertedPicture> projectPicture(PanelCanvas& canvas,
                                                           const std::string& path, QSize target,
                                                           bool crop, QRect keep, QRect box);
    void placeholder(PanelCanvas& canvas, QRect box, const QString& text);
    // A picture drawn by the control art, kept while `key` is unchanged.
    const std::vector<std::uint16_t>& drawnPicture(const std::string& key, int width, int height,
                                                   const std::function<void(QPainter&)>& draw);
    const PanelFonts& fonts();
    const QImage& shownImage(const PageDocument& page);

    RenderContext context_;
    PictureCache pictures_;
    std::optional<PanelFonts> fonts_;
    std::map<std::string, std::vector<std::uint16_t>> drawn_;
    std::set<std::string> failedDials_; // keys of dials whose picture did not load
    std::unique_ptr<PanelCanvas> canvas_;
    QImage shown_;
    std::vector<QString> problems_;
};

} // namespace tft::ide
