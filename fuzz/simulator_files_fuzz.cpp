// A hostile set of compiled files (.si, .graidx, .gwb, .fidx, .fbin, .sbin)
// loaded into the simulated panel, which then starts, draws pictures and
// text from them and takes touches. The input is the six files one after the
// other, each preceded by its length (u16, little-endian).
#include "core/nimbrel.h"
#include "simulator/virtual_panel.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tft::VirtualPanel panel;
    std::size_t at = 0;
    for (int f = 0; f < tft::SimDevice::FileCount; ++f) {
        std::size_t length = 0;
        if (at + 2 <= size) {
            length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
            at += 2;
        }
        panel.Device().SetFile(static_cast<tft::SimDevice::File>(f),
                               std::vector<std::uint8_t>(data + at, data + at + length));
        at += length;
    }
    tft_reset();
    panel.Advance(50);
    // Pictures 0-2 whole and cut, text in fonts 0-6, a keyboard, touches.
    for (std::uint8_t picture = 0; picture < 3; ++picture) {
        panel.Push(
            {0xEE, 0x32, 0x00, 0x10, 0x00, 0x10, 0x00, picture, 0x01, 0xFF, 0xFC, 0xFF, 0xFF});
        panel.Push({0xEE, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, picture, 0x00, 0x02, 0x00,
                    0x02, 0x00, 0x40, 0x00, 0x40, 0x00, 0xFF, 0xFC,    0xFF, 0xFF});
    }
    for (std::uint8_t font = 0; font < 7; ++font)
        panel.Push({0xEE, 0x20, 0x00, 0x05, 0x00, 0x05, 0x01, font, 'A', 0xB0, 0xA1, 0x81, 0x40,
                    0xFF, 0xFC, 0xFF, 0xFF});
    panel.Push(
        {0xEE, 0x86, 0x01, 0x00, 0x10, 0x00, 0x10, 0x01, 0x00, 0x10, 0xFF, 0xFC, 0xFF, 0xFF});
    panel.Device().SetTouch(true, 100, 100);
    panel.Advance(60);
    panel.Device().SetTouch(false, 100, 100);
    panel.Advance(60);
    return 0;
}
