#include "common/frame.h"

#include <algorithm>
#include <cstring>

namespace tft {

FrameBuilder::FrameBuilder(std::uint8_t command) {
    body_ = {kFrameHead, command};
}

FrameBuilder& FrameBuilder::u8(std::uint8_t v) {
    body_.push_back(v);
    return *this;
}

FrameBuilder& FrameBuilder::u16(std::uint16_t v) {
    body_.push_back(static_cast<std::uint8_t>(v >> 8));
    body_.push_back(static_cast<std::uint8_t>(v));
    return *this;
}

FrameBuilder& FrameBuilder::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v >> 16));
    return u16(static_cast<std::uint16_t>(v));
}

FrameBuilder& FrameBuilder::bytes(const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    body_.insert(body_.end(), p, p + length);
    return *this;
}

std::vector<std::uint8_t> FrameBuilder::finish() const {
    std::vector<std::uint8_t> frame = body_;
    frame.insert(frame.end(), kFrameTail.begin(), kFrameTail.end());
    return frame;
}

std::vector<std::uint8_t> buildFrame(std::uint8_t command,
                                     std::initializer_list<std::uint8_t> params) {
    FrameBuilder b(command);
    for (std::uint8_t p : params)
        b.u8(p);
    return b.finish();
}

void ReceiveBuffer::append(const std::uint8_t* data, std::size_t length) {
    bytes_.insert(bytes_.end(), data, data + length);
}

void ReceiveBuffer::clear() {
    bytes_.clear();
    searched_ = 0;
    overlong_ = false;
}

std::size_t ReceiveBuffer::ExtractFrame(std::uint8_t* out, std::size_t capacity, bool* dropped) {
    if (dropped)
        *dropped = false;
    // Resume the tail search where the last one stopped; a tail may straddle
    // the old end, so step back three bytes.
    const std::size_t from = searched_ > 3 ? searched_ - 3 : 0;
    const auto start = bytes_.begin() + static_cast<std::ptrdiff_t>(from);
    const auto tail = std::search(start, bytes_.end(), kFrameTail.begin(), kFrameTail.end());
    if (tail == bytes_.end()) {
        // A frame that already outgrew the frame buffer can only be dropped:
        // keep just the last bytes (a tail may be arriving) and remember it.
        if (bytes_.size() > kFrameBufferSize) {
            bytes_.erase(bytes_.begin(), bytes_.end() - (kFrameTail.size() - 1));
            overlong_ = true;
        }
        searched_ = bytes_.size();
        return 0;
    }
    const std::size_t length = static_cast<std::size_t>(tail - bytes_.begin()) + kFrameTail.size();
    std::size_t copied = 0;
    if (length <= capacity && !overlong_) {
        std::memcpy(out, bytes_.data(), length);
        copied = length;
    } else if (dropped) {
        *dropped = true;
    }
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length));
    searched_ = 0;
    overlong_ = false;
    return copied;
}

std::vector<std::uint8_t> ReceiveBuffer::extractFrame() {
    std::vector<std::uint8_t> frame;
    bool dropped = true;
    while (dropped) { // skip over-long frames to reach the next whole one
        frame.resize(std::min(bytes_.size(), kFrameBufferSize));
        frame.resize(ExtractFrame(frame.data(), frame.size(), &dropped));
    }
    return frame;
}

} // namespace tft
