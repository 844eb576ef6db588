#include "shape.h"

#include "compiler/attributes.h"
#include "compiler/items.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

namespace tft::ide::basic_shape {
namespace {

// Binds the members of a compiler record, in the compiler's order, with the
// compiler's defaults.
class Binder final : public AttributeVisitor {
public:
    explicit Binder(CXMLDataExchange& exchange) : exchange_(exchange) {}
    void integer(const char* name, std::int32_t& value, std::int32_t fallback) override {
        exchange_.bindInteger(name, value, fallback);
    }
    void real(const char* name, double& value, double fallback) override {
        exchange_.bindReal(name, value, fallback);
    }
    void realAsInteger(const char* name, std::int32_t& value, std::int32_t fallback) override {
        exchange_.bindInteger(name, value, fallback, ValueCode::Int32, true);
    }
    void colour(const char* name, std::uint32_t& value, std::uint32_t fallback) override {
        exchange_.bindColour(name, value, fallback);
    }
    void text(const char* name, std::string& value, const char* fallback) override {
        exchange_.bindText(name, value, fallback);
    }

private:
    CXMLDataExchange& exchange_;
};

double segmentDistance(QPoint p, QPoint a, QPoint b) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double length = dx * dx + dy * dy;
    double t = length == 0 ? 0 : ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / length;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.x() + t * dx - p.x(), a.y() + t * dy - p.y());
}

} // namespace

ShapeRect ShapeRect::normalised() const {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
}

bool ShapeRect::contains(QPoint point) const {
    return point.x() >= left && point.x() < right && point.y() >= top && point.y() < bottom;
}

