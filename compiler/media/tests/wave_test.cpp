#include "media/wave.h"

#include <gtest/gtest.h>

using namespace tft;

namespace {

void put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(x & 0xFF);
    v.push_back(x >> 8);
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

std::vector<std::uint8_t> waveFile(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                                   std::uint16_t bits, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> f = {'R', 'I', 'F', 'F'};
    put32(f, static_cast<std::uint32_t>(36 + data.size()));
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(f, 16);
    put16(f, format);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, static_cast<std::uint16_t>(channels * bits / 8));
    put16(f, bits);
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    put32(f, static_cast<std::uint32_t>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

std::int16_t sample16(const std::vector<std::uint8_t>& d, std::size_t i) {
    return static_cast<std::int16_t>(d[2 * i] | (d[2 * i + 1] << 8));
}

} // namespace

TEST(Wave, MonoSixteenBitDoublesWithMeansRoundedTowardTheFirst) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 1000; ++i)
        put16(data, static_cast<std::uint16_t>(std::int16_t(i % 2 ? -3 * i : 5 * i + 1)));
    const Wave w = parseWave(waveFile(1, 1, 16000, 16, data));
    ASSERT_EQ(w.status, Wave::Status::Ok);
    const auto out = resampleToPanelRate(w);
    ASSERT_EQ(out.size(), 4000u);
    for (std::size_t i = 0; i + 2 < 2000; i += 2) {
        const int a = sample16(data, i / 2), b = sample16(data, i / 2 + 1);
        EXPECT_EQ(sample16(out, i), a);
        EXPECT_EQ(sample16(out, i + 1), a + (b - a) / 2) << i; // C division leans to a
    }
    EXPECT_EQ(sample16(out, 1999), sample16(data, 999)); // the last source sample repeats
}

TEST(Wave, EightBitStereoKeepsChannelsApart) {
    const std::vector<std::uint8_t> data = {0, 200, 100, 100}; // L 0→100, R 200→100
    const auto out = resampleToPanelRate(parseWave(waveFile(1, 2, 16000, 8, data)));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 200, 50, 150, 100, 100, 100, 100}));
}

TEST(Wave, PanelRateIsCopiedUnchanged) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6};
    const Wave w = parseWave(waveFile(1, 1, 32000, 16, data));
    EXPECT_EQ(resampleToPanelRate(w), data);
}

TEST(Wave, OddRatesRoundDownToWholeFrames) {
    std::vector<std::uint8_t> data(2 * 441, 0);
    const auto out = resampleToPanelRate(parseWave(waveFile(1, 1, 44100, 16, data)));
    EXPECT_EQ(out.size(), 2u * (2 * 441 * 32000 / 44100 / 2));
}

TEST(Wave, RefusesWhatItCannotPlay) {
    EXPECT_EQ(parseWave({}).status, Wave::Status::NotWave);
    EXPECT_EQ(parseWave(std::vector<std::uint8_t>(100, 'x')).status, Wave::Status::NotWave);
    EXPECT_EQ(parseWave(waveFile(3, 1, 32000, 32, {0, 0, 0, 0})).status, Wave::Status::NotPcm);
    EXPECT_EQ(parseWave(waveFile(1, 3, 32000, 16, {0, 0, 0, 0, 0, 0})).status,
              Wave::Status::NotPcm);
    EXPECT_EQ(parseWave(waveFile(1, 1, 32000, 16, {})).status, Wave::Status::Empty);
    auto truncated = waveFile(1, 1, 32000, 16, {1, 2, 3, 4});
    truncated.resize(20); // inside the format chunk
    EXPECT_EQ(parseWave(truncated).status, Wave::Status::NotWave);
}

TEST(Wave, DataChunkLongerThanTheFileIsDamaged) {
    auto f = waveFile(1, 1, 32000, 16, {1, 2, 3, 4, 5, 6});
    f.resize(f.size() - 1);
    EXPECT_EQ(parseWave(f).status, Wave::Status::NotWave);
}

TEST(Wave, SampleRateZeroIsDamagedAndAHugeRateResamplesToNothing) {
    EXPECT_EQ(parseWave(waveFile(1, 1, 0, 8, {1, 2, 3})).status, Wave::Status::NotWave);
    const Wave huge = parseWave(waveFile(1, 1, 0xFFFFFFFF, 8, {1, 2, 3}));
    ASSERT_EQ(huge.status, Wave::Status::Ok);
    EXPECT_TRUE(resampleToPanelRate(huge).empty());
}

// WAVE_FORMAT_EXTENSIBLE: a 40-byte format chunk whose sub-format GUID says
// what the samples are.
std::vector<std::uint8_t> extensibleFile(std::uint16_t subFormat, std::uint16_t bits,
                                         const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> f = {'R', 'I', 'F', 'F'};
    put32(f, static_cast<std::uint32_t>(60 + data.size()));
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(f, 40);
    put16(f, 0xFFFE);
    put16(f, 2);
    put32(f, 32000);
    put32(f, 32000 * 2 * bits / 8);
    put16(f, static_cast<std::uint16_t>(2 * bits / 8));
    put16(f, bits);
    put16(f, 22);   // extension size
    put16(f, bits); // valid bits
    put32(f, 3);    // channel mask: front left and right
    put16(f, subFormat);
    f.insert(f.end(),
             {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    put32(f, static_cast<std::uint32_t>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

TEST(Wave, ExtensibleWithPcmIsAcceptedOtherSubFormatsAreNot) {
    const std::vector<std::uint8_t> samples{1, 0, 2, 0, 3, 0, 4, 0};
    const Wave pcm = parseWave(extensibleFile(1, 16, samples));
    ASSERT_EQ(pcm.status, Wave::Status::Ok);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.bitsPerSample, 16);
    EXPECT_EQ(pcm.data, samples);
    EXPECT_EQ(parseWave(extensibleFile(1, 8, {1, 2})).status, Wave::Status::Ok);
    // IEEE float samples.
    EXPECT_EQ(parseWave(extensibleFile(3, 16, samples)).status, Wave::Status::NotPcm);
    // A format chunk too short for the extension is damaged.
    auto cut = waveFile(0xFFFE, 1, 32000, 16, {1, 2});
    EXPECT_EQ(parseWave(cut).status, Wave::Status::NotWave);
}
