#include "simulator/realtime_panel.h"

#include "compiler/device_catalogue.h"
#include "core/nimbrel.h"

namespace tft {

RealtimePanel::RealtimePanel() {
    tft_set_clock(nullptr, nullptr);
    tft_set_device(&device_);
    device_.SetSendHandler([this](const std::uint8_t* data, std::size_t length) {
        // Recorded before the host can see it, so that its answer comes after.
        std::int64_t ms = 0;
        if (auto r = recorder(&ms))
            r->Panel(data, length, ms);
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
    device_.SetBaudHandler(
        [this](int baud) { return baud > 0 && SetRate(static_cast<std::uint32_t>(baud)) ? 1 : 0; });
    tft_set_size(device_.Width(), device_.Height());
}

RealtimePanel::~RealtimePanel() {
    Stop();
    Attach(nullptr);
    StopRecording();
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
    std::lock_guard<std::mutex> guard(bridgeLock_);
    line->SetRate(rate_); // the line runs at the panel's rate, whatever it was opened at
    bridge_ = std::make_shared<SerialBridge>(
        std::move(line), log_,
        [this](std::uint8_t byte) {
            // Recorded before the core can answer it.
            std::int64_t ms = 0;
            if (auto r = recorder(&ms))
                r->Host(&byte, 1, ms);
            tft_push_cmd(byte);
        },
        [this](const std::string& why) { lineFailed(why); });
}

void RealtimePanel::SetLineFailureHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard<std::mutex> guard(bridgeLock_);
    onLineFailure_ = std::move(handler);
}

void RealtimePanel::lineFailed(const std::string& why) {
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard<std::mutex> guard(bridgeLock_);
        handler = onLineFailure_;
    }
    if (handler)
        handler(why);
}

std::string RealtimePanel::LineDescription() const {
    std::lock_guard<std::mutex> guard(bridgeLock_);
    return bridge_ ? bridge_->line().Describe() : std::string();
}

std::uint32_t RealtimePanel::Rate() const {
    std::lock_guard<std::mutex> guard(bridgeLock_);
    return rate_;
}

bool RealtimePanel::SetRate(std::uint32_t baud) {
    if (baud == 0)
        return false;
    bool applied = true;
    bool changed = false;
    std::function<void(std::uint32_t)> handler;
    {
        std::lock_guard<std::mutex> guard(bridgeLock_);
        if (bridge_)
            applied = bridge_->SetRate(baud);
        changed = rate_ != baud;
        rate_ = baud;
        handler = onRate_;
    }
    if (handler)
        handler(baud);
    std::int64_t ms = 0;
    if (auto r = changed ? recorder(&ms) : nullptr)
        r->Comment("rate: " + std::to_string(baud));
    return applied;
}

bool RealtimePanel::Record(const std::string& file, const std::string& project,
                           std::string* error) {
    StopRecording();
    ScriptRecorder::Sink sink = fileSink(file, error);
    if (!sink)
        return false;
    if (!sink(scriptHeader(project, std::chrono::system_clock::now(), Rate()))) {
        if (error)
            *error = "cannot write " + file;
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(recordLock_);
        recorder_ = std::make_shared<ScriptRecorder>(std::move(sink));
        recordStart_ = std::chrono::steady_clock::now();
    }
    device_.SetTouchHandler([this](bool pressed, int x, int y) {
        std::int64_t ms = 0;
        if (auto r = recorder(&ms))
            r->Touch(pressed, x, y, ms);
    });
    return true;
}

void RealtimePanel::StopRecording() {
    device_.SetTouchHandler(nullptr);
    std::shared_ptr<ScriptRecorder> r;
    {
        std::lock_guard<std::mutex> guard(recordLock_);
        r = std::move(recorder_);
    }
    if (r)
        r->Finish();
}

bool RealtimePanel::Recording() const {
    std::lock_guard<std::mutex> guard(recordLock_);
    return recorder_ != nullptr;
}

std::shared_ptr<ScriptRecorder> RealtimePanel::recorder(std::int64_t* ms) const {
    std::lock_guard<std::mutex> guard(recordLock_);
    if (recorder_)
        *ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - recordStart_)
                  .count();
    return recorder_;
}

void RealtimePanel::SetRateHandler(std::function<void(std::uint32_t)> handler) {
    std::lock_guard<std::mutex> guard(bridgeLock_);
    onRate_ = std::move(handler);
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
