#include "keyboard_art.h"

#include "fonttools/shipped_fonts.h"

#include <QPainter>

namespace tft::fonttools {

QString keyCaption(std::uint8_t code) {
    switch (code) {
    case 8:
        return QStringLiteral("←");
    case 12:
        return QStringLiteral("Clr");
    case 13:
        return QStringLiteral("Enter");
    case 16:
        return QStringLiteral("Caps");
    case 27:
        return QStringLiteral("Esc");
    case 32:
        return QStringLiteral("Space");
    default:
        if (code > 32 && code < 127) {
            return QString(QLatin1Char(static_cast<char>(code)));
        }
        return QStringLiteral("%1").arg(code);
    }
}

QImage drawKeyboard(const KeyboardLayout& layout, bool pressed) {
    QImage image(layout.width, layout.height, QImage::Format_RGB32);
    image.fill(QColor(48, 56, 64));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The text area is where the panel writes the typed text: plain white.
    painter.fillRect(layout.editX, layout.editY, layout.editW, layout.editH, Qt::white);

    // The shipped Chinese face; "Enter" fits a 40-pixel key at 14 pixels.
    const auto font = shippedFont(QString(), 14);
    if (font)
        painter.setFont(*font);
    const QColor face = pressed ? QColor(42, 111, 214) : QColor(224, 228, 232);
    const QColor ink = pressed ? Qt::white : QColor(24, 24, 24);
    for (const KeyboardKey& key : layout.keys) {
        const QRect rect(key.x, key.y, key.w, key.h);
        painter.fillRect(rect, face);
        painter.setPen(pressed ? QColor(20, 60, 130) : QColor(150, 156, 162));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setPen(ink);
        painter.drawText(rect, Qt::AlignCenter, keyCaption(key.code));
    }
    return image;
}

} // namespace tft::fonttools
