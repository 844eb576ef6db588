#include "page_painter.h"

#include "common/paths.h"
#include "drawing/control_art.h"
#include "media/picture.h"
#include "page_document.h"
#include "shape_kinds.h"
#include "value_codes.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <pugixml.hpp>
#include <sstream>

namespace tft::ide {

using namespace basic_shape;

namespace {

constexpr std::uint16_t kPlaceholderColour = 0xF81F; // magenta: never a panel default

// The part of a control that lies on the screen, as the compiler cuts it.
struct OnScreen {
    bool visible = false;
    int left = 0, top = 0, width = 0, height = 0;
    int cutLeft = 0, cutTop = 0;
};

OnScreen onScreen(QSize screen, int x, int y, int width, int height) {
    OnScreen on;
    const std::int64_t sw = screen.width() > 0 ? screen.width() : std::int64_t(1) << 40;
    const std::int64_t sh = screen.height() > 0 ? screen.height() : std::int64_t(1) << 40;
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(x) + width, sw);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t(y) + height, sh);
    if (width <= 0 || height <= 0 || x1 <= x0 || y1 <= y0)
        return on;
    on = {true, int(x0), int(y0), int(x1 - x0), int(y1 - y0), int(x0 - x), int(y0 - y)};
    return on;
}

// Coordinates travel to the panel as 16-bit numbers, and it reads them signed.
int s16(std::int64_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}
int u16(std::int64_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
std::uint16_t nonZero(std::uint16_t colour) {
    return colour == 0 ? 1 : colour;
}

// Position of a value between minimum and maximum as 0-1, on the 32-bit
// values the panel receives; an empty or reversed range counts as the start.
double fraction(std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
    const auto v0 = std::uint32_t(value), lo = std::uint32_t(minimum), hi = std::uint32_t(maximum);
    if (hi <= lo)
        return 0.0;
    const std::uint32_t v = std::clamp(v0, lo, hi);
    return double(v - lo) / double(hi - lo);
}

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

// Everything a drawn picture depends on: the shape's attributes.
std::string attributeKey(const CShape& shape) {
    pugi::xml_document doc;
    pugi::xml_node item = doc.append_child("item");
    shape.save(item);
    std::ostringstream out;
    item.print(out, "", pugi::format_raw);
    return out.str();
}

// The file's size and time, so that a drawn picture over it follows edits.
std::string fileStamp(const QString& file) {
    const QFileInfo info(file);
    return std::to_string(info.size()) + '@' +
           std::to_string(info.lastModified().toMSecsSinceEpoch());
}

} // namespace

QDateTime sampleClock() {
    return QDateTime(QDate(2025, 6, 1), QTime(9, 30, 0), Qt::UTC);
}

// What the panel keeps between the commands of one screen.
struct PagePainter::State {
    QSize screen;
    std::uint16_t background = 0; // the background colour the last command set
};

PagePainter::PagePainter(RenderContext context) : context_(std::move(context)) {}
PagePainter::~PagePainter() = default;

void PagePainter::setContext(const RenderContext& context) {
    if (context.appDir != context_.appDir || context.fontMask != context_.fontMask)
        fonts_.reset();
    context_ = context;
}

const PanelFonts& PagePainter::fonts() {
    if (!fonts_) {
        fonts_.emplace();
        fonts_->load(context_.appDir + QStringLiteral("/font"), context_.fontMask, nullptr);
    }
    return *fonts_;
}

const PanelCanvas& PagePainter::renderCanvas(const PageDocument& page) {
    const QSize size = page.screenSize().isEmpty() ? QSize(800, 480) : page.screenSize();
    if (!canvas_ || canvas_->size() != size)
        canvas_ = std::make_unique<PanelCanvas>(size);
    canvas_->detach();
    problems_.clear();
    State state;
    state.screen = size;
    drawBackground(*canvas_, page, state);
    for (const auto& shape : page.shapes())
        if (!shape->isHidden())
            drawShape(*canvas_, *shape, state);
    return *canvas_;
}

