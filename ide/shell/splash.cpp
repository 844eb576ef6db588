#include "splash.h"

#include <QDir>
#include <QPainter>
#include <QTimer>

namespace tft::ide {

namespace {

QPixmap picture(const QString& appDir, const QString& version) {
    QPixmap pixmap(QDir(appDir).filePath(QStringLiteral("startup.jpg")));
    if (pixmap.isNull()) {
        pixmap = QPixmap(480, 270);
        pixmap.fill(QColor(24, 44, 72));
    }
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect().adjusted(0, 0, -16, -12), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("VER %1").arg(version));
    return pixmap;
}

} // namespace

CSplashDlg::CSplashDlg(const QString& appDir, const QString& version)
    : QSplashScreen(picture(appDir, version)) {
    QTimer::singleShot(kShowMilliseconds, this, &QWidget::close);
}

} // namespace tft::ide
