#include "simulator/download_receiver.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace tft {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::uint8_t, 6> kOpenRequest{0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
constexpr std::array<std::uint8_t, 6> kIndexRequest{0xEE, 0xF3, 0xFF, 0xFC, 0xFF, 0xFF};
constexpr std::uint32_t kTail = 0xFFFCFFFF;
constexpr std::size_t kRecordSize = 16;

bool startsLike(const std::vector<std::uint8_t>& bytes, const std::array<std::uint8_t, 6>& with) {
    return bytes.size() <= with.size() && std::equal(bytes.begin(), bytes.end(), with.begin());
}

bool isWhole(const std::vector<std::uint8_t>& bytes, const std::array<std::uint8_t, 6>& request) {
    return bytes.size() == request.size() && startsLike(bytes, request);
}

std::vector<std::uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A sound index and a picture index both arrive under 0x90; a sound record
// holds channels 1-2, 8 or 16 bits and the rate 32000, while a picture
// record has its format (4 or 5) where a sound record has its bit count.
bool looksLikeSoundIndex(const std::vector<std::uint8_t>& index) {
    if (index.empty() || index.size() % kRecordSize != 0)
        return false;
    for (std::size_t at = 0; at < index.size(); at += kRecordSize) {
        const std::uint8_t* r = index.data() + at;
        const unsigned bits = r[2] | (r[3] << 8);
        const std::uint32_t rate = r[4] | (r[5] << 8) | (r[6] << 16) | (std::uint32_t(r[7]) << 24);
        if ((r[1] != 1 && r[1] != 2) || (bits != 8 && bits != 16) || rate != 32000)
            return false;
    }
    return true;
}

const char* nameOf(int kind, bool voice) {
    static const char* const names[] = {"panel.graidx", "panel.gwb",  "panel.pwav",
                                        "panel.fidx",   "panel.fbin", "panel.si",
                                        "panel.sbin",   "panel.mbm",  "panel.gwb"};
    if (kind == 0 && voice)
        return "panel.pwi";
    return names[kind];
}

} // namespace

DownloadReceiver::DownloadReceiver(Options options)
    : options_(std::move(options)), incoming_(options_.storage / ".incoming") {
    if (HasStoredSet())
        held_ = StoredBase();
}

DownloadReceiver::~DownloadReceiver() {
    if (Downloading())
        abortSession("the panel stopped during a download");
}

bool DownloadReceiver::HasStoredSet() const {
    std::error_code ec;
    return fs::is_regular_file(StoredBase().string() + ".si", ec);
}

void DownloadReceiver::SetHeldSet(const fs::path& base) {
    held_ = base;
    held_.replace_extension();
}

void DownloadReceiver::SetLoadHandler(std::function<void(const fs::path&)> handler) {
    onLoad_ = std::move(handler);
}

void DownloadReceiver::SetReportHandler(std::function<void(const std::string&)> handler) {
    onReport_ = std::move(handler);
}

void DownloadReceiver::report(const std::string& text) const {
    if (onReport_)
        onReport_(text);
}

void DownloadReceiver::Feed(const std::uint8_t* data, std::size_t length, std::int64_t nowMs,
                            std::vector<std::uint8_t>& toCore, std::vector<std::uint8_t>& toHost) {
    if (length == 0)
        return;
    Poll(nowMs);
    lastByteMs_ = nowMs;
    for (std::size_t i = 0; i < length; ++i) {
        if (mode_ == Mode::Normal)
            feedNormal(data[i], toCore, toHost);
        else
            feedDownload(data[i], toCore, toHost);
    }
}

void DownloadReceiver::Poll(std::int64_t nowMs) {
    if (Downloading() && nowMs - lastByteMs_ > options_.idleAbortMs)
        abortSession("the host went silent during a download");
}

