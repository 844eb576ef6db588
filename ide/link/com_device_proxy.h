// CComDeviceProxy: the download link over the IDE's serial port. Every
// operation writes its bytes, then waits for the panel's one-byte
// acknowledge (0xA5) within the port's read time-outs. The port belongs to the
// device link; the caller holds the link lock around a whole download.
#pragma once

#include "device_proxy.h"

namespace tft {
class CSerialPort;
}

namespace tft::ide {

class CComDeviceProxy : public IDeviceProxy {
public:
    static constexpr std::uint8_t kAcknowledge = 0xA5;
    static constexpr std::uint8_t kCloseByte = 0xF1;

    explicit CComDeviceProxy(CSerialPort* port) : port_(port) {}

    bool IsPresent() override;
    // Sends EE F0 FF FC FF FF (download mode).
    bool Open() override;
    // Sends the single byte F1.
    bool Close() override;
    bool SendCommand(const std::uint8_t* data, std::size_t length) override;
    bool SendData(const std::uint8_t* data, std::size_t length) override;

private:
    // Writes `length` bytes, then reads one byte; true only when all bytes
    // left and exactly the acknowledge came back.
    bool exchange(const std::uint8_t* data, std::size_t length);

    CSerialPort* port_;
};

} // namespace tft::ide
