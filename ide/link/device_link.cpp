#include "device_link.h"

#include "common/hex_text.h"

#include <QStringList>
#include <chrono>
#include <poll.h>
#include <thread>

namespace tft::ide {

const std::vector<std::uint8_t> kDetectRequest{0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
const std::vector<std::uint8_t> kDetectAnswer{0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
const std::vector<std::uint8_t> kFirmwareRequest{0xEE, 0xFE, 0xFF, 0xFC, 0xFF, 0xFF};

namespace {

constexpr std::uint8_t kFirmwareReply = 0xFE;
constexpr std::uint8_t kImageIndexReply = 0x05;
constexpr std::size_t kImageIndexMinimum = 9;

bool validRate(int index) {
    return index >= 0 && index < DeviceLink::kRateCount;
}

} // namespace

DeviceLink::DeviceLink(QObject* parent) : QObject(parent), frame_(ReceiveBuffer::kFrameBufferSize) {
    detectTimer_.setSingleShot(true);
    detectTimer_.setInterval(kDefaultDetectIntervalMs);
    connect(&detectTimer_, &QTimer::timeout, this, &DeviceLink::onDetectTimer);
}

DeviceLink::~DeviceLink() {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
}

DeviceLink::Transfer::Transfer(DeviceLink& link) : link_(link) {
    link_.transferring_ = true;
    link_.lock_.lock();
}

DeviceLink::Transfer::~Transfer() {
    link_.lock_.unlock();
    link_.transferring_ = false;
}

bool DeviceLink::lockUnlessTransferring(std::unique_lock<std::mutex>& guard) {
    // A poll holds the lock for a moment only; a transfer for minutes.
    while (!guard.try_lock()) {
        if (transferring_)
            return false;
        std::this_thread::yield();
    }
    return true;
}

bool DeviceLink::connectTo(const std::string& name, int rateIndex, std::string* error) {
    if (!validRate(rateIndex))
        rateIndex = 3;
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (!lockUnlessTransferring(guard)) {
            if (error)
                *error = "a download is running";
            return false;
        }
        closeLocked();
        try {
            port_.Open(name, CSerialPort::kBaudRates[rateIndex]);
            CommTimeouts t;
            t.ReadIntervalTimeout = 10;
            t.ReadTotalTimeoutMultiplier = 0;
            t.ReadTotalTimeoutConstant = 100;
            t.WriteTotalTimeoutMultiplier = 100;
            t.WriteTotalTimeoutConstant = 100;
            port_.SetTimeouts(t);
            for (std::uint32_t flag : {PURGE_TXABORT, PURGE_RXABORT, PURGE_TXCLEAR, PURGE_RXCLEAR})
                port_.Purge(flag);
        } catch (const CSerialException& e) {
            closeLocked();
            if (error)
                *error = e.GetErrorMessage();
            emit statusChanged();
            return false;
        }
        std::lock_guard<std::mutex> rx(rxLock_);
        rx_.clear();
    }
    rateIndex_ = rateIndex;
    if (log_)
        log_->clearRows();
    retries_ = 0;
    startDetection();
    emit statusChanged();
    return true;
}

void DeviceLink::disconnectLink() {
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (!lockUnlessTransferring(guard))
            return;
        detectTimer_.stop();
        closeLocked();
    }
    emit statusChanged();
}

void DeviceLink::closeLocked() {
    connected_ = false;
    {
        std::lock_guard<std::mutex> rx(rxLock_);
        firmware_ = FirmwareInfo{};
        rx_.clear();
    }
    port_.Close();
}

FirmwareInfo DeviceLink::firmware() const {
    std::lock_guard<std::mutex> rx(rxLock_);
    return firmware_;
}

bool DeviceLink::setRateIndex(int index, std::string* error) {
    if (!validRate(index))
        return false;
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (!lockUnlessTransferring(guard))
            return false;
        if (port_.IsOpen()) {
            try {
                port_.SetBaudRate(CSerialPort::kBaudRates[index]);
            } catch (const CSerialException& e) {
                if (error)
                    *error = e.GetErrorMessage();
                return false;
            }
        }
    }
    if (rateIndex_.exchange(index) != index)
        emit rateIndexChanged(index);
    return true;
}

bool DeviceLink::send(const std::vector<std::uint8_t>& bytes, const std::string& label) {
    if (bytes.empty())
        return false;
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (!lockUnlessTransferring(guard))
            return false;
        if (!port_.IsOpen() || port_.Write(bytes.data(), bytes.size()) != bytes.size())
            return false;
    }
    logFrame(LinkDirection::Sent, bytes, label);
    return true;
}

bool DeviceLink::request(const std::vector<std::uint8_t>& bytes, const std::string& label) {
    if (bytes.empty())
        return false;
    {
        std::unique_lock<std::mutex> guard(lock_, std::defer_lock);
        if (!lockUnlessTransferring(guard) || !port_.IsOpen())
            return false;
        port_.Purge(PURGE_TXCLEAR);
        port_.Purge(PURGE_RXCLEAR);
        {
            std::lock_guard<std::mutex> rx(rxLock_);
            rx_.clear();
        }
        if (port_.Write(bytes.data(), bytes.size()) != bytes.size())
            return false;
    }
    logFrame(LinkDirection::Sent, bytes, label);
    return true;
}

