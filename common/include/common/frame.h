// Command frames: 0xEE, command byte, parameters (multi-byte numbers
// big-endian), FF FC FF FF; and the growable receive buffer that cuts a byte
// stream into frames at their tails.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tft {

constexpr std::uint8_t kFrameHead = 0xEE;
constexpr std::array<std::uint8_t, 4> kFrameTail{0xFF, 0xFC, 0xFF, 0xFF};

// Builds one frame parameter by parameter.
class FrameBuilder {
public:
    explicit FrameBuilder(std::uint8_t command);
    FrameBuilder& u8(std::uint8_t v);
    FrameBuilder& u16(std::uint16_t v); // big-endian
    FrameBuilder& u32(std::uint32_t v); // big-endian
    FrameBuilder& bytes(const void* data, std::size_t length);
    std::vector<std::uint8_t> finish() const;

private:
    std::vector<std::uint8_t> body_;
};

// Packed BCD of a value 0-99 (clock fields): two decimal digits in one byte.
constexpr std::uint8_t toBcd(unsigned v) {
    return static_cast<std::uint8_t>(((v / 10 % 10) << 4) | (v % 10));
}

// A frame with single-byte parameters: EE command params... FF FC FF FF.
std::vector<std::uint8_t> buildFrame(std::uint8_t command,
                                     std::initializer_list<std::uint8_t> params = {});

// Received bytes not yet cut into frames. A frame is every byte from the start
// of the buffer up to and including the first FF FC FF FF; bytes before a
// frame's 0xEE stay part of it (the caller reports such a frame as unknown).
class ReceiveBuffer {
public:
    static constexpr std::size_t kFrameBufferSize = 102400; // the dispatch's frame buffer

    void append(const std::uint8_t* data, std::size_t length);
    void clear();
    std::size_t size() const { return bytes_.size(); }

    // Copies the next complete frame into `out` (capacity `capacity`) and erases
    // it from the buffer; returns its length, or 0 when no tail has arrived.
    // A frame longer than `capacity` is erased without being copied: the
    // result is 0 and `*dropped` (when given) is set.
    std::size_t ExtractFrame(std::uint8_t* out, std::size_t capacity, bool* dropped = nullptr);

    // Convenience form with the dispatch's 102400-byte limit: the next frame
    // that fits (over-long ones are skipped), or an empty vector when none.
    // Bytes without a tail are held only up to that limit, so a stream of
    // garbage cannot grow the buffer without bound.
    std::vector<std::uint8_t> extractFrame();

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t searched_ = 0; // bytes already known to hold no complete tail
    bool overlong_ = false;    // the frame being received outgrew the frame buffer
};

} // namespace tft
