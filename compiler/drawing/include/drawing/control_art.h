// Control art: the meter dial and the slider rail and thumb, drawn from the
// control's attributes with QPainter. The compiler stores what these draw as
// pictures; the designer shows the same drawing.
#pragma once

#include "compiler/items.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

class QPainter;

namespace tft {

// A stored colour (R + G*256 + B*65536) as a QColor.
QColor qcolour(std::uint32_t colour);

// The thumb fits when it lies inside the control across the rail and is no
// longer than the rail's room along it. A thumb without a size (the default)
// is not drawn and sticks out nowhere.
bool cursorFits(const PropExport_Slider& p);

// The rail and its marks on a width x height canvas (see the .cpp).
void drawSliderBackground(QPainter& painter, const PropExport_Slider& p);

// The thumb of `cursor_type` on a cursor_width x cursor_height canvas.
void drawSliderCursor(QPainter& painter, const PropExport_Slider& p);

// True when the dial shows numbers (and so needs a font).
bool dialHasNumbers(const PropExport_Meter& p);
// The shipped font the dial's numbers are drawn with; nothing when it cannot
// be loaded (`error` says why). Needs a QGuiApplication.
std::optional<QFont> dialNumberFont(const PropExport_Meter& p, QString* error);

// The dial on a width x height canvas: `picture` (may be null) under the
// background, scale, marks and `numbers` (none: no numbers are drawn).
void drawDial(QPainter& painter, const PropExport_Meter& p, const QImage& picture,
              const std::optional<QFont>& numbers);

} // namespace tft
