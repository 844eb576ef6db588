// The panel on virtual time: the core, the hardware layer and a simulated
// device driven step by step on the calling thread, deterministic to the
// pixel. The core is one per process, so there is one virtual panel at a time.
#pragma once

#include "simulator/sim_device.h"
#include "simulator/traffic_log.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tft {

class DeviceCatalogue;

class VirtualPanel {
public:
    VirtualPanel();
    // A panel of another size than the usual 800 x 480 (until a project sets one).
    VirtualPanel(int width, int height);
    ~VirtualPanel();
    VirtualPanel(const VirtualPanel&) = delete;
    VirtualPanel& operator=(const VirtualPanel&) = delete;

    // Ends the core's run; the next step starts it afresh (clearing every
    // layer) at virtual time 0, untouched and at full brightness, with the
    // device's files as they are then. One panel can so serve many runs, each
    // from the same state.
    void Restart();

    // Loads the compiled project beside `siPath` and has the core reload it.
    bool Open(const std::filesystem::path& siPath, std::string* error);

    // Host bytes into the core; runs the core until it has taken them.
    void Push(const std::vector<std::uint8_t>& bytes);
    // Lets `ms` milliseconds of panel time pass. False once the core ended.
    bool Advance(std::uint32_t ms);
    // Runs until `count` bytes were sent since the last Take, or `ms` passed.
    bool WaitForSent(std::size_t count, std::uint32_t ms);
    // Takes the first `count` bytes the panel sent (fewer when fewer came).
    std::vector<std::uint8_t> TakeSent(std::size_t count);
    std::size_t PendingSent() const { return sent_.size(); }
    // Runs until the bytes sent since the last Take hold a frame tail, or `ms` passed.
    bool WaitForFrame(std::uint32_t ms);
    // Takes the bytes up to and including the first frame tail (nothing when none came).
    std::vector<std::uint8_t> TakeFrame();

    // The panel clock: `seconds` since 1970-01-01 00:00:00 now, moving with panel time.
    void SetClock(std::int64_t seconds);

    std::uint32_t Now() const;
    // The catalogue that names the panel sizes (the application folder's by default).
    void SetCatalogue(const DeviceCatalogue& catalogue) { catalogue_ = &catalogue; }

    SimDevice& Device() { return device_; }
    TrafficLog& Log() { return log_; }

private:
    bool runUntilIdle();
    std::size_t frameEnd() const; // past the first tail in sent_, or 0

    SimDevice device_;
    const DeviceCatalogue* catalogue_ = nullptr;
    TrafficLog log_;
    std::vector<std::uint8_t> sent_;
    bool running_ = true;
};

// Writes an RGB565 frame as a PNG.
bool savePng(const std::vector<std::uint16_t>& frame, int width, int height,
             const std::string& file, std::string* error);

} // namespace tft
