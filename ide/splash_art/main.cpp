// Draws the IDE's splash picture (startup.jpg) from shapes alone, so it is the
// same on every machine: orvane_splash_art OUTPUT.jpg
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane_splash_art OUTPUT.jpg\n");
        return 2;
    }
    QImage image(480, 270, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 270);
    sky.setColorAt(0, QColor(18, 36, 64));
    sky.setColorAt(1, QColor(40, 86, 128));
    p.fillRect(image.rect(), sky);
    // A panel with three screens of controls, as the suite designs them.
    p.setPen(QPen(QColor(200, 220, 240), 3));
    p.setBrush(QColor(12, 20, 32));
    p.drawRoundedRect(QRectF(150, 40, 180, 120), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 170, 230));
    p.drawRoundedRect(QRectF(165, 55, 70, 26), 5, 5);
    p.setBrush(QColor(250, 190, 60));
    p.drawRoundedRect(QRectF(245, 55, 70, 26), 5, 5);
    p.setBrush(QColor(60, 80, 100));
    p.drawRoundedRect(QRectF(165, 95, 150, 12), 6, 6);
    p.setBrush(QColor(90, 210, 140));
    p.drawRoundedRect(QRectF(165, 95, 96, 12), 6, 6);
    p.setPen(QPen(QColor(230, 240, 250), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(215, 115, 50, 50), 30 * 16, 120 * 16);
    p.drawLine(QPointF(240, 140), QPointF(256, 124));
    // A serial line to a host board.
    QPainterPath wire;
    wire.moveTo(330, 100);
    wire.cubicTo(370, 100, 370, 200, 410, 200);
    p.setPen(QPen(QColor(250, 190, 60), 2, Qt::DashLine));
    p.drawPath(wire);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 120, 70));
    p.drawRect(QRectF(405, 185, 50, 30));
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(QRectF(420, 193, 20, 14));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "JPG", 90) ? 0 : 1;
}
