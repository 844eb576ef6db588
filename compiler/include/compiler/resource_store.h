// The resource store of one build: picture and sound data (.gwb), their index
// files (.graidx, .pwi), the resource information (.tftres), the identifier
// definitions (DefineID.c) and the picture cache. Addresses are those of the
// panel's resource flash, which begins at 0xB00000.
#pragma once

#include "compiler/device_catalogue.h"
#include "compiler/identifiers.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace tft {

struct PanelPicture;
struct Wave;

constexpr std::uint32_t kResourceBase = 0xB00000;
constexpr std::uint32_t kSoundAlignment = 0x20000;
constexpr std::size_t kIndexRecordSize = 16;
constexpr std::uint8_t kFormatSingle = 4;
constexpr std::uint8_t kFormatFrames = 5;
// A picture of more pixels than this, or a frame of this many bytes, is refused.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t(1) << 23;
constexpr std::uint64_t kMaxFrameBytes = std::uint64_t(16) << 20;

// What the `image` element says about a stored picture besides its pixels.
struct PictureInfo {
    std::string url; // empty for pictures the compiler draws
    int width = 0;   // the size the source was drawn at
    int height = 0;
    int crop = 0;
    int effectLeft = 0, effectTop = 0, effectWidth = 0, effectHeight = 0;
};

// A 16-byte picture index record (little-endian, packed).
std::vector<std::uint8_t> pictureIndexRecord(std::uint16_t index, std::uint8_t format,
                                             std::uint32_t address, std::uint16_t width,
                                             std::uint16_t height, std::uint32_t frameBytes,
                                             std::uint8_t delay, std::uint8_t frames);
// A 16-byte sound index record (little-endian, packed).
std::vector<std::uint8_t> soundIndexRecord(std::uint16_t index, std::uint8_t channels,
                                           std::uint16_t bits, std::uint32_t rate,
                                           std::uint32_t size, std::uint32_t address);

class CResourceStore {
public:
    static CResourceStore& instance();

    CResourceStore() = default;
    ~CResourceStore();
    CResourceStore(const CResourceStore&) = delete;
    CResourceStore& operator=(const CResourceStore&) = delete;

    // Creates the files `name`.gwb/.graidx/.pwi/.tftres and DefineID.c in
    // `folder` (reporting each), sizes the resource area from `device`
    // (null: no room at all) and forgets any earlier build. False when a file
    // could not be created; the others still work.
    bool open(const std::filesystem::path& folder, const std::string& name,
              const DeviceProp* device);
    // Writes DefineID.c (`leading` first, then the identifiers registered
    // here) and the resource information, and closes the files.
    void close(const std::string& leading = std::string());
    bool isOpen() const { return opened_; }

    // Stores a converted picture; reports 53, 54, 56, 57 with `prefix` in
    // front and returns nothing on failure.
    std::optional<std::uint16_t> storePicture(const PanelPicture& picture, const PictureInfo& info,
                                              const std::string& prefix = std::string());
    // Stores a still picture drawn by the compiler (keyed RGB565 pixels).
    std::optional<std::uint16_t> storePixels(const std::vector<std::uint16_t>& pixels, int width,
                                             int height, const PictureInfo& info,
                                             const std::string& prefix = std::string());
    // Stores a sound already resampled to the panel rate; reports 54, 68-70.
    std::optional<std::uint16_t> storeSound(const std::vector<std::uint8_t>& data,
                                            std::uint16_t channels, std::uint16_t bits,
                                            const std::string& url);
    // The `page` element of a compiled screen (message 94 on failure).
    void addScreen(const std::string& name, std::uint16_t id);

    IdentifierMap& identifiers() { return identifiers_; }
    std::optional<std::uint16_t> cachedPicture(const std::string& key) const;
    void cachePicture(const std::string& key, std::uint16_t index) { cache_[key] = index; }

    std::uint32_t nextAddress() const { return nextAddress_; }
    std::uint32_t soundPosition() const { return soundPosition_; }
    std::uint16_t pictureCount() const { return pictureCount_; }
    const pugi::xml_document& resourceInfo() const { return info_; }

private:
    void reset();
    bool writeAt(std::FILE* file, long offset, const void* data, std::size_t size);
    std::optional<std::uint16_t>
    storeFrames(const std::vector<const std::vector<std::uint16_t>*>& frames, int width, int height,
                int delay, bool animated, const PictureInfo& info, const std::string& prefix);

    bool opened_ = false;
    std::filesystem::path folder_;
    std::string name_;
    std::FILE* gwb_ = nullptr;
    std::FILE* graidx_ = nullptr;
    std::FILE* pwi_ = nullptr;
    bool defineOk_ = false;
    bool infoOk_ = false;
    std::uint64_t areaEnd_ = kResourceBase;
    std::uint32_t nextAddress_ = kResourceBase;
    std::uint32_t soundPosition_ = kResourceBase;
    std::uint16_t pictureCount_ = 0;
    std::uint16_t soundCount_ = 0;
    IdentifierMap identifiers_;
    std::map<std::string, std::uint16_t> cache_;
    pugi::xml_document info_;
};

} // namespace tft