// The canvas at 8 bits a channel, each 5- or 6-bit value widened by
// repeating its top bits (as a screenshot of the panel shows it). Done here
// in one pass: Qt's own conversion may hand the work to a thread pool, which
// costs more than it saves on a busy machine.
const QImage& PagePainter::shownImage(const PageDocument& page) {
    const PanelCanvas& canvas = renderCanvas(page);
    if (shown_.size() != canvas.size())
        shown_ = QImage(canvas.size(), QImage::Format_RGB32);
    static const std::vector<QRgb> widened = [] {
        std::vector<QRgb> table(0x10000);
        for (unsigned c = 0; c < table.size(); ++c) {
            const unsigned r = c >> 11, g = (c >> 5) & 0x3F, b = c & 0x1F;
            table[c] =
                qRgb(int((r << 3) | (r >> 2)), int((g << 2) | (g >> 4)), int((b << 3) | (b >> 2)));
        }
        return table;
    }();
    const int width = shown_.width(), height = shown_.height();
    const auto* in = reinterpret_cast<const std::uint16_t*>(canvas.image().constBits());
    const std::ptrdiff_t inStride = canvas.image().bytesPerLine() / 2;
    auto* out = reinterpret_cast<QRgb*>(shown_.bits());
    const std::ptrdiff_t outStride = shown_.bytesPerLine() / 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[y * outStride + x] = widened[in[y * inStride + x]];
    return shown_;
}

void PagePainter::paintPage(QPainter& painter, const PageDocument& page) {
    const QImage& image = shownImage(page);
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), image.size()));
    painter.drawImage(0, 0, image);
    painter.restore();
}

void PagePainter::paintShape(QPainter& painter, const CShape& shape) {
    // Drawn on a canvas keyed at 0 and laid over what is there.
    const ShapeRect r = shape.rect().normalised();
    const QRect box(r.left - 1, r.top - 1, r.width() + 3, r.height() + 3);
    QSize size(std::max(box.right() + 1, 1), std::max(box.bottom() + 1, 1));
    size = size.boundedTo(QSize(4096, 4096));
    PanelCanvas canvas(size);
    State state;
    state.screen = size;
    drawShape(canvas, shape, state);
    QImage over = canvas.image().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < over.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(over.scanLine(y));
        const auto* keyed = reinterpret_cast<const std::uint16_t*>(canvas.image().constScanLine(y));
        for (int x = 0; x < over.width(); ++x)
            if (keyed[x] == 0)
                line[x] = 0;
    }
    painter.drawImage(0, 0, over);
}

QImage PagePainter::renderPage(const PageDocument& page) {
    return shownImage(page).copy();
}

void PagePainter::drawBackground(PanelCanvas& canvas, const PageDocument& page, State& state) {
    const bool picture =
        readInteger(ValueCode::Int32, page.pageProperty("bk_transparent")).value_or(0) != 0;
    if (!picture) {
        // The screen's colour (blue when it does not read, as the compiler
        // takes it), then a clear in it.
        const std::uint32_t colour = readColour(page.pageProperty("bk_color")).value_or(0xFF0000);
        state.background = nonZero(panelColour(colour));
        canvas.fill(state.background);
        return;
    }
    canvas.fill(0);
    const std::string path = page.pageProperty("bk_image");
    const QRect whole(QPoint(0, 0), state.screen);
    const auto pic = projectPicture(canvas, path, state.screen, false, whole, whole);
    if (pic && !pic->frames.empty())
        canvas.picture(pic->frames.front(), pic->width, pic->height, 0, 0, 0, 0, pic->width,
                       pic->height, false);
}

