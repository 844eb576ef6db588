// A download link over an open serial port for tests: write, then one
// acknowledge byte within the port's read time-out.
#pragma once

#include "common/serial_port.h"
#include "device_proxy.h"

namespace tft::ide {

class SerialTestProxy : public IDeviceProxy {
public:
    explicit SerialTestProxy(tft::CSerialPort& port) : port_(port) {}
    bool IsPresent() override { return port_.IsOpen(); }
    bool Open() override {
        static const std::uint8_t open[] = {0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
        return exchange(open, sizeof open);
    }
    bool Close() override {
        static const std::uint8_t close = 0xF1;
        return exchange(&close, 1);
    }
    bool SendCommand(const std::uint8_t* data, std::size_t length) override {
        return exchange(data, length);
    }
    bool SendData(const std::uint8_t* data, std::size_t length) override {
        return exchange(data, length);
    }

private:
    bool exchange(const std::uint8_t* data, std::size_t length) {
        if (port_.Write(data, length) != length)
            return false;
        std::uint8_t ack = 0;
        try {
            return port_.Read(&ack, 1) == 1 && ack == 0xA5;
        } catch (const tft::CSerialException&) {
            return false;
        }
    }
    tft::CSerialPort& port_;
};

} // namespace tft::ide
