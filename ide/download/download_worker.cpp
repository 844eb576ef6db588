#include "download_worker.h"

#include "string_table.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryFile>
#include <chrono>
#include <filesystem>
#include <thread>

namespace tft::ide {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kDownloadBits = 0x9DC;

bool exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool nonEmpty(const std::string& path) {
    std::error_code ec;
    return exists(path) && fs::file_size(path, ec) > 0 && !ec;
}

} // namespace

DownloadFiles compiledFiles(const std::string& base) {
    DownloadFiles files;
    files.imageIndex = base + ".graidx";
    files.imageData = base + ".gwb";
    files.voiceIndex = base + ".pwi";
    files.voiceData = base + ".pwav";
    files.fontIndex = base + ".fidx";
    files.fontData = base + ".fbin";
    files.screens = base + ".si";
    files.keyboard = base + ".sbin";
    return files;
}

DownloadWorker::DownloadWorker(DownloadLink link, DownloadOutput output)
    : link_(std::move(link)), out_(std::move(output)), block_(downloadBlockSize(link_.deviceType)) {
    if (!out_.pause)
        out_.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

void DownloadWorker::say(int id) const {
    if (out_.line)
        out_.line(ideText(id));
}

bool DownloadWorker::Run(std::uint32_t bits, const DownloadFiles& files, bool& force,
                         ImageDigests& digests, const std::vector<ImageReplacement>& replacements) {
    std::uint32_t mask = bits & kDownloadBits;
    if (!nonEmpty(files.imageIndex))
        mask &= ~0x4u;
    if (!nonEmpty(files.voiceIndex))
        mask &= ~0x8u;
    if (mask == 0)
        return true;
    const bool usb = link_.usb && link_.usb->IsPresent();
    IDeviceProxy* proxy = usb ? link_.usb : link_.com;
    if (!usb && (!proxy || !proxy->IsPresent())) {
        say(sid::DeviceOpenFailed);
        return false;
    }
    if (!usb && link_.comTimeouts)
        link_.comTimeouts(true);
    say(usb ? sid::DownloadOverUsb : sid::DownloadOverSerial);
    bool ok = proxy->Open();
    if (!ok) {
        say(sid::DeviceOpenFailed);
        mask = 0;
    }
    if (mask & 0x4)
        ok = images(*proxy, files, force, digests) && ok;
    if (mask & 0x8)
        ok = voices(*proxy, files) && ok;
    if (mask & 0x10)
        ok = fonts(*proxy, files) && ok;
    if (mask & 0x40)
        ok = replace(*proxy, replacements) && ok;
    if (mask & 0x80)
        ok = single(*proxy, sid::DownloadScreens, 0x97, files.screens, true) && ok;
    if (mask & 0x100)
        ok = single(*proxy, sid::DownloadKeyboard, 0x98, files.keyboard, false) && ok;
    if (mask & 0x800)
        ok = single(*proxy, sid::DownloadModbus, 0x99, files.modbus, true) && ok;
    // The panel keeps what it received only once it acknowledged the close.
    if (!proxy->Close() && ok) {
        say(sid::DeviceCloseFailed);
        ok = false;
    }
    if (!usb && link_.comTimeouts)
        link_.comTimeouts(false);
    return ok;
}

bool DownloadWorker::send(IDeviceProxy& proxy, std::uint8_t command, const std::string& path) {
    return SendFile(proxy, &command, 1, path, 0, block_, out_.progress);
}

bool DownloadWorker::finish(bool ok) {
    say(ok ? sid::DownloadSucceeded : sid::DownloadFailed);
    if (out_.progress)
        out_.progress(-1);
    return ok;
}

bool DownloadWorker::images(IDeviceProxy& proxy, const DownloadFiles& files, bool& force,
                            ImageDigests& digests) {
    if (!exists(files.imageIndex) || !exists(files.imageData))
        return true;
    const std::string index = fileDigest(files.imageIndex);
    const std::string data = fileDigest(files.imageData);
    say(sid::DownloadImages);
    bool ok = true;
    if (force || index.empty() || index != digests.index) {
        if (out_.progress)
            out_.progress(0);
        ok = send(proxy, 0x90, files.imageIndex);
        // Stored only once sent: a failed send goes again next time.
        digests.index = ok ? index : std::string();
    }
    if (ok && (force || data.empty() || data != digests.data)) {
        out_.pause(100);
        if (out_.progress)
            out_.progress(0);
        ok = send(proxy, 0x92, files.imageData);
        digests.data = ok ? data : std::string();
    }
    force = false;
    return finish(ok);
}

bool DownloadWorker::voices(IDeviceProxy& proxy, const DownloadFiles& files) {
    say(sid::DownloadVoices);
    bool ok = send(proxy, 0x90, files.voiceIndex);
    if (ok && exists(files.voiceData))
        ok = send(proxy, 0x92, files.voiceData);
    return finish(ok);
}

bool DownloadWorker::fonts(IDeviceProxy& proxy, const DownloadFiles& files) {
    say(sid::DownloadFonts);
    bool ok = send(proxy, 0x93, files.fontIndex);
    if (ok)
        ok = send(proxy, 0x91, files.fontData);
    return finish(ok);
}

bool DownloadWorker::single(IDeviceProxy& proxy, int startText, std::uint8_t command,
                            const std::string& path, bool needsFile) {
    if (needsFile && !exists(path))
        return true;
    say(startText);
    return finish(send(proxy, command, path));
}

bool DownloadWorker::replace(IDeviceProxy& proxy,
                             const std::vector<ImageReplacement>& replacements) {
    int total = 0;
    for (const ImageReplacement& r : replacements)
        total += exists(r.picture) ? 1 : 0;
    bool ok = true;
    int number = 0;
    for (const ImageReplacement& r : replacements) {
        if (!exists(r.picture))
            continue;
        ++number;
        if (out_.line)
            out_.line(ideText(sid::ImageUpdateStart).arg(number).arg(r.id).arg(total));
        const std::string pixels = replacementPixels(r.picture, r.width, r.height);
        if (pixels.empty()) {
            // One picture that does not decode fails its row; the others go.
            if (out_.line)
                out_.line(ideText(sid::ImageUnreadable).arg(QString::fromStdString(r.picture)));
            ok = false;
            continue;
        }
        const std::uint8_t header[3] = {0x96, std::uint8_t(r.id & 0xFF), std::uint8_t(r.id >> 8)};
        if (out_.progress)
            out_.progress(0);
        const bool sent = SendFile(proxy, header, 3, pixels, r.address, block_, out_.progress);
        std::error_code ec;
        fs::remove(pixels, ec);
        if (!sent) {
            ok = false;
            break;
        }
    }
    return finish(ok);
}

std::string replacementPixels(const std::string& picture, int width, int height) {
    QImage source(QString::fromStdString(picture));
    if (source.isNull() || width <= 0 || height <= 0)
        return {};
    QImage scaled(width, height, QImage::Format_RGB16);
    scaled.fill(Qt::black);
    {
        QPainter painter(&scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, width, height), source);
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/NEWXXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(scaled.constScanLine(y));
        QByteArray bytes;
        bytes.reserve(width * 2);
        for (int x = 0; x < width; ++x) {
            bytes.append(char(row[x] & 0xFF));
            bytes.append(char(row[x] >> 8));
        }
        if (file.write(bytes) != bytes.size()) {
            file.remove();
            return {};
        }
    }
    return file.fileName().toStdString();
}

} // namespace tft::ide
