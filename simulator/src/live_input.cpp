#include "simulator/live_input.h"

#include "simulator/script.h"
#include "simulator/sim_device.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace tft {

namespace {

constexpr int kPollMs = 50;
constexpr auto kTapHold = std::chrono::milliseconds(100);

} // namespace

LiveInput::LiveInput(int fd, SimDevice& device, std::function<void(const std::string&)> onError)
    : fd_(fd), device_(device), onError_(std::move(onError)) {
    thread_ = std::thread([this] { read(); });
}

LiveInput::~LiveInput() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool LiveInput::apply(SimDevice& device, const std::string& line, std::string* error,
                      const std::atomic<bool>* stop) {
    const Script script = parseScript(line);
    if (!script.ok()) {
        if (error)
            *error = script.error.substr(script.error.find(": ") + 2);
        return false;
    }
    for (const ScriptStep& step : script.steps) {
        switch (step.kind) {
        case ScriptStep::Kind::Touch:
            device.SetTouch(true, step.x, step.y);
            break;
        case ScriptStep::Kind::Release:
            device.SetTouch(false, 0, 0);
            break;
        case ScriptStep::Kind::Tap: {
            device.SetTouch(true, step.x, step.y);
            const auto until = std::chrono::steady_clock::now() + kTapHold;
            while ((!stop || !*stop) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            device.SetTouch(false, step.x, step.y);
            break;
        }
        default:
            if (error)
                *error = "only touch X Y, release and tap X Y are taken here";
            return false;
        }
    }
    return true;
}

void LiveInput::read() {
    std::string pending;
    char buffer[4096];
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        const int rc = ::poll(&p, 1, kPollMs);
        if (rc < 0 && errno != EINTR)
            return;
        if (rc <= 0)
            continue;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return; // end of input: the panel runs on untouched
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            std::string error;
            if (!apply(device_, line, &error, &stop_) && onError_)
                onError_(error);
        }
        if (pending.size() > kScriptLineLimit) {
            pending.clear();
            if (onError_)
                onError_("an input line longer than " + std::to_string(kScriptLineLimit) +
                         " bytes was dropped");
        }
    }
}

} // namespace tft
