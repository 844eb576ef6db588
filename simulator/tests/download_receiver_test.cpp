// The simulated panel's download side, fed byte for byte on virtual time.
#include "simulator/download_receiver.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

using namespace tft;
using testsupport::readBytes;
using testsupport::TempFolder;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kOpen{0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
const Bytes kIndexRequest{0xEE, 0xF3, 0xFF, 0xFC, 0xFF, 0xFF};

Bytes pattern(std::size_t length, unsigned seed) {
    Bytes b(length);
    for (std::size_t i = 0; i < length; ++i)
        b[i] = static_cast<std::uint8_t>((i * 31 + seed) & 0xFF);
    return b;
}

// The packets a host sends for `data` (count + zero-filled block), with the
// first chunk shortened by a start offset and the closing zero packet.
std::vector<Bytes> packets(const Bytes& data, std::size_t block, std::size_t offset = 0) {
    std::vector<Bytes> out;
    std::size_t at = 0, chunk = block - offset % block;
    for (;;) {
        const std::size_t count = std::min(chunk, data.size() - at);
        Bytes p(block + 2, 0);
        p[0] = count & 0xFF;
        p[1] = count >> 8;
        std::copy_n(data.begin() + std::ptrdiff_t(at), count, p.begin() + 2);
        out.push_back(p);
        at += count;
        if (count < chunk)
            break;
        chunk = block;
    }
    if (offset > 0 && out.back()[0] + out.back()[1] > 0)
        out.push_back(Bytes(block + 2, 0));
    return out;
}

Bytes record(std::uint16_t id, std::uint32_t address, std::uint16_t w, std::uint16_t h) {
    const std::uint32_t size = std::uint32_t(w) * h * 2;
    return {std::uint8_t(id),
            std::uint8_t(id >> 8),
            4,
            std::uint8_t(address),
            std::uint8_t(address >> 8),
            std::uint8_t(address >> 16),
            std::uint8_t(address >> 24),
            std::uint8_t(w),
            std::uint8_t(w >> 8),
            std::uint8_t(h),
            std::uint8_t(h >> 8),
            std::uint8_t(size),
            std::uint8_t(size >> 8),
            std::uint8_t(size >> 16),
            0,
            1};
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A host talking to the receiver: every send returns the panel's replies.
struct Host {
    explicit Host(const std::filesystem::path& storage, std::size_t blockSize = 2048,
                  std::uint64_t maxFile = 1 << 20)
        : receiver([&] {
              DownloadReceiver::Options o;
              o.storage = storage;
              o.block = blockSize;
              o.maxFileBytes = maxFile;
              return o;
          }()),
          block(blockSize) {
        receiver.SetLoadHandler([this](const std::filesystem::path& si) { loaded.push_back(si); });
    }
    Bytes send(const Bytes& bytes) {
        Bytes replies;
        receiver.Feed(bytes.data(), bytes.size(), now, core, replies);
        return replies;
    }
    // Header then packets; true when every one was acknowledged.
    bool sendFile(const Bytes& header, const Bytes& data, std::size_t offset = 0) {
        if (send(header) != Bytes{0xA5})
            return false;
        for (const Bytes& p : packets(data, block, offset))
            if (send(p) != Bytes{0xA5})
                return false;
        return true;
    }
    DownloadReceiver receiver;
    std::size_t block;
    std::int64_t now = 1000;
    Bytes core;
    std::vector<std::filesystem::path> loaded;
};

TEST(DownloadReceiver, RequestsAreTakenOnlyWhereTheCoreWouldStartAFrame) {
    TempFolder dir;
    Host host(dir.path());
    // A frame for the core, then the opening split over two reads.
    EXPECT_TRUE(host.send({0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0xF0, 0xFF}).empty());
    EXPECT_EQ(host.send({0xFC, 0xFF, 0xFF}), Bytes{0xA5});
    EXPECT_EQ(host.core, (Bytes{0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_TRUE(host.receiver.Downloading());
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_FALSE(host.receiver.Downloading());

    // The same bytes inside another frame's parameters go to the core.
    host.core.clear();
    const Bytes inner{0xEE, 0xB1, 0x10, 0xEE, 0xF0, 0xFF, 0xFC, 0xFF, 0xFF};
    EXPECT_TRUE(host.send(inner).empty());
    EXPECT_EQ(host.core, inner);
    EXPECT_FALSE(host.receiver.Downloading());
    // A near miss is handed on whole.
    host.core.clear();
    EXPECT_TRUE(host.send({0xEE, 0xF0, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}).empty());
    EXPECT_EQ(host.core, (Bytes{0xEE, 0xF0, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
}

TEST(DownloadReceiver, StoresFilesAtCloseAndLoadsTheSet) {
    TempFolder dir;
    Host host(dir.path());
    const Bytes screens = pattern(2048, 1); // exactly one block: a full and a zero packet
    const Bytes index = record(0, 0xB00000, 4, 2);
    const Bytes pixels = pattern(16, 2);
    const Bytes empty;
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_TRUE(host.sendFile({0x90}, index));
    ASSERT_TRUE(host.sendFile({0x92}, pixels));
    ASSERT_TRUE(host.sendFile({0x97}, screens));
    ASSERT_TRUE(host.sendFile({0x99}, empty));
    // Nothing is in place before the close.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "panel.si"));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_EQ(readBytes(dir.path() / "panel.si"), screens);
    EXPECT_EQ(readBytes(dir.path() / "panel.graidx"), index);
    EXPECT_EQ(readBytes(dir.path() / "panel.gwb"), pixels);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "panel.mbm"));
    EXPECT_EQ(readBytes(dir.path() / "panel.mbm").size(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / ".incoming"));
    ASSERT_EQ(host.loaded.size(), 1u);
    EXPECT_EQ(host.loaded[0], dir.path() / "panel.si");
    EXPECT_TRUE(host.core.empty());

    // The index request answers from what the panel now holds.
    const Bytes answer = host.send(kIndexRequest);
    Bytes expected{0xEE, 0x05, 0x01, 0x00};
    expected.insert(expected.end(), index.begin(), index.end());
    expected.insert(expected.end(), {0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_EQ(answer, expected);
}

TEST(DownloadReceiver, IndexAnswerWithoutPicturesHasNoRecords) {
    TempFolder dir;
    Host host(dir.path());
    EXPECT_EQ(host.send(kIndexRequest), (Bytes{0xEE, 0x05, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_TRUE(host.core.empty());
}

TEST(DownloadReceiver, IndexAnswerFitsTheHostsFrameBuffer) {
    TempFolder dir;
    Bytes index;
    for (std::uint16_t id = 0; id < 7000; ++id) {
        const Bytes r = record(id, 0xB00000 + id * 8u, 2, 2);
        index.insert(index.end(), r.begin(), r.end());
    }
    writeFile(dir.path() / "panel.graidx", index);
    Host host(dir.path());
    host.receiver.SetHeldSet(dir.path() / "panel.si");
    const Bytes answer = host.send(kIndexRequest);
    const std::size_t count = answer[2] | (answer[3] << 8);
    EXPECT_EQ(count, (102400u - 8) / 16);
    EXPECT_EQ(answer.size(), 8 + 16 * count);
    EXPECT_LE(answer.size(), 102400u);
    EXPECT_TRUE(std::equal(answer.begin() + 4, answer.end() - 4, index.begin()));
}

TEST(DownloadReceiver, ReplacementPictureLandsAtItsAddressAfterAShortFirstPacket) {
    TempFolder dir;
    const Bytes index = record(7, 0xB00000 + 3000, 20, 30); // 1200 bytes at 3000
    Bytes gwb = pattern(5000, 3);
    writeFile(dir.path() / "panel.si", pattern(200, 4));
    writeFile(dir.path() / "panel.graidx", index);
    writeFile(dir.path() / "panel.gwb", gwb);
    Host host(dir.path());
    const Bytes picture = pattern(1200, 9);
    const std::vector<Bytes> sent = packets(picture, 2048, 0xB00000 + 3000);
    ASSERT_EQ(sent.size(), 3u); // 1096, 104, then the closing zero packet
    EXPECT_EQ(sent[0][0] | (sent[0][1] << 8), 1096);
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    EXPECT_EQ(host.send({0x96, 0x08, 0x00}), Bytes{0x15}); // no picture 8
    ASSERT_TRUE(host.sendFile({0x96, 0x07, 0x00}, picture, 0xB00000 + 3000));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    std::copy(picture.begin(), picture.end(), gwb.begin() + 3000);
    EXPECT_EQ(readBytes(dir.path() / "panel.gwb"), gwb);

    // A replacement larger than the picture is refused and changes nothing.
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    EXPECT_FALSE(host.sendFile({0x96, 0x07, 0x00}, pattern(1201, 5), 0xB00000 + 3000));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_EQ(readBytes(dir.path() / "panel.gwb"), gwb);
}

TEST(DownloadReceiver, GarbageOversizeAndCutOffTransfersKeepThePreviousContent) {
    TempFolder dir;
    const Bytes before = pattern(300, 6);
    writeFile(dir.path() / "panel.si", before);
    Host host(dir.path(), 256, 1000);

    // A packet that claims more than its block: refused, the file dropped.
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_EQ(host.send({0x97}), Bytes{0xA5});
    Bytes bad(258, 0xAB);
    EXPECT_EQ(host.send(bad), Bytes{0x15});
    EXPECT_EQ(host.send({0x42}), Bytes{0x15}); // not a command
    // A file over the panel's limit.
    EXPECT_FALSE(host.sendFile({0x97}, pattern(1001, 1)));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_EQ(readBytes(dir.path() / "panel.si"), before);
    EXPECT_TRUE(host.loaded.empty());

    // A transfer cut off mid-file: the host falls silent, the session ends.
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_EQ(host.send({0x97}), Bytes{0xA5});
    const std::vector<Bytes> sent = packets(pattern(700, 2), 256);
    ASSERT_EQ(host.send(sent[0]), Bytes{0xA5});
    host.send(Bytes(sent[1].begin(), sent[1].begin() + 100));
    host.now += 1999;
    host.receiver.Poll(host.now);
    EXPECT_TRUE(host.receiver.Downloading());
    host.now += 2;
    host.receiver.Poll(host.now);
    EXPECT_FALSE(host.receiver.Downloading());
    EXPECT_EQ(readBytes(dir.path() / "panel.si"), before);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / ".incoming"));
    // The panel takes a new download afterwards.
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_TRUE(host.sendFile({0x97}, pattern(700, 2)));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_EQ(readBytes(dir.path() / "panel.si"), pattern(700, 2));
    EXPECT_EQ(host.loaded.size(), 1u);
}

TEST(DownloadReceiver, HostStartingOverDropsTheUnfinishedSession) {
    TempFolder dir;
    Host host(dir.path());
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_TRUE(host.sendFile({0x97}, pattern(10, 1)));
    EXPECT_EQ(host.send(kOpen), Bytes{0xA5}); // a new opening instead of a close
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "panel.si"));
}

TEST(DownloadReceiver, SoundIndexAndDataUnderTheSharedCommandsKeepTheirOwnNames) {
    TempFolder dir;
    Host host(dir.path());
    const Bytes pictures = record(0, 0xB00000, 2, 2);
    const Bytes sound{0, 1, 16, 0, 0x00, 0x7D, 0, 0, 8, 0, 0, 0, 0, 0, 0xB0, 0};
    ASSERT_EQ(host.send(kOpen), Bytes{0xA5});
    ASSERT_TRUE(host.sendFile({0x90}, pictures));
    ASSERT_TRUE(host.sendFile({0x92}, pattern(8, 1)));
    ASSERT_TRUE(host.sendFile({0x90}, sound));
    ASSERT_TRUE(host.sendFile({0x92}, pattern(8, 2)));
    EXPECT_EQ(host.send({0xF1}), Bytes{0xA5});
    EXPECT_EQ(readBytes(dir.path() / "panel.graidx"), pictures);
    EXPECT_EQ(readBytes(dir.path() / "panel.gwb"), pattern(8, 1));
    EXPECT_EQ(readBytes(dir.path() / "panel.pwi"), sound);
    EXPECT_EQ(readBytes(dir.path() / "panel.pwav"), pattern(8, 2));
}

} // namespace
