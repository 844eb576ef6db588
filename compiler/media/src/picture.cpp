#include "media/picture.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cctype>

namespace tft {

namespace {

// Whole pictures above this many pixels are refused before drawing (the store
// refuses them anyway); it also keeps hostile files from exhausting memory.
constexpr qint64 kMaxPixels = qint64(1) << 23;

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// The source drawn onto an opaque canvas of the target size.
QImage drawOnCanvas(const QImage& source, const QSize& target, bool crop, QRgb canvas) {
    QImage image(target, QImage::Format_RGB32);
    image.fill(canvas);
    QPainter p(&image);
    if (crop || source.size() == target) {
        p.drawImage(0, 0, source);
    } else {
        // Smooth scaling samples clamped at the edges, so borders keep their colour.
        p.drawImage(0, 0, source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return image;
}

// An opaque picture looks the same on black and on white, so it needs no
// second drawing: the scaled (or cut) picture is the result, and only the
// part of a cut target that the picture does not cover is transparent.
std::vector<std::uint16_t> convertOpaque(const QImage& frame, const QSize& target, bool crop,
                                         const QRect& keep) {
    const QImage drawn =
        crop || frame.size() == target
            ? frame
            : frame.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Converted here, row by row: Qt's own conversion hands large pictures to
    // its thread pool and waits, which costs more than it saves on a busy machine.
    const QImage pixels = drawn.format() == QImage::Format_RGB32
                              ? drawn
                              : drawn.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint16_t> out(std::size_t(keep.width()) * keep.height(), kTransparentKey);
    const QRect covered = keep & pixels.rect();
    for (int y = covered.top(); y <= covered.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        std::uint16_t* dst = out.data() + std::size_t(y - keep.top()) * keep.width();
        for (int x = covered.left(); x <= covered.right(); ++x) {
            const std::uint16_t c = toRgb565(row[x]);
            dst[x - keep.left()] = c == kTransparentKey ? kOpaqueBlack : c;
        }
    }
    return out;
}

std::vector<std::uint16_t> convertFrame(const QImage& frame, const QSize& target, bool crop,
                                        const QRect& keep) {
    if (!frame.hasAlphaChannel())
        return convertOpaque(frame, target, crop, keep);
    const QImage source = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage black = drawOnCanvas(source, target, crop, qRgb(0, 0, 0)).copy(keep);
    const QImage white = drawOnCanvas(source, target, crop, qRgb(255, 255, 255)).copy(keep);
    return keyedPixels(black, white);
}

PictureResult failed(PictureResult::Status status, std::string error) {
    PictureResult r;
    r.status = status;
    r.error = std::move(error);
    return r;
}

} // namespace

PictureKind pictureKind(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "gif")
        return PictureKind::Gif;
    if (ext == "png")
        return PictureKind::Png;
    if (ext == "bmp" || ext == "dib")
        return PictureKind::Bmp;
    if (ext == "jpg" || ext == "jpe" || ext == "jpeg" || ext == "jfif")
        return PictureKind::Jpeg;
    if (ext == "wmf")
        return PictureKind::Wmf;
    if (ext == "icon" || ext == "ico")
        return PictureKind::Icon;
    return PictureKind::Unsupported;
}

std::uint16_t toRgb565(unsigned rgb) {
    return static_cast<std::uint16_t>(((qRed(rgb) >> 3) << 11) | ((qGreen(rgb) >> 2) << 5) |
                                      (qBlue(rgb) >> 3));
}

std::vector<std::uint16_t> keyedPixels(const QImage& onBlack, const QImage& onWhite) {
    const QImage b = onBlack.convertToFormat(QImage::Format_RGB32);
    const QImage w = onWhite.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint16_t> out;
    out.reserve(std::size_t(b.width()) * b.height());
    for (int y = 0; y < b.height(); ++y) {
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        const auto* rw = reinterpret_cast<const QRgb*>(w.constScanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            const std::uint16_t cb = toRgb565(rb[x]);
            if (cb != toRgb565(rw[x]))
                out.push_back(kTransparentKey);
            else
                out.push_back(cb == kTransparentKey ? kOpaqueBlack : cb);
        }
    }
    return out;
}

std::vector<std::uint16_t> renderKeyed(int width, int height,
                                       const std::function<void(QPainter&)>& draw) {
    auto render = [&](QRgb canvas) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(canvas);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
        p.end();
        return image;
    };
    return keyedPixels(render(qRgb(0, 0, 0)), render(qRgb(255, 255, 255)));
}

PictureResult convertPicture(const PictureRequest& request) {
    const PictureKind kind = pictureKind(request.path);
    if (kind == PictureKind::Unsupported)
        return failed(PictureResult::Status::Unsupported, "unsupported picture type");
    QImageReader reader(QString::fromStdString(request.path));
    reader.setDecideFormatFromContent(true);
    const QSize own = reader.size();
    if (own.isValid() && qint64(own.width()) * own.height() > kMaxPixels)
        return failed(PictureResult::Status::OutOfMemory, "the picture is too large");

    PictureResult result;
    PanelPicture& pic = result.picture;
    std::vector<int> delays;
    QSize target(request.targetWidth, request.targetHeight);
    QRect keep;
    const int wanted = kind == PictureKind::Gif ? kMaxPictureFrames + 1 : 1;
    for (int n = 0; n < wanted; ++n) {
        QImage frame = reader.read();
        if (frame.isNull()) {
            if (n == 0)
                return failed(PictureResult::Status::LoadFailed,
                              reader.errorString().toStdString());
            break;
        }
        if (n == kMaxPictureFrames) {
            pic.framesCut = true;
            break;
        }
        if (n == 0) {
            if (target.width() <= 0 || target.height() <= 0)
                target = frame.size();
            if (qint64(target.width()) * target.height() > kMaxPixels)
                return failed(PictureResult::Status::OutOfMemory, "the target is too large");
            keep = request.effective.isEmpty() ? QRect(QPoint(0, 0), target)
                                               : request.effective & QRect(QPoint(0, 0), target);
            if (keep.isEmpty())
                return failed(PictureResult::Status::LoadFailed, "nothing of the picture is kept");
            pic.width = keep.width();
            pic.height = keep.height();
        }
        delays.push_back(std::max(0, reader.nextImageDelay()) / 10);
        pic.frames.push_back(convertFrame(frame, target, request.crop, keep));
        if (kind != PictureKind::Gif || !reader.canRead())
            break;
    }
    pic.animated = pic.frames.size() > 1;
    if (pic.animated) {
        long sum = 0;
        for (int d : delays)
            sum += d;
        const long count = static_cast<long>(delays.size());
        pic.delay = static_cast<int>(std::min<long>(255, (sum + count / 2) / count));
    }
    return result;
}

} // namespace tft
