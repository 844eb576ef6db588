// How a glyph cell's pixels map to bits. The glyph file, the generator's
// sample array and the viewer all go through these few functions, so the bit
// layout exists in one place only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tft::fonttools {

enum class Scan { Horizontal, Vertical };

struct CellLayout {
    int width = 16;
    int height = 16;
    Scan scan = Scan::Horizontal;
    bool msbFirst = true; // first pixel in bit 7 of its byte
    // Rows padded to whole bytes (the panel's own glyph form). Only meaningful
    // with horizontal scanning; bits then run on continuously within a row.
    bool rowPadded = false;

    // Bits between the start of two rows: W, or W rounded up to bytes.
    int rowStride() const { return rowPadded ? (width + 7) / 8 * 8 : width; }
    // Bytes of one cell. Continuous packing rounds the last partial byte up.
    std::size_t cellBytes() const;
    // Bit number of pixel (x, y) inside the cell.
    std::size_t bitNumber(int x, int y) const;
    // A layout is usable when its sizes are positive and at most 255 and the
    // row padding is combined with horizontal scanning only.
    bool valid() const;

    void setPixel(std::uint8_t* cell, int x, int y) const;
    bool pixel(const std::uint8_t* cell, int x, int y) const;
};

} // namespace tft::fonttools
