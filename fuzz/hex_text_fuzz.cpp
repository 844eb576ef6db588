// Typed hex text: parse, format, parse again; the second parse must equal the
// first and never exceed the limit.
#include "common/hex_text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tft::HexParse first = tft::parseHexText(text, 64);
    if (first.bytes.size() > 64 || (first.truncated && first.tokens <= 64))
        std::abort();
    const tft::HexParse again = tft::parseHexText(tft::toHexText(first.bytes), 64);
    if (again.bytes != first.bytes)
        std::abort();
    return 0;
}
