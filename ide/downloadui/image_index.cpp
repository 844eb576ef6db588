#include "image_index.h"

#include <algorithm>

namespace tft::ide {

const std::vector<std::uint8_t> kImageIndexRequest{0xEE, 0xF3, 0xFF, 0xFC, 0xFF, 0xFF};

namespace {

constexpr std::size_t kHead = 4; // EE 05 and the count
constexpr std::size_t kTail = 4; // FF FC FF FF

std::uint32_t le(const unsigned char* p, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

} // namespace

std::vector<ImageRecord> parseImageIndex(const QByteArray& frame) {
    const auto size = static_cast<std::size_t>(frame.size());
    if (size < kHead + kTail)
        return {};
    const auto* bytes = reinterpret_cast<const unsigned char*>(frame.constData());
    const std::size_t claimed = le(bytes + 2, 2);
    const std::size_t count = std::min(claimed, (size - kHead - kTail) / kImageRecordSize);
    std::vector<ImageRecord> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* r = bytes + kHead + i * kImageRecordSize;
        ImageRecord record;
        record.id = static_cast<std::uint16_t>(le(r, 2));
        record.address = le(r + 3, 4);
        record.width = static_cast<std::uint16_t>(le(r + 7, 2));
        record.height = static_cast<std::uint16_t>(le(r + 9, 2));
        record.size = le(r + 11, 3);
        records.push_back(record);
    }
    return records;
}

} // namespace tft::ide
