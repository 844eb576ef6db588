// The serial bridge between a host and the simulated panel: bytes read from
// the line go into the core in order and into the log; bytes the core sends go
// out on the line and into the log.
#pragma once

#include "simulator/traffic_log.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tft {

class CSerialPort;

// A byte line: a real serial port or the panel's end of a pseudo-terminal.
class Line {
public:
    virtual ~Line() = default;
    // Reads what arrives within `timeoutMs`; 0 on a time-out, -1 when the line failed.
    virtual long Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) = 0;
    virtual bool Write(const std::uint8_t* data, std::size_t length) = 0;
    virtual bool SetRate(std::uint32_t baud) = 0;
    virtual std::string Describe() const = 0;
    // Why the last Read failed.
    virtual std::string LastError() const { return "the line failed"; }
};

// A pseudo-terminal whose other end a host program opens like a serial port.
// The slave's path is linked at `linkPath` when one is given.
class PtyLine : public Line {
public:
    static std::unique_ptr<PtyLine> Create(const std::string& linkPath, std::string* error);
    ~PtyLine() override;
    long Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override;
    bool Write(const std::uint8_t* data, std::size_t length) override;
    bool SetRate(std::uint32_t) override { return true; }
    std::string Describe() const override;
    const std::string& SlavePath() const { return slavePath_; }

private:
    PtyLine() = default;
    int master_ = -1;
    int slaveKeepAlive_ = -1; // held open so the line survives a host closing its end
    std::string slavePath_;
    std::string linkPath_;
};

// A real serial port.
class PortLine : public Line {
public:
    static std::unique_ptr<PortLine> Open(const std::string& device, std::uint32_t baud,
                                          std::string* error);
    ~PortLine() override;
    long Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override;
    bool Write(const std::uint8_t* data, std::size_t length) override;
    bool SetRate(std::uint32_t baud) override;
    std::string Describe() const override;
    std::string LastError() const override { return lastError_; }

private:
    PortLine();
    std::unique_ptr<CSerialPort> port_;
    std::string lastError_;
};

class SerialBridge {
public:
    using Push = std::function<void(std::uint8_t)>;
    using Failure = std::function<void(const std::string&)>;

    // `onFailure` hears once, from the receive thread, that the line failed
    // (a port unplugged); the bridge then stops reading.
    SerialBridge(std::unique_ptr<Line> line, TrafficLog& log, Push push,
                 Failure onFailure = nullptr);
    ~SerialBridge(); // stops the receive thread
    // The core's bytes, written to the line and logged.
    void Send(const std::uint8_t* data, std::size_t length);
    bool SetRate(std::uint32_t baud);
    Line& line() { return *line_; }

private:
    void receive();

    std::unique_ptr<Line> line_;
    TrafficLog& log_;
    Push push_;
    Failure onFailure_;
    std::mutex writeLock_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace tft
