#include "simulator/realtime_panel.h"

#include "compiler/device_catalogue.h"
#include "core/nimbrel.h"

namespace tft {

RealtimePanel::RealtimePanel() {
    tft_set_clock(nullptr, nullptr);
    tft_set_device(&device_);
    device_.SetSendHandler([this](const std::uint8_t* data, std::size_t length) {
        std::shared_ptr<SerialBridge> bridge;
        {
            std::lock_guard<std::mutex> guard(bridgeLock_);
            bridge = bridge_;
        }
        if (bridge)
            bridge->Send(data, length);
        else
            log_.Log(TrafficLog::Direction::Sent, data, length);
    });
    device_.SetBaudHandler([this](int baud) {
        std::lock_guard<std::mutex> guard(bridgeLock_);
        return bridge_ && baud > 0 ? (bridge_->SetRate(static_cast<std::uint32_t>(baud)) ? 1 : 0)
                                   : 1;
    });
    tft_set_size(device_.Width(), device_.Height());
}

RealtimePanel::~RealtimePanel() {
    Stop();
    Attach(nullptr);
    tft_set_device(nullptr);
}

bool RealtimePanel::Open(const std::filesystem::path& siPath, std::string* error) {
    return openInCore(device_, catalogue_, siPath, error);
}

void RealtimePanel::Attach(std::unique_ptr<Line> line) {
    std::shared_ptr<SerialBridge> old;
    {
        std::lock_guard<std::mutex> guard(bridgeLock_);
        old = std::move(bridge_);
    }
    old.reset(); // joins the old receive thread outside the lock
    if (!line)
        return;
    auto bridge = std::make_shared<SerialBridge>(std::move(line), log_,
                                                 [](std::uint8_t byte) { tft_push_cmd(byte); });
    std::lock_guard<std::mutex> guard(bridgeLock_);
    bridge_ = std::move(bridge);
}

void RealtimePanel::SetLineFailureHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard<std::mutex> guard(bridgeLock_);
    onLineFailure_ = std::move(handler);
}

std::string RealtimePanel::LineDescription() const {
    auto* self = const_cast<RealtimePanel*>(this);
    std::lock_guard<std::mutex> guard(self->bridgeLock_);
    return bridge_ ? bridge_->line().Describe() : std::string();
}

void RealtimePanel::Start() {
    if (core_.joinable())
        return;
    std::promise<void> done;
    coreDone_ = done.get_future();
    core_ = std::thread([promise = std::move(done)]() mutable {
        tft_main();
        promise.set_value();
    });
}

bool RealtimePanel::Stop(std::chrono::milliseconds wait) {
    if (!core_.joinable())
        return true;
    tft_exit();
    if (coreDone_.wait_for(wait) != std::future_status::ready) {
        core_.detach(); // the process is ending; a stuck core must not hang it
        return false;
    }
    core_.join();
    return true;
}

} // namespace tft
