// A fresh, started core on virtual time over the recording hardware layer.
#pragma once

#include "core/nimbrel.h"
#include "core_state.h"
#include "recording_hardware.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace coretest {

using Bytes = std::vector<std::uint8_t>;

// EE, the body, FF FC FF FF.
Bytes frame(std::initializer_list<std::uint8_t> body);
Bytes frame(const Bytes& body);

// Appends bytes (out of line: GCC 12 misreads inlined vector inserts).
void append(Bytes& to, const Bytes& bytes);

// Virtual milliseconds seen by the core; advanced only by its idle sleeps
// and by the tests.
inline std::uint32_t& g_virtualMs = recording::virtualMs;

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pushes every byte, then runs one iteration per byte, so each frame is
    // dispatched with no idle iteration in between.
    void feed(const Bytes& bytes);
    void push(const Bytes& bytes);
    void steps(int count);
    // Runs idle iterations until an iteration has seen the tick advanced by ticks.
    void idleTicks(std::uint32_t ticks);
    void clearLog();
    // A panel of that size, on the recording layer and for the core.
    void usePanel(int width, int height);

    // Installs font table entry n.
    void addFont(std::size_t n, std::uint8_t id, std::uint8_t encoding, std::uint8_t width,
                 std::uint8_t height, std::uint32_t address);
    recording::Hardware& hw() { return recording::hw(); }
    nimbrel::CoreState& core() { return nimbrel::g_core; }
};

} // namespace coretest
