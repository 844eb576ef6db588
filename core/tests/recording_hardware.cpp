#include "recording_hardware.h"

#include "core/hardware.h"
#include "core/nimbrel.h"

#include <algorithm>
#include <cstring>

namespace recording {

namespace {
Hardware g_hardware; // used only once main has started
} // namespace

Hardware& hw() {
    return g_hardware;
}

void Hardware::reset() {
    for (auto& layer : layers)
        layer.assign(static_cast<std::size_t>(kWidth) * kHeight, 0);
    writeLayer = 0;
    displayLayer = 0;
    pen = 0;
    logging = true;
    wholeLayerOps = true;
    log.clear();
    sent.clear();
    screenInfo.clear();
    systemResource.clear();
    fontIndex.clear();
    fontData.clear();
    fontReadsFail = false;
    pictures.clear();
    rtc = {};
    touching = false;
    touchX = touchY = 0;
    outOfRange = 0;
    pixelWrites = 0;
    panelWidth = kWidth;
    panelHeight = kHeight;
}

void Hardware::setPanel(int width, int height) {
    panelWidth = width < kWidth ? width : kWidth;
    panelHeight = height < kHeight ? height : kHeight;
}

std::uint16_t Hardware::pixel(int layer, int x, int y) const {
    return layers[static_cast<std::size_t>(layer)]
                 [static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
}

void Hardware::record(const char* name, std::vector<long> args) {
    if (logging)
        log.push_back(Call{name, std::move(args)});
}

std::vector<Call> Hardware::calls(const std::string& name) const {
    std::vector<Call> found;
    for (const Call& c : log)
        if (c.name == name)
            found.push_back(c);
    return found;
}

std::size_t Hardware::count(const std::string& name) const {
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [&](const Call& c) { return c.name == name; }));
}

long Hardware::pixelsNot(int layer, std::uint16_t colour) const {
    return static_cast<long>(std::count_if(layers[static_cast<std::size_t>(layer)].begin(),
                                           layers[static_cast<std::size_t>(layer)].end(),
                                           [&](std::uint16_t p) { return p != colour; }));
}

namespace {

bool validLayer(int layer) {
    return layer >= 0 && layer < kLayers;
}

void put(int x, int y, std::uint16_t colour) {
    Hardware& h = hw();
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight || !validLayer(h.writeLayer)) {
        ++h.outOfRange;
        return;
    }
    if (x >= h.panelWidth || y >= h.panelHeight)
        return;
    ++h.pixelWrites;
    h.layers[static_cast<std::size_t>(h.writeLayer)]
            [static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = colour;
}

bool readBytes(const std::vector<std::uint8_t>& store, std::uint32_t offset, std::uint8_t* buffer,
               std::uint32_t length) {
    if (static_cast<std::uint64_t>(offset) + length > store.size())
        return false;
    std::memcpy(buffer, store.data() + offset, length);
    return true;
}

} // namespace
} // namespace recording

using recording::hw;

// Builds the argument list only while logging, so the layer stays cheap in benchmarks.
#define RECORD(name, ...)                                                                          \
    do {                                                                                           \
        if (hw().logging)                                                                          \
            hw().record(name, __VA_ARGS__);                                                        \
    } while (0)

