#include "simulator/sim_device.h"

#include "compiler/device_catalogue.h"
#include "simulator/script.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace tft {

namespace {

constexpr std::size_t kHeaderSize = 136;
constexpr std::size_t kDeviceTypeOffset = 88;
constexpr std::size_t kFlagsOffset = 90;
constexpr unsigned kRotatedFlag = 1u << 4;

bool readWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Darkens an RGB565 colour by alpha/255 towards black.
std::uint16_t darken(std::uint16_t c, unsigned keep) {
    const unsigned r = ((c >> 11) & 0x1F) * keep / 255;
    const unsigned g = ((c >> 5) & 0x3F) * keep / 255;
    const unsigned b = (c & 0x1F) * keep / 255;
    return static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
}

} // namespace

SimDevice::SimDevice() {
    SetSize(800, 480);
}

void SimDevice::SetSize(int width, int height) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    width_ = std::clamp(width, 1, 4096);
    height_ = std::clamp(height, 1, 4096);
    for (auto& layer : layers_)
        layer.assign(std::size_t(width_) * height_, 0);
    repaint_ = true;
}

int SimDevice::Width() const {
    std::lock_guard<std::recursive_mutex> guard(const_cast<std::recursive_mutex&>(lock_));
    return width_;
}

int SimDevice::Height() const {
    std::lock_guard<std::recursive_mutex> guard(const_cast<std::recursive_mutex&>(lock_));
    return height_;
}

bool SimDevice::LoadProject(const std::filesystem::path& siPath, const DeviceCatalogue& catalogue,
                            int* width, int* height, std::string* error) {
    static const char* const kExtensions[FileCount] = {".si",   ".graidx", ".gwb",
                                                       ".fidx", ".fbin",   ".sbin"};
    std::filesystem::path base = siPath;
    base.replace_extension();
    std::array<std::vector<std::uint8_t>, FileCount> loaded;
    for (int f = 0; f < FileCount; ++f) {
        const std::filesystem::path file = base.string() + kExtensions[f];
        const bool ok = readWhole(file, loaded[std::size_t(f)]);
        if (!ok && f == ScreenInfo) {
            if (error)
                *error = "cannot read " + file.string();
            return false;
        }
    }
    std::lock_guard<std::recursive_mutex> guard(lock_);
    files_ = std::move(loaded);
    int w = width_, h = height_;
    const auto& si = files_[ScreenInfo];
    if (si.size() >= kHeaderSize) {
        const int type = si[kDeviceTypeOffset] | (si[kDeviceTypeOffset + 1] << 8);
        const unsigned flags = si[kFlagsOffset] | (si[kFlagsOffset + 1] << 8);
        if (const DeviceProp* model = catalogue.findByType(type);
            model && model->ScreenResolutionWidth > 0 && model->ScreenResolutionHeight > 0) {
            w = model->ScreenResolutionWidth;
            h = model->ScreenResolutionHeight;
            if (flags & kRotatedFlag)
                std::swap(w, h);
        }
    }
    if (w != width_ || h != height_)
        SetSize(w, h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

void SimDevice::SetFile(File which, std::vector<std::uint8_t> bytes) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    files_[which] = std::move(bytes);
}

void SimDevice::SetTouch(bool pressed, int x, int y) {
    std::function<void(bool, int, int)> handler;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        pressed_ = pressed;
        touchX_ = std::max(0, x);
        touchY_ = std::max(0, y);
        handler = onTouch_;
    }
    if (handler)
        handler(pressed, std::max(0, x), std::max(0, y));
}

void SimDevice::SetTouchHandler(std::function<void(bool, int, int)> handler) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    onTouch_ = std::move(handler);
}

void SimDevice::SetClock(std::int64_t seconds, std::function<std::uint32_t()> nowMs) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    clockNow_ = std::move(nowMs);
    clockMs_ = seconds * 1000;
    clockAtMs_ = clockNow_ ? clockNow_() : 0;
}

int SimDevice::ReadClock(std::uint8_t* clock) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!clockNow_)
        return 0;
    const std::int64_t seconds =
        (clockMs_ + static_cast<std::uint32_t>(clockNow_() - clockAtMs_)) / 1000;
    const std::int64_t days = seconds / 86400;
    const int inDay = static_cast<int>(seconds % 86400);
    int year = 0, month = 0, day = 0;
    civilFromDays(days, &year, &month, &day);
    auto bcd = [](int v) { return static_cast<std::uint8_t>(((v / 10) % 10) << 4 | (v % 10)); };
    clock[0] = bcd(inDay % 60);
    clock[1] = bcd(inDay / 60 % 60);
    clock[2] = bcd(inDay / 3600);
    clock[3] = bcd(day);
    clock[4] = bcd(static_cast<int>((days + 4) % 7)); // 1970-01-01 was a Thursday; Sunday is 0
    clock[5] = bcd(month);
    clock[6] = bcd(year % 100);
    return 1;
}

int SimDevice::WriteClock(const std::uint8_t* clock) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!clockNow_)
        return 0;
    auto value = [&](int i, int low, int high) {
        return std::clamp((clock[i] >> 4) * 10 + (clock[i] & 0x0F), low, high);
    };
    const int month = value(5, 1, 12);
    const int year = 2000 + value(6, 0, 99);
    const int day = std::min(value(3, 1, 31), daysInMonth(year, month));
    clockMs_ = (daysFromCivil(year, month, day) * 86400 + value(2, 0, 23) * 3600 +
                value(1, 0, 59) * 60 + value(0, 0, 59)) *
               1000;
    clockAtMs_ = clockNow_();
    return 1;
}

