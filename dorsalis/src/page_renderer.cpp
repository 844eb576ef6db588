#include "dorsalis/page_renderer.h"

#include <fstream>
#include <iterator>
#include <pugixml.hpp>

namespace tft {

namespace {

constexpr std::size_t kHeaderSize = 136;
constexpr std::uint32_t kEmpty = 0xFFFFFF; // a last position above this: empty record

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// Every complete frame of a record, in order: bytes up to each tail
// FF FC FF FF. Bytes after the last tail are not a frame and are left out.
std::vector<std::uint8_t> wholeFrames(const std::uint8_t* record, std::size_t length) {
    std::size_t end = 0;
    for (std::size_t i = 4; i <= length; ++i)
        if (record[i - 4] == 0xFF && record[i - 3] == 0xFC && record[i - 2] == 0xFF &&
            record[i - 1] == 0xFF)
            end = i;
    return std::vector<std::uint8_t>(record, record + end);
}

class PageRenderer : public IPageRenderer {
public:
    void Close() override { image_.clear(); }

    bool Open(const std::string& tftresPath) override {
        Close();
        pugi::xml_document description;
        if (!description.load_file(tftresPath.c_str()) || !description.child("Resource"))
            return false;
        std::string si = tftresPath;
        const std::size_t dot = si.find_last_of('.');
        const std::size_t slash = si.find_last_of('/');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            si.erase(dot);
        std::ifstream in(si + ".si", std::ios::binary);
        if (!in)
            return false;
        std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(in), {});
        if (image.size() < kHeaderSize)
            return false;
        const std::uint64_t indexEnd = std::uint64_t(u32(image, 24)) + 8ull * u32(image, 16);
        if (u32(image, 24) < kHeaderSize || indexEnd > image.size())
            return false;
        image_ = std::move(image);
        return true;
    }

    bool RenderPage(std::uint16_t page, std::uint8_t* buffer, std::size_t* count) override {
        if (image_.empty() || !count || page >= u32(image_, 16))
            return false;
        const std::size_t entry = u32(image_, 24) + 8u * page;
        const std::uint32_t last = u32(image_, entry);
        const std::uint32_t offset = u32(image_, entry + 4);
        std::vector<std::uint8_t> frames;
        if (last <= kEmpty) {
            if (std::uint64_t(offset) + last >= image_.size())
                return false;
            frames = wholeFrames(image_.data() + offset, std::size_t(last) + 1);
        }
        if (buffer) {
            if (*count < frames.size())
                return false;
            std::copy(frames.begin(), frames.end(), buffer);
        }
        *count = frames.size();
        return true;
    }

private:
    std::vector<std::uint8_t> image_;
};

} // namespace

std::unique_ptr<IPageRenderer> CreatePageRenderer() {
    return std::make_unique<PageRenderer>();
}

// The name is compared as a value rather than pasted into an XPath text, so
// a page name with a quotation mark finds its page too.
int FindPageId(const std::string& tftresPath, const std::string& name) {
    pugi::xml_document description;
    if (!description.load_file(tftresPath.c_str()))
        return -1;
    for (const pugi::xml_node page : description.child("Resource").child("pages").children("page"))
        if (name == page.attribute("name").value()) {
            const pugi::xml_attribute id = page.attribute("id");
            const long long value = id ? id.as_llong(-1) : -1;
            return value >= 0 && value < 0xFFFF ? int(value) : -1;
        }
    return -1;
}

std::vector<std::uint8_t> RenderPageFrames(IPageRenderer& renderer, std::uint16_t page) {
    std::size_t size = 0;
    if (!renderer.RenderPage(page, nullptr, &size))
        return {};
    std::vector<std::uint8_t> frames(size);
    if (!renderer.RenderPage(page, frames.data(), &size))
        return {};
    frames.resize(size);
    return frames;
}

} // namespace tft
