#include "compiler/resource_store.h"

#include "common/codec.h"
#include "compiler/build_action_manager.h"
#include "media/picture.h"
#include "media/wave.h"

#include <fstream>

namespace tft {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put24(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v);
    out.push_back(static_cast<std::uint8_t>(v >> 16));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v);
    put16(out, v >> 16);
}

std::FILE* create(const std::filesystem::path& file, int okMessage, int failMessage,
                  const std::string& name) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr)
        sink.error(failMessage, {name});
    else
        sink.info(okMessage, {name});
    return f;
}

void closeFile(std::FILE*& f) {
    if (f != nullptr)
        std::fclose(f);
    f = nullptr;
}

std::uint32_t alignUp(std::uint64_t address, std::uint32_t alignment) {
    return static_cast<std::uint32_t>((address + alignment - 1) / alignment * alignment);
}

} // namespace

std::vector<std::uint8_t> pictureIndexRecord(std::uint16_t index, std::uint8_t format,
                                             std::uint32_t address, std::uint16_t width,
                                             std::uint16_t height, std::uint32_t frameBytes,
                                             std::uint8_t delay, std::uint8_t frames) {
    std::vector<std::uint8_t> r;
    put16(r, index);
    r.push_back(format);
    put32(r, address);
    put16(r, width);
    put16(r, height);
    put24(r, frameBytes);
    r.push_back(delay);
    r.push_back(frames);
    return r;
}

std::vector<std::uint8_t> soundIndexRecord(std::uint16_t index, std::uint8_t channels,
                                           std::uint16_t bits, std::uint32_t rate,
                                           std::uint32_t size, std::uint32_t address) {
    std::vector<std::uint8_t> r;
    r.push_back(static_cast<std::uint8_t>(index));
    r.push_back(channels);
    put16(r, bits);
    put32(r, rate);
    put32(r, size);
    put32(r, address);
    return r;
}

CResourceStore& CResourceStore::instance() {
    static CResourceStore store;
    return store;
}

CResourceStore::~CResourceStore() {
    closeFile(gwb_);
    closeFile(graidx_);
    closeFile(pwi_);
}

void CResourceStore::reset() {
    closeFile(gwb_);
    closeFile(graidx_);
    closeFile(pwi_);
    opened_ = defineOk_ = infoOk_ = false;
    areaEnd_ = kResourceBase;
    nextAddress_ = soundPosition_ = kResourceBase;
    pictureCount_ = soundCount_ = 0;
    identifiers_ = IdentifierMap();
    cache_.clear();
    info_.reset();
}

bool CResourceStore::open(const std::filesystem::path& folder, const std::string& name,
                          const DeviceProp* device) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    reset();
    folder_ = folder;
    name_ = name;
    if (device != nullptr && device->FlashSizeOfRes > 0)
        areaEnd_ = kResourceBase + (std::uint64_t(device->FlashSizeOfRes) << 20);
    gwb_ = create(folder / (name + ".gwb"), 39, 40, name);
    graidx_ = create(folder / (name + ".graidx"), 41, 42, name);
    pwi_ = create(folder / (name + ".pwi"), 45, 46, name);

    pugi::xml_node root = info_.append_child("Resource");
    root.append_child("pages");
    root.append_child("images");
    root.append_child("waves");
    {
        std::ofstream probe(folder / (name + ".tftres"), std::ios::binary);
        infoOk_ = static_cast<bool>(probe);
    }
    if (infoOk_)
        sink.info(47, {name});
    else
        sink.error(48, {name});
    {
        std::ofstream probe(folder / "DefineID.c", std::ios::binary);
        defineOk_ = static_cast<bool>(probe);
    }
    if (defineOk_)
        sink.info(msg::DefineIdOpen);
    else
        sink.error(79);
    opened_ = true;
    return gwb_ != nullptr && graidx_ != nullptr && pwi_ != nullptr && infoOk_ && defineOk_;
}

