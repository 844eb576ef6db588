// The serial bridge over a real pseudo-terminal, and a host program talking to
// the running panel through it.
#include "common/serial_port.h"
#include "simulator/bridge.h"
#include "simulator/realtime_panel.h"
#include "simulator/script_runner.h"
#include "testing/test_support.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tft;
using testsupport::RunningProgram;

namespace {

std::filesystem::path tempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
}

// What another thread hands over, waited for on a condition variable; the
// deadline only keeps a broken build from hanging.
template <typename T> class Inbox {
public:
    void put(T value) {
        {
            std::lock_guard<std::mutex> g(lock_);
            items_.push_back(std::move(value));
        }
        arrived_.notify_all();
    }
    // Waits until `done(items)` holds; returns the items either way.
    template <typename Done> std::vector<T> waitUntil(Done done) {
        std::unique_lock<std::mutex> g(lock_);
        arrived_.wait_for(g, std::chrono::seconds(10), [&] { return done(items_); });
        return items_;
    }
    std::vector<T> items() {
        std::lock_guard<std::mutex> g(lock_);
        return items_;
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<T> items_;
};

// A pseudo-terminal whose slave the panel opens as a real serial port; the
// test holds the master (the other end) and a second slave descriptor to
// read the line's settings.
struct PtyDevice {
    PtyDevice() {
        ok = ::openpty(&master, &slave, name, nullptr, nullptr) == 0;
        // A program the test starts must not hold the line open.
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~PtyDevice() {
        closeMaster();
        if (slave >= 0)
            ::close(slave);
    }
    void closeMaster() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    speed_t speed() const {
        struct termios t {};
        ::tcgetattr(slave, &t);
        return ::cfgetospeed(&t);
    }
    bool ok = false;
    int master = -1;
    int slave = -1;
    char name[256] = {};
};

// A compiled-project header with screens whose project rate is `baudIndex`
// (7: 115200).
void writeProjectWithRate(const std::filesystem::path& file, std::uint8_t baudIndex) {
    std::string header(136, '\0');
    header[90] = 0x01; // screens present
    header[92] = static_cast<char>(baudIndex);
    std::ofstream(file, std::ios::binary) << header;
}

std::string readFromPort(CSerialPort& port, std::size_t count) {
    CommTimeouts t;
    t.ReadTotalTimeoutConstant = 5000; // an upper bound, not a measurement
    port.SetTimeouts(t);
    std::string out(count, '\0');
    out.resize(port.Read(out.data(), count));
    return out;
}

} // namespace

TEST(SerialBridge, CarriesBytesBothWaysAndLogsThem) {
    const auto link = tempPath("bridge_link");
    std::string error;
    auto line = PtyLine::Create(link.string(), &error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), line->SlavePath());

    TrafficLog log;
    Inbox<char> pushed;
    {
        SerialBridge bridge(std::move(line), log,
                            [&](std::uint8_t b) { pushed.put(static_cast<char>(b)); });
        CSerialPort host;
        host.Open(link.string(), 115200);
        const std::string frame("\xEE\x04\xFF\xFC\xFF\xFF", 6);
        host.Write(frame.data(), frame.size());
        const std::uint8_t reply[] = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
        bridge.Send(reply, sizeof reply);
        EXPECT_EQ(readFromPort(host, 6), std::string(reinterpret_cast<const char*>(reply), 6));
        const auto bytes = pushed.waitUntil([](const auto& b) { return b.size() >= 6; });
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), frame);
    }
    EXPECT_FALSE(std::filesystem::exists(link)); // the link goes with the line
    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
}

TEST(RealtimePanel, HostOnAPseudoTerminalGetsTheHandshakeReply) {
    const auto dir = tempPath("realtime_panel");
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "empty.si", std::ios::binary) << std::string(136, '\0');
    const auto link = dir / "panel";
    {
        RealtimePanel panel;
        std::string error;
        ASSERT_TRUE(panel.Open(dir / "empty.si", &error)) << error;
        auto line = PtyLine::Create(link.string(), &error);
        ASSERT_TRUE(line) << error;
        panel.Attach(std::move(line));
        panel.Start();
        // A host that goes away does not take the line with it: the next one is served.
        for (int host = 0; host < 2; ++host) {
            CSerialPort port;
            port.Open(link.string(), 9600);
            port.Write("\xEE\x04\xFF\xFC\xFF\xFF", 6);
            EXPECT_EQ(readFromPort(port, 6), std::string("\xEE\x55\xFF\xFC\xFF\xFF", 6));
        }
        EXPECT_TRUE(panel.Stop());
    }
    std::filesystem::remove_all(dir);
}

