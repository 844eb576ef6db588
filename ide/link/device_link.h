// DeviceLink: the main window's serial connection to a panel. It owns the
// port, opens it with the link's time-outs, detects the panel (EE 04 answered
// by EE 55, retried at other rates on a timer), polls the port for replies on
// the worker thread, cuts them into frames and dispatches the ones the IDE
// understands.
//
// Lock order: the link lock (`lock()`) is taken before the port's own lock,
// always. Every connect, disconnect, rate change, send and poll holds the link
// lock around its use of the port; the download worker holds it around a
// whole transfer. The receive buffer has its own lock, taken after the link
// lock or alone; the log's lock is taken last.
#pragma once

#include "common/frame.h"
#include "common/serial_port.h"
#include "firmware_info.h"
#include "link_log.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tft::ide {

// The labels the link gives its own rows, and the lines it logs when no
// panel answers (string 105), from the IDE's string table.
struct LinkTexts {
    std::string firmware = "固件";
    std::string unknown = "未知指令";
    std::string imageIndex = "获取图片索引";
    std::string overlong = "帧超过 102400 字节，已丢弃";
    QString noDevice; // lines separated by "\r\n"
};

class DeviceLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultDetectIntervalMs = 500;
    static constexpr std::size_t kReadChunk = 512;
    static constexpr int kPollLimitMs = 100; // longest one poll keeps draining
    static constexpr int kRateCount = 13;

    explicit DeviceLink(QObject* parent = nullptr);
    ~DeviceLink() override;

    void setLog(LinkLog* log) { log_ = log; }
    void setTexts(LinkTexts texts) { texts_ = std::move(texts); }
    // Detection timer interval (500 ms; tests shorten it through a setting).
    void setDetectInterval(int ms) { detectTimer_.setInterval(ms); }

    // Opens `port` at the rate of `rateIndex` (into CSerialPort::kBaudRates),
    // clears the log and starts detection. False with the reason in `error`
    // (busy, missing, no permission) when the port does not open.
    bool connectTo(const std::string& port, int rateIndex, std::string* error);
    // Clears connected and the firmware information and closes the port.
    void disconnectLink();
    bool isOpen() const { return port_.IsOpen(); }
    bool isConnected() const { return connected_.load(); }
    FirmwareInfo firmware() const;
    int detectionRetries() const { return retries_; }
    int rateIndex() const { return rateIndex_.load(); }
    // Changes the rate of the open port (no effect while closed).
    bool setRateIndex(int index, std::string* error = nullptr);

    // Writes `bytes` under the link lock; on success logs a TX row with
    // `label`. False (nothing logged) when the port is closed or the write
    // failed.
    bool send(const std::vector<std::uint8_t>& bytes, const std::string& label = {});
    // A request whose reply is awaited (the image index): as send(), but
    // under the same lock first purges the port both ways and empties the
    // receive buffer, so no stale bytes prefix the reply.
    bool request(const std::vector<std::uint8_t>& bytes, const std::string& label);

    // Worker thread, about every 50 ms while idle: reads what the port holds
    // (in 512-byte chunks, for at most kPollLimitMs) and dispatches it.
    // Returns the bytes read. A port that fails (device
    // gone) is closed and `linkLost` reported.
    std::size_t poll();
    // Appends received bytes and dispatches every complete frame.
    void dispatch(const std::uint8_t* data, std::size_t length);

    // The link lock (see above) and the port, for the download.
    std::mutex& lock() { return lock_; }

    // Holds the link lock for a whole transfer. While one is held, what the
    // user interface asks of the port (send, connect, disconnect, rate) is
    // refused at once instead of waiting for the transfer to end.
    class Transfer {
    public:
        explicit Transfer(DeviceLink& link);
        ~Transfer();
        Transfer(const Transfer&) = delete;
        Transfer& operator=(const Transfer&) = delete;

    private:
        DeviceLink& link_;
    };
    bool transferring() const { return transferring_.load(); }
    CSerialPort& port() { return port_; }

signals:
    // Connection state or firmware information changed: rebuild the status text.
    void statusChanged();
    // An image index reply (EE 05, at least 9 bytes), for the download.
    void imageIndexReceived(const QByteArray& frame);
    // The rate index changed while detecting (the baud combo follows).
    void rateIndexChanged(int index);
    // The port failed while open; the link is disconnected.
    void linkLost(const QString& reason);
    // No answer at any rate; the link has disconnected.
    void detectionFailed();
    // The panel answered the detection request.
    void detected();

private:
    void startDetection();
    void onDetectTimer();
    void onDetected();
    void dispatchFrame(const std::uint8_t* frame, std::size_t length);
    void logFrame(LinkDirection direction, const std::vector<std::uint8_t>& bytes,
                  const std::string& label);
    void closeLocked();
    // Takes the link lock for the user interface: false (not taken) while a
    // transfer holds it.
    bool lockUnlessTransferring(std::unique_lock<std::mutex>& guard);

    std::mutex lock_; // the link lock
    std::atomic<bool> transferring_{false};
    CSerialPort port_;
    LinkLog* log_ = nullptr;
    LinkTexts texts_;
    QTimer detectTimer_;
    int retries_ = 0;
    std::atomic<int> rateIndex_{3};
    std::atomic<bool> connected_{false};

    mutable std::mutex rxLock_; // guards rx_, frame_ and firmware_
    ReceiveBuffer rx_;
    std::vector<std::uint8_t> frame_;
    FirmwareInfo firmware_;
};

// The detection exchange: request and the panel's answer.
extern const std::vector<std::uint8_t> kDetectRequest;   // EE 04 FF FC FF FF
extern const std::vector<std::uint8_t> kDetectAnswer;    // EE 55 FF FC FF FF
extern const std::vector<std::uint8_t> kFirmwareRequest; // EE FE FF FC FF FF

} // namespace tft::ide
