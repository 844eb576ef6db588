// Arranging shapes without a view: drawing order (40000-40005) and align,
// centre, distribute and same-size (40010-40028) with the reference shape.
#pragma once

#include "shape.h"

#include <QSize>

namespace tft::ide {

enum ArrangeCommand : int {
    kOrderBackOne = 40000,
    kOrderForwardOne = 40001,
    kOrderToTop = 40002,
    kOrderToBottom = 40003,
    kOrderBackPastOverlap = 40004,
    kOrderForwardPastOverlap = 40005,
    kAlignLeft = 40010,
    kAlignTop = 40011,
    kAlignRight = 40012,
    kAlignBottom = 40013,
    kCentreHorizontally = 40020,
    kCentreVertically = 40021,
    kDistributeHorizontally = 40022,
    kDistributeVertically = 40023,
    kCentreVerticallyInPage = 40024,
    kCentreHorizontallyInPage = 40025,
    kSameWidth = 40026,
    kSameHeight = 40027,
    kSameSize = 40028,
};

// Moves the one selected shape in the list; false (list unchanged) when not
// exactly one shape is selected, the command is not an order command or the
// shape is already where the command would put it.
bool orderShapes(basic_shape::ShapeList& shapes, int command);

// The reference of the selection: the selected shape marked as reference, or
// else the first selected in page order, which is then marked (state 9).
// Null without a selection.
basic_shape::CShape* referenceShape(basic_shape::ShapeList& shapes);

// Applies an align/size command to the selection; false when nothing is
// selected or the command is not one of them. `page` is the screen size.
bool arrangeShapes(basic_shape::ShapeList& shapes, int command, QSize page);

} // namespace tft::ide