TEST(SerialBridge, VanishedPortIsReportedOnceAndReadingStops) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    std::string error;
    auto line = PortLine::Open(name, 115200, &error);
    ASSERT_TRUE(line) << error;
    TrafficLog log;
    Inbox<std::string> failures;
    {
        SerialBridge bridge(
            std::move(line), log, [](std::uint8_t) {},
            [&](const std::string& why) { failures.put(why); });
        ::close(slave);
        ::close(master); // the device goes away
        failures.waitUntil([](const auto& f) { return !f.empty(); });
    }
    ASSERT_EQ(failures.items().size(), 1u);
    EXPECT_NE(failures.items()[0].find(name), std::string::npos) << failures.items()[0];
}

TEST(RealtimePanel, LostLineIsReportedToTheOwner) {
    PtyDevice device;
    ASSERT_TRUE(device.ok);
    std::string error;
    auto line = PortLine::Open(device.name, 115200, &error);
    ASSERT_TRUE(line) << error;
    Inbox<std::string> failures;
    RealtimePanel panel;
    panel.SetLineFailureHandler([&](const std::string& why) { failures.put(why); });
    panel.Attach(std::move(line));
    panel.Start();
    ::close(device.slave);
    device.slave = -1;
    device.closeMaster(); // the adapter is unplugged
    const auto told = failures.waitUntil([](const auto& f) { return !f.empty(); });
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(device.name), std::string::npos) << told[0];
    EXPECT_TRUE(panel.Stop());
}

TEST(RealtimePanel, HeadlessRunnerReportsALostLineAndKeepsRunning) {
    const auto dir = tempPath("headless_lost_line");
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "empty.si", std::ios::binary) << std::string(136, '\0');
    {
        PtyDevice device;
        ASSERT_TRUE(device.ok);
        RunningProgram dunmere("dunmere", {"--headless", (dir / "empty.si").string(), "--serial",
                                           device.name, "--baud", "57600"});
        ASSERT_TRUE(dunmere.waitFor("running ")) << dunmere.output;
        EXPECT_EQ(device.speed(), static_cast<speed_t>(B57600)); // a project without a rate
        // The line works: the panel answers a handshake.
        const std::string handshake("\xEE\x04\xFF\xFC\xFF\xFF", 6);
        ASSERT_EQ(::write(device.master, handshake.data(), 6), 6);
        std::string reply;
        while (reply.size() < 6) {
            struct pollfd p {
                device.master, POLLIN, 0
            };
            char buffer[16];
            ASSERT_GT(::poll(&p, 1, 10000), 0);
            const ssize_t n = ::read(device.master, buffer, sizeof buffer);
            ASSERT_GT(n, 0);
            reply.append(buffer, static_cast<std::size_t>(n));
        }
        EXPECT_EQ(reply, std::string("\xEE\x55\xFF\xFC\xFF\xFF", 6));
        ::close(device.slave);
        device.slave = -1;
        device.closeMaster(); // the adapter is unplugged
        EXPECT_TRUE(dunmere.waitFor("serial line lost")) << dunmere.output;
        EXPECT_NE(dunmere.output.find(device.name), std::string::npos) << dunmere.output;
        EXPECT_EQ(dunmere.stop(), 0);
        EXPECT_NE(dunmere.output.find("stopped"), std::string::npos);
    }
    std::filesystem::remove_all(dir);
}

TEST(RealtimePanel, HeadlessRunnerTakesTheProjectsRate) {
    const auto dir = tempPath("headless_rate");
    std::filesystem::create_directories(dir);
    writeProjectWithRate(dir / "fast.si", 7);
    {
        PtyDevice device;
        ASSERT_TRUE(device.ok);
        RunningProgram dunmere("dunmere", {"--headless", (dir / "fast.si").string(), "--serial",
                                           device.name, "--baud", "9600"});
        ASSERT_TRUE(dunmere.waitFor("serial line rate: 115200")) << dunmere.output;
        EXPECT_EQ(device.speed(), static_cast<speed_t>(B115200));
        EXPECT_EQ(dunmere.stop(), 0);
    }
    std::filesystem::remove_all(dir);
}

