#include "fonttools/keyboard_pack.h"

#include "pack_io.h"

#include <QImage>
#include <QSaveFile>
#include <cstring>
#include <pugixml.hpp>

namespace tft::fonttools {

namespace fs = std::filesystem;
using detail::getU16;
using detail::getU32;
using detail::putU16;
using detail::putU32;

namespace {

constexpr std::size_t kDescWidth = 4;
constexpr std::size_t kDescHeight = 6;
constexpr std::size_t kDescEdit = 8;
constexpr std::size_t kDescKeyCount = 16;
constexpr std::size_t kDescCodes = 18;
constexpr std::size_t kDescRects = kDescCodes + 2 * kKeyboardMaxKeys;
constexpr std::size_t kHeaderSizeField = 4;

bool number(const pugi::xml_node& node, const char* name, long low, long high, long& value,
            std::string& error) {
    const pugi::xml_attribute attr = node.attribute(name);
    const std::string text = attr.value();
    std::size_t used = 0;
    try {
        value = std::stol(text, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (!attr || text.empty() || used != text.size() || value < low || value > high) {
        error = std::string("<") + node.name() + "> at offset " +
                std::to_string(node.offset_debug()) + ": attribute " + name +
                " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
                ", not \"" + text + "\"";
        return false;
    }
    return true;
}

bool u16Attr(const pugi::xml_node& node, const char* name, long high, std::uint16_t& out,
             std::string& error) {
    long v = 0;
    if (!number(node, name, 0, high, v, error)) {
        return false;
    }
    out = static_cast<std::uint16_t>(v);
    return true;
}

// The picture as RGB565 rows, little-endian; it must have exactly the
// keyboard's size so keys and art agree.
bool appendPicture(const fs::path& appDir, const std::string& relative, int number, int width,
                   int height, std::vector<std::uint8_t>& out, std::string& error) {
    std::string native = relative;
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    while (!native.empty() && native.front() == '/') {
        native.erase(native.begin());
    }
    const fs::path path = appDir / native;
    const std::string where = "keyboard " + std::to_string(number) + ": ";
    if (relative.empty()) {
        error = where + "no picture named";
        return false;
    }
    QImage image(QString::fromStdString(path.string()));
    if (image.isNull()) {
        error = where + "cannot read picture " + path.string();
        return false;
    }
    if (image.width() != width || image.height() != height) {
        error = where + "picture " + path.string() + " is " + std::to_string(image.width()) + "x" +
                std::to_string(image.height()) + ", the keyboard is " + std::to_string(width) +
                "x" + std::to_string(height);
        return false;
    }
    image = image.convertToFormat(QImage::Format_RGB16);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(width) * height * 2);
    std::uint8_t* p = out.data() + start;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const quint16*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x, p += 2) {
            putU16(p, line[x]);
        }
    }
    return true;
}

bool writeAtomically(const fs::path& file, const std::vector<std::uint8_t>& bytes,
                     std::string& error) {
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        error = "cannot write " + file.string() + ": " + out.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace

std::uint32_t keyboardChecksum(const std::uint8_t* header) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < kChecksumWords; ++i) {
        sum += getU32(header + kChecksumFirstByte + 4 * i);
    }
    return sum;
}

bool readKeyboardLayouts(const fs::path& deviceInfoXml, std::vector<KeyboardLayout>& layouts,
                         std::string& error) {
    layouts.clear();
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(deviceInfoXml.c_str());
    if (!parsed) {
        error = deviceInfoXml.string() + ": " + parsed.description() + " at offset " +
                std::to_string(parsed.offset);
        return false;
    }
    for (int n = 0; n < static_cast<int>(kKeyboardSlots); ++n) {
        const std::string query = "//Keyboards/Keyboard[@id=\"" + std::to_string(n) + "\"]";
        const pugi::xml_node node = doc.select_node(query.c_str()).node();
        if (!node) {
            continue;
        }
        KeyboardLayout kb;
        kb.number = n;
        const auto fail = [&] {
            error = deviceInfoXml.string() + ": keyboard " + std::to_string(n) + ": " + error;
            layouts.clear();
            return false;
        };
        long side = 0;
        if (!number(node, "width", 1, kKeyboardMaxSide, side, error)) {
            return fail();
        }
        kb.width = static_cast<std::uint16_t>(side);
        if (!number(node, "height", 1, kKeyboardMaxSide, side, error)) {
            return fail();
        }
        kb.height = static_cast<std::uint16_t>(side);
        kb.releasedImage = node.attribute("image_url0").value();
        kb.pressedImage = node.attribute("image_url1").value();
        if (const pugi::xml_node edit = node.child("InputEdit")) {
            if (!u16Attr(edit, "x", kb.width, kb.editX, error) ||
                !u16Attr(edit, "y", kb.height, kb.editY, error) ||
                !u16Attr(edit, "w", kb.width - kb.editX, kb.editW, error) ||
                !u16Attr(edit, "h", kb.height - kb.editY, kb.editH, error)) {
                return fail();
            }
        }
        for (const pugi::xml_node key : node.children("Key")) {
            if (kb.keys.size() == kKeyboardMaxKeys) {
                error = "more than " + std::to_string(kKeyboardMaxKeys) + " keys";
                return fail();
            }
            KeyboardKey k;
            long code = 0;
            if (!u16Attr(key, "x", kb.width - 1, k.x, error) ||
                !u16Attr(key, "y", kb.height - 1, k.y, error) ||
                !u16Attr(key, "w", kb.width - k.x, k.w, error) ||
                !u16Attr(key, "h", kb.height - k.y, k.h, error) ||
                !number(key, "v0", 0, 255, code, error)) {
                return fail();
            }
            k.code = static_cast<std::uint8_t>(code);
            code = 0;
            if (key.attribute("v1") && !number(key, "v1", 0, 255, code, error)) {
                return fail();
            }
            k.secondCode = static_cast<std::uint8_t>(code);
            kb.keys.push_back(k);
        }
        layouts.push_back(std::move(kb));
    }
    return true;
}

