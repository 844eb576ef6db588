#include "com_device_proxy.h"
#include "common/serial_port.h"
#include "pty_pair.h"

#include <gtest/gtest.h>
#include <thread>

using namespace tft;
using namespace tft::ide;
using linktest::PtyPair;
using Bytes = std::vector<std::uint8_t>;

namespace {

class ComProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.name().empty());
        port.Open(pty.name(), 115200);
        CommTimeouts t;
        t.ReadIntervalTimeout = 10;
        t.ReadTotalTimeoutConstant = 300;
        t.WriteTotalTimeoutConstant = 1000;
        port.SetTimeouts(t);
    }

    // Plays the panel: reads `expect.size()` bytes, then answers `reply`.
    std::thread panel(Bytes expect, Bytes reply) {
        return std::thread([this, expect, reply] {
            received = pty.receive(expect.size());
            if (!reply.empty())
                pty.send(reply);
        });
    }

    PtyPair pty;
    CSerialPort port;
    Bytes received;
};

TEST_F(ComProxyTest, OpenSendsTheDownloadRequestAndNeedsA5) {
    CComDeviceProxy proxy(&port);
    EXPECT_TRUE(proxy.IsPresent());
    const Bytes request{0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
    auto t = panel(request, {0xA5});
    EXPECT_TRUE(proxy.Open());
    t.join();
    EXPECT_EQ(received, request);

    t = panel(request, {0x5A});
    EXPECT_FALSE(proxy.Open()) << "any byte but A5 is a refusal";
    t.join();
}

TEST_F(ComProxyTest, CloseSendsF1) {
    CComDeviceProxy proxy(&port);
    auto t = panel({0xF1}, {0xA5});
    EXPECT_TRUE(proxy.Close());
    t.join();
    EXPECT_EQ(received, Bytes{0xF1});
}

TEST_F(ComProxyTest, CommandAndDataGoOutWholeAndNeedTheAcknowledge) {
    CComDeviceProxy proxy(&port);
    Bytes packet(4096);
    for (std::size_t i = 0; i < packet.size(); ++i)
        packet[i] = static_cast<std::uint8_t>(i * 7);
    auto t = panel(packet, {0xA5});
    EXPECT_TRUE(proxy.SendData(packet.data(), packet.size()));
    t.join();
    EXPECT_EQ(received, packet);

    const Bytes header{0x96, 0x01, 0x02};
    t = panel(header, {0xCC});
    EXPECT_FALSE(proxy.SendCommand(header.data(), header.size())) << "CC is the USB acknowledge";
    t.join();
    EXPECT_EQ(received, header);
}

TEST_F(ComProxyTest, SilenceIsAFailureAfterTheReadTimeout) {
    CComDeviceProxy proxy(&port);
    auto t = panel({0x90}, {});
    const std::uint8_t command = 0x90;
    EXPECT_FALSE(proxy.SendCommand(&command, 1));
    t.join();
}

TEST_F(ComProxyTest, GonePanelAndClosedPortFailWithoutThrowing) {
    CComDeviceProxy proxy(&port);
    pty.closeMaster();
    const std::uint8_t command = 0x90;
    EXPECT_FALSE(proxy.SendCommand(&command, 1));
    port.Close();
    EXPECT_FALSE(proxy.IsPresent());
    EXPECT_FALSE(proxy.Open());
    EXPECT_FALSE(proxy.SendData(&command, 1));
    CComDeviceProxy none(nullptr);
    EXPECT_FALSE(none.IsPresent());
    EXPECT_FALSE(none.Close());
}

} // namespace
