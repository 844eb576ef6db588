// The simulated panel's side of the resource download: it watches the host's
// bytes for the download opening (EE F0 FF FC FF FF) and the image index
// request (EE F3 FF FC FF FF), and while a download runs it takes the command
// headers and data packets itself, keeping the received files in its storage
// folder. Files are written under a temporary name and moved into place only
// when the host closes the download (0xF1), so a cut-off or refused transfer
// leaves the previous content as it was. See docs/formats.md.
#pragma once

#include "simulator/bridge.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tft {

class DownloadReceiver {
public:
    static constexpr std::uint8_t kAck = 0xA5;
    static constexpr std::uint8_t kRefuse = 0x15;
    static constexpr std::uint8_t kClose = 0xF1;
    static constexpr std::uint32_t kFlashBase = 0xB00000; // address of .gwb byte 0
    // The most index records one EE 05 reply carries: the host's frame
    // buffer holds 102400 bytes.
    static constexpr std::size_t kMaxIndexRecords = (102400 - 8) / 16;

    struct Options {
        std::filesystem::path storage;
        std::size_t block = 2048; // data bytes per packet (256 on small devices)
        std::uint64_t maxFileBytes = 128ull << 20;
        std::int64_t idleAbortMs = 2000; // a session silent this long was abandoned
    };

    explicit DownloadReceiver(Options options);
    ~DownloadReceiver();

    // The base name (no extension) of the set received into the storage folder.
    std::filesystem::path StoredBase() const { return options_.storage / "panel"; }
    // True when the storage folder holds a received screen file.
    bool HasStoredSet() const;
    // The set the panel runs, which EE F3 answers from and 0x96 patches
    // (a base path, any extension is replaced).
    void SetHeldSet(const std::filesystem::path& base);
    // Called after a download was closed with the path of the stored screen
    // file, when there is one.
    void SetLoadHandler(std::function<void(const std::filesystem::path&)> handler);
    // Told why a session was refused or abandoned.
    void SetReportHandler(std::function<void(const std::string&)> handler);

    // Host bytes in; bytes meant for the core and the replies for the host
    // are appended to the two vectors.
    void Feed(const std::uint8_t* data, std::size_t length, std::int64_t nowMs,
              std::vector<std::uint8_t>& toCore, std::vector<std::uint8_t>& toHost);
    // Ends a session the host abandoned (no byte for idleAbortMs).
    void Poll(std::int64_t nowMs);
    bool Downloading() const { return mode_ != Mode::Normal; }

private:
    enum class Mode { Normal, AwaitCommand, AwaitId, Packet };
    enum class Kind {
        Index,
        ImageData,
        VoiceData,
        FontIndex,
        FontData,
        Screen,
        Keyboard,
        Modbus,
        Patch
    };

    void feedNormal(std::uint8_t byte, std::vector<std::uint8_t>& toCore,
                    std::vector<std::uint8_t>& toHost);
    void feedDownload(std::uint8_t byte, std::vector<std::uint8_t>& toCore,
                      std::vector<std::uint8_t>& toHost);
    void passToCore(std::uint8_t byte, std::vector<std::uint8_t>& toCore);
    void openSession();
    void abortSession(const std::string& why);
    void closeSession();
    bool beginFile(Kind kind, std::string* why);
    bool beginPatch(std::uint16_t id, std::string* why);
    bool takePacket(std::string* why);
    bool finishFile(std::string* why);
    void dropFile();
    void answerIndex(std::vector<std::uint8_t>& toHost) const;
    std::filesystem::path staged(const std::string& name) const;
    std::filesystem::path current(const std::string& extension) const;
    void report(const std::string& text) const;

    Options options_;
    std::filesystem::path incoming_;
    std::filesystem::path held_;
    std::function<void(const std::filesystem::path&)> onLoad_;
    std::function<void(const std::string&)> onReport_;

    Mode mode_ = Mode::Normal;
    std::int64_t lastByteMs_ = 0;
    // Normal mode: the core's framing, so requests are seen only at a frame start.
    std::vector<std::uint8_t> candidate_;
    bool inFrame_ = false;
    std::size_t frameLength_ = 0;
    std::uint32_t lastFour_ = 0;
    // Download mode.
    std::vector<std::uint8_t> idBytes_;
    Kind kind_ = Kind::Index;
    bool lastIndexWasVoice_ = false;
    std::fstream file_;
    std::filesystem::path partPath_;
    std::uint64_t written_ = 0;
    std::uint64_t limit_ = 0;
    std::uint64_t startOffset_ = 0;
    std::size_t chunk_ = 0;
    std::vector<std::uint8_t> packet_;
    std::vector<std::string> completed_; // names staged in this session
};

// A line whose host bytes pass through a download receiver: what the core
// should see is returned by Read, replies go straight back to the host, and
// the core's own output is held back while a download runs.
class DownloadLine : public Line {
public:
    DownloadLine(std::unique_ptr<Line> inner, DownloadReceiver::Options options);
    long Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override;
    bool Write(const std::uint8_t* data, std::size_t length) override;
    bool SetRate(std::uint32_t baud) override { return inner_->SetRate(baud); }
    std::string Describe() const override { return inner_->Describe(); }
    std::string LastError() const override { return inner_->LastError(); }
    DownloadReceiver& Receiver() { return receiver_; }
    Line& Inner() { return *inner_; }

private:
    std::unique_ptr<Line> inner_;
    DownloadReceiver receiver_; // used by the reading thread only
    std::mutex writeLock_;
    std::vector<std::uint8_t> pending_; // bytes for the core not yet returned
    std::size_t pendingAt_ = 0;
    bool downloading_ = false; // guarded by writeLock_
};

} // namespace tft
