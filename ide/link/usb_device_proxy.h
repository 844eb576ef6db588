// CUsbDeviceProxy: the download link over USB (vendor 0x1514, product 0x5534,
// configuration 1, interface 0). Commands go to endpoint 3 and are followed by
// a 100 ms pause, data packets to endpoint 2; the panel acknowledges each with
// one byte 0xCC on endpoint 0x81. The USB library sits behind `UsbBackend` so
// the proxy's logic runs against a fake in tests.
#pragma once

#include "device_proxy.h"

#include <memory>
#include <vector>

namespace tft::ide {

class UsbBackend {
public:
    struct DeviceId {
        std::uint16_t vendor = 0;
        std::uint16_t product = 0;
    };
    virtual ~UsbBackend() = default;
    // The devices on every bus, in bus order; empty when the library is missing.
    virtual std::vector<DeviceId> devices() = 0;
    // Opens device `index` of `devices()`, selects `configuration` and claims
    // `interface`; false (nothing held) on any failure. Closes a held device first.
    virtual bool open(std::size_t index, int configuration, int interface) = 0;
    // Releases the claimed interface and closes the device; no effect when none.
    virtual void close() = 0;
    // Bytes transferred, negative on an error.
    virtual int bulkWrite(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                          unsigned timeoutMs) = 0;
    virtual int bulkRead(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                         unsigned timeoutMs) = 0;
    virtual void pause(unsigned ms) = 0;
};

// The backend over libusb-1.0.
std::unique_ptr<UsbBackend> makeLibusbBackend();

class CUsbDeviceProxy : public IDeviceProxy {
public:
    static constexpr std::uint16_t kVendor = 0x1514;
    static constexpr std::uint16_t kProduct = 0x5534;
    static constexpr std::uint8_t kCommandEndpoint = 3;
    static constexpr std::uint8_t kDataEndpoint = 2;
    static constexpr std::uint8_t kAnswerEndpoint = 0x81;
    static constexpr unsigned kTimeoutMs = 5000;
    static constexpr unsigned kCommandPauseMs = 100;
    static constexpr std::uint8_t kAcknowledge = 0xCC;

    explicit CUsbDeviceProxy(std::unique_ptr<UsbBackend> backend = makeLibusbBackend());
    ~CUsbDeviceProxy() override;
    CUsbDeviceProxy(const CUsbDeviceProxy&) = delete;
    CUsbDeviceProxy& operator=(const CUsbDeviceProxy&) = delete;

    // True when a panel (vendor and product above) is on a bus.
    bool IsPresent() override;
    // Takes the last panel found that opens; true when one is held.
    bool Open() override;
    bool Close() override;
    bool SendCommand(const std::uint8_t* data, std::size_t length) override;
    bool SendData(const std::uint8_t* data, std::size_t length) override;
    bool isOpen() const { return open_; }

private:
    bool transfer(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                  unsigned pauseMs);

    std::unique_ptr<UsbBackend> backend_;
    bool open_ = false;
};

} // namespace tft::ide