// The core discards bytes outside frames other than EE, and an EE inside a
// frame does not restart it: a request is only looked for where the core
// would start a frame, so the same bytes inside another frame's parameters
// go to the core untouched.
void DownloadReceiver::feedNormal(std::uint8_t byte, std::vector<std::uint8_t>& toCore,
                                  std::vector<std::uint8_t>& toHost) {
    if (candidate_.empty() && (inFrame_ || byte != 0xEE)) {
        passToCore(byte, toCore);
        return;
    }
    candidate_.push_back(byte);
    if (isWhole(candidate_, kOpenRequest)) {
        candidate_.clear();
        openSession();
        toHost.push_back(kAck);
    } else if (isWhole(candidate_, kIndexRequest)) {
        candidate_.clear();
        answerIndex(toHost);
    } else if (!startsLike(candidate_, kOpenRequest) && !startsLike(candidate_, kIndexRequest)) {
        std::vector<std::uint8_t> release;
        release.swap(candidate_);
        for (std::uint8_t b : release)
            passToCore(b, toCore);
    }
}

void DownloadReceiver::passToCore(std::uint8_t byte, std::vector<std::uint8_t>& toCore) {
    toCore.push_back(byte);
    if (!inFrame_) {
        if (byte == 0xEE) {
            inFrame_ = true;
            frameLength_ = 1;
            lastFour_ = byte;
        }
        return;
    }
    ++frameLength_;
    lastFour_ = (lastFour_ << 8) | byte;
    if (lastFour_ == kTail && frameLength_ >= 6)
        inFrame_ = false;
}

void DownloadReceiver::feedDownload(std::uint8_t byte, std::vector<std::uint8_t>& toCore,
                                    std::vector<std::uint8_t>& toHost) {
    std::string why;
    switch (mode_) {
    case Mode::AwaitCommand: {
        static const std::map<std::uint8_t, Kind> kinds = {
            {0x90, Kind::Index},     {0x91, Kind::FontData}, {0x92, Kind::ImageData},
            {0x93, Kind::FontIndex}, {0x97, Kind::Screen},   {0x98, Kind::Keyboard},
            {0x99, Kind::Modbus}};
        if (byte == kClose) {
            closeSession();
            toHost.push_back(kAck);
        } else if (byte == 0x96) {
            idBytes_.clear();
            mode_ = Mode::AwaitId;
        } else if (byte == 0xEE) {
            // A host that starts over: what this session received is dropped.
            abortSession("a new request arrived during a download");
            feedNormal(byte, toCore, toHost);
        } else if (auto k = kinds.find(byte); k != kinds.end() && beginFile(k->second, &why)) {
            toHost.push_back(kAck);
        } else {
            if (!why.empty())
                report(why);
            toHost.push_back(kRefuse);
        }
        return;
    }
    case Mode::AwaitId:
        idBytes_.push_back(byte);
        if (idBytes_.size() < 2)
            return;
        if (beginPatch(static_cast<std::uint16_t>(idBytes_[0] | (idBytes_[1] << 8)), &why)) {
            toHost.push_back(kAck);
        } else {
            report(why);
            mode_ = Mode::AwaitCommand;
            toHost.push_back(kRefuse);
        }
        return;
    case Mode::Packet:
        packet_.push_back(byte);
        if (packet_.size() < options_.block + 2)
            return;
        if (takePacket(&why)) {
            toHost.push_back(kAck);
        } else {
            report(why);
            dropFile();
            toHost.push_back(kRefuse);
        }
        packet_.clear();
        return;
    case Mode::Normal:
        return;
    }
}

void DownloadReceiver::openSession() {
    std::error_code ec;
    fs::remove_all(incoming_, ec);
    fs::create_directories(incoming_, ec);
    completed_.clear();
    lastIndexWasVoice_ = false;
    mode_ = Mode::AwaitCommand;
}

void DownloadReceiver::abortSession(const std::string& why) {
    dropFile();
    std::error_code ec;
    fs::remove_all(incoming_, ec);
    completed_.clear();
    mode_ = Mode::Normal;
    inFrame_ = false;
    candidate_.clear();
    report(why + "; the panel keeps its previous content");
}

