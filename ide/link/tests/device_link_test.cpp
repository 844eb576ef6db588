#include "device_link.h"
#include "pty_pair.h"
#include "recording_log.h"

#include <QSignalSpy>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace tft;
using namespace tft::ide;
using linktest::PtyPair;
using linktest::RecordingLog;
using linktest::Row;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytesOf(std::initializer_list<int> v) {
    Bytes out;
    for (int b : v)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

// ---- firmware information and the status line

TEST(FirmwareInfo, DecodesEachReplyLengthWithoutReadingTheTail) {
    const Bytes full = bytesOf(
        {0xEE, 0xFE, 0x02, 0x16, 0x34, 0x12, 0x01, 0x37, 0x00, 0x05, 0xFF, 0xFC, 0xFF, 0xFF});
    const FirmwareInfo f = FirmwareInfo::decode(full.data(), full.size());
    EXPECT_EQ(f.version, 0x02160137u);
    EXPECT_EQ(f.second, 5u);
    EXPECT_EQ(f.deviceType, 0x1234) << "little-endian";

    const Bytes ten = bytesOf({0xEE, 0xFE, 0x03, 0x04, 0x01, 0x00, 0xFF, 0xFC, 0xFF, 0xFF});
    const FirmwareInfo t = FirmwareInfo::decode(ten.data(), ten.size());
    EXPECT_EQ(t.version, 0x03040000u) << "a 10-byte reply sets the top two bytes";
    EXPECT_EQ(t.deviceType, 1);

    // 11 and 13 bytes: the last version byte would be the first tail byte.
    const Bytes eleven =
        bytesOf({0xEE, 0xFE, 0x03, 0x04, 0x01, 0x00, 0x07, 0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_EQ(FirmwareInfo::decode(eleven.data(), eleven.size()).version, 0x03040000u);
    const Bytes thirteen =
        bytesOf({0xEE, 0xFE, 0x03, 0x04, 0x01, 0x00, 0x07, 0x08, 0x09, 0xFF, 0xFC, 0xFF, 0xFF});
    const FirmwareInfo th = FirmwareInfo::decode(thirteen.data(), thirteen.size());
    EXPECT_EQ(th.version, 0x03040708u);
    EXPECT_EQ(th.second, 0u);

    EXPECT_EQ(FirmwareInfo::decode(full.data(), 5), FirmwareInfo{});
    EXPECT_EQ(FirmwareInfo::decode(nullptr, 14), FirmwareInfo{});
}

TEST(FirmwareInfo, StatusTextInBothForms) {
    const LinkStatusTexts texts{"已连接设备", "未连接设备", "固件", "软件"};
    FirmwareInfo f;
    EXPECT_EQ(linkStatusText(false, f, texts, "1.0.0"),
              QStringLiteral("未连接设备; 固件-XX.XX.XX.XX;  软件-1.0.0"));
    f.version = 0x02160137;
    f.second = 7;
    EXPECT_EQ(linkStatusText(true, f, texts, "1.0.0"),
              QStringLiteral("已连接设备; 固件-2.22.311.7; 软件-1.0.0"));
}

// ---- receive dispatch

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        linktest::ensureApp();
        link.setLog(&log);
    }
    void feed(const Bytes& b) { link.dispatch(b.data(), b.size()); }
    DeviceLink link;
    RecordingLog log;
};

TEST_F(DispatchTest, SplitDoubleAndPrefixedFrames) {
    const Bytes pixel = bytesOf({0xEE, 0x02, 0x12, 0x34, 0xFF, 0xFC, 0xFF, 0xFF});
    for (std::uint8_t b : pixel) // split at every byte
        link.dispatch(&b, 1);
    EXPECT_EQ(log.rows(), (std::vector<Row>{{'R', "EE 02 12 34 FF FC FF FF ", ""}}));

    feed(bytesOf({0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0xF7, 0x26, 0xFF, 0xFC, 0xFF, 0xFF}));
    feed(bytesOf({0x00, 0x13, 0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF}));
    const auto rows = log.rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].text, "EE 01 FF FC FF FF ");
    EXPECT_EQ(rows[2].text, "EE F7 26 FF FC FF FF ");
    EXPECT_EQ(rows[3], (Row{'R', "00 13 EE 04 FF FC FF FF ", "未知指令"}));
}

