#include "simulator/virtual_panel.h"

#include "common/hex_text.h"
#include "compiler/device_catalogue.h"
#include "core/nimbrel.h"

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
constexpr std::uint8_t kTail[4] = {0xFF, 0xFC, 0xFF, 0xFF};

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
    device_.SetClock(0, nullptr);
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

std::size_t VirtualPanel::frameEnd() const {
    const auto tail = std::search(sent_.begin(), sent_.end(), std::begin(kTail), std::end(kTail));
    return tail == sent_.end() ? 0 : static_cast<std::size_t>(tail - sent_.begin()) + 4;
}

bool VirtualPanel::WaitForFrame(std::uint32_t ms) {
    const std::uint64_t target = std::uint64_t(g_virtualNow) + ms;
    while (running_ && frameEnd() == 0 && g_virtualNow < target)
        running_ = tft_step() != 0;
    return frameEnd() != 0;
}

std::vector<std::uint8_t> VirtualPanel::TakeFrame() {
    return TakeSent(frameEnd());
}

void VirtualPanel::SetClock(std::int64_t seconds) {
    device_.SetClock(seconds, virtualNow);
}

std::vector<std::uint8_t> VirtualPanel::TakeSent(std::size_t count) {
    count = std::min(count, sent_.size());
    std::vector<std::uint8_t> taken(sent_.begin(), sent_.begin() + static_cast<long>(count));
    sent_.erase(sent_.begin(), sent_.begin() + static_cast<long>(count));
    return taken;
}

} // namespace tft
