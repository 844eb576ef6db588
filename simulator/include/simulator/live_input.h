// Touches given on a file descriptor (standard input) while a headless panel
// runs on real time, one script step per line: "touch X Y", "release", "tap X Y".
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tft {

class SimDevice;

class LiveInput {
public:
    // Reads `fd` on a thread of its own until end of file or destruction;
    // `onError` hears (from that thread) of lines that are not touches.
    LiveInput(int fd, SimDevice& device, std::function<void(const std::string&)> onError);
    ~LiveInput();
    LiveInput(const LiveInput&) = delete;
    LiveInput& operator=(const LiveInput&) = delete;

    // Applies one line; false with a reason when it is not a touch step.
    static bool apply(SimDevice& device, const std::string& line, std::string* error,
                      const std::atomic<bool>* stop = nullptr);

private:
    void read();

    int fd_;
    SimDevice& device_;
    std::function<void(const std::string&)> onError_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace tft
