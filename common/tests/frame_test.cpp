#include "common/frame.h"

#include <gtest/gtest.h>

using namespace tft;
using Bytes = std::vector<std::uint8_t>;

TEST(FrameBuilder, BigEndianParameters) {
    const Bytes f = FrameBuilder(0x01).u16(0x1234).u32(0xA1B2C3D4).u8(7).finish();
    EXPECT_EQ(
        f, (Bytes{0xEE, 0x01, 0x12, 0x34, 0xA1, 0xB2, 0xC3, 0xD4, 0x07, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(buildFrame(0xF0), (Bytes{0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(buildFrame(0x82, {0x01, 0x02}), (Bytes{0xEE, 0x82, 1, 2, 0xFF, 0xFC, 0xFF, 0xFF}));
}

class ReceiveBufferTest : public ::testing::Test {
protected:
    void feed(const Bytes& b) { buffer.append(b.data(), b.size()); }
    ReceiveBuffer buffer;
};

TEST_F(ReceiveBufferTest, FrameSplitAcrossReadsAppearsOnceTheTailArrives) {
    feed({0xEE, 0xFE, 0x01, 0xFF, 0xFC});
    EXPECT_TRUE(buffer.extractFrame().empty());
    feed({0xFF});
    EXPECT_TRUE(buffer.extractFrame().empty());
    feed({0xFF, 0xEE});
    EXPECT_EQ(buffer.extractFrame(), (Bytes{0xEE, 0xFE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(buffer.size(), 1u); // the next frame's head waits
}

TEST_F(ReceiveBufferTest, TwoFramesInOneReadComeOutInOrder) {
    feed({0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x02, 0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_EQ(buffer.extractFrame(), (Bytes{0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(buffer.extractFrame(), (Bytes{0xEE, 0x02, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_TRUE(buffer.extractFrame().empty());
    EXPECT_EQ(buffer.size(), 0u);
}

TEST_F(ReceiveBufferTest, LeadingBytesStayPartOfTheFrame) {
    feed({0x12, 0x34, 0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_EQ(buffer.extractFrame(), (Bytes{0x12, 0x34, 0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
}

TEST_F(ReceiveBufferTest, ClearDiscardsEverything) {
    feed({0xEE, 0x01, 0xFF, 0xFC});
    buffer.clear();
    feed({0xFF, 0xFF});
    EXPECT_TRUE(buffer.extractFrame().empty());
}

TEST_F(ReceiveBufferTest, FrameLongerThanTheCallersBufferIsDropped) {
    feed({0xEE, 1, 2, 3, 4, 5, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x07, 0xFF, 0xFC, 0xFF, 0xFF});
    std::uint8_t out[8] = {};
    bool dropped = false;
    EXPECT_EQ(buffer.ExtractFrame(out, sizeof out, &dropped), 0u);
    EXPECT_TRUE(dropped);
    EXPECT_EQ(out[0], 0); // nothing written past or into the caller's buffer
    EXPECT_EQ(buffer.ExtractFrame(out, sizeof out, &dropped), 6u);
    EXPECT_FALSE(dropped);
    EXPECT_EQ(out[1], 0x07);
}

TEST_F(ReceiveBufferTest, OverlongFrameIsSkippedAndMemoryStaysBounded) {
    Bytes head{0xEE, 0x01};
    feed(head);
    const Bytes chunk(4096, 0x55);
    for (int i = 0; i < 100; ++i) { // 400 KiB without a tail
        feed(chunk);
        EXPECT_TRUE(buffer.extractFrame().empty());
        EXPECT_LE(buffer.size(), ReceiveBuffer::kFrameBufferSize + chunk.size());
    }
    feed({0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x02, 0xFF, 0xFC, 0xFF, 0xFF});
    // The tail of the over-long frame ends it unseen; the next frame is whole.
    EXPECT_EQ(buffer.extractFrame(), (Bytes{0xEE, 0x02, 0xFF, 0xFC, 0xFF, 0xFF}));
}

TEST_F(ReceiveBufferTest, FrameOfExactlyTheBufferSizeIsKept) {
    Bytes f(ReceiveBuffer::kFrameBufferSize, 0x11);
    f[0] = 0xEE;
    f[f.size() - 4] = 0xFF;
    f[f.size() - 3] = 0xFC;
    f[f.size() - 2] = 0xFF;
    f[f.size() - 1] = 0xFF;
    feed(f);
    EXPECT_EQ(buffer.extractFrame().size(), ReceiveBuffer::kFrameBufferSize);
}
