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
        CSerialPort host;
        host.Open(link.string(), 9600);
        host.Write("\xEE\x04\xFF\xFC\xFF\xFF", 6);
        EXPECT_EQ(readFromPort(host, 6), std::string("\xEE\x55\xFF\xFC\xFF\xFF", 6));
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
