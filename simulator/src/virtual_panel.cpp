#include "simulator/virtual_panel.h"

#include "common/hex_text.h"
#include "compiler/device_catalogue.h"
#include "core/nimbrel.h"
#include "simulator/script.h"

#include <algorithm>

namespace tft {

namespace {

// The virtual clock the core reads; sleeping advances it.
std::uint32_t g_virtualNow = 0;
std::uint32_t virtualNow() {
    return g_virtualNow;
}
void virtualSleep(std::uint32_t ms) {
    g_virtualNow += ms;
}

constexpr std::size_t kPushChunk = 1024; // well under the core's flow-control threshold
constexpr std::uint32_t kExpectWithinMs = 1000;
constexpr std::uint32_t kTouchHoldMs = 100;

} // namespace

VirtualPanel::VirtualPanel() : VirtualPanel(800, 480) {}

VirtualPanel::VirtualPanel(int width, int height) {
    device_.SetSize(width, height);
    g_virtualNow = 0;
    tft_set_clock(virtualNow, virtualSleep);
    tft_set_device(&device_);
    device_.SetSendHandler([this](const std::uint8_t* data, std::size_t length) {
        sent_.insert(sent_.end(), data, data + length);
        log_.Log(TrafficLog::Direction::Sent, data, length);
    });
    tft_set_size(device_.Width(), device_.Height());
}

VirtualPanel::~VirtualPanel() {
    if (running_) {
        tft_exit();
        tft_step(); // the core leaves its loop and empties its state
    }
    tft_set_device(nullptr);
    tft_set_clock(nullptr, nullptr);
}

void VirtualPanel::Restart() {
    if (running_) {
        tft_exit();
        tft_step();
    }
    running_ = true;
    g_virtualNow = 0;
    // The layers need no clearing here: the core clears all eight as it starts.
    device_.SelectWriteLayer(0);
    device_.SelectDisplayLayer(0);
    device_.SetBacklight(0);
    device_.SetPanelOn(true);
    device_.SetTouch(false, 0, 0);
    sent_.clear();
    log_.Clear();
}

bool VirtualPanel::Open(const std::filesystem::path& siPath, std::string* error) {
    return openInCore(device_, catalogue_, siPath, error);
}

std::uint32_t VirtualPanel::Now() const {
    return g_virtualNow;
}

bool VirtualPanel::runUntilIdle() {
    // The core sleeps only when its queue is empty, so time moving means idle.
    const std::uint32_t before = g_virtualNow;
    while (running_ && g_virtualNow == before)
        running_ = tft_step() != 0;
    return running_;
}

void VirtualPanel::Push(const std::vector<std::uint8_t>& bytes) {
    log_.Log(TrafficLog::Direction::Received, bytes.data(), bytes.size());
    for (std::size_t i = 0; i < bytes.size() && running_; i += kPushChunk) {
        const std::size_t end = std::min(bytes.size(), i + kPushChunk);
        for (std::size_t j = i; j < end; ++j)
            tft_push_cmd(bytes[j]);
        runUntilIdle();
    }
}

bool VirtualPanel::Advance(std::uint32_t ms) {
    const std::uint64_t target = std::uint64_t(g_virtualNow) + ms;
    while (running_ && g_virtualNow < target)
        running_ = tft_step() != 0;
    return running_;
}

bool VirtualPanel::WaitForSent(std::size_t count, std::uint32_t ms) {
    const std::uint64_t target = std::uint64_t(g_virtualNow) + ms;
    while (running_ && sent_.size() < count && g_virtualNow < target)
        running_ = tft_step() != 0;
    return sent_.size() >= count;
}

std::vector<std::uint8_t> VirtualPanel::TakeSent(std::size_t count) {
    count = std::min(count, sent_.size());
    std::vector<std::uint8_t> taken(sent_.begin(), sent_.begin() + static_cast<long>(count));
    sent_.erase(sent_.begin(), sent_.begin() + static_cast<long>(count));
    return taken;
}

int runScript(const Script& script, const std::filesystem::path& siPath, std::string& report) {
    VirtualPanel panel;
    std::string error;
    if (!panel.Open(siPath, &error)) {
        report += "cannot open the project: " + error + "\n";
        return 2;
    }
    for (const ScriptStep& step : script.steps) {
        const std::string where = "line " + std::to_string(step.line) + ": ";
        switch (step.kind) {
        case ScriptStep::Kind::Send:
            panel.Push(step.bytes);
            break;
        case ScriptStep::Kind::Touch:
            panel.Device().SetTouch(true, step.x, step.y);
            panel.Advance(0);
            break;
        case ScriptStep::Kind::Release:
            panel.Device().SetTouch(false, 0, 0);
            break;
        case ScriptStep::Kind::Tap:
            panel.Device().SetTouch(true, step.x, step.y);
            panel.Advance(kTouchHoldMs);
            panel.Device().SetTouch(false, step.x, step.y);
            panel.Advance(kTouchHoldMs);
            break;
        case ScriptStep::Kind::Wait:
            panel.Advance(step.ms);
            break;
        case ScriptStep::Kind::Expect: {
            const bool arrived = panel.WaitForSent(step.bytes.size(), kExpectWithinMs);
            const auto actual = panel.TakeSent(step.bytes.size());
            if (!arrived || actual != step.bytes) {
                report += where + "expected " + toHexText(step.bytes) + "\n" + where + "actual   " +
                          (actual.empty() ? "(nothing)" : toHexText(actual)) + "\n";
                return 1;
            }
            break;
        }
        case ScriptStep::Kind::Screenshot: {
            int w = 0, h = 0;
            const auto frame = panel.Device().VisibleFrame(&w, &h);
            if (!savePng(frame, w, h, step.file, &error)) {
                report += where + error + "\n";
                return 2;
            }
            report += "screenshot " + step.file + "\n";
            break;
        }
        }
    }
    return 0;
}

} // namespace tft
