// Assembles a compiled screen image (header, index, start table, records)
// and control definitions from frames, for the screen runtime tests.
#pragma once

#include "core_fixture.h"

#include <cstdint>
#include <vector>

namespace coretest {

struct ImageSettings {
    std::uint16_t flags = 0x0003; // screens present, touch enabled
    std::uint8_t baudIndex = 0;
    std::uint8_t touchReportMode = 0;
    std::uint8_t notifyScreen = 0;
    std::uint8_t notifyFlags = 0;
    std::uint16_t autoDimTimeout = 0;
    std::uint8_t brightLevel = 0;
    std::uint8_t dimLevel = 0;
};

struct ScreenImage {
    std::vector<Bytes> screens; // one record per screen id; empty: no record
    std::vector<Bytes> blocks;  // start-table records
    std::uint32_t startBlock = 0;
    bool recordSize = true; // write the image size at header offset 44
    ImageSettings settings;

    Bytes build() const;
};

// A screen record that clears to a colour and shows the screen: EE 42, EE 01, EE B2.
Bytes screenRecord(std::uint16_t screen, std::uint16_t background, const std::vector<Bytes>& items);
// The start block EE B2 screen.
Bytes startBlock(std::uint16_t screen);

// A B0 frame: id, type, rectangle, then body bytes from frame byte 13 on.
struct Control {
    Bytes bytes; // the frame without EE and tail, indexed as frame byte − 1
    Control(std::uint16_t id, std::uint8_t type, int x, int y, int w, int h, std::size_t size = 40);
    Control& u8(std::size_t frameOffset, std::uint8_t v);
    Control& u16(std::size_t frameOffset, std::uint16_t v);
    Control& u32(std::size_t frameOffset, std::uint32_t v);
    Control& text(std::size_t frameOffset, const std::string& s);
    Bytes frame() const;
};

void putLe32(Bytes& b, std::size_t at, std::uint32_t v);
void putLe16(Bytes& b, std::size_t at, std::uint16_t v);

} // namespace coretest
