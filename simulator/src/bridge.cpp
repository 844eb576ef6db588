#include "simulator/bridge.h"

#include "common/serial_port.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace tft {

namespace {

constexpr std::size_t kReadChunk = 1000;
constexpr int kReadWaitMs = 20;

} // namespace

std::unique_ptr<PtyLine> PtyLine::Create(const std::string& linkPath, std::string* error) {
    std::unique_ptr<PtyLine> line(new PtyLine());
    char name[256] = {};
    struct termios raw {};
    ::cfmakeraw(&raw);
    if (::openpty(&line->master_, &line->slaveKeepAlive_, name, &raw, nullptr) != 0) {
        if (error)
            *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return nullptr;
    }
    ::fcntl(line->master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(line->slaveKeepAlive_, F_SETFD, FD_CLOEXEC);
    line->slavePath_ = name;
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str()); // a stale link from an earlier run
        if (::symlink(name, linkPath.c_str()) != 0) {
            if (error)
                *error = "cannot link " + linkPath + ": " + std::strerror(errno);
            return nullptr;
        }
        line->linkPath_ = linkPath;
    }
    return line;
}

PtyLine::~PtyLine() {
    if (!linkPath_.empty())
        ::unlink(linkPath_.c_str());
    if (master_ >= 0)
        ::close(master_);
    if (slaveKeepAlive_ >= 0)
        ::close(slaveKeepAlive_);
}

long PtyLine::Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) {
    struct pollfd p {
        master_, POLLIN, 0
    };
    const int rc = ::poll(&p, 1, timeoutMs);
    if (rc <= 0)
        return rc < 0 && errno != EINTR ? -1 : 0;
    const ssize_t n = ::read(master_, buffer, length);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR || errno == EIO ? 0 : -1;
    return static_cast<long>(n);
}

bool PtyLine::Write(const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(master_, data + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string PtyLine::Describe() const {
    return linkPath_.empty() ? slavePath_ : linkPath_ + " -> " + slavePath_;
}

PortLine::PortLine() : port_(std::make_unique<CSerialPort>()) {}
PortLine::~PortLine() = default;

std::unique_ptr<PortLine> PortLine::Open(const std::string& device, std::uint32_t baud,
                                         std::string* error) {
    std::unique_ptr<PortLine> line(new PortLine());
    try {
        line->port_->Open(device, baud);
    } catch (const CSerialException& e) {
        if (error)
            *error = e.GetErrorMessage();
        return nullptr;
    }
    return line;
}

long PortLine::Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) {
    CommTimeouts t;
    t.ReadIntervalTimeout = 5;
    t.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(timeoutMs);
    port_->SetTimeouts(t);
    try {
        return static_cast<long>(port_->Read(buffer, length));
    } catch (const CSerialException& e) {
        lastError_ = e.GetErrorMessage();
        return -1;
    }
}

bool PortLine::Write(const std::uint8_t* data, std::size_t length) {
    return port_->Write(data, length) == length;
}

bool PortLine::SetRate(std::uint32_t baud) {
    try {
        port_->SetBaudRate(baud);
        return true;
    } catch (const CSerialException&) {
        return false;
    }
}

std::string PortLine::Describe() const {
    return port_->Name() + " at " + std::to_string(port_->GetBaudRate());
}

SerialBridge::SerialBridge(std::unique_ptr<Line> line, TrafficLog& log, Push push,
                           Failure onFailure)
    : line_(std::move(line)), log_(log), push_(std::move(push)), onFailure_(std::move(onFailure)) {
    thread_ = std::thread([this] { receive(); });
}

SerialBridge::~SerialBridge() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void SerialBridge::receive() {
    std::uint8_t buffer[kReadChunk];
    while (!stop_) {
        const long n = line_->Read(buffer, sizeof buffer, kReadWaitMs);
        if (n < 0) {
            // The line went away (a vanished port): the panel keeps running,
            // the owner hears of it, and this thread stops reading.
            if (onFailure_)
                onFailure_(line_->Describe() + ": " + line_->LastError());
            return;
        }
        // Logged before the core takes it, so that no answer is logged ahead of its request.
        if (n > 0)
            log_.Log(TrafficLog::Direction::Received, buffer, static_cast<std::size_t>(n));
        for (long i = 0; i < n; ++i)
            push_(buffer[i]);
    }
}

void SerialBridge::Send(const std::uint8_t* data, std::size_t length) {
    // Logged before the host can see it, so that its reply is logged after it.
    log_.Log(TrafficLog::Direction::Sent, data, length);
    std::lock_guard<std::mutex> guard(writeLock_);
    line_->Write(data, length);
}

bool SerialBridge::SetRate(std::uint32_t baud) {
    std::lock_guard<std::mutex> guard(writeLock_);
    return line_->SetRate(baud);
}

} // namespace tft
