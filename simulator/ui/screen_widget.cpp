#include "screen_widget.h"

#include "simulator/sim_device.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tft {

namespace {

constexpr int kRepaintMs = 50;
const QColor kBackground(QRgb(0xFFC7EDCC)); // the classic pale green work area (ARGB)
// The device frame reaches this far around the display, in display sizes.
constexpr double kFrameLeft = 117.0 / 1090, kFrameTop = 77.0 / 655;
constexpr double kFrameRight = 1205.0 / 1090, kFrameBottom = 741.0 / 655;

} // namespace

CScreemWnd::CScreemWnd(SimDevice& device, QWidget* parent) : QWidget(parent), device_(device) {
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&timer_, &QTimer::timeout, this, &CScreemWnd::refresh);
    timer_.start(kRepaintMs);
}

QSize CScreemWnd::sizeHint() const {
    const QSize panel(device_.Width(), device_.Height());
    return QSize(int(panel.width() * (kFrameRight + kFrameLeft)) + 20,
                 int(panel.height() * (kFrameBottom + kFrameTop)) + 20);
}

QRect CScreemWnd::screenRect() const {
    const QSize panel(device_.Width(), device_.Height());
    return QRect(QPoint((width() - panel.width()) / 2, (height() - panel.height()) / 2), panel);
}

void CScreemWnd::refresh() {
    const int beeps = device_.BeepCount();
    if (beeps != beepsShown_) {
        beepsShown_ = beeps;
        beepUntil_ = QDateTime::currentMSecsSinceEpoch() + 10 * device_.LastBeepTicks() + 150;
        update();
    }
    if (device_.TakeRepaintRequest() || QDateTime::currentMSecsSinceEpoch() < beepUntil_ + 100)
        update();
}

void CScreemWnd::paintEvent(QPaintEvent*) {
    int w = 0, h = 0;
    const auto pixels = device_.VisibleFrame(&w, &h);
    frame_ =
        QImage(reinterpret_cast<const uchar*>(pixels.data()), w, h, w * 2, QImage::Format_RGB16)
            .copy();
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    const QRect s = screenRect();

    // Our device frame: a dark bezel with a soft edge and a status lamp.
    const QRectF bezel(s.left() - kFrameLeft * s.width(), s.top() - kFrameTop * s.height(),
                       (kFrameLeft + kFrameRight) * s.width(),
                       (kFrameTop + kFrameBottom) * s.height());
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(bezel.topLeft(), bezel.bottomLeft());
    shade.setColorAt(0, QColor(70, 74, 80));
    shade.setColorAt(1, QColor(32, 34, 38));
    QPainterPath path;
    path.addRoundedRect(bezel, 18, 18);
    p.fillPath(path, shade);
    p.setPen(QPen(QColor(20, 20, 22), 2));
    p.drawPath(path);
    const bool beeping = QDateTime::currentMSecsSinceEpoch() < beepUntil_;
    p.setBrush(beeping ? QColor(255, 190, 40) : QColor(40, 160, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(bezel.right() - 0.045 * s.width(), bezel.center().y()), 6, 6);
    if (beeping) {
        p.setPen(QColor(255, 220, 120));
        p.drawText(
            QRectF(bezel.right() - 0.09 * s.width(), bezel.center().y() + 10, 0.09 * s.width(), 20),
            Qt::AlignCenter, QStringLiteral("♪"));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawImage(s.topLeft(), frame_);
}

void CScreemWnd::touchAt(const QPoint& pos, bool pressed) {
    const QRect s = screenRect();
    device_.SetTouch(pressed, pos.x() - s.left(), pos.y() - s.top());
}

void CScreemWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !screenRect().contains(event->position().toPoint()))
        return; // a press outside the display does not touch the panel
    capturing_ = true;
    grabMouse();
    touchAt(event->position().toPoint(), true);
}

void CScreemWnd::mouseMoveEvent(QMouseEvent* event) {
    if (capturing_)
        touchAt(event->position().toPoint(), true);
}

void CScreemWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !capturing_)
        return;
    capturing_ = false;
    releaseMouse();
    touchAt(event->position().toPoint(), false);
}

} // namespace tft