void PagePainter::drawShape(PanelCanvas& canvas, const CShape& shape, State& state) {
    const std::string type = shape.typeName();
    if (const auto* line = dynamic_cast<const CLine*>(&shape)) {
        const auto& p = line->props();
        canvas.line(s16(p.x0), s16(p.y0), s16(p.x1), s16(p.y1), nonZero(panelColour(p.pen_color)));
    } else if (const auto* curve = dynamic_cast<const CCurve*>(&shape)) {
        const auto& p = curve->props();
        const std::uint16_t pen = nonZero(panelColour(p.pen_color));
        // The points as the compiler reads them from `path`.
        const std::vector<std::uint16_t> xy = parsePointList(p.path);
        const std::size_t points = xy.size() / 2;
        if (points == 1)
            canvas.point(s16(xy[0]), s16(xy[1]), pen);
        for (std::size_t i = 0; i + 1 < points; ++i)
            canvas.line(s16(xy[2 * i]), s16(xy[2 * i + 1]), s16(xy[2 * i + 2]), s16(xy[2 * i + 3]),
                        pen);
    } else if (const auto* rect = dynamic_cast<const CRectangle*>(&shape)) {
        const auto& p = rect->props();
        const int x0 = s16(p.xOffset), y0 = s16(p.yOffset);
        const int x1 = s16(u16(p.xOffset) + p.width - 1), y1 = s16(u16(p.yOffset) + p.height - 1);
        const std::uint16_t pen = nonZero(panelColour(p.pen_color));
        if (p.fill_type == 0)
            canvas.rectangle(x0, y0, x1, y1, pen);
        else if (p.fill_type == 1)
            canvas.fillRectangle(x0, y0, x1, y1, pen);
    } else if (const auto* oval = dynamic_cast<const CEllipse*>(&shape)) {
        const auto& p = oval->props();
        const int x0 = s16(p.xOffset), y0 = s16(p.yOffset);
        const int x1 = s16(u16(p.xOffset) + p.width - 1), y1 = s16(u16(p.yOffset) + p.height - 1);
        const std::uint16_t pen = nonZero(panelColour(p.pen_color));
        if (p.fill_type == 0)
            canvas.ellipse(x0, y0, x1, y1, pen);
        else if (p.fill_type == 1)
            canvas.fillEllipse(x0, y0, x1, y1, pen);
    } else if (const auto* circle = dynamic_cast<const CCircle*>(&shape)) {
        const auto& p = circle->props();
        const std::uint16_t pen = nonZero(panelColour(p.pen_color));
        if (p.fill_type == 0)
            canvas.circle(s16(p.x), s16(p.y), u16(p.radius), pen);
        else if (p.fill_type == 1)
            canvas.fillCircle(s16(p.x), s16(p.y), u16(p.radius), pen);
    } else if (type == "TEXT") {
        drawText(canvas, shape, state);
    } else if (type == "IMAGE") {
        drawImage(canvas, shape);
    } else if (type == "BUTTON") {
        drawButton(canvas, shape);
    } else if (type == "TEXT_DISPLAY") {
        drawTextDisplay(canvas, shape);
    } else if (type == "PROGRESS") {
        drawProgress(canvas, shape);
    } else if (type == "SLIDER") {
        drawSlider(canvas, shape);
    } else if (type == "METER") {
        drawMeter(canvas, shape);
    } else if (type == "RTC") {
        drawClock(canvas, shape);
    } else if (type == "ANIMATION") {
        drawAnimation(canvas, shape);
    }
    // A graph shows only the samples a host sends it: an empty graph draws
    // nothing on the panel, and nothing here.
}

void PagePainter::drawText(PanelCanvas& canvas, const CShape& shape, State& state) {
    const auto& p = static_cast<const CText&>(shape).props();
    if (p.show_bk == 1)
        state.background = nonZero(panelColour(p.bk_color));
    PanelTextStyle style;
    style.colour = nonZero(panelColour(p.fore_color));
    style.background = state.background;
    style.withBackground = (p.show_bk & 0xFF) != 0;
    style.wrap = true;
    style.boxWidth = u16(p.width);
    style.boxHeight = u16(p.height);
    // The panel reads the first spacing byte as the gap between characters.
    style.charGap = p.row_gap & 0x3F;
    style.lineGap = p.col_gap & 0x3F;
    fonts().draw(canvas, p.font & 0xFF, panelBytes(p.text), s16(p.xOffset), s16(p.yOffset), style);
}

