#include "fonttools/glyph_file.h"

#include <limits>

namespace tft::fonttools {

namespace {

// Byte offset of glyph `index`, or false when the cell would pass `size`.
bool cellSpan(std::uint64_t size, std::uint64_t index, const CellLayout& layout,
              std::uint64_t& offset) {
    const std::uint64_t cellBytes = layout.cellBytes();
    if (cellBytes == 0 || index > size / cellBytes) {
        return false;
    }
    offset = index * cellBytes;
    return offset + cellBytes <= size;
}

} // namespace

std::uint64_t viewerRowCount(std::uint64_t fileSize, const CellLayout& layout) {
    const std::uint64_t rowBytes = layout.cellBytes() * kGlyphsPerRow;
    return rowBytes == 0 ? 0 : fileSize / rowBytes;
}

std::vector<bool> decodeCell(const std::uint8_t* cell, const CellLayout& layout) {
    std::vector<bool> pixels;
    if (!layout.valid()) {
        return pixels;
    }
    pixels.resize(static_cast<std::size_t>(layout.width) * layout.height);
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            pixels[static_cast<std::size_t>(y) * layout.width + x] = layout.pixel(cell, x, y);
        }
    }
    return pixels;
}

bool GlyphFile::open(const QString& path) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        return false;
    }
    const qint64 size = file_.size();
    size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    return true;
}

void GlyphFile::close() {
    if (file_.isOpen()) {
        file_.close();
    }
    size_ = 0;
}

bool GlyphFile::readCell(std::uint64_t index, const CellLayout& layout,
                         std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint64_t offset = 0;
    if (!file_.isOpen() || !cellSpan(size_, index, layout, offset) ||
        offset > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())) {
        return false;
    }
    const std::size_t cellBytes = layout.cellBytes();
    out.resize(cellBytes);
    // The file may have shrunk since it was opened: a short read is a failure.
    if (!file_.seek(static_cast<qint64>(offset)) ||
        file_.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(cellBytes)) !=
            static_cast<qint64>(cellBytes)) {
        out.clear();
        return false;
    }
    return true;
}

bool cellFromBytes(const std::uint8_t* data, std::size_t size, std::uint64_t index,
                   const CellLayout& layout, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint64_t offset = 0;
    if (data == nullptr || !cellSpan(size, index, layout, offset)) {
        return false;
    }
    out.assign(data + offset, data + offset + layout.cellBytes());
    return true;
}

} // namespace tft::fonttools