void SimDevice::SetSendHandler(std::function<void(const std::uint8_t*, std::size_t)> handler) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    send_ = std::move(handler);
}

void SimDevice::SetBaudHandler(std::function<int(int)> handler) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    baud_ = std::move(handler);
}

std::vector<std::uint16_t> SimDevice::VisibleFrame(int* width, int* height) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::vector<std::uint16_t> frame = layers_[displayLayer_];
    const unsigned keep = panelOn_ ? 255u - backlight_ : 0u;
    if (keep != 255)
        for (auto& c : frame)
            c = darken(c, keep);
    if (width)
        *width = width_;
    if (height)
        *height = height_;
    return frame;
}

bool SimDevice::TakeRepaintRequest() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return std::exchange(repaint_, false);
}

std::uint8_t SimDevice::Backlight() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return backlight_;
}

int SimDevice::BeepCount() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return beeps_;
}

int SimDevice::LastBeepTicks() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return lastBeep_;
}

int SimDevice::SetBaudRate(int baud) {
    std::function<int(int)> handler;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        handler = baud_;
    }
    return handler ? handler(baud) : 1;
}

int SimDevice::Send(const std::uint8_t* data, std::uint32_t length) {
    std::function<void(const std::uint8_t*, std::size_t)> handler;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        handler = send_;
    }
    // Outside the device lock: a slow port must not stall drawing or painting.
    if (handler)
        handler(data, length);
    return 1;
}

int SimDevice::SelectWriteLayer(std::uint8_t layer) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    const int previous = writeLayer_;
    if (layer < kLayers)
        writeLayer_ = layer;
    return previous;
}

int SimDevice::SelectDisplayLayer(std::uint8_t layer) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    const int previous = displayLayer_;
    if (layer < kLayers)
        displayLayer_ = layer;
    repaint_ = true;
    return previous;
}

int SimDevice::CopyLayer(int source, int destination, int transparent, int) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (source == destination || source < 0 || destination < 0 || source >= kLayers ||
        destination >= kLayers)
        return 0;
    const auto& src = layers_[std::size_t(source)];
    auto& dst = layers_[std::size_t(destination)];
    if (!transparent) {
        std::copy(src.begin(), src.end(), dst.begin());
    } else {
        for (std::size_t i = 0; i < src.size(); ++i)
            if (src[i] != 0)
                dst[i] = src[i];
    }
    return 1;
}

LayerView SimDevice::view(int index) {
    if (index < 0 || index >= kLayers)
        return {};
    return {layers_[std::size_t(index)].data(), width_, height_};
}

LayerView SimDevice::WriteLayer() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return view(writeLayer_);
}

LayerView SimDevice::DisplayLayer() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return view(displayLayer_);
}

LayerView SimDevice::Layer(int index) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return view(index);
}

int SimDevice::CurrentWriteLayer() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return writeLayer_;
}

void SimDevice::RequestRepaint() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    repaint_ = true;
}

void SimDevice::SetBacklight(std::uint8_t level) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    backlight_ = level;
    repaint_ = true;
}

void SimDevice::SetPanelOn(bool on) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    panelOn_ = on;
    repaint_ = true;
}

void SimDevice::Beep(int durationTicks) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    ++beeps_;
    lastBeep_ = durationTicks;
    repaint_ = true;
}

int SimDevice::readExact(const std::vector<std::uint8_t>& file, std::uint32_t offset,
                         std::uint8_t* buffer, std::uint32_t length) {
    if (std::uint64_t(offset) + length > file.size())
        return 0;
    if (length)
        std::memcpy(buffer, file.data() + offset, length);
    return 1;
}

int SimDevice::ReadScreenInfo(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    const auto& si = files_[ScreenInfo];
    if (offset >= si.size())
        return 0;
    // A read running past the end is shortened; the rest of the buffer is zeroed.
    const std::uint32_t available = static_cast<std::uint32_t>(si.size() - offset);
    const std::uint32_t n = std::min(length, available);
    std::memcpy(buffer, si.data() + offset, n);
    if (n < length)
        std::memset(buffer + n, 0, length - n);
    return 1;
}

int SimDevice::ReadSystemResource(std::uint32_t offset, std::uint8_t* buffer,
                                  std::uint32_t length) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return readExact(files_[SystemResource], offset, buffer, length);
}

int SimDevice::ReadFontIndex(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return readExact(files_[FontIndex], offset, buffer, length);
}

int SimDevice::ReadFontData(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return readExact(files_[FontData], offset, buffer, length);
}

int SimDevice::ReadImageIndex(std::uint32_t offset, std::uint8_t* record16) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return readExact(files_[ImageIndex], offset, record16, 16);
}

int SimDevice::ReadImageData(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return readExact(files_[ImageData], offset, buffer, length);
}

int SimDevice::Pressed() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return pressed_ ? 1 : 0;
}

void SimDevice::TouchPoint(std::uint16_t* x, std::uint16_t* y) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    *x = static_cast<std::uint16_t>(touchX_);
    *y = static_cast<std::uint16_t>(touchY_);
}

} // namespace tft