std::shared_ptr<const ConvertedPicture> PagePainter::projectPicture(PanelCanvas& canvas,
                                                                    const std::string& path,
                                                                    QSize target, bool crop,
                                                                    QRect keep, QRect box) {
    QString why;
    if (path.empty()) {
        why = QStringLiteral("no picture");
    } else if (checkConfinement(path) != Confinement::Inside) {
        why = QString::fromUtf8(describeConfinement(checkConfinement(path)));
    } else if (pictureKind(path) == PictureKind::Unsupported ||
               pictureKind(path) == PictureKind::Wmf) {
        why = QStringLiteral("not a picture the panel can show");
    } else {
        const QString file = QString::fromStdString(
            joinProjectPath(context_.projectDir.toStdString(), path).string());
        auto picture = pictures_.picture(PictureRequestKey{file, target, crop, keep});
        if (picture->ok && !picture->frames.empty())
            return picture;
        why = picture->error.isEmpty() ? QStringLiteral("cannot be decoded") : picture->error;
    }
    const QString text = QString::fromStdString(path) + QStringLiteral(": ") + why;
    problems_.push_back(text);
    placeholder(canvas, box, QString::fromStdString(path));
    return nullptr;
}

// A picture that cannot be drawn: a magenta frame with a cross and the path,
// in the panel's smallest system font.
void PagePainter::placeholder(PanelCanvas& canvas, QRect box, const QString& text) {
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const int x0 = box.left(), y0 = box.top(), x1 = box.right(), y1 = box.bottom();
    canvas.rectangle(x0, y0, x1, y1, kPlaceholderColour);
    canvas.line(x0, y0, x1, y1, kPlaceholderColour);
    canvas.line(x0, y1, x1, y0, kPlaceholderColour);
    PanelTextStyle style;
    style.colour = kPlaceholderColour;
    style.withBackground = true;
    style.background = 0xFFFF;
    style.wrap = true;
    style.boxWidth = std::max(0, box.width() - 4);
    style.boxHeight = std::max(0, box.height() - 4);
    const PanelFonts& all = fonts();
    for (int id = 0; id < 32; ++id)
        if (all.hasFont(id)) {
            all.draw(canvas, id, panelBytes(text.toStdString()), x0 + 2, y0 + 2, style);
            break;
        }
}

void PagePainter::drawImage(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CImage&>(shape).props();
    const std::string ext = lowerExtension(p.url);
    const bool known = ext == "gif" || ext == "png" || ext == "bmp" || ext == "dib" ||
                       ext == "jpg" || ext == "jpe" || ext == "jpeg" || ext == "jfif" ||
                       ext == "wmf";
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return;
    const QRect box(on.left, on.top, on.width, on.height);
    if (!known) {
        // Icons and other files the panel cannot show draw nothing there.
        placeholder(canvas, box, QString::fromStdString(p.url));
        return;
    }
    const auto pic = projectPicture(canvas, p.url, QSize(p.width, p.height), p.crop != 0,
                                    QRect(on.cutLeft, on.cutTop, on.width, on.height), box);
    if (!pic)
        return;
    std::vector<std::uint16_t> first = pic->frames.front();
    if (p.filter != 0) {
        // The filter colour is drawn transparent as well.
        const std::uint16_t colour = panelColour(p.clr_low);
        for (auto& px : first)
            if (px == colour || (colour == kTransparentKey && px == kOpaqueBlack))
                px = kTransparentKey;
    }
    canvas.picture(first, pic->width, pic->height, on.left, on.top, 0, 0, pic->width, pic->height,
                   true);
}

