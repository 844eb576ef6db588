// The serial bridge over a real pseudo-terminal, and a host program talking to
// the running panel through it.
#include "common/serial_port.h"
#include "simulator/bridge.h"
#include "simulator/realtime_panel.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <pty.h>
#include <unistd.h>

using namespace tft;

namespace {

std::filesystem::path tempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
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
    std::mutex lock;
    std::string pushed;
    {
        SerialBridge bridge(std::move(line), log, [&](std::uint8_t b) {
            std::lock_guard<std::mutex> g(lock);
            pushed.push_back(static_cast<char>(b));
        });
        CSerialPort host;
        host.Open(link.string(), 115200);
        const std::string frame("\xEE\x04\xFF\xFC\xFF\xFF", 6);
        host.Write(frame.data(), frame.size());
        const std::uint8_t reply[] = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
        bridge.Send(reply, sizeof reply);
        EXPECT_EQ(readFromPort(host, 6), std::string(reinterpret_cast<const char*>(reply), 6));
        for (int i = 0; i < 500; ++i) { // the receive thread hands bytes on within its poll
            {
                std::lock_guard<std::mutex> g(lock);
                if (pushed.size() >= 6)
                    break;
            }
            ::usleep(10000);
        }
        std::lock_guard<std::mutex> g(lock);
        EXPECT_EQ(pushed, frame);
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
    std::mutex lock;
    std::vector<std::string> failures;
    {
        SerialBridge bridge(
            std::move(line), log, [](std::uint8_t) {},
            [&](const std::string& why) {
                std::lock_guard<std::mutex> g(lock);
                failures.push_back(why);
            });
        ::close(slave);
        ::close(master); // the device goes away
        for (int i = 0; i < 500; ++i) {
            {
                std::lock_guard<std::mutex> g(lock);
                if (!failures.empty())
                    break;
            }
            ::usleep(10000);
        }
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find(name), std::string::npos) << failures[0];
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
