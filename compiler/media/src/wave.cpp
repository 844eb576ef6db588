#include "media/wave.h"

#include <cstring>

namespace tft {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

Wave withStatus(Wave::Status s) {
    Wave w;
    w.status = s;
    return w;
}

} // namespace

Wave parseWave(const std::vector<std::uint8_t>& file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return withStatus(Wave::Status::NotWave);
    Wave wave;
    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = le32(file.data() + at + 4);
        const std::uint8_t* body = file.data() + at + 8;
        const std::size_t available = file.size() - at - 8;
        if (std::memcmp(file.data() + at, "fmt ", 4) == 0) {
            if (size < 16 || size > available)
                return withStatus(Wave::Status::NotWave);
            const std::uint16_t format = le16(body);
            if (format == kFormatExtensible) {
                // The sub-format GUID names the samples' format: PCM is
                // 00000001-0000-0010-8000-00AA00389B71.
                if (size < 40 || le16(body + 16) < 22)
                    return withStatus(Wave::Status::NotWave);
                if (std::memcmp(body + 24, kPcmSubFormat, sizeof kPcmSubFormat) != 0)
                    return withStatus(Wave::Status::NotPcm);
            } else if (format != kFormatPcm) {
                return withStatus(Wave::Status::NotPcm);
            }
            wave.channels = le16(body + 2);
            wave.sampleRate = le32(body + 4);
            wave.bitsPerSample = le16(body + 14);
            haveFormat = true;
        } else if (std::memcmp(file.data() + at, "data", 4) == 0) {
            // A data chunk that claims more bytes than the file holds is damaged.
            if (size > available)
                return withStatus(Wave::Status::NotWave);
            wave.data.assign(body, body + size);
            haveData = true;
        }
        const std::uint64_t next = std::uint64_t(at) + 8 + size + (size & 1); // chunks are padded
        if (next > file.size())
            break;
        at = static_cast<std::size_t>(next);
    }
    // A sample rate of 0 is a damaged header.
    if (!haveFormat || wave.sampleRate == 0)
        return withStatus(Wave::Status::NotWave);
    if ((wave.channels != 1 && wave.channels != 2) ||
        (wave.bitsPerSample != 8 && wave.bitsPerSample != 16))
        return withStatus(Wave::Status::NotPcm);
    const std::size_t frame = std::size_t(wave.channels) * wave.bitsPerSample / 8;
    wave.data.resize(wave.data.size() / frame * frame);
    if (!haveData || wave.data.empty())
        return withStatus(Wave::Status::Empty);
    return wave;
}

std::vector<std::uint8_t> resampleToPanelRate(const Wave& wave) {
    if (wave.sampleRate == kPanelSampleRate)
        return wave.data;
    const int width = wave.bitsPerSample / 8;
    const int channels = wave.channels;
    const std::size_t frame = std::size_t(width) * channels;
    const std::size_t sourceFrames = wave.data.size() / frame;
    if (sourceFrames == 0)
        return {};
    const std::uint64_t outBytes =
        std::uint64_t(wave.data.size()) * kPanelSampleRate / wave.sampleRate / frame * frame;
    const std::size_t outFrames = static_cast<std::size_t>(outBytes / frame);
    std::vector<std::uint8_t> out(outFrames * frame);

    auto sample = [&](std::size_t index, int channel) -> std::int64_t {
        const std::uint8_t* p = wave.data.data() + index * frame + std::size_t(channel) * width;
        return width == 1 ? std::int64_t(p[0]) : std::int64_t(std::int16_t(le16(p)));
    };
    for (std::size_t i = 0; i < outFrames; ++i) {
        const std::uint64_t position = std::uint64_t(i) * wave.sampleRate;
        const std::size_t k = static_cast<std::size_t>(position / kPanelSampleRate);
        const std::int64_t f = static_cast<std::int64_t>(position % kPanelSampleRate);
        for (int c = 0; c < channels; ++c) {
            const std::int64_t s0 = sample(std::min(k, sourceFrames - 1), c);
            const std::int64_t s1 = k + 1 < sourceFrames ? sample(k + 1, c) : s0;
            // Integer division truncates toward zero: the result leans to s0.
            const std::int64_t v = s0 + (f * (s1 - s0)) / std::int64_t(kPanelSampleRate);
            std::uint8_t* q = out.data() + i * frame + std::size_t(c) * width;
            if (width == 1) {
                q[0] = static_cast<std::uint8_t>(v);
            } else {
                const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
                q[0] = static_cast<std::uint8_t>(u);
                q[1] = static_cast<std::uint8_t>(u >> 8);
            }
        }
    }
    return out;
}

} // namespace tft
