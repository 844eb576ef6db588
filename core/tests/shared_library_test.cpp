// The shared library as a host loads it: only the tft_ exports are visible,
// and the hardware functions resolve by name from whatever defines them (here
// this executable's recording layer).
#include "recording_hardware.h"

#include <cstdint>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::uint32_t g_ms = 5000;
std::uint32_t now() {
    return g_ms;
}
void sleepFor(std::uint32_t ms) {
    g_ms += ms;
}

TEST(SharedLibrary, LoadsAndAnswersHandshake) {
    void* library = dlopen(TFT_APP_DIR "/libnimbrel.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using SetClock = void (*)(std::uint32_t(*)(), void (*)(std::uint32_t));
    const auto setClock = reinterpret_cast<SetClock>(dlsym(library, "tft_set_clock"));
    const auto step = reinterpret_cast<int (*)()>(dlsym(library, "tft_step"));
    const auto push = reinterpret_cast<int (*)(int)>(dlsym(library, "tft_push_cmd"));
    const auto exitCore = reinterpret_cast<void (*)()>(dlsym(library, "tft_exit"));
    for (const char* name : {"tft_main", "tft_reset", "tft_set_size"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    // Internal functions stay hidden.
    EXPECT_EQ(dlsym(library, "_ZN7nimbrel8dispatchEPKhm"), nullptr);
    ASSERT_TRUE(setClock && step && push && exitCore);

    recording::hw().reset();
    setClock(now, sleepFor);
    EXPECT_EQ(step(), 1);
    EXPECT_GT(recording::hw().count("LCD_MODULE_Init"), 0u);
    for (std::uint8_t b : {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF})
        push(b);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(step(), 1);
    EXPECT_EQ(recording::hw().sent,
              (std::vector<std::uint8_t>{0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF}));
    exitCore();
    EXPECT_EQ(step(), 0);
    setClock(nullptr, nullptr);
    dlclose(library);
}

} // namespace
