#include "picture_cache.h"

#include "media/picture.h"

#include <QCryptographicHash>
#include <QFile>

namespace tft::ide {
namespace {

// Pictures kept at once; a resize drag makes one per size on the way.
constexpr std::size_t kMaxEntries = 256;

std::string keyText(const PictureRequestKey& k) {
    return k.file.toStdString() + '\n' + std::to_string(k.target.width()) + 'x' +
           std::to_string(k.target.height()) + (k.crop ? " crop " : " scale ") +
           std::to_string(k.keep.x()) + ',' + std::to_string(k.keep.y()) + ',' +
           std::to_string(k.keep.width()) + ',' + std::to_string(k.keep.height());
}

QByteArray digestOf(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&in))
        return {};
    return hash.result();
}

std::shared_ptr<const ConvertedPicture> convert(const PictureRequestKey& key) {
    auto out = std::make_shared<ConvertedPicture>();
    PictureRequest request;
    request.path = key.file.toStdString();
    request.targetWidth = key.target.width();
    request.targetHeight = key.target.height();
    request.crop = key.crop;
    request.effective = key.keep;
    PictureResult result = convertPicture(request);
    if (result.status != PictureResult::Status::Ok) {
        out->error = QString::fromStdString(result.error);
        return out;
    }
    out->ok = true;
    out->width = result.picture.width;
    out->height = result.picture.height;
    out->frames = std::move(result.picture.frames);
    return out;
}

std::shared_ptr<const ConvertedPicture> failure(const QString& why) {
    auto out = std::make_shared<ConvertedPicture>();
    out->error = why;
    return out;
}

} // namespace

std::shared_ptr<const ConvertedPicture> PictureCache::picture(const PictureRequestKey& key) {
    namespace fs = std::filesystem;
    const fs::path path = key.file.toStdString();
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const auto modified = ec ? fs::file_time_type{} : fs::last_write_time(path, ec);
    const std::string text = keyText(key);
    if (ec) {
        entries_.erase(text);
        return failure(QStringLiteral("cannot read the file"));
    }
    Entry& entry = entries_[text];
    entry.lastUse = ++uses_;
    if (entry.picture && entry.size == size && entry.modified == modified)
        return entry.picture;
    ++digests_;
    const QByteArray digest = digestOf(key.file);
    entry.size = size;
    entry.modified = modified;
    if (!entry.picture || digest.isEmpty() || digest != entry.digest) {
        ++conversions_;
        entry.picture = convert(key);
        entry.digest = digest;
    }
    auto picture = entry.picture;
    trim();
    return picture;
}

void PictureCache::trim() {
    while (entries_.size() > kMaxEntries) {
        auto oldest = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        entries_.erase(oldest);
    }
}

} // namespace tft::ide
