// A panel's picture index reply as the link hands it over: never read past
// the frame, never more records than the frame holds whole.
#include "image_index.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray frame(reinterpret_cast<const char*>(data), int(size));
    const auto records = tft::ide::parseImageIndex(frame);
    const std::size_t room = size < 8 ? 0 : (size - 8) / tft::ide::kImageRecordSize;
    if (records.size() > room)
        std::abort();
    for (const auto& r : records)
        if (r.size > 0xFFFFFF)
            std::abort();
    return 0;
}
