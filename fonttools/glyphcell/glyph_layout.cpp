#include "fonttools/glyph_layout.h"

namespace tft::fonttools {

std::size_t CellLayout::cellBytes() const {
    if (!valid()) {
        return 0;
    }
    const auto bits = static_cast<std::size_t>(rowStride()) * static_cast<std::size_t>(height);
    return (bits + 7) / 8;
}

bool CellLayout::valid() const {
    if (width < 1 || width > 255 || height < 1 || height > 255) {
        return false;
    }
    return !rowPadded || scan == Scan::Horizontal;
}

std::size_t CellLayout::bitNumber(int x, int y) const {
    if (scan == Scan::Vertical) {
        return static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * height;
    }
    return static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * rowStride();
}

void CellLayout::setPixel(std::uint8_t* cell, int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    const std::size_t n = bitNumber(x, y);
    const unsigned shift = msbFirst ? 7 - (n % 8) : n % 8;
    cell[n / 8] = static_cast<std::uint8_t>(cell[n / 8] | (1u << shift));
}

bool CellLayout::pixel(const std::uint8_t* cell, int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    const std::size_t n = bitNumber(x, y);
    const unsigned shift = msbFirst ? 7 - (n % 8) : n % 8;
    return (cell[n / 8] >> shift) & 1u;
}

} // namespace tft::fonttools
