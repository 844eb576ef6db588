#include "dorsalis/screen_info_store.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace tft {
namespace {

// Header fields, little-endian (see docs/formats.md, screen image).
constexpr std::size_t kHeaderSize = 136;
constexpr std::size_t kTagAt = 0;
constexpr std::size_t kHeaderSizeAt = 4;
constexpr std::size_t kStartupAt = 8;
constexpr std::size_t kScreenCountAt = 16;
constexpr std::size_t kIndexAt = 24;
constexpr std::size_t kStartTableAt = 36;
constexpr std::size_t kBlockCountAt = 40;
constexpr std::size_t kImageSizeAt = 44;
constexpr std::size_t kSettingsAt = 88;
constexpr std::size_t kEntrySize = 8;
static_assert(kSettingsAt + kDeviceSettingsSize <= kHeaderSize, "settings inside the header");

// The core reads an index entry whose last position lies above this as an
// empty screen, so no record may be longer than kMaxRecord bytes.
constexpr std::uint32_t kLastPositionLimit = 0xFFFFFF;
constexpr std::size_t kMaxRecord = std::size_t{kLastPositionLimit} + 1;
constexpr std::uint32_t kEmptyEntry = 0xFFFFFFFF;
constexpr std::uint32_t kNoStartupBlock = 0xFFFFFFFF;
// Ids are 16 bits and 0xFFFF means "none" to the core and in button actions.
constexpr std::size_t kMaxIds = 0xFFFF;

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class ScreenInfoStore final : public IScreenInfoStore {
public:
    bool SaveScreenInfo(const std::string& path, std::string* error) override;
    void SetFormatTag(std::uint32_t tag) override { tag_ = tag; }
    void SetStartupBlock(std::uint16_t block, int enable) override;
    std::uint16_t GetScreenId(const std::string& name) override;
    void SetScreenCommands(std::uint16_t screen, const std::uint8_t* bytes,
                           std::size_t count) override;
    std::uint16_t AddCommandBlock(const std::uint8_t* bytes, std::size_t count) override;
    void SetDeviceSettings(const std::uint8_t* record) override;

private:
    bool buildImage(std::vector<std::uint8_t>& image, std::string* error) const;

    std::uint32_t tag_ = 0;
    std::uint32_t startup_ = kNoStartupBlock;
    std::map<std::string, std::uint16_t> ids_;
    std::vector<std::vector<std::uint8_t>> screens_; // by screen id
    std::vector<std::vector<std::uint8_t>> blocks_;  // by block id
    std::array<std::uint8_t, kDeviceSettingsSize> settings_{};
};

void ScreenInfoStore::SetStartupBlock(std::uint16_t block, int enable) {
    if (enable != 0)
        startup_ = block;
    else if (startup_ == block)
        startup_ = kNoStartupBlock;
}

std::uint16_t ScreenInfoStore::GetScreenId(const std::string& name) {
    auto found = ids_.find(name);
    if (found != ids_.end())
        return found->second;
    if (screens_.size() >= kMaxIds)
        return kNoId;
    const auto id = static_cast<std::uint16_t>(screens_.size());
    ids_.emplace(name, id);
    screens_.emplace_back();
    return id;
}

void ScreenInfoStore::SetScreenCommands(std::uint16_t screen, const std::uint8_t* bytes,
                                        std::size_t count) {
    if (screen >= screens_.size())
        return;
    if (bytes == nullptr)
        count = 0;
    screens_[screen].assign(bytes, bytes + count);
}

std::uint16_t ScreenInfoStore::AddCommandBlock(const std::uint8_t* bytes, std::size_t count) {
    if (blocks_.size() >= kMaxIds)
        return kNoId;
    if (bytes == nullptr)
        count = 0;
    blocks_.emplace_back(bytes, bytes + count);
    return static_cast<std::uint16_t>(blocks_.size() - 1);
}

void ScreenInfoStore::SetDeviceSettings(const std::uint8_t* record) {
    if (record != nullptr)
        std::memcpy(settings_.data(), record, settings_.size());
}

bool ScreenInfoStore::buildImage(std::vector<std::uint8_t>& image, std::string* error) const {
    const std::size_t entries = screens_.size() + blocks_.size();
    std::size_t total = kHeaderSize + entries * kEntrySize;
    for (const auto* list : {&screens_, &blocks_})
        for (const auto& record : *list) {
            if (record.size() > kMaxRecord) {
                if (error)
                    *error = "a screen or command block is longer than 16 MiB";
                return false;
            }
            total += record.size();
        }
    if (total > 0xFFFFFFFFu) {
        if (error)
            *error = "the screen image would be larger than 4 GiB";
        return false;
    }

    image.assign(total, 0);
    const std::size_t indexAt = kHeaderSize;
    const std::size_t startTableAt = indexAt + screens_.size() * kEntrySize;
    put32(image, kTagAt, tag_);
    put32(image, kHeaderSizeAt, kHeaderSize);
    put32(image, kStartupAt, startup_);
    put32(image, kScreenCountAt, static_cast<std::uint32_t>(screens_.size()));
    put32(image, kIndexAt, static_cast<std::uint32_t>(indexAt));
    put32(image, kStartTableAt, static_cast<std::uint32_t>(startTableAt));
    put32(image, kBlockCountAt, static_cast<std::uint32_t>(blocks_.size()));
    put32(image, kImageSizeAt, static_cast<std::uint32_t>(total));
    std::memcpy(image.data() + kSettingsAt, settings_.data(), settings_.size());

    std::size_t entryAt = indexAt;
    std::size_t recordAt = startTableAt + blocks_.size() * kEntrySize;
    for (const auto* list : {&screens_, &blocks_})
        for (const auto& record : *list) {
            if (record.empty()) {
                put32(image, entryAt, kEmptyEntry);
                put32(image, entryAt + 4, 0);
            } else {
                put32(image, entryAt, static_cast<std::uint32_t>(record.size() - 1));
                put32(image, entryAt + 4, static_cast<std::uint32_t>(recordAt));
                std::memcpy(image.data() + recordAt, record.data(), record.size());
                recordAt += record.size();
            }
            entryAt += kEntrySize;
        }
    return true;
}

bool ScreenInfoStore::SaveScreenInfo(const std::string& path, std::string* error) {
    std::vector<std::uint8_t> image;
    if (!buildImage(image, error))
        return false;
    // Write beside the target and rename, so a failed write never leaves a
    // half image where a reader expects a whole one.
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        if (error)
            *error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        if (error)
            *error = temporary + ": " + std::strerror(written ? errno : savedErrno);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

IScreenInfoStore* GetScreenInfoStore() {
    static ScreenInfoStore store;
    return &store;
}

std::unique_ptr<IScreenInfoStore> CreateScreenInfoStore() {
    return std::make_unique<ScreenInfoStore>();
}

} // namespace tft
