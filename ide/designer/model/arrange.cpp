#include "arrange.h"

#include <algorithm>
#include <numeric>

namespace tft::ide {

using basic_shape::CShape;
using basic_shape::ShapeList;
using basic_shape::ShapeRect;

namespace {

// Steps the shape at `index` by `step` until it has passed a shape that
// overlaps it; false, unchanged, when no such shape lies that way.
bool movePastOverlap(ShapeList& shapes, std::size_t index, int step) {
    const ShapeRect own = shapes[index]->rect();
    for (auto i = static_cast<std::ptrdiff_t>(index) + step;
         i >= 0 && i < static_cast<std::ptrdiff_t>(shapes.size()); i += step) {
        if (shapes[static_cast<std::size_t>(i)]->rect().intersects(own)) {
            auto moving = std::move(shapes[index]);
            shapes.erase(shapes.begin() + static_cast<std::ptrdiff_t>(index));
            shapes.insert(shapes.begin() + i, std::move(moving));
            return true;
        }
    }
    return false;
}

ShapeRect placed(const ShapeRect& r, int left, int top) {
    return {left, top, left + r.width(), top + r.height()};
}

} // namespace

bool orderShapes(ShapeList& shapes, int command) {
    std::size_t index = shapes.size(), count = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i)
        if (shapes[i]->isSelected())
            index = i, ++count;
    if (count != 1)
        return false;
    const std::size_t last = shapes.size() - 1;
    switch (command) {
    case kOrderBackOne:
        if (index == 0)
            return false;
        std::swap(shapes[index], shapes[index - 1]);
        return true;
    case kOrderForwardOne:
        if (index == last)
            return false;
        std::swap(shapes[index], shapes[index + 1]);
        return true;
    case kOrderToTop:
        if (index == last)
            return false;
        std::rotate(shapes.begin() + static_cast<std::ptrdiff_t>(index),
                    shapes.begin() + static_cast<std::ptrdiff_t>(index) + 1, shapes.end());
        return true;
    case kOrderToBottom:
        if (index == 0)
            return false;
        std::rotate(shapes.begin(), shapes.begin() + static_cast<std::ptrdiff_t>(index),
                    shapes.begin() + static_cast<std::ptrdiff_t>(index) + 1);
        return true;
    case kOrderBackPastOverlap:
        return movePastOverlap(shapes, index, -1);
    case kOrderForwardPastOverlap:
        return movePastOverlap(shapes, index, +1);
    default:
        return false;
    }
}

CShape* referenceShape(ShapeList& shapes) {
    CShape* first = nullptr;
    for (const auto& shape : shapes) {
        if (shape->isReference())
            return shape.get();
        if (!first && shape->isSelected())
            first = shape.get();
    }
    if (first)
        first->setState(CShape::kSelectedReference);
    return first;
}

bool arrangeShapes(ShapeList& shapes, int command, QSize page) {
    const bool known = (command >= kAlignLeft && command <= kAlignBottom) ||
                       (command >= kCentreHorizontally && command <= kSameSize);
    if (!known)
        return false;
    std::vector<CShape*> selected;
    for (const auto& shape : shapes)
        if (shape->isSelected())
            selected.push_back(shape.get());
    CShape* reference = referenceShape(shapes);
    if (!reference)
        return false;
    const ShapeRect ref = reference->rect().normalised();

    if (command == kDistributeHorizontally || command == kDistributeVertically) {
        const bool across = command == kDistributeHorizontally;
        if (selected.size() < 3)
            return true; // the first and the last keep their places
        std::stable_sort(selected.begin(), selected.end(), [across](CShape* a, CShape* b) {
            const ShapeRect ra = a->rect().normalised(), rb = b->rect().normalised();
            return across ? ra.left < rb.left : ra.top < rb.top;
        });
        const auto extent = [across](CShape* s) {
            const ShapeRect r = s->rect().normalised();
            return across ? r.width() : r.height();
        };
        const ShapeRect first = selected.front()->rect().normalised();
        const ShapeRect lastRect = selected.back()->rect().normalised();
        std::int64_t used = 0;
        for (CShape* shape : selected)
            used += extent(shape);
        const std::int64_t span =
            across ? lastRect.right - first.left : lastRect.bottom - first.top;
        const auto gap = static_cast<std::int32_t>((span - used) /
                                                   static_cast<std::int64_t>(selected.size() - 1));
        for (std::size_t i = 1; i + 1 < selected.size(); ++i) {
            const ShapeRect before = selected[i - 1]->rect().normalised();
            const ShapeRect own = selected[i]->rect().normalised();
            if (across)
                selected[i]->offset(before.right + gap - own.left, 0);
            else
                selected[i]->offset(0, before.bottom + gap - own.top);
        }
        return true;
    }

    for (CShape* shape : selected) {
        const ShapeRect r = shape->rect().normalised();
        ShapeRect to = r;
        switch (command) {
        case kAlignLeft:
            to = placed(r, ref.left, r.top);
            break;
        case kAlignTop:
            to = placed(r, r.left, ref.top);
            break;
        case kAlignRight:
            to = placed(r, ref.right - r.width(), r.top);
            break;
        case kAlignBottom:
            to = placed(r, r.left, ref.bottom - r.height());
            break;
        case kCentreHorizontally:
            to = placed(r, (ref.left + ref.right) / 2 - r.width() / 2, r.top);
            break;
        case kCentreVertically:
            to = placed(r, r.left, (ref.top + ref.bottom) / 2 - r.height() / 2);
            break;
        case kCentreVerticallyInPage:
            to = placed(r, r.left, page.height() / 2 - r.height() / 2);
            break;
        case kCentreHorizontallyInPage:
            to = placed(r, page.width() / 2 - r.width() / 2, r.top);
            break;
        case kSameWidth:
            to.right = r.left + ref.width();
            break;
        case kSameHeight:
            to.bottom = r.top + ref.height();
            break;
        case kSameSize:
            to.right = r.left + ref.width();
            to.bottom = r.top + ref.height();
            break;
        default:
            break;
        }
        if (to == r)
            continue;
        // Moves go through offset, so a line keeps its direction.
        if (to.width() == r.width() && to.height() == r.height())
            shape->offset(to.left - r.left, to.top - r.top);
        else
            shape->setRect(to);
    }
    return true;
}

} // namespace tft::ide