void CResourceStore::close(const std::string& leading) {
    if (!opened_)
        return;
    if (defineOk_) {
        // The definitions are C text for the host compiler, in code page 936
        // like the screen sources. Names that do not convert are refused
        // before they get here; should one slip through, the file is not
        // written in another encoding.
        const std::string text = leading + identifiers_.definitions();
        const Converted gbk = utf8ToGbk(text);
        std::ofstream out(folder_ / "DefineID.c", std::ios::binary | std::ios::trunc);
        if (gbk.ok)
            out << gbk.bytes;
        else
            CBuildActionManager::instance().error(79);
        // The screen sources include "DefineID.h": the same definitions behind
        // a guard, with the driver's declarations, so they compile as written.
        // Line feeds only, like DefineID.c and the screen sources.
        std::ofstream header(folder_ / "DefineID.h", std::ios::binary | std::ios::trunc);
        header << "#ifndef DEFINE_ID_H\n#define DEFINE_ID_H\n\n#include \"hmi_driver.h\"\n\n"
               << gbk.bytes << "\n#endif\n";
    }
    if (infoOk_)
        info_.save_file((folder_ / (name_ + ".tftres")).c_str(), "  ",
                        pugi::format_default | pugi::format_save_file_text, pugi::encoding_utf8);
    closeFile(gwb_);
    closeFile(graidx_);
    closeFile(pwi_);
    opened_ = false;
}

bool CResourceStore::writeAt(std::FILE* file, long offset, const void* data, std::size_t size) {
    if (file == nullptr || std::fseek(file, offset, SEEK_SET) != 0)
        return false;
    return std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
}

