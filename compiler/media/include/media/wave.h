// Sounds for the panel: RIFF WAVE files with PCM samples (plain, or
// WAVE_FORMAT_EXTENSIBLE with the PCM sub-format), resampled to the panel's
// 32000 Hz keeping their width (8-bit unsigned, 16-bit signed) and channels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tft {

constexpr std::uint32_t kPanelSampleRate = 32000;

struct Wave {
    enum class Status {
        Ok,
        NotWave, // not a RIFF WAVE file, or damaged (a chunk longer than the file, rate 0)
        NotPcm,  // not PCM, or an unsupported sample layout
        Empty,   // no sample data
    };
    Status status = Status::Ok;
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t sampleRate = 0;
    std::vector<std::uint8_t> data; // samples as stored in the file
};

Wave parseWave(const std::vector<std::uint8_t>& file);

// The samples at 32000 Hz by linear interpolation; unchanged when already there.
std::vector<std::uint8_t> resampleToPanelRate(const Wave& wave);

} // namespace tft