bool buildKeyboardPack(const fs::path& appDir, const fs::path& deviceInfoXml,
                       std::vector<std::uint8_t>& pack, std::string& error) {
    pack.assign(kKeyboardHeaderSize, 0);
    std::vector<KeyboardLayout> layouts;
    if (!readKeyboardLayouts(deviceInfoXml, layouts, error)) {
        pack.clear();
        return false;
    }
    for (const KeyboardLayout& kb : layouts) {
        const std::size_t offset = pack.size();
        pack.resize(offset + kKeyboardDescriptorSize, 0);
        std::uint8_t* d = pack.data() + offset;
        putU16(d + kDescWidth, kb.width);
        putU16(d + kDescHeight, kb.height);
        putU16(d + kDescEdit, kb.editX);
        putU16(d + kDescEdit + 2, kb.editY);
        putU16(d + kDescEdit + 4, kb.editW);
        putU16(d + kDescEdit + 6, kb.editH);
        putU16(d + kDescKeyCount, static_cast<unsigned>(kb.keys.size()));
        for (std::size_t i = 0; i < kb.keys.size(); ++i) {
            const KeyboardKey& k = kb.keys[i];
            d[kDescCodes + i] = k.code;
            d[kDescCodes + kKeyboardMaxKeys + i] = k.secondCode;
            std::uint8_t* r = d + kDescRects + 8 * i;
            putU16(r, k.x);
            putU16(r + 2, k.y);
            putU16(r + 4, k.w);
            putU16(r + 6, k.h);
        }
        if (!appendPicture(appDir, kb.releasedImage, kb.number, kb.width, kb.height, pack, error) ||
            !appendPicture(appDir, kb.pressedImage, kb.number, kb.width, kb.height, pack, error)) {
            pack.clear();
            return false;
        }
        const std::size_t size = pack.size() - offset;
        std::uint8_t* entry =
            pack.data() + kKeyboardTableOffset + kKeyboardTableEntrySize * kb.number;
        putU32(entry, static_cast<std::uint32_t>(offset));
        putU32(entry + 4, static_cast<std::uint32_t>(size));
    }
    // Bytes 4..7 carry the pack's total length, so a reader can tell a cut file.
    putU32(pack.data() + kHeaderSizeField, static_cast<std::uint32_t>(pack.size()));
    putU32(pack.data(), keyboardChecksum(pack.data()));
    return true;
}

bool writeKeyboardPack(const fs::path& appDir, const fs::path& deviceInfoXml,
                       const fs::path& packFile, std::string& error) {
    std::vector<std::uint8_t> pack;
    return buildKeyboardPack(appDir, deviceInfoXml, pack, error) &&
           writeAtomically(packFile, pack, error);
}

bool parseKeyboardPack(const std::uint8_t* data, std::size_t size,
                       std::array<std::optional<PackedKeyboard>, kKeyboardSlots>& keyboards,
                       std::string& error) {
    keyboards.fill(std::nullopt);
    if (data == nullptr || size < kKeyboardHeaderSize) {
        error = "keyboard pack shorter than its header";
        return false;
    }
    if (getU32(data) != keyboardChecksum(data)) {
        error = "keyboard pack checksum mismatch";
        return false;
    }
    for (std::size_t n = 0; n < kKeyboardSlots; ++n) {
        const std::uint8_t* entry = data + kKeyboardTableOffset + kKeyboardTableEntrySize * n;
        const std::uint32_t offset = getU32(entry);
        const std::uint32_t blockSize = getU32(entry + 4);
        if (offset == 0) {
            continue;
        }
        const std::string where = "keyboard " + std::to_string(n) + ": ";
        if (offset < kKeyboardHeaderSize || offset > size ||
            size - offset < kKeyboardDescriptorSize) {
            error = where + "descriptor lies outside the pack";
            return false;
        }
        const std::uint8_t* d = data + offset;
        PackedKeyboard kb;
        kb.offset = offset;
        kb.size = blockSize;
        kb.layout.number = static_cast<int>(n);
        kb.layout.width = getU16(d + kDescWidth);
        kb.layout.height = getU16(d + kDescHeight);
        kb.layout.editX = getU16(d + kDescEdit);
        kb.layout.editY = getU16(d + kDescEdit + 2);
        kb.layout.editW = getU16(d + kDescEdit + 4);
        kb.layout.editH = getU16(d + kDescEdit + 6);
        const std::uint16_t count = getU16(d + kDescKeyCount);
        if (count > kKeyboardMaxKeys) {
            error = where + "more than " + std::to_string(kKeyboardMaxKeys) + " keys";
            return false;
        }
        const std::uint64_t pictures = std::uint64_t{kb.layout.width} * kb.layout.height * 4;
        if (blockSize != kKeyboardDescriptorSize + pictures ||
            size - offset < kKeyboardDescriptorSize + pictures) {
            error = where + "pictures lie outside the pack";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* r = d + kDescRects + 8 * i;
            KeyboardKey k;
            k.code = d[kDescCodes + i];
            k.secondCode = d[kDescCodes + kKeyboardMaxKeys + i];
            k.x = getU16(r);
            k.y = getU16(r + 2);
            k.w = getU16(r + 4);
            k.h = getU16(r + 6);
            kb.layout.keys.push_back(k);
        }
        keyboards[n] = std::move(kb);
    }
    return true;
}

} // namespace tft::fonttools