TEST_F(DispatchTest, FirmwareReplySetsTheInformationAndAsksForAStatusRefresh) {
    QSignalSpy status(&link, &DeviceLink::statusChanged);
    feed(bytesOf(
        {0xEE, 0xFE, 0x02, 0x16, 0x00, 0x00, 0x01, 0x37, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(link.firmware().version, 0x02160137u);
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(log.rows().back().label, "固件");
}

TEST_F(DispatchTest, ImageIndexNeedsNineBytes) {
    QSignalSpy index(&link, &DeviceLink::imageIndexReceived);
    feed(bytesOf({0xEE, 0x05, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(index.count(), 0) << "EE 05 00 00 is the buffer dump reply";
    const Bytes reply = bytesOf({0xEE, 0x05, 0x00, 0x01, 0x02, 0xFF, 0xFC, 0xFF, 0xFF});
    feed(reply);
    ASSERT_EQ(index.count(), 1);
    EXPECT_EQ(index.at(0).at(0).toByteArray(),
              QByteArray(reinterpret_cast<const char*>(reply.data()), int(reply.size())));
    EXPECT_EQ(log.rows().back().label, "获取图片索引");
}

TEST_F(DispatchTest, OverlongFramesAndGarbageStayBounded) {
    Bytes junk(300000, 0x41);
    feed(junk);
    feed(bytesOf({0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF}));
    const auto rows = log.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, 'N') << "the over-long frame is dropped with a note";
    EXPECT_EQ(rows[1].text, "EE 04 FF FC FF FF ");
}

// ---- connection, detection and polling over a pseudo-terminal

// Plays a panel on the master side of a pty: answers EE 04 with EE 55 and
// EE FE with a version reply, while `answering` is set.
class FakePanel {
public:
    explicit FakePanel(PtyPair& pty) : pty_(pty) {
        thread_ = std::thread([this] { run(); });
    }
    ~FakePanel() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<bool> answering{true};
    std::atomic<int> requests{0};

private:
    void run() {
        ReceiveBuffer rx;
        while (!stop_) {
            const Bytes in = pty_.receive(64, 20);
            rx.append(in.data(), in.size());
            for (Bytes f = rx.extractFrame(); !f.empty(); f = rx.extractFrame()) {
                ++requests;
                if (!answering)
                    continue;
                if (f == kDetectRequest)
                    pty_.send(kDetectAnswer);
                else if (f == kFirmwareRequest)
                    pty_.send(bytesOf({0xEE, 0xFE, 0x02, 0x16, 0x01, 0x00, 0x01, 0x37, 0x00, 0x02,
                                       0xFF, 0xFC, 0xFF, 0xFF}));
            }
        }
    }
    PtyPair& pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The worker's idle loop: polls the link until stopped.
class Poller {
public:
    explicit Poller(DeviceLink& link)
        : thread_([this, &link] {
              while (!stop_)
                  if (link.poll() == 0)
                      std::this_thread::yield();
          }) {}
    ~Poller() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        linktest::ensureApp();
        link.setLog(&log);
        LinkTexts texts;
        texts.noDevice = QStringLiteral(">第一行\r\n>第二行\r\n>第三行");
        link.setTexts(texts);
        link.setDetectInterval(20);
    }
    PtyPair pty;
    DeviceLink link;
    RecordingLog log;
};

TEST_F(LinkTest, DetectsThenAsksForTheFirmware) {
    FakePanel panel(pty);
    Poller poller(link);
    link.setDetectInterval(60000); // the answer, not the timer, ends detection
    QSignalSpy status(&link, &DeviceLink::statusChanged);
    std::string error;
    ASSERT_TRUE(link.connectTo(pty.name(), 7, &error)) << error;
    EXPECT_EQ(log.clears(), 1);
    ASSERT_TRUE(linktest::runUntil([&] { return link.firmware().version != 0; }));
    // The reply's row is written before the information is taken from it.
    EXPECT_TRUE(link.isConnected());
    EXPECT_EQ(link.firmware().deviceType, 1);
    EXPECT_EQ(link.detectionRetries(), 0);
    const auto rows = log.rows();
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0], (Row{'T', "EE 04 FF FC FF FF ", ""}));
    EXPECT_EQ(rows[1], (Row{'R', "EE 55 FF FC FF FF ", ""}));
    EXPECT_EQ(rows[2], (Row{'T', "EE FE FF FC FF FF ", "固件"}));
    EXPECT_EQ(rows[3].label, "固件");
    EXPECT_GE(status.count(), 2);

    link.disconnectLink();
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isConnected());
    EXPECT_EQ(link.firmware(), FirmwareInfo{});
}

TEST_F(LinkTest, SilentPortTriesThirteenRatesThenGivesUp) {
    FakePanel panel(pty);
    panel.answering = false;
    Poller poller(link);
    QSignalSpy failed(&link, &DeviceLink::detectionFailed);
    std::vector<int> rates;
    QObject::connect(&link, &DeviceLink::rateIndexChanged, [&](int i) { rates.push_back(i); });
    ASSERT_TRUE(link.connectTo(pty.name(), 3, nullptr));
    ASSERT_TRUE(linktest::runUntil([&] { return failed.count() == 1; }));
    EXPECT_EQ(rates, (std::vector<int>{4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 0}));
    EXPECT_EQ(link.detectionRetries(), 13);
    EXPECT_FALSE(link.isOpen());
    const auto rows = log.rows();
    ASSERT_GE(rows.size(), 3u);
    const std::vector<Row> tail(rows.end() - 3, rows.end());
    EXPECT_EQ(tail,
              (std::vector<Row>{{'N', ">第一行", ""}, {'N', ">第二行", ""}, {'N', ">第三行", ""}}));
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const Row& r) { return r.text == "EE 04 FF FC FF FF "; }),
              14);
}

