// The core reads time only here: the monotonic system clock by default, or the
// host's clock for deterministic runs on virtual time.
#include "core/nimbrel.h"
#include "core_state.h"

#include <atomic>
#include <ctime>

namespace nimbrel {
namespace {

using NowFunction = std::uint32_t (*)();
using SleepFunction = void (*)(std::uint32_t);

std::atomic<NowFunction> g_now{nullptr};
std::atomic<SleepFunction> g_sleep{nullptr};

std::uint32_t monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(now.tv_sec) * 1000u +
                                      static_cast<unsigned long long>(now.tv_nsec) / 1000000u);
}

void realSleep(std::uint32_t ms) {
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

} // namespace

std::uint32_t nowMs() {
    const NowFunction now = g_now.load(std::memory_order_acquire);
    return now ? now() : monotonicMs();
}

void sleepMs(std::uint32_t ms) {
    const SleepFunction sleep = g_sleep.load(std::memory_order_acquire);
    if (sleep)
        sleep(ms);
    else
        realSleep(ms);
}

} // namespace nimbrel

extern "C" void tft_set_clock(uint32_t (*now_ms)(void), void (*sleep_ms)(uint32_t)) {
    nimbrel::g_now.store(now_ms, std::memory_order_release);
    nimbrel::g_sleep.store(sleep_ms, std::memory_order_release);
}
