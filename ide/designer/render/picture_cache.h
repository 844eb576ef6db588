// PictureCache: pictures converted for the panel (keyed RGB565, at a size,
// cropped or scaled, cut to the part on the screen), kept between repaints.
// A kept picture is reused only while the file is the same: its size and
// modification time are checked on every use, and only when they change is
// the content hashed, so that an edited picture shows at the next repaint
// while a touched but unchanged one is not converted again.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tft::ide {

struct ConvertedPicture {
    bool ok = false;
    QString error; // why it could not be converted
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::uint16_t>> frames; // keyed RGB565, one per frame
};

struct PictureRequestKey {
    QString file; // absolute path
    QSize target; // empty: the picture's own size
    bool crop = false;
    QRect keep; // the part of the target kept; empty: all of it
};

class PictureCache {
public:
    // The picture for `key`, converted now or kept from before.
    std::shared_ptr<const ConvertedPicture> picture(const PictureRequestKey& key);

    // Counters for tests and benchmarks.
    int conversions() const { return conversions_; }
    int digests() const { return digests_; }
    void clear() { entries_.clear(); }

private:
    struct Entry {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        QByteArray digest;
        std::shared_ptr<const ConvertedPicture> picture;
        std::uint64_t lastUse = 0;
    };
    void trim();

    std::map<std::string, Entry> entries_;
    std::uint64_t uses_ = 0;
    int conversions_ = 0;
    int digests_ = 0;
};

} // namespace tft::ide