void DownloadReceiver::closeSession() {
    dropFile();
    std::error_code ec;
    bool moved = false;
    for (const std::string& name : completed_) {
        fs::rename(incoming_ / name, options_.storage / name, ec);
        if (ec)
            report("cannot store " + name + ": " + ec.message());
        else
            moved = true;
    }
    fs::remove_all(incoming_, ec);
    completed_.clear();
    mode_ = Mode::Normal;
    inFrame_ = false;
    if (moved && HasStoredSet()) {
        held_ = StoredBase();
        if (onLoad_)
            onLoad_(StoredBase().string() + ".si");
    }
}

fs::path DownloadReceiver::staged(const std::string& name) const {
    return incoming_ / name;
}

// A file of the running set as it will be after this session: the one
// received in it when there is one, else the held one.
fs::path DownloadReceiver::current(const std::string& extension) const {
    const std::string name = "panel" + extension;
    if (std::find(completed_.begin(), completed_.end(), name) != completed_.end())
        return staged(name);
    return held_.empty() ? fs::path() : fs::path(held_.string() + extension);
}

bool DownloadReceiver::beginFile(Kind kind, std::string* why) {
    kind_ = kind;
    partPath_ = staged(std::string(nameOf(int(kind), false)) + ".part");
    file_.open(partPath_, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!file_) {
        *why = "cannot write " + partPath_.string();
        return false;
    }
    written_ = 0;
    limit_ = options_.maxFileBytes;
    startOffset_ = 0;
    chunk_ = options_.block;
    packet_.clear();
    mode_ = Mode::Packet;
    return true;
}

// A replacement picture overwrites one picture's pixels in the picture data,
// at the address its index record gives and no further than its size.
bool DownloadReceiver::beginPatch(std::uint16_t id, std::string* why) {
    const std::vector<std::uint8_t> index = readAll(current(".graidx"));
    for (std::size_t at = 0; at + kRecordSize <= index.size(); at += kRecordSize) {
        const std::uint8_t* r = index.data() + at;
        if ((r[0] | (r[1] << 8)) != id)
            continue;
        const std::uint32_t address =
            r[3] | (r[4] << 8) | (r[5] << 16) | (std::uint32_t(r[6]) << 24);
        const std::uint32_t size = r[11] | (r[12] << 8) | (r[13] << 16);
        if (address < kFlashBase) {
            *why = "picture " + std::to_string(id) + " lies outside the picture data";
            return false;
        }
        const fs::path source = current(".gwb");
        partPath_ = staged("panel.gwb.part");
        std::error_code ec;
        fs::copy_file(source, partPath_, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            *why = "no picture data to replace picture " + std::to_string(id) + " in";
            return false;
        }
        file_.open(partPath_, std::ios::binary | std::ios::in | std::ios::out);
        file_.seekp(std::streamoff(address - kFlashBase));
        if (!file_) {
            *why = "cannot write " + partPath_.string();
            return false;
        }
        kind_ = Kind::Patch;
        written_ = 0;
        limit_ = size;
        startOffset_ = address;
        chunk_ = options_.block - address % options_.block;
        packet_.clear();
        mode_ = Mode::Packet;
        return true;
    }
    *why = "the panel holds no picture " + std::to_string(id);
    return false;
}

// A packet is a little-endian count and a full block; a count below the
// chunk ends the file, except after a start offset, where the host ends
// with a packet of count 0.
bool DownloadReceiver::takePacket(std::string* why) {
    const std::size_t count = packet_[0] | (packet_[1] << 8);
    if (count > chunk_) {
        *why = "a packet claims " + std::to_string(count) + " bytes of " + std::to_string(chunk_);
        return false;
    }
    if (written_ + count > limit_) {
        *why = "the file is larger than the panel takes (" + std::to_string(limit_) + " bytes)";
        return false;
    }
    file_.write(reinterpret_cast<const char*>(packet_.data() + 2), std::streamsize(count));
    if (!file_) {
        *why = "cannot write " + partPath_.string();
        return false;
    }
    written_ += count;
    const bool last = startOffset_ > 0 ? count == 0 : count < chunk_;
    chunk_ = options_.block;
    return last ? finishFile(why) : true;
}

