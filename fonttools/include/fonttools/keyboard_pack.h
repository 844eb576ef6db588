// The system keyboard pack: a 1034-byte header with a checksum and a table of
// keyboards, then per keyboard a 1298-byte descriptor and two RGB565 pictures
// (released, pressed). Built from the Keyboards section of the device
// catalogue and the keyboard art beside the programs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tft::fonttools {

constexpr std::size_t kKeyboardHeaderSize = 1034;
constexpr std::size_t kKeyboardTableOffset = 14;
constexpr std::size_t kKeyboardTableEntrySize = 8;
constexpr std::size_t kKeyboardSlots = 8;
constexpr std::size_t kKeyboardDescriptorSize = 1298;
constexpr std::size_t kKeyboardMaxKeys = 128;
constexpr std::size_t kChecksumFirstByte = 8;
constexpr std::size_t kChecksumWords = 256;
// A keyboard larger than the largest panel is a typing error in the catalogue.
constexpr int kKeyboardMaxSide = 2048;

static_assert(kKeyboardTableOffset + kKeyboardSlots * kKeyboardTableEntrySize <=
                  kChecksumFirstByte + kChecksumWords * 4,
              "the keyboard table lies inside the checksummed words");
static_assert(kChecksumFirstByte + kChecksumWords * 4 <= kKeyboardHeaderSize,
              "checksummed words lie inside the header");
static_assert(18 + 256 + kKeyboardMaxKeys * 8 == kKeyboardDescriptorSize,
              "descriptor: 18 bytes of fields, 256 key codes, 128 key rectangles");

struct KeyboardKey {
    std::uint16_t x = 0, y = 0, w = 0, h = 0;
    std::uint8_t code = 0;       // v0
    std::uint8_t secondCode = 0; // v1
};

struct KeyboardLayout {
    int number = 0;
    std::uint16_t width = 0, height = 0;
    std::uint16_t editX = 0, editY = 0, editW = 0, editH = 0;
    std::vector<KeyboardKey> keys;
    std::string releasedImage; // relative to the application folder
    std::string pressedImage;
};

// The 32-bit sum of the 256 little-endian words at bytes 8..1031 of a header.
std::uint32_t keyboardChecksum(const std::uint8_t* header);

// Reads keyboards 0..7 from the Keyboards section of a catalogue file. A
// malformed section, more than 128 keys or keys outside the picture are errors.
bool readKeyboardLayouts(const std::filesystem::path& deviceInfoXml,
                         std::vector<KeyboardLayout>& layouts, std::string& error);

// Builds the whole pack; pictures are read relative to `appDir` and must have
// exactly the keyboard's size.
bool buildKeyboardPack(const std::filesystem::path& appDir,
                       const std::filesystem::path& deviceInfoXml, std::vector<std::uint8_t>& pack,
                       std::string& error);

// Builds and writes the pack atomically.
bool writeKeyboardPack(const std::filesystem::path& appDir,
                       const std::filesystem::path& deviceInfoXml,
                       const std::filesystem::path& packFile, std::string& error);

// What a reader of the pack sees: checksum verified, every keyboard's block
// inside the file. Used to check packs and by tests.
struct PackedKeyboard {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    KeyboardLayout layout;
};
bool parseKeyboardPack(const std::uint8_t* data, std::size_t size,
                       std::array<std::optional<PackedKeyboard>, kKeyboardSlots>& keyboards,
                       std::string& error);

} // namespace tft::fonttools