void DeviceLink::startDetection() {
    {
        // Whatever arrived at the old rate is noise that would prefix the
        // answer and hide it.
        std::lock_guard<std::mutex> rx(rxLock_);
        rx_.clear();
    }
    send(kDetectRequest);
    detectTimer_.start();
}

void DeviceLink::onDetectTimer() {
    detectTimer_.stop();
    if (connected_ || !isOpen())
        return;
    if (retries_ < kRateCount) {
        ++retries_;
        // Cycles through the first eight rates, 1200 to 115200.
        setRateIndex((rateIndex_ + 1) & 7);
        startDetection();
        return;
    }
    if (log_) {
        for (const QString& line : texts_.noDevice.split(QLatin1Char('\n'))) {
            QString text = line;
            text.remove(QLatin1Char('\r'));
            if (!text.isEmpty())
                log_->appendNote(text.toStdString());
        }
    }
    disconnectLink();
    emit detectionFailed();
}

void DeviceLink::onDetected() {
    detectTimer_.stop();
    if (!connected_)
        return;
    send(kFirmwareRequest, texts_.firmware);
    emit statusChanged();
    emit detected();
}

std::size_t DeviceLink::poll() {
    // Drain what the port holds, one chunk under the link lock at a time so a
    // send from the user interface slips in between; a busy line is emptied
    // within one poll instead of 512 bytes every 50 ms.
    const auto start = std::chrono::steady_clock::now();
    std::size_t total = 0;
    for (;;) {
        std::uint8_t buffer[kReadChunk];
        std::size_t got = 0;
        QString lost;
        {
            std::lock_guard<std::mutex> guard(lock_);
            const int fd = port_.NativeHandle();
            if (fd < 0)
                return total;
            // Only read when something is there, so a send never waits out a
            // whole read time-out behind the poll.
            struct pollfd p {
                fd, POLLIN, 0
            };
            if (::poll(&p, 1, 0) <= 0)
                return total;
            try {
                got = port_.Read(buffer, sizeof buffer);
            } catch (const CSerialException& e) {
                lost = QString::fromStdString(e.GetErrorMessage());
                closeLocked();
            }
        }
        if (!lost.isEmpty()) {
            // The timer belongs to the user-interface thread.
            QMetaObject::invokeMethod(&detectTimer_, "stop", Qt::QueuedConnection);
            emit linkLost(lost);
            emit statusChanged();
            return total;
        }
        if (got == 0)
            return total;
        dispatch(buffer, got);
        total += got;
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kPollLimitMs))
            return total;
    }
}

void DeviceLink::dispatch(const std::uint8_t* data, std::size_t length) {
    std::unique_lock<std::mutex> rx(rxLock_);
    rx_.append(data, length);
    for (;;) {
        bool dropped = false;
        const std::size_t n = rx_.ExtractFrame(frame_.data(), frame_.size(), &dropped);
        if (n == 0 && !dropped)
            break;
        if (dropped) {
            rx.unlock();
            if (log_)
                log_->appendNote(texts_.overlong);
            rx.lock();
            continue;
        }
        const std::vector<std::uint8_t> frame(frame_.begin(), frame_.begin() + n);
        rx.unlock();
        dispatchFrame(frame.data(), frame.size());
        rx.lock();
    }
}

void DeviceLink::dispatchFrame(const std::uint8_t* f, std::size_t n) {
    const std::vector<std::uint8_t> frame(f, f + n);
    if (f[0] != kFrameHead) {
        logFrame(LinkDirection::Received, frame, texts_.unknown);
        return;
    }
    if (n > 1 && f[1] == kFirmwareReply && frame != kFirmwareRequest) {
        logFrame(LinkDirection::Received, frame, texts_.firmware);
        {
            std::lock_guard<std::mutex> rx(rxLock_);
            firmware_ = FirmwareInfo::decode(f, n);
        }
        emit statusChanged();
        return;
    }
    if (n >= kImageIndexMinimum && f[1] == kImageIndexReply) {
        logFrame(LinkDirection::Received, frame, texts_.imageIndex);
        emit imageIndexReceived(QByteArray(reinterpret_cast<const char*>(f), int(n)));
        return;
    }
    // Logged first: the firmware request that the answer triggers must come
    // after it in the log.
    logFrame(LinkDirection::Received, frame, {});
    if (frame == kDetectAnswer && !connected_.exchange(true))
        QMetaObject::invokeMethod(this, &DeviceLink::onDetected, Qt::QueuedConnection);
}

void DeviceLink::logFrame(LinkDirection direction, const std::vector<std::uint8_t>& bytes,
                          const std::string& label) {
    if (log_)
        log_->appendFrame(direction, toHexText(bytes), label);
}

} // namespace tft::ide
