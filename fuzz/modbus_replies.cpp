// Feeds arbitrary bytes to an update as the panel's replies: the update must
// end (success or failure) without reading past a reply or looping forever.
#include "modbus/update_protocol.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class ReplayTransport : public tessary::ITransport {
public:
    ReplayTransport(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    void write(const std::uint8_t*, std::size_t length) override {
        if (length < 4 || length > 3 + tessary::kBlockSize + 2)
            std::abort();
        ++writes_;
    }
    std::size_t read(std::uint8_t* out, std::size_t length) override {
        if (length > 8)
            std::abort();
        // The first input byte of each read says how many bytes arrive.
        if (pos_ >= size_)
            return 0;
        std::size_t n = data_[pos_++] % (length + 1);
        n = std::min(n, size_ - pos_);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = data_[pos_ + i];
        pos_ += n;
        return n;
    }
    void discardInput() override {}
    void pause(int) override {}
    int writes() const { return writes_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    int writes_ = 0;
};

class NullLog : public tessary::IUpdateLog {
public:
    void clear() override {}
    void append(const std::string&) override {}
    void replaceLast(const std::string&) override {}
};

const std::string& sampleFile() {
    static const std::string path = [] {
        char name[] = "/tmp/modbus_replies_XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0)
            std::abort();
        ::close(fd);
        std::ofstream out(name, std::ios::binary);
        for (int i = 0; i < 300; ++i)
            out.put(static_cast<char>(i));
        return std::string(name);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplayTransport transport(data, size);
    NullLog log;
    tessary::ModbusUpdater updater(transport, log, 201);
    updater.sendFile(6, sampleFile());
    // Begin, three blocks and End, three tries each at most.
    if (transport.writes() > 5 * tessary::kExchangeTries)
        std::abort();
    ReplayTransport master(data, size);
    tessary::exchangeMasterFrame(master, (size & 1) != 0);
    if (master.writes() > tessary::kMasterTries)
        std::abort();
    return 0;
}
