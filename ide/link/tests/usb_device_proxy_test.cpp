#include "usb_device_proxy.h"

#include <gtest/gtest.h>

using namespace tft::ide;

namespace {

// Records what the proxy asks of the library and answers from a script.
struct FakeUsb : UsbBackend {
    struct Write {
        std::uint8_t endpoint;
        std::vector<std::uint8_t> bytes;
        unsigned timeout;
    };
    std::vector<DeviceId> list;
    std::vector<std::size_t> refuse; // indices whose open fails
    std::vector<std::uint8_t> answers;
    int writeResult = -2; // -2: the whole length
    std::vector<std::string> calls;
    std::vector<Write> writes;
    std::size_t opened = SIZE_MAX;

    std::vector<DeviceId> devices() override { return list; }
    bool open(std::size_t index, int configuration, int interface) override {
        calls.push_back("open " + std::to_string(index) + " " + std::to_string(configuration) +
                        " " + std::to_string(interface));
        for (std::size_t r : refuse)
            if (r == index)
                return false;
        opened = index;
        return true;
    }
    void close() override { calls.push_back("close"); }
    int bulkWrite(std::uint8_t ep, const std::uint8_t* d, std::size_t n, unsigned t) override {
        writes.push_back({ep, {d, d + n}, t});
        calls.push_back("write " + std::to_string(ep));
        return writeResult == -2 ? int(n) : writeResult;
    }
    int bulkRead(std::uint8_t ep, std::uint8_t* d, std::size_t n, unsigned t) override {
        calls.push_back("read " + std::to_string(ep) + " " + std::to_string(n) + " " +
                        std::to_string(t));
        if (answers.empty())
            return 0;
        d[0] = answers.front();
        answers.erase(answers.begin());
        return 1;
    }
    void pause(unsigned ms) override { calls.push_back("pause " + std::to_string(ms)); }
};

struct Proxy {
    FakeUsb* usb;
    CUsbDeviceProxy proxy;
    Proxy() : Proxy(std::make_unique<FakeUsb>()) {}
    explicit Proxy(std::unique_ptr<FakeUsb> fake) : usb(fake.get()), proxy(std::move(fake)) {}
};

const UsbBackend::DeviceId kPanel{0x1514, 0x5534};

TEST(UsbProxy, OpenTakesTheLastPanelThatOpens) {
    Proxy p;
    p.usb->list = {{0x1d6b, 0x0002}, kPanel, {0x1514, 0x0001}, kPanel, {0x046d, 0xc077}};
    EXPECT_TRUE(p.proxy.IsPresent());
    EXPECT_TRUE(p.proxy.Open());
    EXPECT_EQ(p.usb->calls, (std::vector<std::string>{"open 3 1 0"}));

    Proxy q;
    q.usb->list = p.usb->list;
    q.usb->refuse = {3};
    EXPECT_TRUE(q.proxy.Open()) << "a panel that cannot be opened gives way to the one before";
    EXPECT_EQ(q.usb->opened, 1u);
}

TEST(UsbProxy, NoPanelMeansNoLink) {
    Proxy p;
    EXPECT_FALSE(p.proxy.IsPresent());
    EXPECT_FALSE(p.proxy.Open());
    p.usb->list = {{0x1d6b, 0x0002}, {0x1514, 0x5535}, {0x1515, 0x5534}};
    EXPECT_FALSE(p.proxy.IsPresent()) << "hubs and other devices do not make a USB link";
    EXPECT_FALSE(p.proxy.Open());
    const std::uint8_t b = 0x90;
    EXPECT_FALSE(p.proxy.SendCommand(&b, 1)) << "nothing is sent without a panel";
    EXPECT_TRUE(p.usb->writes.empty());
    EXPECT_TRUE(p.proxy.Close());
}

TEST(UsbProxy, CommandsPauseAndDataDoesNot) {
    Proxy p;
    p.usb->list = {kPanel};
    ASSERT_TRUE(p.proxy.Open());
    p.usb->calls.clear();
    p.usb->answers = {0xCC, 0xCC, 0xA5};
    const std::vector<std::uint8_t> header{0x96, 0x00, 0x10};
    EXPECT_TRUE(p.proxy.SendCommand(header.data(), header.size()));
    const std::vector<std::uint8_t> data(2048, 0x5A);
    EXPECT_TRUE(p.proxy.SendData(data.data(), data.size()));
    EXPECT_FALSE(p.proxy.SendData(data.data(), data.size())) << "A5 is the serial acknowledge";
    EXPECT_EQ(p.usb->calls,
              (std::vector<std::string>{"write 3", "pause 100", "read 129 1 5000", "write 2",
                                        "read 129 1 5000", "write 2", "read 129 1 5000"}));
    ASSERT_EQ(p.usb->writes.size(), 3u);
    EXPECT_EQ(p.usb->writes[0].bytes, header);
    EXPECT_EQ(p.usb->writes[0].timeout, 5000u);
    EXPECT_EQ(p.usb->writes[1].bytes, data);
}

TEST(UsbProxy, AFailedWriteIsNotFollowedByARead) {
    Proxy p;
    p.usb->list = {kPanel};
    ASSERT_TRUE(p.proxy.Open());
    p.usb->calls.clear();
    p.usb->answers = {0xCC};
    p.usb->writeResult = 0;
    const std::uint8_t b = 0x91;
    EXPECT_FALSE(p.proxy.SendCommand(&b, 1));
    p.usb->writeResult = -1;
    EXPECT_FALSE(p.proxy.SendData(&b, 1));
    EXPECT_EQ(p.usb->calls, (std::vector<std::string>{"write 3", "write 2"}));
    p.usb->writeResult = -2;
    p.usb->answers.clear();
    EXPECT_FALSE(p.proxy.SendData(&b, 1)) << "no answer within the time-out";
}

TEST(UsbProxy, CloseReleasesOnceAndTheDestructorToo) {
    auto fake = std::make_unique<FakeUsb>();
    fake->list = {kPanel};
    std::vector<std::string> calls;
    {
        // The destructor closes a held panel.
        struct Spy : FakeUsb {
            std::vector<std::string>* out = nullptr;
            ~Spy() override { *out = calls; }
        };
        auto spy = std::make_unique<Spy>();
        spy->list = {kPanel};
        spy->out = &calls;
        CUsbDeviceProxy proxy(std::move(spy));
        ASSERT_TRUE(proxy.Open());
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"open 0 1 0", "close"}));

    Proxy p(std::move(fake));
    ASSERT_TRUE(p.proxy.Open());
    EXPECT_TRUE(p.proxy.Close());
    EXPECT_TRUE(p.proxy.Close());
    EXPECT_EQ(p.usb->calls, (std::vector<std::string>{"open 0 1 0", "close"}));
}

TEST(UsbProxy, RealLibraryWithoutAPanelFailsCleanly) {
    CUsbDeviceProxy proxy; // libusb-1.0; no machine running the tests has this panel
    EXPECT_FALSE(proxy.Open());
    EXPECT_FALSE(proxy.isOpen());
    const std::uint8_t b = 0x90;
    EXPECT_FALSE(proxy.SendCommand(&b, 1));
    EXPECT_TRUE(proxy.Close());
}

} // namespace
