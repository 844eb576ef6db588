// Stored pictures (.graidx records, .gwb pixels) and keyboard bitmaps (.sbin)
// drawn onto the write layer. Every read is bounds-checked by the device; a
// failed read draws nothing.
#include "core/hardware.h"
#include "state.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace tft::haldrun {

namespace {

constexpr std::uint32_t kResourceBase = 0xB00000; // pictures' addresses start here
constexpr int kRecordSize = 16;
constexpr int kAlternateSourceLayer = 3; // the cached full-screen picture

struct PictureRecord {
    int format = 0;
    std::uint32_t address = 0;
    int width = 0;
    int height = 0;
    std::uint32_t frameBytes = 0;
    int frames = 1;
};

bool readRecord(IDevice& d, std::uint16_t picture, PictureRecord& out) {
    std::uint8_t r[kRecordSize];
    if (!d.ReadImageIndex(std::uint32_t(picture) * kRecordSize, r))
        return false;
    out.format = r[2];
    out.address = le32(r + 3);
    out.width = static_cast<int>(le16(r + 7));
    out.height = static_cast<int>(le16(r + 9));
    out.frameBytes = le24(r + 11);
    out.frames = std::max(1, int(r[15]));
    return out.address >= kResourceBase && out.width > 0 && out.height > 0;
}

// Copies a source rectangle row by row onto the write layer at (x, y),
// clipped to the layer; `readRow` fills one row of `w` pixels.
template <typename ReadRow>
void blit(LayerView& l, int x, int y, int w, int h, bool masked, std::uint16_t keyLow,
          std::uint16_t keyHigh, ReadRow&& readRow) {
    std::vector<std::uint16_t> row(std::size_t(std::max(w, 0)));
    for (int j = 0; j < h; ++j) {
        const int ty = y + j;
        if (ty < 0)
            continue;
        if (ty >= l.height)
            break;
        if (!readRow(j, row.data()))
            return;
        std::uint16_t* dst = l.pixels + std::size_t(ty) * l.width;
        for (int i = 0; i < w; ++i) {
            const int tx = x + i;
            if (tx < 0 || tx >= l.width)
                continue;
            const std::uint16_t c = row[std::size_t(i)];
            if (masked && c >= keyLow && c <= keyHigh)
                continue;
            dst[tx] = c;
        }
    }
}

bool readPixels(IDevice& d, bool fromImages, std::uint32_t offset, std::uint16_t* out, int count) {
    std::vector<std::uint8_t> bytes(std::size_t(count) * 2);
    const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    const int ok = fromImages ? d.ReadImageData(offset, bytes.data(), length)
                              : d.ReadSystemResource(offset, bytes.data(), length);
    if (!ok)
        return false;
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return true;
}

} // namespace

} // namespace tft::haldrun

using namespace tft;
using namespace tft::haldrun;

extern "C" {

void TFT_Draw_PIC_XY(uint16_t picture, int whole, int x, int y, int sourceX, int sourceY, int width,
                     int height, int masked, uint16_t keyLow, uint16_t keyHigh, int frame,
                     int alternateSource) {
    IDevice* d = device();
    if (!d)
        return;
    std::lock_guard<std::recursive_mutex> guard(d->Lock());
    PictureRecord rec;
    if (!readRecord(*d, picture, rec))
        return;
    if (whole) {
        sourceX = 0;
        sourceY = 0;
        width = rec.width;
        height = rec.height;
    }
    // Keep the cut inside the picture.
    if (sourceX < 0) {
        x -= sourceX;
        width += sourceX;
        sourceX = 0;
    }
    if (sourceY < 0) {
        y -= sourceY;
        height += sourceY;
        sourceY = 0;
    }
    width = std::min(width, rec.width - sourceX);
    height = std::min(height, rec.height - sourceY);
    if (width <= 0 || height <= 0)
        return;
    LayerView target = d->WriteLayer();
    if (!target.pixels)
        return;
    const bool isMasked = masked != 0;

    if (alternateSource) {
        // The cut comes from the cached full-screen picture on layer 3.
        LayerView cache = d->Layer(kAlternateSourceLayer);
        if (!cache.pixels)
            return;
        blit(target, x, y, width, height, isMasked, keyLow, keyHigh,
             [&](int j, std::uint16_t* row) {
                 const int sy = sourceY + j;
                 for (int i = 0; i < width; ++i) {
                     const int sx = sourceX + i;
                     row[i] = cache.contains(sx, sy)
                                  ? cache.pixels[std::size_t(sy) * cache.width + sx]
                                  : 0;
                 }
                 return true;
             });
        return;
    }

    const int f = frame >= 0 ? frame % rec.frames : 0;
    const std::uint32_t frameBytes =
        rec.frameBytes ? rec.frameBytes : std::uint32_t(rec.width) * rec.height * 2;
    const std::uint64_t base =
        std::uint64_t(rec.address - kResourceBase) + std::uint64_t(f) * frameBytes;
    blit(target, x, y, width, height, isMasked, keyLow, keyHigh, [&](int j, std::uint16_t* row) {
        const std::uint64_t offset =
            base + (std::uint64_t(sourceY + j) * rec.width + std::uint64_t(sourceX)) * 2;
        return offset <= 0xFFFFFFFFu &&
               readPixels(*d, true, static_cast<std::uint32_t>(offset), row, width);
    });
}

int TFT_GetImageIndex(uint16_t picture, int which, uint8_t* record) {
    (void)which;
    IDevice* d = device();
    if (!d || !record)
        return 0;
    return d->ReadImageIndex(std::uint32_t(picture) * kRecordSize, record) ? 1 : 0;
}

void TFT_Draw_Keyboard(uint32_t resourceOffset, int imageWidth, int imageHeight, int x, int y,
                       int sourceX, int sourceY, int width, int height) {
    IDevice* d = device();
    if (!d || imageWidth <= 0 || imageHeight <= 0)
        return;
    std::lock_guard<std::recursive_mutex> guard(d->Lock());
    if (sourceX < 0 || sourceY < 0)
        return;
    width = std::min(width, imageWidth - sourceX);
    height = std::min(height, imageHeight - sourceY);
    if (width <= 0 || height <= 0)
        return;
    LayerView target = d->WriteLayer();
    if (!target.pixels)
        return;
    blit(target, x, y, width, height, false, 0, 0, [&](int j, std::uint16_t* row) {
        const std::uint64_t offset =
            resourceOffset + (std::uint64_t(sourceY + j) * imageWidth + std::uint64_t(sourceX)) * 2;
        return offset <= 0xFFFFFFFFu &&
               readPixels(*d, false, static_cast<std::uint32_t>(offset), row, width);
    });
}

} // extern "C"
