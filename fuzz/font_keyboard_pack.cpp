// Any bytes as a keyboard pack: the reader either accepts them with every
// keyboard block inside the input, or refuses them with a message.
#include "fonttools/keyboard_pack.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::optional<tft::fonttools::PackedKeyboard>, tft::fonttools::kKeyboardSlots>
        keyboards;
    std::string error;
    if (!tft::fonttools::parseKeyboardPack(data, size, keyboards, error)) {
        if (error.empty()) {
            std::abort(); // a refusal always says why
        }
        return 0;
    }
    for (const auto& kb : keyboards) {
        if (kb && (kb->offset + std::size_t{kb->size} > size ||
                   kb->layout.keys.size() > tft::fonttools::kKeyboardMaxKeys)) {
            std::abort();
        }
    }
    return 0;
}