void PagePainter::drawButton(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CImageButton&>(shape).props();
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return;
    // A state button starts in its initial state; every other button is up.
    const bool down = p.button_type == 1 && (p.init_state & 1);
    const std::string& url = down ? p.url_down : p.url_up;
    const bool cut = (down ? p.cut_down : p.cut_up) != 0;
    if (url.empty())
        return;
    const QRect box(on.left, on.top, on.width, on.height);
    if (cut) {
        // A cut from a project picture at its own size.
        const auto pic = projectPicture(canvas, url, QSize(), false, QRect(), box);
        if (pic)
            canvas.picture(pic->frames.front(), pic->width, pic->height, on.left, on.top,
                           u16(down ? p.cut_down_offset_x : p.cut_up_offset_x),
                           u16(down ? p.cut_down_offset_y : p.cut_up_offset_y), on.width, on.height,
                           true);
        return;
    }
    const auto pic = projectPicture(canvas, url, QSize(p.width, p.height), false,
                                    QRect(on.cutLeft, on.cutTop, on.width, on.height), box);
    if (pic)
        canvas.picture(pic->frames.front(), pic->width, pic->height, on.left, on.top, 0, 0,
                       on.width, on.height, true);
}

void PagePainter::drawTextDisplay(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CTextDisplay&>(shape).props();
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return;
    const int x = on.left, y = on.top, w = u16(p.width), h = u16(p.height);
    const int mode = p.show_bkg_style & 0xFF;
    if (mode == 1 && w > 0 && h > 0) {
        canvas.fillRectangle(x, y, x + w - 1, y + h - 1, panelColour(p.bkg_color));
    } else if (mode == 2) {
        const auto pic = projectPicture(canvas, p.bkg_image_path, QSize(p.width, p.height), false,
                                        QRect(on.cutLeft, on.cutTop, on.width, on.height),
                                        QRect(x, y, on.width, on.height));
        if (pic)
            canvas.picture(pic->frames.front(), pic->width, pic->height, x, y, 0, 0, pic->width,
                           pic->height, true);
    }
    std::string text = panelBytes(p.text);
    if (text.size() > 255)
        text.resize(text.size() % 256); // the length travels in one byte
    if (p.password & 0xFF)
        std::fill(text.begin(), text.end(), '*');
    PanelTextStyle style;
    style.colour = panelColour(p.fore_color);
    style.wrap = true;
    style.boxWidth = w;
    style.boxHeight = h;
    fonts().draw(canvas, p.font & 0xFF, text, x, y, style);
}

void PagePainter::drawProgress(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CImageProgress&>(shape).props();
    const int x = s16(p.xOffset), y = s16(p.yOffset), w = u16(p.width), h = u16(p.height);
    if (w <= 0 || h <= 0)
        return;
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    const QRect keep(on.cutLeft, on.cutTop, on.width, on.height);
    const QRect box(on.left, on.top, on.width, on.height);
    const int back = p.show_bkg_style & 0xFF;
    if (back == 1) {
        canvas.fillRectangle(x, y, x + w - 1, y + h - 1, panelColour(p.bkg_color));
    } else if (back == 2 && on.visible) {
        if (const auto pic = projectPicture(canvas, p.bkg_image_path, QSize(p.width, p.height),
                                            false, keep, box))
            canvas.picture(pic->frames.front(), pic->width, pic->height, x, y, 0, 0, w, h, true);
    }
    const double f = fraction(p.value, p.min_value, p.max_value);
    const int direction = p.progress_style & 0xFF;
    const int length = int(std::lround((direction >= 2 ? h : w) * f));
    if (length <= 0)
        return;
    int fx = x, fy = y, fw = w, fh = h;
    switch (direction) {
    case 0:
        fw = length;
        break;
    case 1:
        fx = x + w - length;
        fw = length;
        break;
    case 2:
        fh = length;
        break;
    default:
        fy = y + h - length;
        fh = length;
        break;
    }
    if ((p.show_fore_style & 0xFF) == 0) {
        canvas.fillRectangle(fx, fy, fx + fw - 1, fy + fh - 1, panelColour(p.fore_color));
    } else if (on.visible) {
        if (const auto pic = projectPicture(canvas, p.fore_image_path, QSize(p.width, p.height),
                                            false, keep, box))
            canvas.picture(pic->frames.front(), pic->width, pic->height, fx, fy, fx - x, fy - y, fw,
                           fh, true);
    }
}

