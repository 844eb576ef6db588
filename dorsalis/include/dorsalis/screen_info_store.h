// The screen-information store: the compiler hands it every compiled screen,
// every command block and the device settings, and it writes them as one .si
// image in the layout the panel core reads (header, screen index, start table,
// records; see docs/formats.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tft {

// The 12-byte device settings record, as it lies at header offset 88.
constexpr std::size_t kDeviceSettingsSize = 12;

// The four bytes "QV10" read as a little-endian 32-bit value.
constexpr std::uint32_t kFormatTagQV10 = 0x30315651;

// Returned by GetScreenId and AddCommandBlock when no id is left.
constexpr std::uint16_t kNoId = 0xFFFF;

class IScreenInfoStore {
public:
    // The first entry of the operation table; the compiler never calls it.
    virtual ~IScreenInfoStore() = default;

    // Writes the image to `path` (UTF-8, native separators). Returns false with
    // a reason in `error` when the file cannot be written or the image would
    // not fit its 32-bit offsets; an earlier file at the path is then untouched.
    virtual bool SaveScreenInfo(const std::string& path, std::string* error = nullptr) = 0;
    virtual void SetFormatTag(std::uint32_t tag) = 0;
    // `enable` non-zero makes `block` the startup block; zero clears the mark
    // when `block` holds it.
    virtual void SetStartupBlock(std::uint16_t block, int enable) = 0;
    // The id of a screen name: the first request for a name gets the next id
    // (0, 1, ...); later requests get the same id. Names are compared exactly.
    virtual std::uint16_t GetScreenId(const std::string& name) = 0;
    // Replaces the command stream of a screen id handed out by GetScreenId;
    // other ids are ignored.
    virtual void SetScreenCommands(std::uint16_t screen, const std::uint8_t* bytes,
                                   std::size_t count) = 0;
    // Stores a command block and returns its id (0, 1, ... in order of storing).
    virtual std::uint16_t AddCommandBlock(const std::uint8_t* bytes, std::size_t count) = 0;
    // Copies the 12-byte record.
    virtual void SetDeviceSettings(const std::uint8_t* record) = 0;
};

// The one process-wide store (created on first use, the same object on every
// call).
IScreenInfoStore* GetScreenInfoStore();

// A separate store, for tests and tools that build more than one image.
std::unique_ptr<IScreenInfoStore> CreateScreenInfoStore();

} // namespace tft
