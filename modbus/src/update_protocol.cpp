#include "modbus/update_protocol.h"

#include <algorithm>
#include <cctype>
#include <common/crc16.h>
#include <cstdio>
#include <fstream>
#include <map>
#include <system_error>

namespace tessary {

const char* const kLogSuccess = "操作成功.";
const char* const kLogFailure = "操作失败!!!";
const char* const kLogPortError = "操作异常，请检查串口是否存在，且没有被其它程序打开。";
const char* const kLogStopOk = "停止主控器：成功";
const char* const kLogStopFailed = "停止主控器：失败";
const char* const kLogResumeOk = "恢复主控器：成功";
const char* const kLogResumeFailed = "恢复主控器：失败";

const std::array<const char*, kSlotCount> kSlotNames{
    "图片索引", "图片文件", "触控配置", "字库索引", "字库文件", "键盘资源", "Modbus配置文件",
};

std::string beginLogLine(const std::string& slotName) {
    return "开始更新" + slotName + "......";
}

std::string progressLogLine(int percent) {
    char text[32];
    std::snprintf(text, sizeof text, "已完成%d%%...", percent);
    return text;
}

std::vector<std::uint8_t> appendCrc(std::vector<std::uint8_t> bytes) {
    const std::uint16_t crc = tft::crc16Modbus(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

std::vector<std::uint8_t> resumeMasterFrame() {
    return appendCrc({kMasterAddress, kFnResumeMaster});
}

std::vector<std::uint8_t> stopMasterFrame() {
    return appendCrc({kMasterAddress, kFnStopMaster});
}

std::vector<std::uint8_t> beginFileFrame(std::uint8_t address, std::uint8_t slot) {
    return appendCrc({address, kFnBeginFile, slot});
}

std::vector<std::uint8_t> dataBlockFrame(std::uint8_t address, std::uint8_t sequence,
                                         const std::uint8_t* data, std::size_t length) {
    std::vector<std::uint8_t> frame{address, kFnDataBlock, sequence};
    frame.insert(frame.end(), data, data + length);
    return appendCrc(std::move(frame));
}

std::vector<std::uint8_t> endFileFrame(std::uint8_t address) {
    return appendCrc({address, kFnEndFile});
}

bool isDataReply(const std::uint8_t* reply, std::size_t length, std::uint8_t address,
                 std::uint8_t sequence) {
    if (length != 5 || reply[0] != address || reply[1] != kFnDataBlock || reply[2] != sequence)
        return false;
    const std::uint16_t crc = tft::crc16Modbus(reply, 3);
    return reply[3] == (crc & 0xFF) && reply[4] == (crc >> 8);
}

namespace {

std::string lowerExtension(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

std::array<std::filesystem::path, kSlotCount> buildSlotList(const SlotSelection& selection) {
    std::array<std::filesystem::path, kSlotCount> slotFiles;
    const std::array<std::pair<const char*, bool>, 6> folderSlots{{
        {".graidx", selection.images},
        {".gwb", selection.images},
        {".si", selection.touch},
        {".fidx", selection.fonts},
        {".fbin", selection.fonts},
        {".sbin", selection.keyboard},
    }};
    if (!selection.folder.empty()) {
        // The directory listing order is the file system's; name order makes
        // "the last one wins" the same on every machine.
        std::vector<std::filesystem::path> entries;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(selection.folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code typeError;
            if (it->is_regular_file(typeError))
                entries.push_back(it->path());
        }
        std::sort(entries.begin(), entries.end());
        for (const auto& entry : entries) {
            const std::string ext = lowerExtension(entry);
            for (std::size_t s = 0; s < folderSlots.size(); ++s)
                if (folderSlots[s].second && ext == folderSlots[s].first)
                    slotFiles[s] = entry;
        }
    }
    if (selection.modbus)
        slotFiles[kMapSlot] = selection.mapFile;
    return slotFiles;
}

ModbusUpdater::ModbusUpdater(ITransport& transport, IUpdateLog& log, std::uint8_t address)
    : transport_(transport), log_(log), address_(address) {}

bool ModbusUpdater::exchange(const std::vector<std::uint8_t>& frame, std::size_t replyLength,
                             const std::function<bool(const std::uint8_t*, std::size_t)>& accept) {
    std::array<std::uint8_t, 8> reply{};
    for (int attempt = 0; attempt < kExchangeTries; ++attempt) {
        if (cancel_ && cancel_->load())
            return false;
        transport_.discardInput();
        transport_.write(frame.data(), frame.size());
        transport_.pause(kPauseMs);
        reply.fill(0);
        const std::size_t got = transport_.read(reply.data(), replyLength);
        if (accept(reply.data(), got))
            return true;
    }
    return false;
}

bool ModbusUpdater::sendFile(int slot, const std::filesystem::path& file, bool* skipped) {
    if (skipped)
        *skipped = true;
    if (slot < 0 || slot >= kSlotCount || file.empty())
        return true;
    // Checked before opening: opening a FIFO would block the update.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return true;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return true;
    const std::uintmax_t length = std::filesystem::file_size(file, ec);
    if (ec || length == 0)
        return true;
    if (skipped)
        *skipped = false;

    ++slotsSent_;
    log_.append(beginLogLine(kSlotNames[static_cast<std::size_t>(slot)]));
    const auto echo = [](const std::vector<std::uint8_t>& expected) {
        return [&expected](const std::uint8_t* r, std::size_t n) {
            return n == expected.size() && std::equal(expected.begin(), expected.end(), r);
        };
    };
    const auto begin = beginFileFrame(address_, static_cast<std::uint8_t>(slot));
    if (!exchange(begin, begin.size(), echo(begin))) {
        log_.append(kLogFailure);
        return false;
    }
    log_.append(progressLogLine(0));

    std::array<std::uint8_t, kBlockSize> block{};
    std::uint64_t sent = 0;
    std::uint8_t sequence = 0;
    for (;;) {
        in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0)
            break;
        const auto frame = dataBlockFrame(address_, sequence, block.data(), got);
        const std::uint8_t seq = sequence;
        const std::uint8_t addr = address_;
        if (!exchange(frame, 5, [addr, seq](const std::uint8_t* r, std::size_t n) {
                return isDataReply(r, n, addr, seq);
            })) {
            log_.append(kLogFailure);
            return false;
        }
        sent += got;
        // 64-bit so that large files cannot overflow; a file that grew while
        // being sent never shows more than 100.
        const auto percent = static_cast<int>(std::min<std::uint64_t>(100, sent * 100 / length));
        log_.replaceLast(progressLogLine(percent));
        sequence = static_cast<std::uint8_t>(sequence + 1);
        if (got < block.size())
            break;
    }
    if (in.bad()) {
        log_.append(kLogFailure);
        return false;
    }

    const auto end = endFileFrame(address_);
    if (!exchange(end, end.size(), echo(end))) {
        log_.append(kLogFailure);
        return false;
    }
    log_.append(kLogSuccess);
    return true;
}

bool ModbusUpdater::run(const std::array<std::filesystem::path, kSlotCount>& slotFiles) {
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (!sendFile(slot, slotFiles[static_cast<std::size_t>(slot)]))
            return false;
    return true;
}

bool exchangeMasterFrame(ITransport& transport, bool stop) {
    const auto frame = stop ? stopMasterFrame() : resumeMasterFrame();
    for (int attempt = 0; attempt < kMasterTries; ++attempt) {
        std::array<std::uint8_t, 4> reply{};
        transport.write(frame.data(), frame.size());
        const std::size_t got = transport.read(reply.data(), reply.size());
        if (got == reply.size() && std::equal(reply.begin(), reply.end(), frame.begin()))
            return true;
    }
    return false;
}

} // namespace tessary
