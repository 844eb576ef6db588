// Resource and map update of panels on a Modbus line: Modbus-RTU style frames
// with function codes of their own, each ended by CRC-16/MODBUS (low byte
// first), sent over a small transport so that the same code drives a real
// serial port, a pseudo-terminal or an in-memory peer.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

constexpr std::uint8_t kMasterAddress = 200;
constexpr std::uint8_t kFnResumeMaster = 0x66;
constexpr std::uint8_t kFnStopMaster = 0x67;
constexpr std::uint8_t kFnBeginFile = 0x68;
constexpr std::uint8_t kFnDataBlock = 0x69;
constexpr std::uint8_t kFnEndFile = 0x6A;
constexpr std::size_t kBlockSize = 128;
constexpr int kExchangeTries = 3;
constexpr int kMasterTries = 9;
constexpr int kPauseMs = 10;
constexpr int kSlotCount = 7;
constexpr int kMapSlot = 6;
constexpr std::uint32_t kDefaultBaud = 19200;

// Progress and outcome texts shown in the log.
extern const char* const kLogSuccess;   // "操作成功."
extern const char* const kLogFailure;   // "操作失败!!!"
extern const char* const kLogPortError; // the port cannot be opened
extern const char* const kLogStopOk;
extern const char* const kLogStopFailed;
extern const char* const kLogResumeOk;
extern const char* const kLogResumeFailed;
std::string beginLogLine(const std::string& slotName); // "开始更新" + name + "......"
std::string progressLogLine(int percent);              // "已完成%d%%..."

// Frames, CRC appended.
std::vector<std::uint8_t> appendCrc(std::vector<std::uint8_t> bytes);
std::vector<std::uint8_t> resumeMasterFrame();
std::vector<std::uint8_t> stopMasterFrame();
std::vector<std::uint8_t> beginFileFrame(std::uint8_t address, std::uint8_t slot);
std::vector<std::uint8_t> dataBlockFrame(std::uint8_t address, std::uint8_t sequence,
                                         const std::uint8_t* data, std::size_t length);
std::vector<std::uint8_t> endFileFrame(std::uint8_t address);
// A data block's reply: address, 0x69, the sequence, CRC of those three bytes.
bool isDataReply(const std::uint8_t* reply, std::size_t length, std::uint8_t address,
                 std::uint8_t sequence);

// The byte stream to a panel. read() returns what arrived within the
// transport's time-outs (fewer bytes than asked on a time-out); write() and
// read() throw on a failure of the line.
class ITransport {
public:
    virtual ~ITransport() = default;
    virtual void write(const std::uint8_t* data, std::size_t length) = 0;
    virtual std::size_t read(std::uint8_t* data, std::size_t length) = 0;
    // Drops whatever has arrived and not been read (a late reply to an
    // earlier try must not be taken for the reply to the next one).
    virtual void discardInput() = 0;
    // The pause between a frame and reading its reply.
    virtual void pause(int milliseconds) = 0;
};

// Receives the log lines of an update, on the thread that runs it.
class IUpdateLog {
public:
    virtual ~IUpdateLog() = default;
    virtual void clear() = 0;
    virtual void append(const std::string& line) = 0;
    virtual void replaceLast(const std::string& line) = 0;
};

// Slot names, in sending order.
extern const std::array<const char*, kSlotCount> kSlotNames;

// What the user asked to send.
struct SlotSelection {
    std::filesystem::path folder;
    bool images = true;
    bool touch = true;
    bool fonts = false;
    bool keyboard = false;
    bool modbus = true;
    std::filesystem::path mapFile;
};

// The file of every slot (empty where nothing goes). Folder entries are taken
// in name order and matched by lower-cased extension; when several share an
// extension the last one wins. Only regular files count.
std::array<std::filesystem::path, kSlotCount> buildSlotList(const SlotSelection& selection);

// Sends the filled slots to the panel at `address` over `transport`. Returns
// true when every slot that was sent ended in success. A file that is missing,
// cannot be opened or is empty is skipped without a log line. A failed
// exchange ends the whole update. `cancel`, when given and set, ends the
// update as a failure before the next exchange.
class ModbusUpdater {
public:
    ModbusUpdater(ITransport& transport, IUpdateLog& log, std::uint8_t address);
    void setCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

    bool run(const std::array<std::filesystem::path, kSlotCount>& slotFiles);
    // One slot: Begin, the blocks, End. False when an exchange failed.
    bool sendFile(int slot, const std::filesystem::path& file, bool* skipped = nullptr);

    int slotsSent() const { return slotsSent_; }

private:
    // Sends `frame` up to three times until `accept` takes the reply.
    bool exchange(const std::vector<std::uint8_t>& frame, std::size_t replyLength,
                  const std::function<bool(const std::uint8_t*, std::size_t)>& accept);

    ITransport& transport_;
    IUpdateLog& log_;
    std::uint8_t address_;
    const std::atomic<bool>* cancel_ = nullptr;
    int slotsSent_ = 0;
};

// Stop (true) or resume (false) the bus master: up to nine sends of the 4-byte
// frame, each followed by a read of 4 bytes; success on an exact echo.
bool exchangeMasterFrame(ITransport& transport, bool stop);

} // namespace tessary
