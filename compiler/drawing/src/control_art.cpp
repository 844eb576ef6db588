#include "drawing/control_art.h"

#include "fonttools/shipped_fonts.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tft {

QColor qcolour(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

bool cursorFits(const PropExport_Slider& p) {
    if (p.cursor_width < 0 || p.cursor_height < 0 || p.cursor_offset < 0 || p.left_space < 0 ||
        p.right_space < 0)
        return false;
    const bool vertical = p.direction == 1;
    const std::int64_t along = vertical ? p.height : p.width;
    const std::int64_t across = vertical ? p.width : p.height;
    if (std::int64_t(p.left_space) + p.right_space > along)
        return false;
    if (p.cursor_width == 0 || p.cursor_height == 0)
        return true;
    const std::int64_t thumbAlong = vertical ? p.cursor_height : p.cursor_width;
    const std::int64_t thumbAcross = vertical ? p.cursor_width : p.cursor_height;
    return std::int64_t(p.cursor_offset) + thumbAcross <= across && thumbAlong <= along;
}

// The slider's background as the compiler draws it: the colour (background
// type 1) or nothing (type 0), the rail from left_space to the far end less
// right_space, centred on the thumb across it, and mark_count divisions of the
// rail marked in mark_color (like the dial's marks): beside the rail
// (mark_type 0) or across its middle (mark_type 1). A vertical rail counts
// from the bottom, as the panel moves its thumb.
void drawSliderBackground(QPainter& painter, const PropExport_Slider& p) {
    const bool vertical = p.direction == 1;
    const int along = vertical ? p.height : p.width;
    const int across = vertical ? p.width : p.height;
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (p.bkg_type == 1)
        painter.fillRect(0, 0, p.width, p.height, qcolour(p.bkg_color));
    const int thumbAcross = vertical ? p.cursor_width : p.cursor_height;
    const int centre =
        p.cursor_width > 0 && p.cursor_height > 0 ? p.cursor_offset + thumbAcross / 2 : across / 2;
    const int thickness = std::clamp(across / 8, 2, 8);
    const int railStart = std::max(0, p.left_space);
    const int railEnd = std::min(along, along - p.right_space);
    const QColor mark = qcolour(p.mark_color);
    // (position along, position across, length along, length across) on screen.
    const auto box = [&](int a, int c, int length, int width) {
        if (vertical)
            painter.fillRect(c, along - a - length, width, length, mark);
        else
            painter.fillRect(a, c, length, width, mark);
    };
    if (railEnd > railStart)
        box(railStart, centre - thickness / 2, railEnd - railStart, thickness);
    const int marks = std::clamp(p.mark_count, 0, 1000);
    if (marks <= 0 || railEnd <= railStart)
        return;
    const int tick = std::max(3, across / 4);
    for (int m = 0; m <= marks; ++m) {
        const int at = std::min(railEnd - 1, railStart + (railEnd - railStart) * m / marks);
        if (p.mark_type == 1)
            box(at, centre - tick, 1, 2 * tick);
        else
            box(at, centre + thickness / 2 + 2, 1, tick);
    }
}

void drawSliderCursor(QPainter& painter, const PropExport_Slider& p) {
    const QColor fill = qcolour(p.mark_color);
    const int type = p.cursor_type;
    const int w = p.cursor_width, h = p.cursor_height;
    painter.setPen(QPen(fill.darker(150), 1));
    painter.setBrush(fill);
    const QRectF box(0.5, 0.5, w - 1.0, h - 1.0);
    if (type == 1) {
        painter.drawEllipse(box);
    } else if (type == 2) {
        QPainterPath path;
        path.moveTo(box.left(), box.top());
        path.lineTo(box.right(), box.top());
        path.lineTo(box.center().x(), box.bottom());
        path.closeSubpath();
        painter.drawPath(path);
    } else {
        painter.drawRoundedRect(box, std::min(w, h) / 6.0, std::min(w, h) / 6.0);
    }
}

bool dialHasNumbers(const PropExport_Meter& p) {
    return p.show_numerical != 0 && p.numerical_font_size > 0 && p.mark_count > 0;
}

// The family the project names is drawn with the shipped font that stands for
// it, so the dial is the same on every machine.
std::optional<QFont> dialNumberFont(const PropExport_Meter& p, QString* error) {
    return fonttools::shippedFont(QString::fromStdString(p.numerical_font),
                                  std::clamp(p.numerical_font_size, 1, 200), error);
}

// The dial of a meter: angles in degrees with 0 pointing right and growing
// clockwise on the screen, the sweep as the panel turns its needle.
// `numbers` is the font of the scale numbers (none: no numbers are drawn).
void drawDial(QPainter& painter, const PropExport_Meter& p, const QImage& picture,
              const std::optional<QFont>& numbers) {
    const double w = p.width, h = p.height;
    const QRectF box(0, 0, w, h);
    if (!picture.isNull())
        painter.drawImage(box, picture);
    if (p.show_bkg_color != 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(qcolour(p.bkg_color));
        painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    double sweep = std::fmod(double(p.angle_end) - p.angle_start + 360.0 * 4, 360.0);
    if (p.clock_wise & 1)
        sweep -= 360;
    else if (sweep == 0)
        sweep = 360;
    const QPointF centre(w / 2, h / 2);
    const double radius = std::min(w, h) / 2 - 1;
    const auto at = [&](double angle, double r) {
        const double a = angle * M_PI / 180.0;
        return QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    };
    painter.setBrush(Qt::NoBrush);
    if (p.show_scale != 0 && p.scale_width > 0) {
        const double r = radius - p.scale_width / 2.0;
        painter.setPen(QPen(qcolour(p.scale_color), p.scale_width, Qt::SolidLine, Qt::FlatCap));
        // Qt counts arc angles counter-clockwise in 1/16 degree.
        painter.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r),
                        int(-p.angle_start * 16.0), int(-sweep * 16.0));
    }
    const int marks = std::clamp(p.mark_count, 0, 360);
    const int subs = std::clamp(p.sub_mark_count, 0, 100);
    const double markLength = radius / 7;
    if (marks > 0) {
        if (p.show_sub_mark != 0 && subs > 1 && p.sub_mark_width > 0) {
            painter.setPen(QPen(qcolour(p.sub_mark_color), p.sub_mark_width));
            for (int m = 0; m < marks * subs; ++m) {
                if (m % subs == 0)
                    continue;
                const double a = p.angle_start + sweep * m / (marks * subs);
                painter.drawLine(at(a, radius), at(a, radius - markLength / 2));
            }
        }
        if (p.mark_width > 0) {
            painter.setPen(QPen(qcolour(p.mark_color), p.mark_width));
            for (int m = 0; m <= marks; ++m) {
                const double a = p.angle_start + sweep * m / marks;
                painter.drawLine(at(a, radius), at(a, radius - markLength));
            }
        }
        if (numbers) {
            const QFont& font = *numbers;
            painter.setFont(font);
            painter.setPen(qcolour(p.numerical_color));
            const double textRadius = radius - markLength - font.pixelSize();
            for (int m = 0; m <= marks; ++m) {
                if (std::fabs(sweep) == 360 && m == marks)
                    break; // a full circle ends where it began
                const double a = p.angle_start + sweep * m / marks;
                const double value =
                    p.start_numerical +
                    double(p.end_numerical - double(p.start_numerical)) * m / marks;
                const QPointF c = at(a, textRadius);
                const QRectF cell(c.x() - 40, c.y() - 20, 80, 40);
                painter.drawText(cell, Qt::AlignCenter, QString::number(std::lround(value)));
            }
        }
    }
}

} // namespace tft