extern "C" {

void LCD_MODULE_Init(void) {
    RECORD("LCD_MODULE_Init", {});
}
void LCD_TurnOff(void) {
    RECORD("LCD_TurnOff", {});
}
void LCD_TurnOn(void) {
    RECORD("LCD_TurnOn", {});
}
void SetBackLightLevel(int level) {
    RECORD("SetBackLightLevel", {level});
}
int SelWriteLayer(int layer) {
    RECORD("SelWriteLayer", {layer});
    const int previous = hw().writeLayer;
    if (!recording::validLayer(layer))
        ++hw().outOfRange;
    else
        hw().writeLayer = layer;
    return previous;
}
int GetWriteLayer(void) {
    return hw().writeLayer;
}
void SelDispLayer(int layer) {
    RECORD("SelDispLayer", {layer});
    if (!recording::validLayer(layer))
        ++hw().outOfRange;
    else
        hw().displayLayer = layer;
}
void CopyLayer(int source, int destination, int transparent, int flag) {
    auto& h = hw();
    RECORD("CopyLayer", {source, destination, transparent, flag});
    if (!recording::validLayer(source) || !recording::validLayer(destination)) {
        ++h.outOfRange;
        return;
    }
    if (!h.wholeLayerOps)
        return;
    const auto& from = h.layers[static_cast<std::size_t>(source)];
    auto& to = h.layers[static_cast<std::size_t>(destination)];
    if (!transparent) {
        std::copy(from.begin(), from.end(), to.begin());
        return;
    }
    // Four pixels at a time: wholly black or wholly coloured groups (the
    // common case) need no per-pixel work.
    const std::uint16_t* src = from.data();
    std::uint16_t* dst = to.data();
    const std::size_t n = from.size();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t v;
        std::memcpy(&v, src + i, sizeof v);
        if (v == 0)
            continue;
        const bool anyZero = ((v - 0x0001000100010001ull) & ~v & 0x8000800080008000ull) != 0;
        if (!anyZero) {
            std::memcpy(dst + i, &v, sizeof v);
            continue;
        }
        for (std::size_t k = i; k < i + 4; ++k)
            if (src[k] != 0)
                dst[k] = src[k];
    }
    for (; i < n; ++i)
        if (src[i] != 0)
            dst[i] = src[i];
}
void GUI_ClearSCR(uint16_t colour) {
    auto& h = hw();
    RECORD("GUI_ClearSCR", {colour});
    if (recording::validLayer(h.writeLayer) && h.wholeLayerOps)
        std::fill(h.layers[static_cast<std::size_t>(h.writeLayer)].begin(),
                  h.layers[static_cast<std::size_t>(h.writeLayer)].end(), colour);
}
void GUI_Point(int x, int y, uint16_t colour) {
    RECORD("GUI_Point", {x, y, colour});
    recording::put(x, y, colour);
}
void GUI_ReadPoint(int x, int y, uint16_t* colour) {
    auto& h = hw();
    if (x < 0 || x >= recording::kWidth || y < 0 || y >= recording::kHeight) {
        ++h.outOfRange;
        *colour = 0;
        return;
    }
    *colour = x < h.panelWidth && y < h.panelHeight ? h.pixel(h.writeLayer, x, y) : 0;
}
void setPenColor(uint16_t colour) {
    hw().pen = colour;
}
void setPixel(int x, int y) {
    RECORD("setPixel", {x, y, hw().pen});
    recording::put(x, y, hw().pen);
}
// Lines are filled directly, clipped to the panel: long runs of pixels are
// the bulk of the work in benchmarks and fuzzing.
void setHLine(int x0, int y, int x1) {
    auto& h = hw();
    RECORD("setHLine", {x0, y, x1, h.pen});
    if (x0 > x1 || x0 < 0 || x1 >= recording::kWidth || y < 0 || y >= recording::kHeight ||
        !recording::validLayer(h.writeLayer)) {
        ++h.outOfRange;
        return;
    }
    if (y >= h.panelHeight || x0 >= h.panelWidth)
        return;
    const int end = x1 < h.panelWidth ? x1 : h.panelWidth - 1;
    std::uint16_t* row = h.layers[static_cast<std::size_t>(h.writeLayer)].data() +
                         static_cast<std::size_t>(y) * recording::kWidth;
    std::fill(row + x0, row + end + 1, h.pen);
    h.pixelWrites += end - x0 + 1;
}
void setVLine(int x, int y0, int y1) {
    auto& h = hw();
    RECORD("setVLine", {x, y0, y1, h.pen});
    if (y0 > y1 || y0 < 0 || y1 >= recording::kHeight || x < 0 || x >= recording::kWidth ||
        !recording::validLayer(h.writeLayer)) {
        ++h.outOfRange;
        return;
    }
    if (x >= h.panelWidth || y0 >= h.panelHeight)
        return;
    const int end = y1 < h.panelHeight ? y1 : h.panelHeight - 1;
    std::uint16_t* pixel = h.layers[static_cast<std::size_t>(h.writeLayer)].data() +
                           static_cast<std::size_t>(y0) * recording::kWidth +
                           static_cast<std::size_t>(x);
    for (int y = y0; y <= end; ++y, pixel += recording::kWidth)
        *pixel = h.pen;
    h.pixelWrites += end - y0 + 1;
}
void GUI_Win32Update(void) {
    RECORD("GUI_Win32Update", {});
}
int ReadScreenInfo(uint32_t offset, uint8_t* buffer, uint32_t length) {
    RECORD("ReadScreenInfo", {static_cast<long>(offset), static_cast<long>(length)});
    return recording::readBytes(hw().screenInfo, offset, buffer, length) ? 1 : 0;
}
int ReadSystemResource(uint32_t offset, uint8_t* buffer, uint32_t length) {
    return recording::readBytes(hw().systemResource, offset, buffer, length) ? 1 : 0;
}
int ReadFontIndex(uint32_t offset, uint8_t* buffer, uint32_t length) {
    if (hw().fontReadsFail)
        return 0;
    return recording::readBytes(hw().fontIndex, offset, buffer, length) ? 1 : 0;
}
int ReadFont(uint32_t address, uint8_t* buffer, uint32_t length) {
    RECORD("ReadFont", {static_cast<long>(address), static_cast<long>(length)});
    if (hw().fontReadsFail)
        return 0;
    return recording::readBytes(hw().fontData, address, buffer, length) ? 1 : 0;
}
void TFT_Draw_PIC_XY(uint16_t picture, int whole, int x, int y, int sourceX, int sourceY, int width,
                     int height, int masked, uint16_t keyLow, uint16_t keyHigh, int frame,
                     int alternateSource) {
    RECORD("TFT_Draw_PIC_XY", {picture, whole, x, y, sourceX, sourceY, width, height, masked,
                               keyLow, keyHigh, frame, alternateSource});
}
int TFT_GetImageIndex(uint16_t picture, int which, uint8_t* record) {
    RECORD("TFT_GetImageIndex", {picture, which});
    const auto found = hw().pictures.find(picture);
    if (found == hw().pictures.end())
        return 0;
    std::memcpy(record, found->second.data(), 16);
    return 1;
}
void TFT_Draw_Keyboard(uint32_t resourceOffset, int imageWidth, int imageHeight, int x, int y,
                       int sourceX, int sourceY, int width, int height) {
    RECORD("TFT_Draw_Keyboard", {static_cast<long>(resourceOffset), imageWidth, imageHeight, x, y,
                                 sourceX, sourceY, width, height});
}
void send_data(const uint8_t* buffer, uint32_t length) {
    RECORD("send_data", {static_cast<long>(length)});
    hw().sent.insert(hw().sent.end(), buffer, buffer + length);
}
void CMD_UART_Init(uint32_t bitsPerSecond) {
    RECORD("CMD_UART_Init", {static_cast<long>(bitsPerSecond)});
}
int touch_is_pressing(void) {
    return hw().touching ? 1 : 0;
}
void get_coordinate(uint16_t* x, uint16_t* y) {
    *x = hw().touchX;
    *y = hw().touchY;
}
void Calibration_Panle(void) {
    RECORD("Calibration_Panle", {hw().writeLayer});
}
void Beepon(int duration) {
    RECORD("Beepon", {duration});
}
void GetRTC(uint8_t* clock) {
    std::memcpy(clock, hw().rtc.data(), 7);
}
void SetRTC(const uint8_t* clock) {
    RECORD("SetRTC", {});
    std::memcpy(hw().rtc.data(), clock, 7);
}
int EnableRTC(void) {
    RECORD("EnableRTC", {});
    return 1;
}
int BusNoBusy(void) {
    RECORD("BusNoBusy", {});
    return 1;
}

} // extern "C"