std::optional<std::uint16_t> CResourceStore::cachedPicture(const std::string& key) const {
    const auto found = cache_.find(key);
    if (found == cache_.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::uint16_t> CResourceStore::storePicture(const PanelPicture& picture,
                                                          const PictureInfo& info,
                                                          const std::string& prefix) {
    std::vector<const std::vector<std::uint16_t>*> frames;
    for (const auto& frame : picture.frames)
        frames.push_back(&frame);
    return storeFrames(frames, picture.width, picture.height, picture.delay, picture.animated, info,
                       prefix);
}

std::optional<std::uint16_t> CResourceStore::storePixels(const std::vector<std::uint16_t>& pixels,
                                                         int width, int height,
                                                         const PictureInfo& info,
                                                         const std::string& prefix) {
    return storeFrames({&pixels}, width, height, 0, false, info, prefix);
}

std::optional<std::uint16_t>
CResourceStore::storeFrames(const std::vector<const std::vector<std::uint16_t>*>& frames, int width,
                            int height, int delay, bool animated, const PictureInfo& info,
                            const std::string& prefix) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    const std::uint64_t pixels = std::uint64_t(width > 0 ? width : 0) * (height > 0 ? height : 0);
    const std::uint64_t frameBytes = pixels * 2;
    if (pixels == 0 || frames.empty() || pixels > kMaxPicturePixels ||
        frameBytes >= kMaxFrameBytes || frames.size() > 255 || width > 0xFFFF || height > 0xFFFF) {
        sink.error(prefix + sink.text(53));
        return std::nullopt;
    }
    for (const auto* frame : frames)
        if (frame->size() != pixels) {
            sink.error(prefix + sink.text(53));
            return std::nullopt;
        }
    const std::uint64_t size = frameBytes * frames.size();
    if (std::uint64_t(nextAddress_) + size > areaEnd_) {
        sink.error(prefix + sink.text(54));
        return std::nullopt;
    }
    const std::uint16_t index = pictureCount_;
    if (index == 0xFFFF) { // 0xFFFF stands for "no picture" in control bodies
        sink.error(prefix + sink.text(54));
        return std::nullopt;
    }
    pugi::xml_node image = info_.child("Resource").child("images").append_child("image");
    image.append_attribute("id") = index;
    image.append_attribute("url") = info.url.c_str();
    image.append_attribute("width") = info.width;
    image.append_attribute("height") = info.height;
    image.append_attribute("crop") = info.crop;
    image.append_attribute("effect_left") = info.effectLeft;
    image.append_attribute("effect_top") = info.effectTop;
    image.append_attribute("effect_width") = info.effectWidth;
    image.append_attribute("effect_height") = info.effectHeight;
    image.append_attribute("size") = static_cast<unsigned long long>(size);
    if (animated) {
        image.append_attribute("delay") = delay;
        image.append_attribute("frameCount") = static_cast<unsigned>(frames.size());
    }
    const auto record = pictureIndexRecord(
        index, animated ? kFormatFrames : kFormatSingle, nextAddress_,
        static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
        static_cast<std::uint32_t>(frameBytes), static_cast<std::uint8_t>(animated ? delay : 0),
        static_cast<std::uint8_t>(frames.size()));
    if (graidx_ != nullptr && !writeAt(graidx_, static_cast<long>(index) * long(kIndexRecordSize),
                                       record.data(), record.size()))
        sink.error(prefix + sink.text(56));
    if (gwb_ != nullptr) {
        // Frames one after the other, each pixel little-endian.
        bool written =
            std::fseek(gwb_, static_cast<long>(nextAddress_ - kResourceBase), SEEK_SET) == 0;
        std::vector<std::uint8_t> row;
        for (const auto* frame : frames) {
            if (!written)
                break;
            row.clear();
            row.reserve(frame->size() * 2);
            for (std::uint16_t px : *frame)
                put16(row, px);
            written = std::fwrite(row.data(), 1, row.size(), gwb_) == row.size();
        }
        if (!written || std::fflush(gwb_) != 0)
            sink.error(prefix + sink.text(57));
    }
    ++pictureCount_;
    nextAddress_ = static_cast<std::uint32_t>(nextAddress_ + size);
    soundPosition_ = alignUp(nextAddress_, kSoundAlignment);
    return index;
}

std::optional<std::uint16_t> CResourceStore::storeSound(const std::vector<std::uint8_t>& data,
                                                        std::uint16_t channels, std::uint16_t bits,
                                                        const std::string& url) {
    CBuildActionManager& sink = CBuildActionManager::instance();
    if (std::uint64_t(soundPosition_) + data.size() > areaEnd_) {
        sink.error(54);
        return std::nullopt;
    }
    const std::uint16_t index = soundCount_;
    const auto size = static_cast<std::uint32_t>(data.size());
    pugi::xml_node waves = info_.child("Resource").child("waves");
    if (!waves) {
        sink.error(68);
        return std::nullopt;
    }
    pugi::xml_node wave = waves.append_child("wave");
    wave.append_attribute("id") = index;
    wave.append_attribute("url") = url.c_str();
    wave.append_attribute("channels") = channels;
    wave.append_attribute("samplebits") = bits;
    wave.append_attribute("samplerate") = kPanelSampleRate;
    wave.append_attribute("size") = size;
    wave.append_attribute("offset") = soundPosition_;
    const auto record = soundIndexRecord(index, static_cast<std::uint8_t>(channels), bits,
                                         kPanelSampleRate, size, soundPosition_);
    if (pwi_ == nullptr || !writeAt(pwi_, static_cast<long>(index) * long(kIndexRecordSize),
                                    record.data(), record.size()))
        sink.error(69);
    if (gwb_ == nullptr ||
        !writeAt(gwb_, static_cast<long>(soundPosition_ - kResourceBase), data.data(), data.size()))
        sink.error(70);
    ++soundCount_;
    soundPosition_ += size;
    return index;
}

void CResourceStore::addScreen(const std::string& name, std::uint16_t id) {
    pugi::xml_node pages = info_.child("Resource").child("pages");
    if (!pages) {
        CBuildActionManager::instance().error(94);
        return;
    }
    pugi::xml_node page = pages.append_child("page");
    page.append_attribute("name") = name.c_str();
    page.append_attribute("id") = id;
}

} // namespace tft