const std::vector<std::uint16_t>&
PagePainter::drawnPicture(const std::string& key, int width, int height,
                          const std::function<void(QPainter&)>& draw) {
    auto found = drawn_.find(key);
    if (found != drawn_.end())
        return found->second;
    if (drawn_.size() > 256) {
        drawn_.clear();
        failedDials_.clear();
    }
    return drawn_.emplace(key, renderKeyed(width, height, draw)).first->second;
}

void PagePainter::drawSlider(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CSlider&>(shape).props();
    const int x = s16(p.xOffset), y = s16(p.yOffset), w = u16(p.width), h = u16(p.height);
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    const std::string key = attributeKey(shape);
    if (p.bkg_type == 2) {
        if (on.visible) {
            if (const auto pic =
                    projectPicture(canvas, p.bkg_image_path, QSize(p.width, p.height), false,
                                   QRect(on.cutLeft, on.cutTop, on.width, on.height),
                                   QRect(on.left, on.top, on.width, on.height)))
                canvas.picture(pic->frames.front(), pic->width, pic->height, x, y, 0, 0, w, h,
                               true);
        }
    } else if (on.visible && p.width > 0 && p.height > 0) {
        const auto& rail = drawnPicture("rail" + key, p.width, p.height, [&](QPainter& painter) {
            drawSliderBackground(painter, p);
        });
        canvas.picture(rail, p.width, p.height, x, y, 0, 0, w, h, true);
    }
    if (!cursorFits(p) || p.cursor_width <= 0 || p.cursor_height <= 0)
        return;
    const int tw = p.cursor_width, th = p.cursor_height;
    const std::vector<std::uint16_t>* thumb = nullptr;
    std::shared_ptr<const ConvertedPicture> pic;
    if (!p.cursor_image_path.empty()) {
        pic = projectPicture(canvas, p.cursor_image_path, QSize(tw, th), false, QRect(0, 0, tw, th),
                             QRect(x, y, tw, th));
        if (!pic)
            return;
        thumb = &pic->frames.front();
    } else {
        thumb = &drawnPicture("thumb" + key, tw, th,
                              [&](QPainter& painter) { drawSliderCursor(painter, p); });
    }
    const bool horizontal = (p.direction & 0xFF) == 0;
    const int l = u16(p.left_space), k = u16(p.right_space), m = u16(p.cursor_offset);
    const int rail = (horizontal ? w : h) - l - k;
    const double f = fraction(p.value, p.start_value, p.end_value);
    int tx = 0, ty = 0;
    if (horizontal) {
        tx = int(x + l + f * rail - tw / 2.0);
        ty = y + m;
    } else {
        tx = x + m;
        ty = int(y + h - k - f * rail - th / 2.0);
    }
    canvas.picture(*thumb, tw, th, std::max(tx, 0), std::max(ty, 0), 0, 0, tw, th, true);
}

void PagePainter::drawMeter(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CMeter&>(shape).props();
    if (p.width <= 0 || p.height <= 0)
        return;
    const int x = s16(p.xOffset), y = s16(p.yOffset), w = u16(p.width), h = u16(p.height);
    QString dialFile;
    if (p.show_bkg_style == 2 && !p.bkg_image_path.empty() &&
        checkConfinement(p.bkg_image_path) == Confinement::Inside)
        dialFile = QString::fromStdString(
            joinProjectPath(context_.projectDir.toStdString(), p.bkg_image_path).string());
    const std::string key =
        "dial" + attributeKey(shape) + (dialFile.isEmpty() ? "" : fileStamp(dialFile));
    const auto& dial = drawnPicture(key, p.width, p.height, [&](QPainter& painter) {
        QImage picture;
        if (!dialFile.isEmpty() && !picture.load(dialFile))
            failedDials_.insert(key);
        std::optional<QFont> numbers;
        if (dialHasNumbers(p))
            numbers = dialNumberFont(p, nullptr);
        drawDial(painter, p, picture, numbers);
    });
    canvas.picture(dial, p.width, p.height, x, y, 0, 0, w, h, true);
    const int start = s16(p.angle_start), end = s16(p.angle_end);
    int sweep = ((end - start) % 360 + 360) % 360;
    if (p.clock_wise & 1)
        sweep -= 360;
    else if (sweep == 0)
        sweep = 360;
    double angle = std::fmod(start + sweep * fraction(p.value, p.start_value, p.end_value), 360.0);
    if (angle < 0)
        angle += 360.0;
    canvas.needle(p.pointer_type & 0xFF, x + w / 2, y + h / 2, h / 2, angle,
                  panelColour(p.pointer_color), panelColour(p.pointer_center_color));
    // The dial is drawn without a picture that does not load (the compiler
    // reports it); the designer marks it.
    const bool wanted = p.show_bkg_style == 2 && !p.bkg_image_path.empty();
    if (wanted && (dialFile.isEmpty() || failedDials_.count(key) != 0)) {
        const QString path = QString::fromStdString(p.bkg_image_path);
        problems_.push_back(path + QStringLiteral(": cannot be decoded"));
        placeholder(canvas, QRect(x, y, w, h), path);
    }
}

