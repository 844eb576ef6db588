// Received bytes in arbitrary chunks: every frame taken out ends with the tail,
// holds no earlier tail, and fits the caller's buffer.
#include "common/frame.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tft::ReceiveBuffer buffer;
    std::uint8_t out[64];
    std::size_t i = 0;
    while (i < size) {
        const std::size_t chunk = std::min<std::size_t>(size - i, 1 + data[i] % 17);
        buffer.append(data + i, chunk);
        i += chunk;
        bool dropped = false;
        std::size_t n;
        while ((n = buffer.ExtractFrame(out, sizeof out, &dropped)) > 0 || dropped) {
            if (n == 0)
                continue;
            // The first tail in the frame is its last four bytes.
            const auto tail =
                std::search(out, out + n, tft::kFrameTail.begin(), tft::kFrameTail.end());
            if (n < 4 || tail != out + n - 4)
                std::abort();
        }
    }
    return 0;
}
