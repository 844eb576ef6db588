#include "modbus/serial_update.h"

#include <chrono>
#include <thread>

namespace tessary {

void SerialTransport::write(const std::uint8_t* data, std::size_t length) {
    port_.WriteOrThrow(data, length);
}

std::size_t SerialTransport::read(std::uint8_t* data, std::size_t length) {
    std::size_t total = 0;
    // Read honours the time-outs; it may hand back part of a reply when the
    // interval between bytes runs out, so a short read ends the reply.
    while (total < length) {
        const std::size_t got = port_.Read(data + total, length - total);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

void SerialTransport::discardInput() {
    port_.Purge(tft::PURGE_RXABORT | tft::PURGE_RXCLEAR);
}

void SerialTransport::pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

tft::CommTimeouts updateTimeouts(std::uint32_t baud) {
    tft::CommTimeouts t;
    t.ReadIntervalTimeout = 2;
    t.ReadTotalTimeoutMultiplier = 1;
    t.ReadTotalTimeoutConstant = 200;
    // 1 ms a byte is shorter than the wire time of a byte below about 11000
    // baud, which would fail every full block there; ten bits a byte plus a
    // tenth of margin, never less than 1 ms a byte.
    const std::uint32_t perByte = baud == 0 ? 1 : (11000 + baud - 1) / baud;
    t.WriteTotalTimeoutMultiplier = perByte < 1 ? 1 : perByte;
    t.WriteTotalTimeoutConstant = 1;
    return t;
}

tft::CommTimeouts masterTimeouts() {
    tft::CommTimeouts t;
    t.ReadIntervalTimeout = 1;
    t.ReadTotalTimeoutMultiplier = 1;
    t.ReadTotalTimeoutConstant = 100;
    return t;
}

namespace {

bool openPort(tft::CSerialPort& port, const std::string& name, std::uint32_t baud,
              const tft::CommTimeouts& timeouts, IUpdateLog& log) {
    try {
        port.Open(name, baud);
        port.SetTimeouts(timeouts);
        port.Purge(tft::PURGE_TXABORT | tft::PURGE_RXABORT | tft::PURGE_TXCLEAR |
                   tft::PURGE_RXCLEAR);
        return true;
    } catch (const tft::CSerialException&) {
        port.Close();
        log.append(kLogPortError);
        return false;
    }
}

} // namespace

bool runSerialUpdate(const UpdateRequest& request, IUpdateLog& log, const std::atomic<bool>* cancel,
                     int* slotsSent) {
    log.clear();
    if (slotsSent)
        *slotsSent = 0;
    tft::CSerialPort port;
    if (!openPort(port, request.port, request.baud, updateTimeouts(request.baud), log))
        return false;
    SerialTransport transport(port);
    ModbusUpdater updater(transport, log, request.address);
    updater.setCancelFlag(cancel);
    bool ok = false;
    try {
        ok = updater.run(buildSlotList(request.selection));
    } catch (const tft::CSerialException& e) {
        // The line went away in the middle (an unplugged adapter): say why,
        // then fail like any other failed exchange.
        log.append(e.GetErrorMessage());
        log.append(kLogFailure);
        ok = false;
    }
    if (slotsSent)
        *slotsSent = updater.slotsSent();
    port.Close();
    return ok;
}

bool runMasterCommand(const std::string& portName, std::uint32_t baud, bool stop, IUpdateLog& log) {
    tft::CSerialPort port;
    if (!openPort(port, portName, baud, masterTimeouts(), log))
        return false;
    SerialTransport transport(port);
    bool ok = false;
    try {
        ok = exchangeMasterFrame(transport, stop);
    } catch (const tft::CSerialException& e) {
        log.append(e.GetErrorMessage());
        ok = false;
    }
    port.Close();
    if (stop)
        log.append(ok ? kLogStopOk : kLogStopFailed);
    else
        log.append(ok ? kLogResumeOk : kLogResumeFailed);
    return ok;
}

} // namespace tessary
