#include "screen_image.h"

#include <string>

namespace coretest {

void putLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void putLe16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Bytes ScreenImage::build() const {
    const std::size_t header = 136;
    const std::size_t index = header;
    const std::size_t table = index + 8 * screens.size();
    std::size_t records = table + 8 * blocks.size();
    Bytes image(records, 0);
    putLe32(image, 0, 0x30315651);
    putLe32(image, 4, 136);
    putLe32(image, 8, startBlock);
    putLe32(image, 16, static_cast<std::uint32_t>(screens.size()));
    putLe32(image, 24, static_cast<std::uint32_t>(index));
    putLe32(image, 36, static_cast<std::uint32_t>(table));
    putLe32(image, 40, static_cast<std::uint32_t>(blocks.size()));
    putLe16(image, 88, 0);
    putLe16(image, 90, settings.flags);
    image[92] = settings.baudIndex;
    image[93] = settings.touchReportMode;
    image[94] = settings.notifyScreen;
    image[95] = settings.notifyFlags;
    putLe16(image, 96, settings.autoDimTimeout);
    image[98] = settings.brightLevel;
    image[99] = settings.dimLevel;
    auto place = [&](std::size_t entry, const Bytes& record) {
        if (record.empty()) {
            putLe32(image, entry, 0xFFFFFFFF);
            putLe32(image, entry + 4, 0);
            return;
        }
        putLe32(image, entry, static_cast<std::uint32_t>(record.size() - 1));
        putLe32(image, entry + 4, static_cast<std::uint32_t>(image.size()));
        append(image, record);
    };
    for (std::size_t i = 0; i < screens.size(); ++i)
        place(index + 8 * i, screens[i]);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        place(table + 8 * i, blocks[i]);
    if (recordSize)
        putLe32(image, 44, static_cast<std::uint32_t>(image.size()));
    return image;
}

Bytes screenRecord(std::uint16_t screen, std::uint16_t background,
                   const std::vector<Bytes>& items) {
    Bytes r = frame(
        {0x42, static_cast<std::uint8_t>(background >> 8), static_cast<std::uint8_t>(background)});
    append(r, frame({0x01}));
    append(r, startBlock(screen));
    for (const Bytes& item : items)
        append(r, item);
    return r;
}

Bytes startBlock(std::uint16_t screen) {
    return frame({0xB2, static_cast<std::uint8_t>(screen >> 8), static_cast<std::uint8_t>(screen)});
}

Control::Control(std::uint16_t id, std::uint8_t type, int x, int y, int w, int h, std::size_t size)
    : bytes(size - 1, 0) {
    bytes[0] = 0xB0;
    u16(2, id);
    u8(4, type);
    u16(5, static_cast<std::uint16_t>(x));
    u16(7, static_cast<std::uint16_t>(y));
    u16(9, static_cast<std::uint16_t>(w));
    u16(11, static_cast<std::uint16_t>(h));
}

Control& Control::u8(std::size_t at, std::uint8_t v) {
    if (at - 1 >= bytes.size())
        bytes.resize(at, 0);
    bytes[at - 1] = v;
    return *this;
}

Control& Control::u16(std::size_t at, std::uint16_t v) {
    u8(at, static_cast<std::uint8_t>(v >> 8));
    return u8(at + 1, static_cast<std::uint8_t>(v));
}

Control& Control::u32(std::size_t at, std::uint32_t v) {
    u16(at, static_cast<std::uint16_t>(v >> 16));
    return u16(at + 2, static_cast<std::uint16_t>(v));
}

Control& Control::text(std::size_t at, const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        u8(at + i, static_cast<std::uint8_t>(s[i]));
    return *this;
}

Bytes Control::frame() const {
    return coretest::frame(bytes);
}

} // namespace coretest
