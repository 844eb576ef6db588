// CSerialPort: the suite's one serial port, on POSIX termios. Every operation
// takes the port's own lock; owners that need several operations to be atomic
// take their own lock first (owner's lock, then the port's lock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

namespace tft {

// A failed system call of the port: the errno of that moment and its text.
class CSerialException : public std::exception {
public:
    CSerialException(int error, std::string context);
    int GetError() const { return error_; }
    // The system's text for the error, with a hint where one helps (permissions).
    const std::string& GetErrorMessage() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    int error_;
    std::string message_;
};

// Time-outs in milliseconds, with the meaning of the classic communications
// time-out record: a read ends when `ReadIntervalTimeout` passes between two
// bytes, or when Constant + Multiplier x requested bytes have passed in all.
// All read fields zero: wait for the full count. Interval all-ones with both
// totals zero: return at once with what is there.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

enum PurgeFlags : std::uint32_t {
    PURGE_TXABORT = 0x0001,
    PURGE_RXABORT = 0x0002,
    PURGE_TXCLEAR = 0x0004,
    PURGE_RXCLEAR = 0x0008,
};

class CSerialPort {
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens `name` (a path such as /dev/ttyUSB0, or a bare name looked up in
    // /dev) exclusively at `baud`, 8N1, no flow control. Throws on any failure;
    // a failed open leaves the port closed.
    void Open(const std::string& name, std::uint32_t baud);
    void Close();
    bool IsOpen() const;

    // Reads up to `length` bytes under the time-outs; returns the count (0 on
    // a closed port or a time-out with nothing read). Throws on a failure.
    std::size_t Read(void* buffer, std::size_t length);
    // Writes all bytes, waiting for the transfer within the write time-outs.
    // Returns the count written; 0 on a closed port or a failure (no throw).
    std::size_t Write(const void* buffer, std::size_t length);
    // As Write, but a failure or a short write throws (the blocking variant the
    // Modbus tool uses).
    std::size_t WriteOrThrow(const void* buffer, std::size_t length);
    // Waits until every written byte has left (tcdrain). No effect when closed.
    void WaitPending();

    // No effect on a closed port (returns false).
    bool SetTimeouts(const CommTimeouts& timeouts);
    CommTimeouts GetTimeouts() const;
    // Discards pending input and/or output; no effect on a closed port.
    bool Purge(std::uint32_t flags);
    // Changes the rate of the open port; throws when refused.
    void SetBaudRate(std::uint32_t baud);
    std::uint32_t GetBaudRate() const;

    // The descriptor, -1 when closed (for tests and poll loops).
    int NativeHandle() const;
    const std::string& Name() const { return name_; }

    // The rates offered to the user, in order.
    static const std::uint32_t kBaudRates[13];

private:
    void closeLocked();
    void applyRateLocked(std::uint32_t baud);

    mutable std::mutex lock_;
    int fd_ = -1;
    std::string name_;
    std::uint32_t baud_ = 0;
    CommTimeouts timeouts_{};
};

} // namespace tft
