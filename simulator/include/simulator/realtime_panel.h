// The panel on real time: the core's main loop on a thread of its own, the
// simulated device, and optionally a serial bridge to a host.
#pragma once

#include "simulator/bridge.h"
#include "simulator/sim_device.h"
#include "simulator/traffic_log.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace tft {

class DeviceCatalogue;

class RealtimePanel {
public:
    RealtimePanel();
    ~RealtimePanel();
    RealtimePanel(const RealtimePanel&) = delete;
    RealtimePanel& operator=(const RealtimePanel&) = delete;

    // Loads the project beside `siPath`; a missing .si leaves the running one.
    bool Open(const std::filesystem::path& siPath, std::string* error);
    // Connects a host line (replacing an earlier one); null disconnects.
    void Attach(std::unique_ptr<Line> line);
    bool Attached() const { return bridge_ != nullptr; }
    std::string LineDescription() const;
    // Told (from the receive thread) when the attached line fails.
    void SetLineFailureHandler(std::function<void(const std::string&)> handler);

    void Start();
    // Ends the core loop, waiting at most `wait` for it; false when it did not end.
    bool Stop(std::chrono::milliseconds wait = std::chrono::seconds(3));

    // The catalogue that names the panel sizes (the application folder's by default).
    void SetCatalogue(const DeviceCatalogue& catalogue) { catalogue_ = &catalogue; }

    SimDevice& Device() { return device_; }
    TrafficLog& Log() { return log_; }

private:
    SimDevice device_;
    const DeviceCatalogue* catalogue_ = nullptr;
    TrafficLog log_;
    std::shared_ptr<SerialBridge> bridge_;
    std::mutex bridgeLock_;
    std::function<void(const std::string&)> onLineFailure_;
    std::thread core_;
    std::future<void> coreDone_;
};

} // namespace tft
