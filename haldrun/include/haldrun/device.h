// The device the hardware layer works on. A host (the simulator, a test)
// implements IDevice and hands it over with tft_set_device; every hardware
// operation the core calls is then carried out on it.
#pragma once

#include <cstdint>
#include <mutex>

namespace tft {

// One RGB565 layer; the pixels stay valid while the device lock is held.
struct LayerView {
    std::uint16_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The device in its slot order. Every operation takes the device lock, which
// is recursive so that the hardware layer can hold it across several calls.
class IDevice {
public:
    virtual int SetBaudRate(int baud) = 0;                                        // 0
    virtual int Send(const std::uint8_t* data, std::uint32_t length) = 0;         // 1
    virtual std::recursive_mutex& Lock() = 0;                                     // 2
    virtual int SelectWriteLayer(std::uint8_t layer) = 0;                         // 3 previous
    virtual int SelectDisplayLayer(std::uint8_t layer) = 0;                       // 4 previous
    virtual int CopyLayer(int source, int destination, int transparent, int) = 0; // 5
    virtual LayerView WriteLayer() = 0;                                           // 6
    virtual LayerView DisplayLayer() = 0;                                         // 7
    virtual void* Window() = 0;                                                   // 8
    virtual void RequestRepaint() = 0;                                            // 9
    virtual int Reserved10() { return 1; }                                        // 10
    virtual int Reserved11() { return 1; }                                        // 11
    virtual int Reserved12() { return 1; }                                        // 12
    virtual void SetBacklight(std::uint8_t level) = 0;                            // 13
    virtual int ReadScreenInfo(std::uint32_t offset, std::uint8_t* buffer,
                               std::uint32_t length) = 0; // 14
    virtual int ReadSystemResource(std::uint32_t offset, std::uint8_t* buffer,
                                   std::uint32_t length) = 0; // 15
    virtual int ReadFontIndex(std::uint32_t offset, std::uint8_t* buffer,
                              std::uint32_t length) = 0; // 16
    virtual int ReadFontData(std::uint32_t offset, std::uint8_t* buffer,
                             std::uint32_t length) = 0;                           // 17
    virtual int ReadImageIndex(std::uint32_t offset, std::uint8_t* record16) = 0; // 18
    virtual int ReadImageData(std::uint32_t offset, std::uint8_t* buffer,
                              std::uint32_t length) = 0;             // 19
    virtual int Pressed() = 0;                                       // 20
    virtual void TouchPoint(std::uint16_t* x, std::uint16_t* y) = 0; // 21

    // Beyond the classic slots: events a simulator shows to its user.
    virtual void Beep(int durationTicks) { (void)durationTicks; }
    virtual void SetPanelOn(bool on) { (void)on; }
    // Layer n (0-7) for whole-layer work; an empty view for other numbers.
    virtual LayerView Layer(int index) = 0;
    virtual int CurrentWriteLayer() = 0;
    // A clock of the device's own (seven BCD bytes as GetRTC gives them); a
    // device without one answers 0 and the PC's clock is used.
    virtual int ReadClock(std::uint8_t* clock) {
        (void)clock;
        return 0;
    }
    virtual int WriteClock(const std::uint8_t* clock) {
        (void)clock;
        return 0;
    }

    virtual ~IDevice() = default;
};

} // namespace tft

// Hands the device to the hardware layer (null detaches it: every operation
// then does nothing and reads fail).
extern "C" void tft_set_device(tft::IDevice* device);