void PagePainter::drawClock(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CRTC&>(shape).props();
    const QDateTime clock = context_.clock.isValid() ? context_.clock : sampleClock();
    // The panel clock holds wall time; the zone moves it by half hours.
    const double halfHours = p.zone * 2;
    const int zone = std::isfinite(halfHours) && std::fabs(halfHours) < 1e6
                         ? static_cast<std::int8_t>(std::int64_t(halfHours) & 0xFF)
                         : 0;
    const QDateTime wall(clock.date(), clock.time(), Qt::UTC);
    const QDateTime shown = wall.addSecs(qint64(zone) * 1800);
    const QDate d = shown.date();
    const QTime t = shown.time();
    static const char* const kWeekdays[2][7] = {
        {"\xD0\xC7\xC6\xDA\xC8\xD5", "\xD0\xC7\xC6\xDA\xD2\xBB", "\xD0\xC7\xC6\xDA\xB6\xFE",
         "\xD0\xC7\xC6\xDA\xC8\xFD", "\xD0\xC7\xC6\xDA\xCB\xC4", "\xD0\xC7\xC6\xDA\xCE\xE5",
         "\xD0\xC7\xC6\xDA\xC1\xF9"},
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}};
    const char* weekday = kWeekdays[(p.lang & 0xFF) == 1 ? 1 : 0][d.dayOfWeek() % 7];
    char text[64];
    switch (p.format & 0xFF) {
    case 0:
        std::snprintf(text, sizeof text, "%d-%02d-%02d", d.year(), d.month(), d.day());
        break;
    case 1:
        std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(),
                      d.day(), t.hour(), t.minute(), t.second());
        break;
    case 2:
        std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d %s", d.year(), d.month(),
                      d.day(), t.hour(), t.minute(), t.second(), weekday);
        break;
    case 3:
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour(), t.minute(), t.second());
        break;
    default:
        std::snprintf(text, sizeof text, "%d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(),
                      t.hour(), t.minute(), t.second());
        break;
    }
    PanelTextStyle style;
    style.colour = panelColour(p.fore_color);
    style.boxWidth = canvas.size().width();
    style.boxHeight = canvas.size().height();
    fonts().draw(canvas, p.font & 0xFF, text, s16(p.xOffset), s16(p.yOffset), style);
}

void PagePainter::drawAnimation(PanelCanvas& canvas, const CShape& shape) {
    const auto& p = static_cast<const CAnimation&>(shape).props();
    const OnScreen on = onScreen(canvas.size(), p.xOffset, p.yOffset, p.width, p.height);
    if (!on.visible)
        return;
    // The first frame, where the panel starts.
    const auto pic = projectPicture(canvas, p.frame_list, QSize(p.width, p.height), false,
                                    QRect(on.cutLeft, on.cutTop, on.width, on.height),
                                    QRect(on.left, on.top, on.width, on.height));
    if (pic)
        canvas.picture(pic->frames.front(), pic->width, pic->height, s16(p.xOffset), s16(p.yOffset),
                       0, 0, pic->width, pic->height, true);
}

} // namespace tft::ide
