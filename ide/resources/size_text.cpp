#include "size_text.h"

namespace tft::ide {

QString sizeText(qint64 bytes, SizeStyle style) {
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QString::asprintf("%.2f KB", double(bytes) / 1024.0);
    const double megabytes = double(bytes) / (1024.0 * 1024.0);
    return style == SizeStyle::ResourcePane ? QString::asprintf("%.4f MB", megabytes)
                                            : QString::asprintf("%.2f MB", megabytes);
}

QString utilisationText(qint64 bytes) {
    return QString::asprintf("%.3f", double(bytes) * 100.0 / double(kUtilisationBase));
}

QString shareText(qint64 bytes, qint64 total) {
    return QString::asprintf("%.3f", total > 0 ? double(bytes) * 100.0 / double(total) : 0.0);
}

} // namespace tft::ide