TEST(RealtimePanel, LineRunsAtTheProjectsAndTheHostsRate) {
    const auto dir = tempPath("realtime_rate");
    std::filesystem::create_directories(dir);
    writeProjectWithRate(dir / "fast.si", 7);
    {
        PtyDevice device;
        ASSERT_TRUE(device.ok);
        Inbox<std::uint32_t> rates;
        RealtimePanel panel;
        panel.SetRateHandler([&](std::uint32_t rate) { rates.put(rate); });
        EXPECT_EQ(panel.Rate(), 9600u);
        std::string error;
        ASSERT_TRUE(panel.Open(dir / "fast.si", &error)) << error;
        panel.Start();
        // The core takes the project (and its rate) before a port is opened.
        EXPECT_EQ(rates.waitUntil([](const auto& r) { return !r.empty(); }).front(), 115200u);
        EXPECT_EQ(panel.Rate(), 115200u);

        // A port opened at another rate runs at the panel's.
        auto line = PortLine::Open(device.name, 9600, &error);
        ASSERT_TRUE(line) << error;
        panel.Attach(std::move(line));
        EXPECT_EQ(device.speed(), static_cast<speed_t>(B115200));
        EXPECT_NE(panel.LineDescription().find("115200"), std::string::npos);

        // The host switches the panel to 19200 (EE A0 04): the line follows.
        const std::string command("\xEE\xA0\x04\xFF\xFC\xFF\xFF", 7);
        ASSERT_EQ(::write(device.master, command.data(), command.size()),
                  static_cast<ssize_t>(command.size()));
        EXPECT_EQ(rates.waitUntil([](const auto& r) { return r.back() == 19200u; }).back(), 19200u);
        EXPECT_EQ(device.speed(), static_cast<speed_t>(B19200));
        EXPECT_EQ(panel.Rate(), 19200u);

        // The user's choice applies to the open line as well.
        EXPECT_TRUE(panel.SetRate(57600));
        EXPECT_EQ(device.speed(), static_cast<speed_t>(B57600));
        EXPECT_TRUE(panel.Stop());
        panel.Attach(nullptr);
    }
    std::filesystem::remove_all(dir);
}

TEST(RealtimePanel, GarbageAtTwoMegabaudLeavesThePanelAnswering) {
    const auto dir = tempPath("realtime_garbage");
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "empty.si", std::ios::binary) << std::string(136, '\0');
    const auto link = dir / "panel";
    {
        RealtimePanel panel;
        std::string error;
        ASSERT_TRUE(panel.Open(dir / "empty.si", &error)) << error;
        panel.Attach(PtyLine::Create(link.string(), &error));
        panel.Start();
        CSerialPort host;
        host.Open(link.string(), 2000000);
        std::string garbage(64 * 1024, '\0');
        std::uint32_t seed = 12345;
        for (char& c : garbage) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        host.Write(garbage.data(), garbage.size());
        // Whatever the garbage started, a tail ends it; then the panel answers.
        const std::string handshake("\xFF\xFC\xFF\xFF\xEE\x04\xFF\xFC\xFF\xFF", 10);
        std::string reply;
        for (int i = 0; i < 50 && reply.find("\xEE\x55", 0) == std::string::npos; ++i) {
            host.Write(handshake.data(), handshake.size());
            reply += readFromPort(host, 6);
        }
        EXPECT_NE(reply.find(std::string("\xEE\x55\xFF\xFC\xFF\xFF", 6)), std::string::npos);
        EXPECT_TRUE(panel.Stop());
    }
    std::filesystem::remove_all(dir);
}

