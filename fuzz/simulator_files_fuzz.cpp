// A hostile set of compiled files (.si, .graidx, .gwb, .fidx, .fbin, .sbin)
// loaded into the simulated panel, which then starts, draws pictures and
// text from them and takes touches. The input is the six files one after the
// other, each preceded by its length (u16, little-endian).
//
// One panel serves the whole run and is restarted for each input (the core
// starts afresh, the device is blank, time is 0), so an input costs only the
// steps it needs. The panel is small: every file is read and drawn as on a
// big one, with less of each picture to fill.
#include "core/nimbrel.h"
#include "simulator/virtual_panel.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
// Long enough for the start-up render and composition (30 and 20 ms timers),
// and for a touch to be polled (10 ms) and its state drawn.
constexpr std::uint32_t kRenderMs = 30;

// The core scans every screen the header counts as it starts (up to 65535,
// most of them past the end of a small file, each scan alike). A hostile
// count is bounded here so an input costs what a real project does; every
// path of the scan stays reachable through the other header fields (index
// offset, entries shared by screens, enough controls to fill the store).
constexpr std::size_t kCountOffset = 16; // u32; a short file is read as zero-filled
constexpr std::uint8_t kMaxScreens = 32;

void boundScreenCount(std::vector<std::uint8_t>& si) {
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < 4 && kCountOffset + i < si.size(); ++i)
        count |= std::uint32_t(si[kCountOffset + i]) << (8 * i);
    if (count <= kMaxScreens)
        return;
    for (std::size_t i = 0; i < 4 && kCountOffset + i < si.size(); ++i)
        si[kCountOffset + i] = i == 0 ? kMaxScreens : 0;
}

tft::VirtualPanel& panel() {
    static tft::VirtualPanel* const shared = new tft::VirtualPanel(kWidth, kHeight);
    return *shared;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tft::VirtualPanel& p = panel();
    p.Restart();
    std::size_t at = 0;
    for (int f = 0; f < tft::SimDevice::FileCount; ++f) {
        std::size_t length = 0;
        if (at + 2 <= size) {
            length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
            at += 2;
        }
        std::vector<std::uint8_t> file(data + at, data + at + length);
        if (f == tft::SimDevice::ScreenInfo)
            boundScreenCount(file);
        p.Device().SetFile(static_cast<tft::SimDevice::File>(f), std::move(file));
        at += length;
    }
    // Pictures 0-2 whole and cut, text in fonts 0-6, a keyboard: one block the
    // core takes in one go as soon as it has started on the new files; the
    // screens are rendered and composed while the touches below are polled.
    std::vector<std::uint8_t> host;
    auto frame = [&host](std::initializer_list<std::uint8_t> bytes) {
        host.insert(host.end(), bytes);
        host.insert(host.end(), {0xFF, 0xFC, 0xFF, 0xFF});
    };
    for (std::uint8_t picture = 0; picture < 3; ++picture) {
        frame({0xEE, 0x32, 0x00, 0x10, 0x00, 0x10, 0x00, picture, 0x01});
        frame({0xEE, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, picture, 0x00, 0x02, 0x00, 0x02, 0x00,
               0x40, 0x00, 0x40, 0x00});
    }
    for (std::uint8_t font = 0; font < 7; ++font)
        frame({0xEE, 0x20, 0x00, 0x05, 0x00, 0x05, 0x01, font, 'A', 0xB0, 0xA1, 0x81, 0x40});
    frame({0xEE, 0x86, 0x01, 0x00, 0x10, 0x00, 0x10, 0x01, 0x00, 0x10});
    p.Push(host);
    p.Device().SetTouch(true, 40, 40);
    p.Advance(kRenderMs);
    p.Device().SetTouch(false, 40, 40);
    p.Advance(kRenderMs);
    // Nothing of this input stays allocated (the log's rows): with as many
    // frees as allocations the fuzzer skips its costly leak search.
    p.Restart();
    return 0;
}
