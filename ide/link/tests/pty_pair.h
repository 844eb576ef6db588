// A real pseudo-terminal pair for the link tests: the code under test opens
// the slave by name, the test plays the panel on the master.
#pragma once

#include <cstdint>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace linktest {

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        struct termios raw {};
        ::cfmakeraw(&raw);
        if (::openpty(&master_, &slave_, name, &raw, nullptr) == 0)
            name_ = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& name() const { return name_; }
    int master() const { return master_; }
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    bool send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Up to `count` bytes, waiting at most `waitMs` for each chunk.
    std::vector<std::uint8_t> receive(std::size_t count, int waitMs = 2000) const {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            struct pollfd p {
                master_, POLLIN, 0
            };
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            std::uint8_t buf[4096];
            const std::size_t want =
                count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
            const ssize_t n = ::read(master_, buf, want);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

} // namespace linktest
