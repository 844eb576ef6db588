// Sound files: any bytes parse to a status; playable ones resample to whole frames.
#include "media/wave.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tft::Wave wave = tft::parseWave(std::vector<std::uint8_t>(data, data + size));
    if (wave.status != tft::Wave::Status::Ok)
        return 0;
    if (wave.sampleRate < 100) // keeps a fuzzed rate of 1 Hz from producing gigabytes
        return 0;
    const auto out = tft::resampleToPanelRate(wave);
    if (out.size() % (std::size_t(wave.channels) * wave.bitsPerSample / 8) != 0)
        std::abort();
    return 0;
}
