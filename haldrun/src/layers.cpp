// Layers, pixels and lines on the write layer.
#include "core/hardware.h"
#include "state.h"

#include <algorithm>
#include <mutex>

namespace tft::haldrun {

namespace {

std::atomic<IDevice*> g_device{nullptr};
PenState g_pen;
std::atomic<std::int64_t> g_clockOffset{0};

template <typename F> void onWriteLayer(F&& draw) {
    IDevice* d = device();
    if (!d)
        return;
    std::lock_guard<std::recursive_mutex> guard(d->Lock());
    LayerView layer = d->WriteLayer();
    if (layer.pixels)
        draw(layer);
}

void hline(LayerView& layer, int x0, int y, int x1, std::uint16_t colour) {
    if (y < 0 || y >= layer.height)
        return;
    if (x0 > x1)
        std::swap(x0, x1);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, layer.width - 1);
    if (x0 > x1)
        return;
    std::fill_n(layer.pixels + std::size_t(y) * layer.width + x0, x1 - x0 + 1, colour);
}

void vline(LayerView& layer, int x, int y0, int y1, std::uint16_t colour) {
    if (x < 0 || x >= layer.width)
        return;
    if (y0 > y1)
        std::swap(y0, y1);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, layer.height - 1);
    for (int y = y0; y <= y1; ++y)
        layer.pixels[std::size_t(y) * layer.width + x] = colour;
}

} // namespace

IDevice* device() {
    return g_device.load(std::memory_order_acquire);
}
PenState& pen() {
    return g_pen;
}
std::atomic<std::int64_t>& clockOffset() {
    return g_clockOffset;
}

void setDevice(IDevice* d) {
    g_device.store(d, std::memory_order_release);
}

} // namespace tft::haldrun

using namespace tft;
using namespace tft::haldrun;

extern "C" void tft_set_device(IDevice* d) {
    setDevice(d);
}

extern "C" {

void LCD_MODULE_Init(void) {}

void LCD_TurnOff(void) {
    if (IDevice* d = device())
        d->SetPanelOn(false);
}

void LCD_TurnOn(void) {
    if (IDevice* d = device())
        d->SetPanelOn(true);
}

void SetBackLightLevel(int level) {
    if (IDevice* d = device())
        d->SetBacklight(static_cast<std::uint8_t>(std::clamp(level, 0, 255)));
}

int SelWriteLayer(int layer) {
    IDevice* d = device();
    return d ? d->SelectWriteLayer(static_cast<std::uint8_t>(layer)) : 0;
}

int GetWriteLayer(void) {
    IDevice* d = device();
    return d ? d->CurrentWriteLayer() : 0;
}

void SelDispLayer(int layer) {
    if (IDevice* d = device()) {
        d->SelectDisplayLayer(static_cast<std::uint8_t>(layer));
        d->RequestRepaint();
    }
}

void CopyLayer(int source, int destination, int transparent, int flag) {
    if (IDevice* d = device())
        d->CopyLayer(source, destination, transparent, flag);
}

void GUI_ClearSCR(uint16_t colour) {
    onWriteLayer(
        [&](LayerView& l) { std::fill_n(l.pixels, std::size_t(l.width) * l.height, colour); });
}

void GUI_Point(int x, int y, uint16_t colour) {
    onWriteLayer([&](LayerView& l) {
        if (l.contains(x, y))
            l.pixels[std::size_t(y) * l.width + x] = colour;
    });
}

void GUI_ReadPoint(int x, int y, uint16_t* colour) {
    if (!colour)
        return;
    *colour = 0;
    onWriteLayer([&](LayerView& l) {
        if (l.contains(x, y))
            *colour = l.pixels[std::size_t(y) * l.width + x];
    });
}

void setPenColor(uint16_t colour) {
    pen().colour = colour;
}

void setPixel(int x, int y) {
    GUI_Point(x, y, pen().colour);
}

void setHLine(int x0, int y, int x1) {
    onWriteLayer([&](LayerView& l) { hline(l, x0, y, x1, pen().colour); });
}

void setVLine(int x, int y0, int y1) {
    onWriteLayer([&](LayerView& l) { vline(l, x, y0, y1, pen().colour); });
}

void GUI_Win32Update(void) {
    if (IDevice* d = device())
        d->RequestRepaint();
}

} // extern "C"
