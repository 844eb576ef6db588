#include "common/serial_port.h"

#include "serial_rate.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tft {

const std::uint32_t CSerialPort::kBaudRates[13] = {
    1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 218750, 437500, 875000, 1000000, 2000000};

namespace {

constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

std::string systemText(int error) {
    std::string text = std::strerror(error);
    if (error == EACCES || error == EPERM)
        text += " (the port's device belongs to a group you are not in, usually 'dialout': "
                "add yourself with 'sudo usermod -aG dialout $USER' and log in again)";
    else if (error == EBUSY || error == EWOULDBLOCK)
        text += " (another program has the port open)";
    return text;
}

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

CSerialException::CSerialException(int error, std::string context)
    : error_(error), message_(std::move(context) + ": " + systemText(error)) {}

CSerialPort::~CSerialPort() {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
}

void CSerialPort::Open(const std::string& name, std::uint32_t baud) {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    const std::string path = name.find('/') == std::string::npos ? "/dev/" + name : name;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw CSerialException(errno, "cannot open " + path);
    fd_ = fd;
    name_ = path;
    try {
        // TIOCEXCL keeps other users out; flock also keeps out a second open by
        // a privileged process, which TIOCEXCL does not.
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            throw CSerialException(errno == EWOULDBLOCK ? EBUSY : errno, "cannot lock " + path);
        if (::ioctl(fd_, TIOCEXCL) != 0)
            throw CSerialException(errno, "cannot take " + path + " exclusively");
        struct termios tio {};
        if (::tcgetattr(fd_, &tio) != 0)
            throw CSerialException(errno, "cannot read the settings of " + path);
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
            throw CSerialException(errno, "cannot apply the settings of " + path);
        applyRateLocked(baud);
    } catch (...) {
        closeLocked();
        throw;
    }
}

void CSerialPort::applyRateLocked(std::uint32_t baud) {
    std::uint32_t actual = 0;
    if (baud == 0)
        throw CSerialException(EINVAL, "rate 0 refused on " + name_);
    if (detail::setLineRate(fd_, baud) != 0)
        throw CSerialException(errno, "rate " + std::to_string(baud) + " refused on " + name_);
    if (detail::getLineRate(fd_, &actual) != 0)
        throw CSerialException(errno, "cannot read the rate of " + name_);
    if (actual != baud)
        throw CSerialException(EINVAL, "rate " + std::to_string(baud) + " refused on " + name_ +
                                           " (driver holds " + std::to_string(actual) + ")");
    baud_ = baud;
}

void CSerialPort::Close() {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
}

void CSerialPort::closeLocked() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    baud_ = 0;
}

bool CSerialPort::IsOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return fd_ >= 0;
}

std::size_t CSerialPort::Read(void* buffer, std::size_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0 || length == 0)
        return 0;
    const CommTimeouts& t = timeouts_;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const bool returnAtOnce = t.ReadIntervalTimeout == kMaxDword &&
                              t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    // Interval and multiplier all-ones with a constant: return as soon as any
    // byte is there, waiting at most the constant for the first.
    const bool firstByteOnly =
        t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
        t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < kMaxDword;
    const std::uint64_t totalMs =
        firstByteOnly
            ? t.ReadTotalTimeoutConstant
            : std::uint64_t(t.ReadTotalTimeoutMultiplier) * length + t.ReadTotalTimeoutConstant;
    const bool hasTotal = totalMs > 0 && !returnAtOnce;
    const bool hasInterval = t.ReadIntervalTimeout > 0 && t.ReadIntervalTimeout != kMaxDword;
    const auto deadline = Clock::now() + std::chrono::milliseconds(hasTotal ? totalMs : 0);

    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::read(fd_, out + got, length - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            if (firstByteOnly)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            throw CSerialException(errno, "read from " + name_ + " failed");
        if (returnAtOnce)
            break;
        int wait = -1;
        if (hasTotal)
            wait = remainingMs(deadline);
        if (hasInterval && got > 0)
            wait = wait < 0 ? static_cast<int>(t.ReadIntervalTimeout)
                            : std::min(wait, static_cast<int>(t.ReadIntervalTimeout));
        if (hasTotal && wait == 0)
            break;
        struct pollfd p {
            fd_, POLLIN, 0
        };
        const int rc = ::poll(&p, 1, wait);
        if (rc == 0)
            break;
        if (rc < 0 && errno != EINTR)
            throw CSerialException(errno, "waiting for " + name_ + " failed");
        if (rc > 0 && (p.revents & (POLLERR | POLLNVAL)))
            throw CSerialException(EIO, "read from " + name_ + " failed");
        if (rc > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN)) {
            // The device is gone (unplugged, or the other end of a
            // pseudo-terminal closed): hand over what came, then report it.
            if (got > 0)
                break;
            throw CSerialException(EIO, name_ + " hung up (the device is gone)");
        }
    }
    return got;
}

std::size_t CSerialPort::Write(const void* buffer, std::size_t length) {
    try {
        return WriteOrThrow(buffer, length);
    } catch (const CSerialException&) {
        return 0;
    }
}

std::size_t CSerialPort::WriteOrThrow(const void* buffer, std::size_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0)
        return 0;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    const std::uint64_t totalMs = std::uint64_t(timeouts_.WriteTotalTimeoutMultiplier) * length +
                                  timeouts_.WriteTotalTimeoutConstant;
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::write(fd_, in + sent, length - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            throw CSerialException(errno, "write to " + name_ + " failed");
        const int wait = totalMs > 0 ? remainingMs(deadline) : -1;
        if (wait == 0)
            throw CSerialException(ETIMEDOUT, "write to " + name_ + " timed out");
        struct pollfd p {
            fd_, POLLOUT, 0
        };
        const int rc = ::poll(&p, 1, wait);
        if (rc == 0)
            throw CSerialException(ETIMEDOUT, "write to " + name_ + " timed out");
        if (rc < 0 && errno != EINTR)
            throw CSerialException(errno, "waiting for " + name_ + " failed");
    }
    return sent;
}

void CSerialPort::WaitPending() {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ >= 0 && ::tcdrain(fd_) != 0 && errno != EINTR)
        throw CSerialException(errno, "waiting for " + name_ + " to send failed");
}

bool CSerialPort::SetTimeouts(const CommTimeouts& timeouts) {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0)
        return false;
    timeouts_ = timeouts;
    return true;
}

CommTimeouts CSerialPort::GetTimeouts() const {
    std::lock_guard<std::mutex> guard(lock_);
    return timeouts_;
}

bool CSerialPort::Purge(std::uint32_t flags) {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0)
        return false;
    const bool rx = flags & (PURGE_RXABORT | PURGE_RXCLEAR);
    const bool tx = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (!rx && !tx)
        return true;
    const int which = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(fd_, which) != 0)
        throw CSerialException(errno, "purge of " + name_ + " failed");
    return true;
}

void CSerialPort::SetBaudRate(std::uint32_t baud) {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0)
        throw CSerialException(EBADF, "the port is not open");
    applyRateLocked(baud);
}

std::uint32_t CSerialPort::GetBaudRate() const {
    std::lock_guard<std::mutex> guard(lock_);
    return baud_;
}

int CSerialPort::NativeHandle() const {
    std::lock_guard<std::mutex> guard(lock_);
    return fd_;
}

} // namespace tft
