// The panel on real time: the core's main loop on a thread of its own, the
// simulated device, and optionally a serial bridge to a host.
#pragma once

#include "simulator/bridge.h"
#include "simulator/recorder.h"
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

    // The rate the panel's line runs at: 9600 until the user, the project
    // (when the core loads it) or the host (EE A0) sets another. A line
    // attached later is switched to it.
    std::uint32_t Rate() const;
    // Sets the rate and applies it to the attached line; false when the line
    // refuses it (the panel keeps the new rate all the same).
    bool SetRate(std::uint32_t baud);
    // Told of every rate change, from the thread that made it (the core's for
    // the project's and the host's rate).
    void SetRateHandler(std::function<void(std::uint32_t)> handler);

    void Start();
    // Ends the core loop, waiting at most `wait` for it; false when it did not end.
    bool Stop(std::chrono::milliseconds wait = std::chrono::seconds(3));

    // Records from now on what crosses the line and the touches, as a script
    // written to `file` while it happens (replacing an earlier recording);
    // `project` is named in its header. False with a reason.
    bool Record(const std::string& file, const std::string& project, std::string* error);
    // Ends the recording, writing bytes that still wait for a frame tail.
    void StopRecording();
    bool Recording() const;

    // The catalogue that names the panel sizes (the application folder's by default).
    void SetCatalogue(const DeviceCatalogue& catalogue) { catalogue_ = &catalogue; }

    SimDevice& Device() { return device_; }
    TrafficLog& Log() { return log_; }

private:
    SimDevice device_;
    const DeviceCatalogue* catalogue_ = nullptr;
    TrafficLog log_;
    void lineFailed(const std::string& why);

    std::shared_ptr<SerialBridge> bridge_;
    mutable std::mutex bridgeLock_;
    std::function<void(const std::string&)> onLineFailure_;
    std::uint32_t rate_ = 9600;
    std::function<void(std::uint32_t)> onRate_;
    std::thread core_;
    std::future<void> coreDone_;

    // The recorder and the milliseconds since it began; null when not recording.
    std::shared_ptr<ScriptRecorder> recorder(std::int64_t* ms) const;
    mutable std::mutex recordLock_; // never held with bridgeLock_
    std::shared_ptr<ScriptRecorder> recorder_;
    std::chrono::steady_clock::time_point recordStart_;
};

} // namespace tft
