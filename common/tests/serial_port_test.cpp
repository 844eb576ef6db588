#include "../src/serial_rate.h"
#include "common/serial_port.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace tft;

namespace {

// A real pseudo-terminal pair: the port opens the slave, the test plays the
// device on the master.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0)
            name_ = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    const std::string& name() const { return name_; }
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string receive(std::size_t count) const {
        std::string out;
        while (out.size() < count) {
            struct pollfd p {
                master_, POLLIN, 0
            };
            if (::poll(&p, 1, 2000) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
            if (n <= 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

// Waits until `count` bytes wait to be read on `fd` (the port's side of the
// line). Each wait is on the descriptor; the deadline only ends a broken run.
bool waitForInput(int fd, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, FIONREAD, &queued) == 0 && queued >= count)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        struct pollfd p {
            fd, POLLIN, 0
        };
        if (::poll(&p, 1, static_cast<int>(left.count())) < 0)
            return false;
        if (queued > 0) // readable already: the rest is still crossing the pty
            std::this_thread::yield();
    }
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(pty.name().empty()); }
    PtyPair pty;
    CSerialPort port;
};

} // namespace

TEST_F(SerialPortTest, OpensRawEightNOneWithoutFlowControl) {
    port.Open(pty.name(), 115200);
    ASSERT_TRUE(port.IsOpen());
    struct termios tio {};
    ASSERT_EQ(::tcgetattr(port.NativeHandle(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_EQ(port.GetBaudRate(), 115200u);
}

TEST_F(SerialPortTest, AcceptsEveryRateOfTheList) {
    port.Open(pty.name(), 9600);
    for (std::uint32_t rate : CSerialPort::kBaudRates) {
        port.SetBaudRate(rate);
        std::uint32_t actual = 0;
        ASSERT_EQ(detail::getLineRate(port.NativeHandle(), &actual), 0);
        EXPECT_EQ(actual, rate);
    }
    EXPECT_EQ(port.GetBaudRate(), 2000000u);
    EXPECT_THROW(port.SetBaudRate(0), CSerialException);
}

TEST_F(SerialPortTest, SecondOpenOfTheSamePortFails) {
    port.Open(pty.name(), 9600);
    CSerialPort other;
    try {
        other.Open(pty.name(), 9600);
        FAIL() << "second open succeeded";
    } catch (const CSerialException& e) {
        EXPECT_EQ(e.GetError(), EBUSY);
        EXPECT_NE(e.GetErrorMessage().find("another program"), std::string::npos);
    }
    EXPECT_FALSE(other.IsOpen());
    port.Close();
    EXPECT_NO_THROW(other.Open(pty.name(), 9600));
}

TEST_F(SerialPortTest, MissingPortThrowsWithTheSystemError) {
    try {
        port.Open("/dev/no-such-port-here", 9600);
        FAIL();
    } catch (const CSerialException& e) {
        EXPECT_EQ(e.GetError(), ENOENT);
        EXPECT_NE(std::string(e.what()).find("/dev/no-such-port-here"), std::string::npos);
    }
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialException, PermissionErrorNamesTheFix) {
    const CSerialException e(EACCES, "cannot open /dev/ttyUSB0");
    EXPECT_NE(e.GetErrorMessage().find("dialout"), std::string::npos);
}

TEST_F(SerialPortTest, WritesAndReadsBytesUnchanged) {
    port.Open(pty.name(), 115200);
    const std::string frame("\xEE\x0A\x0D\x11\x13\xFF\xFC\xFF\xFF", 9);
    EXPECT_EQ(port.Write(frame.data(), frame.size()), frame.size());
    EXPECT_EQ(pty.receive(frame.size()), frame);

    CommTimeouts t;
    t.ReadTotalTimeoutConstant = 2000;
    port.SetTimeouts(t);
    pty.send(frame);
    char buf[9] = {};
    EXPECT_EQ(port.Read(buf, sizeof buf), 9u);
    EXPECT_EQ(std::string(buf, 9), frame);
}

TEST_F(SerialPortTest, ReadEndsAtTheTotalTimeoutWithWhatCame) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadTotalTimeoutConstant = 30;
    port.SetTimeouts(t);
    char buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    pty.send("abc");
    ASSERT_TRUE(waitForInput(port.NativeHandle(), 3)); // across the pty before the read starts
    EXPECT_EQ(port.Read(buf, sizeof buf), 3u);
}

TEST_F(SerialPortTest, ReadEndsAtTheIntervalTimeoutAfterTheFirstBytes) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadIntervalTimeout = 20; // no total: wait for the first byte, then the gap ends it
    port.SetTimeouts(t);
    pty.send("hello");
    char buf[64];
    EXPECT_EQ(port.Read(buf, sizeof buf), 5u);
}

TEST_F(SerialPortTest, ReturnAtOnceTimeouts) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadIntervalTimeout = 0xFFFFFFFFu;
    port.SetTimeouts(t);
    char buf[8];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
}

TEST_F(SerialPortTest, PurgeDiscardsPendingInput) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadIntervalTimeout = 0xFFFFFFFFu;
    port.SetTimeouts(t);
    pty.send("stale bytes");
    ASSERT_TRUE(waitForInput(port.NativeHandle(), 11));
    EXPECT_TRUE(port.Purge(PURGE_RXABORT | PURGE_RXCLEAR));
    char buf[32];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    EXPECT_TRUE(port.Purge(PURGE_TXABORT | PURGE_TXCLEAR));
}

TEST_F(SerialPortTest, VanishedDeviceIsAnErrorNotAnEndlessTimeout) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadTotalTimeoutConstant = 5000;
    port.SetTimeouts(t);
    pty.send("ab");
    char buf[8];
    EXPECT_EQ(port.Read(buf, 2), 2u);
    pty.closeMaster();
    EXPECT_THROW(port.Read(buf, sizeof buf), CSerialException);
}

TEST_F(SerialPortTest, ClosedPortDoesNothingAndNeverThrows) {
    char buf[4] = {1, 2, 3, 4};
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    EXPECT_EQ(port.Write(buf, sizeof buf), 0u);
    EXPECT_EQ(port.WriteOrThrow(buf, sizeof buf), 0u);
    EXPECT_FALSE(port.Purge(PURGE_RXCLEAR));
    EXPECT_FALSE(port.SetTimeouts(CommTimeouts{}));
    EXPECT_NO_THROW(port.WaitPending());
    EXPECT_NO_THROW(port.Close());
    EXPECT_EQ(port.NativeHandle(), -1);
    port.Open(pty.name(), 9600);
    port.Close();
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
}

TEST_F(SerialPortTest, TwoThreadsShareOnePort) {
    port.Open(pty.name(), 115200);
    CommTimeouts t;
    t.ReadIntervalTimeout = 0xFFFFFFFFu;
    port.SetTimeouts(t);
    constexpr int kFrames = 200;
    std::thread writer([&] {
        for (int i = 0; i < kFrames; ++i)
            port.Write("\xEE\x01\xFF\xFC\xFF\xFF", 6);
    });
    std::thread poller([&] {
        char buf[16];
        for (int i = 0; i < kFrames; ++i) {
            (void)port.Read(buf, sizeof buf);
            (void)port.GetBaudRate();
        }
    });
    const std::string received = pty.receive(6 * kFrames);
    writer.join();
    poller.join();
    ASSERT_EQ(received.size(), 6u * kFrames);
    for (int i = 0; i < kFrames; ++i) // frames never interleave
        EXPECT_EQ(received.substr(6 * i, 6), std::string("\xEE\x01\xFF\xFC\xFF\xFF", 6));
}