bool ShapeRect::intersects(const ShapeRect& other) const {
    const ShapeRect a = normalised(), b = other.normalised();
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void CShape::bindRecord(ObjPropBase& record) {
    exchange_.bindText("name", name_, "");
    exchange_.bindInteger("id", record.id, 1);
    exchange_.bindText("text", record.text, "");
    Binder binder(exchange_);
    record.visit(binder);
    for (const Binding& binding : exchange_.bindings())
        CXMLDataExchange::reset(binding);

    auto integer = [this](const char* name) -> std::int32_t* {
        const Binding* binding = exchange_.find(name);
        auto* const* member = binding ? std::get_if<std::int32_t*>(&binding->member) : nullptr;
        return member ? *member : nullptr;
    };
    const char* const box[] = {"xOffset", "yOffset", "width", "height"};
    const char* const circle[] = {"x", "y", "radius", "radius"};
    const char* const line[] = {"x0", "y0", "x1", "y1"};
    auto bindAll = [&](const char* const* names, Geometry geometry) {
        for (int i = 0; i < 4; ++i)
            if (!(geometryMembers_[i] = integer(names[i])))
                return false;
        geometry_ = geometry;
        return true;
    };
    if (!bindAll(box, Geometry::Box) && !bindAll(circle, Geometry::Circle) &&
        !bindAll(line, Geometry::Line)) {
        const Binding* path = exchange_.find("path");
        if (path && std::holds_alternative<std::string*>(path->member)) {
            path_ = std::get<std::string*>(path->member);
            geometry_ = Geometry::Curve;
        }
    }
    rectFromMembers();
}

std::int32_t CShape::id() const {
    return record() ? record()->id : 0;
}

void CShape::setId(std::int32_t id) {
    if (record())
        record()->id = id;
}

bool CShape::copyFrom(const CShape* other) {
    if (!other || other == this || typeid(*other) != typeid(*this))
        return false;
    if (!copyMembers(*other))
        return false;
    name_ = other->name_;
    state_ = other->state_;
    rect_ = other->rect_;
    foreign_ = other->foreign_;
    return true;
}

std::unique_ptr<CShape> CShape::clone() const {
    std::unique_ptr<CShape> copy = createEmpty();
    if (!copy->copyFrom(this))
        return nullptr;
    return copy;
}

bool CShape::sameContent(const CShape& other) const {
    if (typeid(other) != typeid(*this) || name_ != other.name_ || rect_ != other.rect_ ||
        foreign_ != other.foreign_ ||
        exchange_.bindings().size() != other.exchange_.bindings().size())
        return false;
    if (!record()) // an unknown item never changes
        return true;
    const auto& mine = exchange_.bindings();
    const auto& theirs = other.exchange_.bindings();
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (CXMLDataExchange::write(mine[i]) != CXMLDataExchange::write(theirs[i]))
            return false;
    return true;
}

void CShape::rectFromMembers() {
    // A panel frame carries 16-bit coordinates; anything beyond is pinned to
    // that range first, so no sum below can overflow.
    constexpr std::int32_t kLimit = 32767;
    if (geometry_ == Geometry::Box || geometry_ == Geometry::Circle || geometry_ == Geometry::Line)
        for (int i = 0; i < (geometry_ == Geometry::Circle ? 3 : 4); ++i)
            member(i) = std::clamp(member(i), -kLimit, kLimit);
    switch (geometry_) {
    case Geometry::Box:
        rect_ = {member(0), member(1), member(0) + member(2), member(1) + member(3)};
        break;
    case Geometry::Circle:
        rect_ = {member(0) - member(2), member(1) - member(2), member(0) + member(2),
                 member(1) + member(2)};
        break;
    case Geometry::Line:
        rect_ = {member(0), member(1), member(2), member(3)};
        break;
    case Geometry::Curve:
    case Geometry::None:
        break;
    }
}

void CShape::membersFromRect() {
    switch (geometry_) {
    case Geometry::Box:
        member(0) = rect_.left;
        member(1) = rect_.top;
        member(2) = rect_.width();
        member(3) = rect_.height();
        break;
    case Geometry::Circle: {
        // The circle inside the rectangle, centred on it.
        const std::int32_t radius = std::min(rect_.width(), rect_.height()) / 2;
        member(0) = rect_.left + rect_.width() / 2;
        member(1) = rect_.top + rect_.height() / 2;
        member(2) = radius;
        rectFromMembers();
        break;
    }
    case Geometry::Line:
        member(0) = rect_.left;
        member(1) = rect_.top;
        member(2) = rect_.right;
        member(3) = rect_.bottom;
        break;
    case Geometry::Curve:
    case Geometry::None:
        break;
    }
}

std::vector<QPoint> CShape::curvePoints() const {
    std::vector<QPoint> points;
    if (!path_)
        return points;
    const std::vector<std::uint16_t> values = parsePointList(*path_);
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
        points.emplace_back(values[i], values[i + 1]);
    return points;
}

void CShape::setCurvePoints(const std::vector<QPoint>& points) {
    std::string path;
    for (const QPoint& point : points) {
        if (!path.empty())
            path += ',';
        // The panel keeps points in 16 bits; keep them where it can draw them.
        path += std::to_string(std::clamp(point.x(), 0, 0xFFFF)) + ',' +
                std::to_string(std::clamp(point.y(), 0, 0xFFFF));
    }
    *path_ = path;
}

ShapeRect CShape::rect() const {
    if (geometry_ != Geometry::Curve)
        return rect_;
    const std::vector<QPoint> points = curvePoints();
    if (points.empty())
        return {};
    ShapeRect box{points[0].x(), points[0].y(), points[0].x(), points[0].y()};
    for (const QPoint& point : points) {
        box.left = std::min(box.left, point.x());
        box.top = std::min(box.top, point.y());
        box.right = std::max(box.right, point.x());
        box.bottom = std::max(box.bottom, point.y());
    }
    return box;
}

void CShape::setRect(const ShapeRect& rect) {
    if (geometry_ == Geometry::Curve) {
        // The points follow the box: scaled from the old bounds into the new.
        const ShapeRect from = this->rect();
        const ShapeRect to = rect.normalised();
        std::vector<QPoint> points = curvePoints();
        for (QPoint& point : points) {
            const auto scale = [](int value, int from0, int fromSize, int to0, int toSize) {
                return fromSize == 0
                           ? to0
                           : to0 + static_cast<int>(static_cast<std::int64_t>(value - from0) *
                                                    toSize / fromSize);
            };
            point = QPoint(scale(point.x(), from.left, from.width(), to.left, to.width()),
                           scale(point.y(), from.top, from.height(), to.top, to.height()));
        }
        setCurvePoints(points);
        return;
    }
    rect_ = geometry_ == Geometry::Line ? rect : rect.normalised();
    membersFromRect();
}

void CShape::normalise() {
    if (geometry_ == Geometry::Line || geometry_ == Geometry::Curve)
        return;
    rect_ = rect_.normalised();
    membersFromRect();
}

void CShape::offset(int dx, int dy) {
    if (geometry_ == Geometry::Curve) {
        std::vector<QPoint> points = curvePoints();
        for (QPoint& point : points)
            point += QPoint(dx, dy);
        setCurvePoints(points);
        return;
    }
    rect_ = {rect_.left + dx, rect_.top + dy, rect_.right + dx, rect_.bottom + dy};
    membersFromRect();
}

void CShape::moveTo(QPoint topLeft) {
    const ShapeRect box = rect().normalised();
    offset(topLeft.x() - box.left, topLeft.y() - box.top);
}

int CShape::handleCount() const {
    switch (geometry_) {
    case Geometry::Line:
        return 2;
    case Geometry::Curve:
        return static_cast<int>(curvePoints().size());
    case Geometry::None:
        return 0;
    default:
        return 8;
    }
}

QPoint CShape::handle(int index) const {
    if (geometry_ == Geometry::Line)
        return index == 0 ? QPoint(rect_.left, rect_.top) : QPoint(rect_.right, rect_.bottom);
    if (geometry_ == Geometry::Curve) {
        const std::vector<QPoint> points = curvePoints();
        return index >= 0 && index < static_cast<int>(points.size()) ? points[index] : QPoint();
    }
    const ShapeRect r = rect_.normalised();
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    switch (index) {
    case 0:
        return {r.left, r.top};
    case 1:
        return {cx, r.top};
    case 2:
        return {r.right, r.top};
    case 3:
        return {r.right, cy};
    case 4:
        return {r.right, r.bottom};
    case 5:
        return {cx, r.bottom};
    case 6:
        return {r.left, r.bottom};
    default:
        return {r.left, cy};
    }
}

Qt::CursorShape CShape::handleCursor(int index) const {
    if (index < 0 || index >= handleCount())
        return Qt::ArrowCursor;
    if (geometry_ == Geometry::Line || geometry_ == Geometry::Curve)
        return Qt::SizeAllCursor;
    static constexpr Qt::CursorShape cursors[] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                                  Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    return cursors[index % 4];
}

bool CShape::hitTest(QPoint point) const {
    switch (geometry_) {
    case Geometry::None:
        return false;
    case Geometry::Line:
    case Geometry::Curve: {
        const Binding* pen = exchange_.find("pen_width");
        const std::int32_t width = pen ? *std::get<std::int32_t*>(pen->member) : 1;
        const double tolerance = std::max(width, 1) / 2.0 + 3;
        std::vector<QPoint> points;
        if (geometry_ == Geometry::Line)
            points = {handle(0), handle(1)};
        else
            points = curvePoints();
        if (points.size() == 1)
            return segmentDistance(point, points[0], points[0]) <= tolerance;
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            if (segmentDistance(point, points[i], points[i + 1]) <= tolerance)
                return true;
        return false;
    }
    default:
        return rect_.normalised().inflated(2).contains(point);
    }
}

int CShape::hitHandle(QPoint point) const {
    const int count = handleCount();
    for (int i = 0; i < count; ++i)
        if (handleRect(i).contains(point))
            return i;
    return -1;
}

void CShape::dragHandle(int index, QPoint point) {
    if (index < 0 || index >= handleCount())
        return;
    if (geometry_ == Geometry::Line) {
        ShapeRect r = rect_;
        (index == 0 ? r.left : r.right) = point.x();
        (index == 0 ? r.top : r.bottom) = point.y();
        setRect(r);
        return;
    }
    if (geometry_ == Geometry::Curve) {
        std::vector<QPoint> points = curvePoints();
        points[static_cast<std::size_t>(index)] = point;
        setCurvePoints(points);
        return;
    }
    ShapeRect r = rect_.normalised();
    switch (index) {
    case 0:
        r.left = point.x(), r.top = point.y();
        break;
    case 1:
        r.top = point.y();
        break;
    case 2:
        r.right = point.x(), r.top = point.y();
        break;
    case 3:
        r.right = point.x();
        break;
    case 4:
        r.right = point.x(), r.bottom = point.y();
        break;
    case 5:
        r.bottom = point.y();
        break;
    case 6:
        r.left = point.x(), r.bottom = point.y();
        break;
    default:
        r.left = point.x();
        break;
    }
    setRect(r);
}

std::string CShape::property(const std::string& name) const {
    const Binding* binding = exchange_.find(name);
    return binding ? CXMLDataExchange::write(*binding) : std::string();
}

bool CShape::propertyChanged(const std::string& name, const std::string& value) {
    const Binding* binding = exchange_.find(name);
    if (!binding || !CXMLDataExchange::read(*binding, value))
        return false;
    rectFromMembers();
    return true;
}

std::string CShape::itemText() const {
    std::string lower = typeName();
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string text = "<item name=\"\" id=\"\" type=\"" + lower + "\"";
    for (const Binding& binding : exchange_.bindings())
        if (std::strcmp(binding.name, "name") != 0 && std::strcmp(binding.name, "id") != 0)
            text += std::string(" ") + binding.name + "=\"\"";
    return text + "/>";
}

void CShape::load(const pugi::xml_node& item, std::vector<LoadMessage>* messages) {
    foreign_.clear();
    // The name first, so that messages can say which item they are about.
    if (const pugi::xml_attribute name = item.attribute("name"))
        name_ = name.value();
    for (const pugi::xml_attribute& attribute : item.attributes()) {
        const std::string_view attributeName = attribute.name();
        if (attributeName == "type")
            continue;
        const Binding* binding = exchange_.find(attributeName);
        if (!binding) {
            foreign_.emplace_back(attribute.name(), attribute.value());
            continue;
        }
        if (CXMLDataExchange::read(*binding, attribute.value()))
            continue;
        CXMLDataExchange::reset(*binding);
        if (messages)
            messages->push_back({name_, attribute.name(), attribute.value(),
                                 "[item]" + name_ + ": the value \"" + attribute.value() +
                                     "\" of attribute " + attribute.name() +
                                     " cannot be read; the default " +
                                     CXMLDataExchange::write(*binding) + " is used"});
    }
    rectFromMembers();
}

void CShape::save(pugi::xml_node& item) const {
    item.append_attribute("type").set_value(typeName().c_str());
    for (const Binding& binding : exchange_.bindings())
        item.append_attribute(binding.name).set_value(CXMLDataExchange::write(binding).c_str());
    for (const auto& [name, value] : foreign_)
        item.append_attribute(name.c_str()).set_value(value.c_str());
}

ShapeList cloneList(const ShapeList& list) {
    ShapeList copy;
    copy.reserve(list.size());
    for (const auto& shape : list)
        copy.push_back(shape->clone());
    return copy;
}

bool sameContent(const ShapeList& a, const ShapeList& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!a[i]->sameContent(*b[i]))
            return false;
    return true;
}

} // namespace tft::ide::basic_shape
