#include "panel_peer.h"

#include "modbus/update_protocol.h"

#include <chrono>
#include <common/crc16.h>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace tessary::testpeer {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kLongestData = 3 + kBlockSize + 2;

bool crcOk(const std::uint8_t* p, std::size_t n) {
    if (n < 3)
        return false;
    const std::uint16_t crc = tft::crc16Modbus(p, n - 2);
    return p[n - 2] == (crc & 0xFF) && p[n - 1] == (crc >> 8);
}

void writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w > 0) {
            p += w;
            n -= static_cast<std::size_t>(w);
        } else if (w < 0 && errno != EINTR && errno != EAGAIN) {
            return;
        }
    }
}

Clock::duration wireTime(std::size_t bytes, std::uint32_t baud) {
    // Ten bits a byte: start, eight data bits, stop.
    return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * 10 * 1000000000LL / baud);
}

} // namespace

PanelPeer::PanelPeer(std::uint8_t address, std::uint32_t paceBaud)
    : address_(address), paceBaud_(paceBaud) {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slaveName_ = name;
    struct termios tio {};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    // The slave end stays open here so that the master side never sees a
    // hang-up between two users of the port.
    if (::pipe(wake_) != 0)
        throw std::runtime_error("pipe failed");
    thread_ = std::thread([this] { run(); });
}

PanelPeer::~PanelPeer() {
    stop_ = true;
    const std::uint8_t b = 1;
    [[maybe_unused]] auto w = ::write(wake_[1], &b, 1);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
    ::close(master_);
    ::close(slave_);
}

void PanelPeer::injectFault(std::uint8_t function, Fault fault, int count) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (int i = 0; i < count; ++i)
        faults_[function].push_back(fault);
}

bool PanelPeer::takeFault(std::uint8_t function, Fault* fault) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = faults_.find(function);
    if (it == faults_.end() || it->second.empty())
        return false;
    *fault = it->second.front();
    it->second.pop_front();
    return true;
}

std::vector<std::vector<std::uint8_t>> PanelPeer::frames() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return frames_;
}

std::vector<std::vector<std::uint8_t>> PanelPeer::frames(std::uint8_t function) const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& f : frames_)
        if (f.size() >= 2 && f[1] == function)
            out.push_back(f);
    return out;
}

std::map<int, std::vector<std::uint8_t>> PanelPeer::files() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return files_;
}

std::vector<int> PanelPeer::slotsBegun() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return begun_;
}

// The length of the frame at the start of `buffer`, 0 when it is not a frame
// start (the caller drops a byte), or with `needMore` set when more bytes must
// arrive first.
std::size_t PanelPeer::frameLength(const std::vector<std::uint8_t>& buffer, bool* needMore) {
    *needMore = false;
    if (buffer.size() < 2) {
        *needMore = true;
        return 0;
    }
    std::size_t fixed = 0;
    if (buffer[0] == kMasterAddress && (buffer[1] == kFnStopMaster || buffer[1] == kFnResumeMaster))
        fixed = 4;
    else if (buffer[1] == kFnBeginFile)
        fixed = 5;
    else if (buffer[1] == kFnEndFile)
        fixed = 4;
    if (fixed) {
        if (buffer.size() < fixed) {
            *needMore = true;
            return 0;
        }
        return crcOk(buffer.data(), fixed) ? fixed : 0;
    }
    if (buffer[1] != kFnDataBlock)
        return 0;
    // A data block has no length field: it ends where its CRC matches and the
    // line goes quiet, or at the longest block.
    for (std::size_t n = 6; n <= std::min(buffer.size(), kLongestData); ++n) {
        if (!crcOk(buffer.data(), n))
            continue;
        if (n == kLongestData)
            return n;
        if (n < buffer.size())
            continue; // more bytes follow: this match was inside the data
        struct pollfd p {
            master_, POLLIN, 0
        };
        if (::poll(&p, 1, 3) == 0)
            return n;
        *needMore = true;
        return 0;
    }
    if (buffer.size() >= kLongestData)
        return 0;
    *needMore = true;
    return 0;
}

void PanelPeer::run() {
    std::vector<std::uint8_t> buffer;
    std::uint8_t chunk[512];
    while (!stop_) {
        struct pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            break;
        if (!(fds[0].revents & POLLIN))
            continue;
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        buffer.insert(buffer.end(), chunk, chunk + n);
        for (;;) {
            bool needMore = false;
            const std::size_t len = frameLength(buffer, &needMore);
            if (needMore)
                break;
            if (len == 0) {
                buffer.erase(buffer.begin());
                continue;
            }
            std::vector<std::uint8_t> frame(buffer.begin(),
                                            buffer.begin() + static_cast<std::ptrdiff_t>(len));
            buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(len));
            handle(frame);
        }
    }
}

void PanelPeer::handle(const std::vector<std::uint8_t>& frame) {
    const std::uint8_t function = frame[1];
    {
        std::lock_guard<std::mutex> guard(mutex_);
        frames_.push_back(frame);
    }
    if (frame[0] == kMasterAddress) {
        reply(frame, function, frame.size());
        return;
    }
    if (frame[0] != address_)
        return; // another panel on the line
    std::vector<std::uint8_t> answer;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (function == kFnBeginFile) {
            currentSlot_ = frame[2];
            currentFile_.clear();
            expectedSequence_ = 0;
            begun_.push_back(currentSlot_);
            answer = frame;
        } else if (function == kFnEndFile) {
            if (currentSlot_ >= 0)
                files_[currentSlot_] = currentFile_;
            answer = frame;
        } else {
            const int sequence = frame[2];
            // A retried block (its reply was lost) is answered, not stored twice.
            if (sequence == (expectedSequence_ & 0xFF)) {
                currentFile_.insert(currentFile_.end(), frame.begin() + 3, frame.end() - 2);
                ++expectedSequence_;
            }
            answer = appendCrc({frame[0], kFnDataBlock, frame[2]});
        }
    }
    reply(std::move(answer), function, frame.size());
}

void PanelPeer::reply(std::vector<std::uint8_t> bytes, std::uint8_t function,
                      std::size_t requestLength) {
    const auto received = Clock::now();
    Fault fault{};
    if (takeFault(function, &fault)) {
        switch (fault) {
        case Fault::None:
            break;
        case Fault::BadCrc:
            bytes.back() ^= 0x5A;
            break;
        case Fault::WrongSequence:
            if (bytes.size() == 5 && function == kFnDataBlock)
                bytes = appendCrc({bytes[0], bytes[1], static_cast<std::uint8_t>(bytes[2] + 1)});
            break;
        case Fault::Drop:
            return;
        case Fault::Garbage:
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(~b);
            break;
        case Fault::Late:
            held_ = std::move(bytes);
            return;
        }
    }
    if (!held_.empty()) {
        bytes.insert(bytes.begin(), held_.begin(), held_.end());
        held_.clear();
    }
    if (paceBaud_ == 0) {
        writeAll(master_, bytes.data(), bytes.size());
        return;
    }
    // The request took its wire time to arrive; the reply goes out a byte at
    // a time at the line's rate.
    auto at = received + wireTime(requestLength, paceBaud_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        at += wireTime(1, paceBaud_);
        std::this_thread::sleep_until(at);
        writeAll(master_, &bytes[i], 1);
    }
}

} // namespace tessary::testpeer
