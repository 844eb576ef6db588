// The simulated panel: eight RGB565 layers of the panel size, the loaded
// project files, touch state and backlight, all under one device lock. The
// hardware layer draws on it; the window or the headless runner shows it.
#pragma once

#include "haldrun/device.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tft {

class DeviceCatalogue;

class SimDevice : public IDevice {
public:
    static constexpr int kLayers = 8;

    SimDevice();

    // Recreates the eight layers, filled with black.
    void SetSize(int width, int height);
    int Width() const;
    int Height() const;

    // Loads base + .si/.graidx/.gwb/.fidx/.fbin/.sbin for `siPath` (any
    // extension is replaced). A missing or unreadable .si changes nothing and
    // returns false with a reason. On success the panel size follows the
    // model named in the header (swapped when the header asks for a turned
    // screen) and is returned through width/height.
    bool LoadProject(const std::filesystem::path& siPath, const DeviceCatalogue& catalogue,
                     int* width, int* height, std::string* error);

    // Touch in panel pixels; negative positions become 0.
    void SetTouch(bool pressed, int x, int y);
    // Told of every SetTouch (after it took effect, under no lock), with the
    // position as stored.
    void SetTouchHandler(std::function<void(bool pressed, int x, int y)> handler);

    // A panel clock of its own: `seconds` since 1970-01-01 00:00:00 (no time
    // zone) now, moving on as `nowMs` (a millisecond clock) moves. A null
    // `nowMs` goes back to the PC's clock. The host's clock command sets it.
    void SetClock(std::int64_t seconds, std::function<std::uint32_t()> nowMs);

    // Where the core's bytes and rate changes go (serial bridge, log, runner).
    void SetSendHandler(std::function<void(const std::uint8_t*, std::size_t)> handler);
    void SetBaudHandler(std::function<int(int)> handler);

    // What the user sees: the display layer, darkened by the backlight level
    // (0 full brightness, 255 black), black while the panel is off.
    std::vector<std::uint16_t> VisibleFrame(int* width, int* height);
    // True once after each repaint request.
    bool TakeRepaintRequest();
    std::uint8_t Backlight();
    int BeepCount();
    int LastBeepTicks();

    // IDevice
    int SetBaudRate(int baud) override;
    int Send(const std::uint8_t* data, std::uint32_t length) override;
    std::recursive_mutex& Lock() override { return lock_; }
    int SelectWriteLayer(std::uint8_t layer) override;
    int SelectDisplayLayer(std::uint8_t layer) override;
    int CopyLayer(int source, int destination, int transparent, int flag) override;
    LayerView WriteLayer() override;
    LayerView DisplayLayer() override;
    void* Window() override { return nullptr; }
    void RequestRepaint() override;
    void SetBacklight(std::uint8_t level) override;
    int ReadScreenInfo(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override;
    int ReadSystemResource(std::uint32_t offset, std::uint8_t* buffer,
                           std::uint32_t length) override;
    int ReadFontIndex(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override;
    int ReadFontData(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override;
    int ReadImageIndex(std::uint32_t offset, std::uint8_t* record16) override;
    int ReadImageData(std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override;
    int Pressed() override;
    void TouchPoint(std::uint16_t* x, std::uint16_t* y) override;
    void Beep(int durationTicks) override;
    void SetPanelOn(bool on) override;
    LayerView Layer(int index) override;
    int CurrentWriteLayer() override;
    int ReadClock(std::uint8_t* clock) override;
    int WriteClock(const std::uint8_t* clock) override;

    // The loaded files, for tests and the file fuzzer.
    enum File { ScreenInfo, ImageIndex, ImageData, FontIndex, FontData, SystemResource, FileCount };
    void SetFile(File which, std::vector<std::uint8_t> bytes);

private:
    static int readExact(const std::vector<std::uint8_t>& file, std::uint32_t offset,
                         std::uint8_t* buffer, std::uint32_t length);
    LayerView view(int index);

    std::recursive_mutex lock_;
    int width_ = 800;
    int height_ = 480;
    std::array<std::vector<std::uint16_t>, kLayers> layers_;
    std::uint8_t writeLayer_ = 0;
    std::uint8_t displayLayer_ = 0;
    std::uint8_t backlight_ = 0;
    bool panelOn_ = true;
    bool repaint_ = false;
    std::array<std::vector<std::uint8_t>, FileCount> files_;
    bool pressed_ = false;
    int touchX_ = 0;
    int touchY_ = 0;
    int beeps_ = 0;
    int lastBeep_ = 0;
    std::function<void(const std::uint8_t*, std::size_t)> send_;
    std::function<int(int)> baud_;
    std::function<void(bool, int, int)> onTouch_;
    std::function<std::uint32_t()> clockNow_;
    std::int64_t clockMs_ = 0;    // the panel clock's milliseconds since 1970 ...
    std::uint32_t clockAtMs_ = 0; // ... when clockNow_ read this
};

// Loads a project into the device and has the core take it: the panel size
// follows the project's model and the core reloads at its next iteration.
// `catalogue` null means the application folder's.
bool openInCore(SimDevice& device, const DeviceCatalogue* catalogue,
                const std::filesystem::path& siPath, std::string* error);

} // namespace tft
