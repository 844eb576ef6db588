#include "simulator/virtual_panel.h"

#include <QImage>
#include <QString>

namespace tft {

bool savePng(const std::vector<std::uint16_t>& frame, int width, int height,
             const std::string& file, std::string* error) {
    if (width <= 0 || height <= 0 || frame.size() < std::size_t(width) * height) {
        if (error)
            *error = "no picture to save";
        return false;
    }
    QImage image(reinterpret_cast<const uchar*>(frame.data()), width, height, width * 2,
                 QImage::Format_RGB16);
    // Stored as 8-bit RGB so that viewers and comparisons see exact values.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(QString::fromStdString(file), "PNG")) {
        if (error)
            *error = "cannot write " + file;
        return false;
    }
    return true;
}

} // namespace tft
