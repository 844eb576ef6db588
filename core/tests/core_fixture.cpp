#include "core_fixture.h"

namespace coretest {

void append(Bytes& to, const Bytes& bytes) {
    for (std::uint8_t b : bytes)
        to.push_back(b);
}

Bytes frame(std::initializer_list<std::uint8_t> body) {
    return frame(Bytes(body));
}

Bytes frame(const Bytes& body) {
    Bytes out;
    out.reserve(body.size() + 5);
    out.push_back(0xEE);
    for (std::uint8_t b : body)
        out.push_back(b);
    for (std::uint8_t b : {0xFF, 0xFC, 0xFF, 0xFF})
        out.push_back(b);
    return out;
}

void CoreTest::SetUp() {
    recording::hw().reset();
    recording::useVirtualClock(100000);
    tft_exit();
    ASSERT_EQ(tft_step(), 0);
    tft_set_size(800, 480);
    recording::hw().reset();
    ASSERT_EQ(tft_step(), 1); // start-up and one idle iteration
    clearLog();
}

void CoreTest::TearDown() {
    tft_exit();
    tft_step();
    tft_set_clock(nullptr, nullptr);
}

void CoreTest::push(const Bytes& bytes) {
    for (std::uint8_t b : bytes)
        tft_push_cmd(b);
}

void CoreTest::feed(const Bytes& bytes) {
    push(bytes);
    steps(static_cast<int>(bytes.size()));
}

void CoreTest::steps(int count) {
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(tft_step(), 1);
}

void CoreTest::idleTicks(std::uint32_t ticks) {
    const std::uint32_t from = nimbrel::g_core.tick;
    while (nimbrel::g_core.tick - from < ticks)
        ASSERT_EQ(tft_step(), 1);
}

void CoreTest::usePanel(int width, int height) {
    recording::hw().setPanel(width, height);
    tft_set_size(width, height);
}

void CoreTest::clearLog() {
    recording::hw().log.clear();
    recording::hw().sent.clear();
}

void CoreTest::addFont(std::size_t n, std::uint8_t id, std::uint8_t encoding, std::uint8_t width,
                       std::uint8_t height, std::uint32_t address) {
    auto& index = recording::hw().fontIndex;
    if (index.size() < 160)
        index.resize(160, 0);
    std::uint8_t* e = index.data() + n * 8;
    e[0] = id;
    e[1] = encoding;
    e[2] = width;
    e[3] = height;
    e[4] = static_cast<std::uint8_t>(address);
    e[5] = static_cast<std::uint8_t>(address >> 8);
    e[6] = static_cast<std::uint8_t>(address >> 16);
    e[7] = static_cast<std::uint8_t>(address >> 24);
}

} // namespace coretest
