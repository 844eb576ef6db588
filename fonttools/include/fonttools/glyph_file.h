// Reading a glyph file for display: the file carries no header, so the
// reader is told the cell layout and only ever reads whole cells that lie
// inside the file.
#pragma once

#include "fonttools/glyph_layout.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

namespace tft::fonttools {

constexpr int kGlyphsPerRow = 16;

// Rows of sixteen whole glyphs in `fileSize` bytes; a partial last row is not
// counted.
std::uint64_t viewerRowCount(std::uint64_t fileSize, const CellLayout& layout);

// Turns a cell's bytes into a W x H picture (true = inked), row by row.
std::vector<bool> decodeCell(const std::uint8_t* cell, const CellLayout& layout);

// A glyph file held open for reading, cells read on demand.
class GlyphFile {
public:
    bool open(const QString& path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    std::uint64_t size() const { return size_; }
    // Reads the cell at glyph `index`; false (and `out` empty) when the cell
    // does not lie wholly inside the file or the read fails.
    bool readCell(std::uint64_t index, const CellLayout& layout, std::vector<std::uint8_t>& out);

private:
    QFile file_;
    std::uint64_t size_ = 0;
};

// The same rule over bytes already in memory.
bool cellFromBytes(const std::uint8_t* data, std::size_t size, std::uint64_t index,
                   const CellLayout& layout, std::vector<std::uint8_t>& out);

} // namespace tft::fonttools