// The log must show a request before the answer it causes, or a log saved as
// a script expects the answer before it sends the request.
TEST(SerialBridge, RequestIsLoggedBeforeTheCoresAnswer) {
    const auto link = tempPath("bridge_order");
    std::string error;
    auto line = PtyLine::Create(link.string(), &error);
    ASSERT_TRUE(line) << error;
    TrafficLog log;
    SerialBridge* bridge = nullptr;
    const std::uint8_t reply[] = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
    std::vector<std::uint8_t> taken;
    // A core that answers as soon as the frame's last byte is in.
    SerialBridge answering(std::move(line), log, [&](std::uint8_t b) {
        taken.push_back(b);
        if (taken.size() == 6)
            bridge->Send(reply, sizeof reply);
    });
    bridge = &answering;
    CSerialPort host;
    host.Open(link.string(), 115200);
    host.Write("\xEE\x04\xFF\xFC\xFF\xFF", 6);
    EXPECT_EQ(readFromPort(host, 6), std::string(reinterpret_cast<const char*>(reply), 6));
    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].direction, "RXD");
    EXPECT_EQ(rows[1].direction, "TXD");
}

namespace {

// A host that answers while the panel's bytes are still being written.
class AnsweringLine : public Line {
public:
    explicit AnsweringLine(TrafficLog& log) : log_(log) {}
    long Read(std::uint8_t*, std::size_t, int timeoutMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }
    bool Write(const std::uint8_t*, std::size_t) override {
        const std::uint8_t answer[] = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
        log_.Log(TrafficLog::Direction::Received, answer, sizeof answer);
        return true;
    }
    bool SetRate(std::uint32_t) override { return true; }
    std::string Describe() const override { return "answering"; }

private:
    TrafficLog& log_;
};

} // namespace

TEST(SerialBridge, PanelFrameIsLoggedBeforeTheHostsAnswer) {
    TrafficLog log;
    SerialBridge bridge(std::make_unique<AnsweringLine>(log), log, [](std::uint8_t) {});
    const std::uint8_t frame[] = {0xEE, 0x01, 0x00, 0x10, 0x00, 0x20, 0xFF, 0xFC, 0xFF, 0xFF};
    bridge.Send(frame, sizeof frame);
    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].direction, "TXD");
    EXPECT_EQ(rows[1].direction, "RXD");
}

TEST(RealtimePanel, RecordingHoldsTheExchangeAndTouchesInOrderAndReplays) {
    const auto dir = tempPath("realtime_record");
    std::filesystem::create_directories(dir);
    std::vector<char> header(136, 0);
    header[88] = 3; // the 800 x 480 model, no screens: touches are not reported
    std::ofstream(dir / "empty.si", std::ios::binary).write(header.data(), 136);
    const auto link = dir / "panel";
    const auto file = dir / "recorded.txt";
    std::string error;
    {
        RealtimePanel panel;
        ASSERT_TRUE(panel.Open(dir / "empty.si", &error)) << error;
        panel.Attach(PtyLine::Create(link.string(), &error));
        ASSERT_TRUE(panel.Record(file.string(), (dir / "empty.si").string(), &error)) << error;
        EXPECT_TRUE(panel.Recording());
        EXPECT_FALSE(panel.Record((dir / "no" / "such.txt").string(), "x", &error));
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
        ASSERT_TRUE(panel.Record(file.string(), (dir / "empty.si").string(), &error)) << error;
        panel.Start();
        CSerialPort host;
        host.Open(link.string(), 115200);
        for (int i = 0; i < 2; ++i) {
            host.Write("\xEE\x04\xFF\xFC\xFF\xFF", 6);
            EXPECT_EQ(readFromPort(host, 6), std::string("\xEE\x55\xFF\xFC\xFF\xFF", 6));
            panel.Device().SetTouch(true, 40 + i, -5);
            panel.Device().SetTouch(false, 40 + i, -5);
        }
        EXPECT_TRUE(panel.Stop());
        panel.StopRecording();
        EXPECT_FALSE(panel.Recording());
    }
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string script = text.str();
    EXPECT_EQ(script.rfind("# Recorded by dunmere", 0), 0u) << script;
    // In order: request, answer, press, lift; twice.
    std::size_t at = 0;
    for (const char* line :
         {"send EE 04 FF FC FF FF\n", "expect EE 55 FF FC FF FF\n", "touch 40 0\nrelease\n",
          "send EE 04 FF FC FF FF\n", "expect EE 55 FF FC FF FF\n", "touch 41 0\nrelease\n"}) {
        at = script.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " missing or out of order in\n" << script;
    }
    // The same exchange on virtual time.
    const Script parsed = parseScript(script);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    std::string report;
    EXPECT_EQ(runScript(parsed, dir / "empty.si", report), 0) << report << script;
    std::filesystem::remove_all(dir);
}
