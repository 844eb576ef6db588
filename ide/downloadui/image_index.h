// The panel's picture index as the update dialog asks for it: the request
// frame and the decoding of the EE 05 reply.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace tft::ide {

// EE F3 FF FC FF FF.
extern const std::vector<std::uint8_t> kImageIndexRequest;

// One record of the reply (16 bytes, little-endian): id u16 at 0, address
// u32 at 3, width u16 at 7, height u16 at 9, size u24 at 11.
struct ImageRecord {
    std::uint16_t id = 0;
    std::uint32_t address = 0;
    std::uint16_t width = 0, height = 0;
    std::uint32_t size = 0;
    bool operator==(const ImageRecord& o) const {
        return id == o.id && address == o.address && width == o.width && height == o.height &&
               size == o.size;
    }
};

constexpr std::size_t kImageRecordSize = 16;

// EE 05, count (bytes 2-3, little-endian), records from byte 4, FF FC FF
// FF. The count is believed only as far as the frame holds whole records
// between its four head and four tail bytes.
std::vector<ImageRecord> parseImageIndex(const QByteArray& frame);

} // namespace tft::ide
