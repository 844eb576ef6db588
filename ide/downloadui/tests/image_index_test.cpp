// The picture index reply, byte by byte: the records' fields, a count that
// claims more than the frame holds, and an empty index.
#include "image_index.h"

#include <gtest/gtest.h>

using namespace tft::ide;
using Bytes = std::vector<std::uint8_t>;

namespace {

QByteArray frame(std::uint16_t count, const Bytes& records) {
    Bytes bytes;
    bytes.reserve(records.size() + 8);
    for (const std::uint8_t b : {0xEE, 0x05, count & 0xFF, count >> 8})
        bytes.push_back(b);
    bytes.insert(bytes.end(), records.begin(), records.end());
    for (const std::uint8_t b : {0xFF, 0xFC, 0xFF, 0xFF})
        bytes.push_back(b);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

// Record 0x1234 at 0x00B01000, 480 x 272, 261120 bytes; the reserved bytes
// and the size's fourth byte are set so that reading them would show.
const Bytes kFirst{0x34, 0x12, 0x04, 0x00, 0x10, 0xB0, 0x00, 0xE0,
                   0x01, 0x10, 0x01, 0x00, 0xFC, 0x03, 0x7F, 0x01};
// Record 7 at 0x89ABCDEF, 1 x 65535, 0xFFFFFF bytes.
const Bytes kSecond{0x07, 0x00, 0xAA, 0xEF, 0xCD, 0xAB, 0x89, 0x01,
                    0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x55, 0x66};

Bytes both() {
    Bytes r = kFirst;
    r.insert(r.end(), kSecond.begin(), kSecond.end());
    return r;
}

} // namespace

TEST(ImageIndex, RequestIsTheSixBytes) {
    EXPECT_EQ(kImageIndexRequest, (Bytes{0xEE, 0xF3, 0xFF, 0xFC, 0xFF, 0xFF}));
}

TEST(ImageIndex, RecordsDecodeFieldByField) {
    const auto records = parseImageIndex(frame(2, both()));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].id, 0x1234);
    EXPECT_EQ(records[0].address, 0x00B01000u);
    EXPECT_EQ(records[0].width, 480);
    EXPECT_EQ(records[0].height, 272);
    EXPECT_EQ(records[0].size, 0x03FC00u); // 261120: the fourth byte is not part of it
    EXPECT_EQ(records[1].id, 7);
    EXPECT_EQ(records[1].address, 0x89ABCDEFu);
    EXPECT_EQ(records[1].width, 1);
    EXPECT_EQ(records[1].height, 65535);
    EXPECT_EQ(records[1].size, 0xFFFFFFu);
}

TEST(ImageIndex, TheCountIsBelievedOnlyAsFarAsTheFrameHoldsRecords) {
    // Claims 5 (and 0xFFFF) records, carries 2.
    EXPECT_EQ(parseImageIndex(frame(5, both())).size(), 2u);
    EXPECT_EQ(parseImageIndex(frame(0xFFFF, both())).size(), 2u);
    // A record cut short is no record.
    Bytes cut = both();
    cut.resize(16 + 10);
    const auto records = parseImageIndex(frame(2, cut));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, 0x1234);
    // A count below what the frame carries is taken as it stands.
    const auto one = parseImageIndex(frame(1, both()));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].id, 0x1234);
    // The count's high byte counts.
    Bytes many;
    for (int i = 0; i < 300; ++i) {
        Bytes r = kFirst;
        r[0] = std::uint8_t(i & 0xFF);
        r[1] = std::uint8_t(i >> 8);
        many.insert(many.end(), r.begin(), r.end());
    }
    const auto all = parseImageIndex(frame(300, many));
    ASSERT_EQ(all.size(), 300u);
    EXPECT_EQ(all.back().id, 299);
}

TEST(ImageIndex, NoRecords) {
    EXPECT_TRUE(parseImageIndex(frame(0, {})).empty());
    EXPECT_TRUE(parseImageIndex(frame(0, both())).empty());
    EXPECT_TRUE(parseImageIndex(frame(3, {})).empty());
    // Shorter than head and tail: nothing, and nothing read past the end.
    EXPECT_TRUE(parseImageIndex(QByteArray("\xEE\x05\x01\x00\xFF\xFC\xFF", 7)).empty());
    EXPECT_TRUE(parseImageIndex(QByteArray()).empty());
}
