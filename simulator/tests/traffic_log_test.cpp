#include "simulator/traffic_log.h"

#include <gtest/gtest.h>

using namespace tft;
using Dir = TrafficLog::Direction;

namespace {

TrafficLog::Clock::time_point at(int ms) {
    return TrafficLog::Clock::time_point(std::chrono::milliseconds(ms));
}

void log(TrafficLog& l, Dir d, std::initializer_list<std::uint8_t> bytes, int ms = 0) {
    const std::vector<std::uint8_t> v(bytes);
    l.Log(d, v.data(), v.size(), at(ms));
}

} // namespace

TEST(TrafficLog, FrameSplitAcrossBlocksIsOneRowAfterTheSecond) {
    TrafficLog l;
    log(l, Dir::Received, {0xEE, 0x04, 0xFF});
    EXPECT_EQ(l.RowCount(), 0u);
    log(l, Dir::Received, {0xFC, 0xFF, 0xFF});
    ASSERT_EQ(l.RowCount(), 1u);
    const LogRow row = l.Rows()[0];
    EXPECT_EQ(row.value, "EE 04 FF FC FF FF ");
    EXPECT_EQ(row.direction, "RXD");
    EXPECT_EQ(row.description, "Handshake");
}

TEST(TrafficLog, TwoFramesInOneBlockShareTheirTime) {
    TrafficLog l;
    log(l, Dir::Sent,
        {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0xB1, 0x01, 0x00, 0x02, 0xFF, 0xFC, 0xFF, 0xFF},
        1234);
    const auto rows = l.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, rows[1].time);
    EXPECT_EQ(rows[0].time.substr(rows[0].time.size() - 4), ".234");
    EXPECT_EQ(rows[0].direction, "TXD");
    EXPECT_EQ(rows[0].description, "HandshakeReply");
    EXPECT_EQ(rows[1].description, "ScreenReport");
}

TEST(TrafficLog, BytesBeforeTheHeadStartTheRow) {
    TrafficLog l;
    log(l, Dir::Received, {0x12, 0xEE, 0xB1, 0x11, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFC, 0xFF, 0xFF});
    ASSERT_EQ(l.RowCount(), 1u);
    EXPECT_EQ(l.Rows()[0].value.substr(0, 6), "12 EE ");
    EXPECT_EQ(l.Rows()[0].description, "ControlCommand/GetControlValue");
}

TEST(TrafficLog, DirectionsAreFramedApart) {
    TrafficLog l;
    log(l, Dir::Received, {0xEE, 0x01, 0xFF});
    log(l, Dir::Sent, {0xFC, 0xFF, 0xFF}); // a sent tail must not end a received frame
    EXPECT_EQ(l.RowCount(), 0u);
    log(l, Dir::Received, {0xFC, 0xFF, 0xFF});
    EXPECT_EQ(l.RowCount(), 1u);
}

TEST(TrafficLog, ClearEmptiesRowsAndPendingBytes) {
    TrafficLog l;
    log(l, Dir::Received, {0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x02});
    l.Clear();
    log(l, Dir::Received, {0xFF, 0xFC, 0xFF, 0xFF});
    ASSERT_EQ(l.RowCount(), 1u);
    EXPECT_EQ(l.Rows()[0].value, "FF FC FF FF "); // the held EE 02 was discarded
}

TEST(TrafficLog, SaveWritesPaddedColumnsWithCrLf) {
    TrafficLog l;
    log(l, Dir::Received, {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF});
    const std::string text = l.SaveText();
    const std::string time = l.Rows()[0].time;
    std::string expected = time + std::string(20 - time.size(), ' ') + " RXD" +
                           std::string(7, ' ') + " EE 04 FF FC FF FF " + std::string(50 - 18, ' ') +
                           " Handshake" + std::string(50 - 9, ' ') + "\r\n";
    EXPECT_EQ(text, expected);
}

TEST(TrafficLog, DefaultFileNameHasTheDateAndTime) {
    const std::string name = TrafficLog::DefaultFileName();
    EXPECT_EQ(name.substr(0, 3), "LOG");
    EXPECT_EQ(name.size(), std::string("LOG2026_12_08_16_40_00").size());
}

TEST(TrafficLog, RowHandlerSeesNewRows) {
    TrafficLog l;
    std::vector<std::string> seen;
    l.SetRowHandler([&](const LogRow& r) { seen.push_back(r.value); });
    log(l, Dir::Sent, {0xEE, 0xF4, 0xFF, 0xFC, 0xFF, 0xFF});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "EE F4 FF FC FF FF ");
}
