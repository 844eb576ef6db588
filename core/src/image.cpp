// Reading the compiled screen image: two cached read windows over the
// layer's ReadScreenInfo, the record scanner and control definitions.
#include "core/hardware.h"
#include "core_state.h"
#include "screens.h"

#include <cstring>

namespace nimbrel {
namespace {

constexpr std::uint32_t kHeaderImageSize = 44;

// The image is never held whole: one window caches index entries, the other
// record bytes. A window near the end of the image may hold fewer bytes.
struct ReadWindow {
    std::uint32_t base;
    std::uint32_t size;
    std::uint8_t data[kReadWindow];
};
ReadWindow g_indexWindow;
ReadWindow g_recordWindow;
std::uint32_t g_imageSize; // 0: not recorded in the header, reads are checked by the layer

bool readImage(ReadWindow& w, std::uint32_t offset, std::uint8_t* out, std::uint32_t length) {
    if (length > kReadWindow)
        return false;
    if (g_imageSize != 0 &&
        static_cast<std::uint64_t>(offset) + length > static_cast<std::uint64_t>(g_imageSize))
        return false;
    if (!(offset >= w.base && static_cast<std::uint64_t>(offset) + length <=
                                  static_cast<std::uint64_t>(w.base) + w.size)) {
        w.size = 0;
        std::uint32_t want = kReadWindow;
        if (g_imageSize != 0 && g_imageSize - offset < want)
            want = g_imageSize - offset;
        if (ReadScreenInfo(offset, w.data, want)) {
            w.size = want;
        } else if (want != length && ReadScreenInfo(offset, w.data, length)) {
            w.size = length; // the layer refuses reads past the end: take just what is wanted
        } else {
            return false;
        }
        w.base = offset;
        if (w.size < length)
            return false;
    }
    std::memcpy(out, w.data + (offset - w.base), length);
    return true;
}

void forgetWindows() {
    g_indexWindow.base = g_recordWindow.base = 0;
    g_indexWindow.size = g_recordWindow.size = 0;
}

} // namespace

void imageOpen() {
    forgetWindows();
    g_imageSize = 0;
    std::uint8_t size[4];
    if (ReadScreenInfo(kHeaderImageSize, size, 4))
        g_imageSize = le32(size);
    // A recorded size must at least cover the header; otherwise it is not trusted.
    if (g_imageSize != 0 && g_imageSize < kProjectHeaderSize)
        g_imageSize = 0;
}

void imageClose() {
    forgetWindows();
}

Definition definitionOf(const std::uint8_t* frame, std::size_t length) {
    return Definition{frame, length >= 4 ? length - 4 : 0};
}

bool RecordScan::beginEntry(std::uint32_t entryOffset) {
    active_ = false;
    std::uint8_t entry[kIndexEntrySize];
    if (!readImage(g_indexWindow, entryOffset, entry, kIndexEntrySize))
        return false;
    last_ = le32(entry);
    offset_ = le32(entry + 4);
    position_ = 0;
    if (last_ > kEmptyRecord)
        return false;
    if (static_cast<std::uint64_t>(offset_) + last_ > 0xFFFFFFFFull)
        return false;
    active_ = true;
    return true;
}

bool RecordScan::begin(std::uint16_t screen) {
    active_ = false;
    if (screen >= screenCount())
        return false;
    const std::uint64_t entry = static_cast<std::uint64_t>(g_core.header.indexOffset) +
                                static_cast<std::uint64_t>(screen) * kIndexEntrySize;
    if (entry > 0xFFFFFFFFull - kIndexEntrySize)
        return false;
    return beginEntry(static_cast<std::uint32_t>(entry));
}

bool RecordScan::next(const std::uint8_t** frame, std::size_t* length) {
    if (!active_)
        return false;
    std::size_t n = 0;
    while (position_ <= last_) {
        if (n == kScanFrameCapacity) {
            active_ = false; // no tail within the frame buffer: the scan ends
            return false;
        }
        if (!readImage(g_recordWindow, offset_ + position_, frame_ + n, 1)) {
            active_ = false;
            return false;
        }
        ++position_;
        ++n;
        if (n > 4 && frame_[n - 4] == 0xFF && frame_[n - 3] == 0xFC && frame_[n - 2] == 0xFF &&
            frame_[n - 1] == 0xFF) {
            *frame = frame_;
            *length = n;
            return true;
        }
    }
    active_ = false;
    return false;
}

bool findDefinition(std::uint16_t screen, std::uint16_t control, std::uint8_t* buffer,
                    std::size_t* length) {
    RecordScan scan;
    if (!scan.begin(screen))
        return false;
    const std::uint8_t* frame = nullptr;
    std::size_t n = 0;
    while (scan.next(&frame, &n)) {
        if (n >= 8 && frame[1] == 0xB0 && be16(frame + 2) == control) {
            std::memcpy(buffer, frame, n);
            *length = n;
            return true;
        }
    }
    return false;
}

} // namespace nimbrel