TEST_F(LinkTest, AVanishingPortDropsTheLinkAndALaterConnectWorks) {
    Poller poller(link);
    QSignalSpy lost(&link, &DeviceLink::linkLost);
    ASSERT_TRUE(link.connectTo(pty.name(), 3, nullptr));
    pty.closeMaster();
    ASSERT_TRUE(linktest::runUntil([&] { return lost.count() == 1; }));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.send(kDetectRequest)) << "nothing is sent on a closed link";

    PtyPair again;
    FakePanel panel(again);
    link.setDetectInterval(60000);
    ASSERT_TRUE(link.connectTo(again.name(), 3, nullptr));
    ASSERT_TRUE(linktest::runUntil([&] { return link.isConnected(); }));
}

TEST_F(LinkTest, OpenFailuresSayWhy) {
    std::string error;
    EXPECT_FALSE(link.connectTo("/dev/no-such-port-here", 3, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    ASSERT_TRUE(link.connectTo(pty.name(), 3, nullptr));
    DeviceLink other;
    EXPECT_FALSE(other.connectTo(pty.name(), 3, &error));
    EXPECT_NE(error.find("another program"), std::string::npos) << error;
    EXPECT_FALSE(other.isOpen());
}

TEST_F(LinkTest, SendsWriteUnderTheLinkAndLogOnlyWhatLeft) {
    EXPECT_FALSE(link.send({0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_TRUE(log.rows().empty());
    ASSERT_TRUE(link.connectTo(pty.name(), 3, nullptr));
    EXPECT_EQ(pty.receive(6), kDetectRequest);
    EXPECT_TRUE(link.send({0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}, "清屏"));
    EXPECT_EQ(pty.receive(6), bytesOf({0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(log.rows().back(), (Row{'T', "EE 01 FF FC FF FF ", "清屏"}));
    EXPECT_TRUE(link.setRateIndex(7));
    EXPECT_EQ(link.port().GetBaudRate(), 115200u);
    link.disconnectLink();
}

TEST_F(LinkTest, AUserCommandDuringATransferIsRefusedNotQueuedBehindIt) {
    ASSERT_TRUE(link.connectTo(pty.name(), 3, nullptr));
    ASSERT_EQ(pty.receive(6), kDetectRequest);
    std::atomic<bool> held{false}, release{false};
    std::thread download([&] {
        const DeviceLink::Transfer transfer(link);
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    // Each of these waited for the whole transfer before (the window froze).
    EXPECT_FALSE(link.send({0xEE, 0x61, 0x0A, 0xFF, 0xFC, 0xFF, 0xFF}, "beep"));
    EXPECT_FALSE(link.setRateIndex(7));
    std::string error;
    EXPECT_FALSE(link.connectTo(pty.name(), 3, &error));
    EXPECT_FALSE(error.empty());
    link.disconnectLink();
    EXPECT_TRUE(link.isOpen()) << "the transfer keeps its port";
    release = true;
    download.join();
    EXPECT_FALSE(link.transferring());
    EXPECT_TRUE(log.rows().size() == 1) << "a refused command is not logged";
    EXPECT_TRUE(link.send({0xEE, 0x61, 0x0A, 0xFF, 0xFC, 0xFF, 0xFF}, "beep"));
    EXPECT_EQ(pty.receive(7), bytesOf({0xEE, 0x61, 0x0A, 0xFF, 0xFC, 0xFF, 0xFF}));
    link.disconnectLink();
}

} // namespace

namespace {

TEST_F(LinkTest, OnePollDrainsABusyLine) {
    ASSERT_TRUE(link.connectTo(pty.name(), 12, nullptr));
    ASSERT_EQ(pty.receive(6), kDetectRequest);
    Bytes burst;
    for (int i = 0; i < 250; ++i) {
        const Bytes f = bytesOf({0xEE, 0xB1, 0x11, 0x00, 0x00, 0x00, 0x03, 0x12, 0x00, 0x00, 0x00,
                                 i & 0xFF, 0xFF, 0xFC, 0xFF, 0xFF});
        burst.insert(burst.end(), f.begin(), f.end());
    }
    ASSERT_TRUE(pty.send(burst));
    EXPECT_EQ(link.poll(), burst.size()) << "a poll empties the port, not just 512 bytes";
    EXPECT_EQ(log.rows().size(), 251u);
    EXPECT_EQ(log.rows().back().text, "EE B1 11 00 00 00 03 12 00 00 00 F9 FF FC FF FF ");
}

} // namespace