bool DownloadReceiver::finishFile(std::string* why) {
    file_.close();
    std::string name = nameOf(int(kind_), false);
    if (kind_ == Kind::Index) {
        lastIndexWasVoice_ = looksLikeSoundIndex(readAll(partPath_));
        name = nameOf(int(kind_), lastIndexWasVoice_);
    } else if (kind_ == Kind::ImageData && lastIndexWasVoice_) {
        name = nameOf(int(Kind::VoiceData), false);
    }
    std::error_code ec;
    fs::rename(partPath_, staged(name), ec);
    if (ec) {
        *why = "cannot keep " + name + ": " + ec.message();
        return false;
    }
    partPath_.clear();
    completed_.erase(std::remove(completed_.begin(), completed_.end(), name), completed_.end());
    completed_.push_back(name);
    mode_ = Mode::AwaitCommand;
    return true;
}

void DownloadReceiver::dropFile() {
    if (file_.is_open())
        file_.close();
    if (!partPath_.empty()) {
        std::error_code ec;
        fs::remove(partPath_, ec);
        partPath_.clear();
    }
    packet_.clear();
    if (mode_ == Mode::Packet || mode_ == Mode::AwaitId)
        mode_ = Mode::AwaitCommand;
}

// EE 05, the record count (little-endian) and the 16-byte records of the
// held picture index, FF FC FF FF.
void DownloadReceiver::answerIndex(std::vector<std::uint8_t>& toHost) const {
    const std::vector<std::uint8_t> index =
        held_.empty() ? std::vector<std::uint8_t>() : readAll(held_.string() + ".graidx");
    const std::size_t count = std::min(index.size() / kRecordSize, kMaxIndexRecords);
    toHost.push_back(0xEE);
    toHost.push_back(0x05);
    toHost.push_back(static_cast<std::uint8_t>(count & 0xFF));
    toHost.push_back(static_cast<std::uint8_t>(count >> 8));
    toHost.insert(toHost.end(), index.begin(), index.begin() + std::ptrdiff_t(count * kRecordSize));
    toHost.insert(toHost.end(), {0xFF, 0xFC, 0xFF, 0xFF});
}

DownloadLine::DownloadLine(std::unique_ptr<Line> inner, DownloadReceiver::Options options)
    : inner_(std::move(inner)), receiver_(std::move(options)) {}

long DownloadLine::Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto nowMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    };
    if (pendingAt_ == pending_.size()) {
        pending_.clear();
        pendingAt_ = 0;
        // Whole packets in one read: 2050 bytes and more than the bridge asks for.
        std::vector<std::uint8_t> raw(std::max<std::size_t>(length, 4096));
        const long n = inner_->Read(raw.data(), raw.size(), timeoutMs);
        if (n < 0)
            return n;
        std::vector<std::uint8_t> replies;
        if (n == 0)
            receiver_.Poll(nowMs());
        else
            receiver_.Feed(raw.data(), std::size_t(n), nowMs(), pending_, replies);
        std::lock_guard<std::mutex> guard(writeLock_);
        downloading_ = receiver_.Downloading();
        if (!replies.empty() && !inner_->Write(replies.data(), replies.size()))
            return -1;
    }
    const std::size_t take = std::min(length, pending_.size() - pendingAt_);
    std::copy_n(pending_.begin() + std::ptrdiff_t(pendingAt_), take, buffer);
    pendingAt_ += take;
    return long(take);
}

bool DownloadLine::Write(const std::uint8_t* data, std::size_t length) {
    std::lock_guard<std::mutex> guard(writeLock_);
    if (downloading_)
        return true; // the panel's firmware is not running while it receives
    return inner_->Write(data, length);
}

} // namespace tft
