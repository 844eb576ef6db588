// The update and the master commands over a real serial port (CSerialPort):
// opening, line settings, time-outs and purges, then the protocol.
#pragma once

#include "modbus/update_protocol.h"

#include <atomic>
#include <common/serial_port.h>
#include <cstdint>
#include <string>

namespace tessary {

// ITransport over an open CSerialPort.
class SerialTransport : public ITransport {
public:
    explicit SerialTransport(tft::CSerialPort& port) : port_(port) {}
    void write(const std::uint8_t* data, std::size_t length) override;
    std::size_t read(std::uint8_t* data, std::size_t length) override;
    void discardInput() override;
    void pause(int milliseconds) override;

private:
    tft::CSerialPort& port_;
};

// Port time-outs of an update at `baud`: reads end 2 ms after the last byte or
// 1 ms a byte plus 200 ms in all; a write may take its wire time with margin.
tft::CommTimeouts updateTimeouts(std::uint32_t baud);
// Port time-outs of the master commands: 1 ms interval, 1 ms a byte + 100 ms.
tft::CommTimeouts masterTimeouts();

struct UpdateRequest {
    std::string port;
    std::uint32_t baud = kDefaultBaud;
    std::uint8_t address = 201;
    SlotSelection selection;
};

// The whole update: clears the log, opens the port (logging the port error
// and returning false when it cannot), sends the slot files, closes the port.
// True when no exchange failed; `slotsSent` tells how many slots went out.
bool runSerialUpdate(const UpdateRequest& request, IUpdateLog& log,
                     const std::atomic<bool>* cancel = nullptr, int* slotsSent = nullptr);

// Stop or resume the bus master on `port`; logs the outcome line.
bool runMasterCommand(const std::string& port, std::uint32_t baud, bool stop, IUpdateLog& log);

} // namespace tessary
