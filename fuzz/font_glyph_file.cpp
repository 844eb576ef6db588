// The first two bytes choose the viewer's settings (width, height, scanning,
// bit order); the rest is the glyph file. Every row the viewer would show is
// read and decoded, as painting the whole list would.
#include "fonttools/glyph_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    tft::fonttools::CellLayout layout;
    layout.width = 8 * (data[0] & 7) + 8;
    layout.height = 8 * ((data[0] >> 3) & 7) + 8;
    layout.scan =
        (data[1] & 1) != 0 ? tft::fonttools::Scan::Vertical : tft::fonttools::Scan::Horizontal;
    layout.msbFirst = (data[1] & 2) != 0;
    // Odd widths exercise the partial-byte paths the dialog never offers.
    if ((data[1] & 4) != 0) {
        layout.width = 1 + data[1] / 8;
    }
    const std::uint8_t* file = data + 2;
    const std::size_t fileSize = size - 2;
    const std::uint64_t rows = tft::fonttools::viewerRowCount(fileSize, layout);
    std::vector<std::uint8_t> cell;
    std::size_t inked = 0;
    for (std::uint64_t index = 0; index <= rows * tft::fonttools::kGlyphsPerRow; ++index) {
        if (!tft::fonttools::cellFromBytes(file, fileSize, index, layout, cell)) {
            break;
        }
        for (bool pixel : tft::fonttools::decodeCell(cell.data(), layout)) {
            inked += pixel ? 1 : 0;
        }
    }
    return inked == static_cast<std::size_t>(-1) ? 1 : 0;
}
