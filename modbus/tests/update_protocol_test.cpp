// Frames and the exchange logic over an in-memory transport.
#include "modbus/update_protocol.h"

#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tessary;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct RecordingLog : IUpdateLog {
    std::vector<std::string> lines;
    std::vector<std::string> history; // every line ever shown, replacements included
    void clear() override { lines.clear(); }
    void append(const std::string& l) override {
        lines.push_back(l);
        history.push_back(l);
    }
    void replaceLast(const std::string& l) override {
        if (lines.empty())
            lines.push_back(l);
        else
            lines.back() = l;
        history.push_back(l);
    }
};

// Answers each written frame with what `respond` returns.
struct MemoryTransport : ITransport {
    std::function<Bytes(const Bytes&)> respond;
    std::vector<Bytes> written;
    std::deque<std::uint8_t> input;
    int pauses = 0;
    int discards = 0;
    void write(const std::uint8_t* d, std::size_t n) override {
        written.emplace_back(d, d + n);
        const Bytes r = respond(written.back());
        input.insert(input.end(), r.begin(), r.end());
    }
    std::size_t read(std::uint8_t* d, std::size_t n) override {
        std::size_t got = 0;
        while (got < n && !input.empty()) {
            d[got++] = input.front();
            input.pop_front();
        }
        return got;
    }
    void discardInput() override {
        ++discards;
        input.clear();
    }
    void pause(int ms) override {
        EXPECT_EQ(ms, 10);
        ++pauses;
    }
};

// A panel at 201 that answers every frame correctly.
Bytes goodPanel(const Bytes& f) {
    if (f[1] == kFnDataBlock)
        return appendCrc({f[0], f[1], f[2]});
    return f;
}

std::filesystem::path writeFile(const QTemporaryDir& dir, const char* name, std::size_t size) {
    const std::filesystem::path p = dir.filePath(name).toStdString();
    std::ofstream out(p, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i * 7 + 1));
    return p;
}

} // namespace

TEST(FrameTest, MasterFramesAreByteExact) {
    EXPECT_EQ(resumeMasterFrame(), (Bytes{0xC8, 0x66, 0xD6, 0x5A}));
    EXPECT_EQ(stopMasterFrame(), (Bytes{0xC8, 0x67, 0x17, 0x9A}));
}

TEST(FrameTest, FileFramesCarryAddressSlotAndCrcLowByteFirst) {
    const Bytes begin = beginFileFrame(201, 6);
    ASSERT_EQ(begin.size(), 5u);
    EXPECT_EQ(Bytes(begin.begin(), begin.begin() + 3), (Bytes{201, 0x68, 6}));
    EXPECT_EQ(appendCrc({201, 0x68, 6}), begin);
    const Bytes end = endFileFrame(210);
    EXPECT_EQ(Bytes(end.begin(), end.begin() + 2), (Bytes{210, 0x6A}));
    // The CRC of the whole frame including its own CRC is zero.
    std::uint8_t data[3] = {1, 2, 3};
    const Bytes block = dataBlockFrame(205, 255, data, 3);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), (Bytes{205, 0x69, 255, 1, 2, 3}));
    EXPECT_EQ(appendCrc(Bytes(block.begin(), block.end() - 2)), block);
}

TEST(FrameTest, DataReplyChecksAddressFunctionSequenceAndCrc) {
    const Bytes good = appendCrc({201, 0x69, 7});
    EXPECT_TRUE(isDataReply(good.data(), good.size(), 201, 7));
    EXPECT_FALSE(isDataReply(good.data(), 4, 201, 7));
    EXPECT_FALSE(isDataReply(good.data(), good.size(), 202, 7));
    EXPECT_FALSE(isDataReply(good.data(), good.size(), 201, 8));
    Bytes badCrc = good;
    badCrc[3] ^= 1;
    EXPECT_FALSE(isDataReply(badCrc.data(), badCrc.size(), 201, 7));
    const Bytes wrongFn = appendCrc({201, 0x68, 7});
    EXPECT_FALSE(isDataReply(wrongFn.data(), wrongFn.size(), 201, 7));
}

TEST(SlotListTest, FolderFilesByLowerCasedExtensionLastOneWins) {
    QTemporaryDir dir;
    writeFile(dir, "a.GWB", 1);
    writeFile(dir, "b.gwb", 1);
    writeFile(dir, "pics.graidx", 1);
    writeFile(dir, "touch.Si", 1);
    writeFile(dir, "font.fidx", 1);
    writeFile(dir, "font.fbin", 1);
    writeFile(dir, "kb.sbin", 1);
    writeFile(dir, "other.txt", 1);
    std::filesystem::create_directory(dir.filePath("sub.gwb").toStdString());
    SlotSelection sel;
    sel.folder = dir.path().toStdString();
    sel.modbus = false;
    auto slotFiles = buildSlotList(sel);
    EXPECT_EQ(slotFiles[0].filename(), "pics.graidx");
    EXPECT_EQ(slotFiles[1].filename(), "b.gwb");
    EXPECT_EQ(slotFiles[2].filename(), "touch.Si");
    EXPECT_TRUE(slotFiles[3].empty()); // fonts off by default
    EXPECT_TRUE(slotFiles[5].empty());
    EXPECT_TRUE(slotFiles[6].empty());

    sel.images = false;
    sel.fonts = true;
    sel.keyboard = true;
    sel.modbus = true;
    sel.mapFile = "/x/y.mbm";
    slotFiles = buildSlotList(sel);
    EXPECT_TRUE(slotFiles[0].empty());
    EXPECT_TRUE(slotFiles[1].empty());
    EXPECT_EQ(slotFiles[3].filename(), "font.fidx");
    EXPECT_EQ(slotFiles[4].filename(), "font.fbin");
    EXPECT_EQ(slotFiles[5].filename(), "kb.sbin");
    EXPECT_EQ(slotFiles[6], std::filesystem::path("/x/y.mbm"));
}

TEST(SlotListTest, MissingFolderGivesNoFolderSlots) {
    SlotSelection sel;
    sel.folder = "/no/such/folder/anywhere";
    sel.mapFile = "m.mbm";
    const auto slotFiles = buildSlotList(sel);
    for (int i = 0; i < kMapSlot; ++i)
        EXPECT_TRUE(slotFiles[static_cast<std::size_t>(i)].empty());
    EXPECT_EQ(slotFiles[6], std::filesystem::path("m.mbm"));
}

TEST(UpdaterMemoryTest, EachTryDiscardsStaleInputAndPauses) {
    QTemporaryDir dir;
    MemoryTransport t;
    t.respond = goodPanel;
    RecordingLog log;
    ModbusUpdater u(t, log, 201);
    ASSERT_TRUE(u.sendFile(2, writeFile(dir, "t.si", 10)));
    EXPECT_EQ(t.written.size(), 3u);
    EXPECT_EQ(t.pauses, 3);
    EXPECT_EQ(t.discards, 3);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"开始更新触控配置......", "已完成100%...", "操作成功."}));
}

TEST(UpdaterMemoryTest, ShortReplyIsAFailedTryAndThreeEndTheUpdate) {
    QTemporaryDir dir;
    MemoryTransport t;
    t.respond = [](const Bytes& f) {
        Bytes r = goodPanel(f);
        if (f[1] == kFnEndFile)
            r.pop_back();
        return r;
    };
    RecordingLog log;
    ModbusUpdater u(t, log, 201);
    std::array<std::filesystem::path, kSlotCount> slotFiles;
    slotFiles[0] = writeFile(dir, "a.graidx", 5);
    slotFiles[1] = writeFile(dir, "a.gwb", 5);
    EXPECT_FALSE(u.run(slotFiles));
    // Begin, one block, three End tries; nothing of slot 1.
    ASSERT_EQ(t.written.size(), 5u);
    for (const auto& f : t.written)
        EXPECT_NE(f[2], 1) << "slot 1 must not begin";
    EXPECT_EQ(log.lines.back(), "操作失败!!!");
    EXPECT_EQ(u.slotsSent(), 1);
}

TEST(UpdaterMemoryTest, SequenceNumbersWrapModulo256) {
    QTemporaryDir dir;
    MemoryTransport t;
    t.respond = goodPanel;
    RecordingLog log;
    ModbusUpdater u(t, log, 203);
    ASSERT_TRUE(u.sendFile(1, writeFile(dir, "big.gwb", 257 * 128 + 1)));
    std::vector<int> seqs;
    for (const auto& f : t.written)
        if (f[1] == kFnDataBlock)
            seqs.push_back(f[2]);
    ASSERT_EQ(seqs.size(), 258u);
    EXPECT_EQ(seqs[255], 255);
    EXPECT_EQ(seqs[256], 0);
    EXPECT_EQ(seqs[257], 1);
    EXPECT_EQ(t.written.front()[0], 203);
    // The progress rose from 0 without ever going back, and ended at 100.
    ASSERT_GE(log.history.size(), 3u);
    EXPECT_EQ(log.history[1], "已完成0%...");
    EXPECT_EQ(log.history[2], "已完成0%..."); // 128 of 32897 bytes
    EXPECT_EQ(log.history[log.history.size() - 3], "已完成99%...");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"开始更新图片文件......", "已完成100%...", "操作成功."}));
}

TEST(UpdaterMemoryTest, EmptyOrMissingFilesAreSkippedSilently) {
    QTemporaryDir dir;
    MemoryTransport t;
    t.respond = goodPanel;
    RecordingLog log;
    ModbusUpdater u(t, log, 201);
    std::array<std::filesystem::path, kSlotCount> slotFiles;
    slotFiles[0] = writeFile(dir, "empty.graidx", 0);
    slotFiles[1] = dir.filePath("missing.gwb").toStdString();
    slotFiles[2] = dir.path().toStdString(); // a folder is no file
    const std::string fifo = dir.filePath("pipe.si").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    slotFiles[3] = fifo; // opening it would block until a writer came
    EXPECT_TRUE(u.run(slotFiles));
    EXPECT_TRUE(t.written.empty());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(u.slotsSent(), 0);
}

TEST(UpdaterMemoryTest, CancelEndsBeforeTheNextExchange) {
    QTemporaryDir dir;
    std::atomic<bool> cancel{false};
    MemoryTransport t;
    t.respond = [&cancel](const Bytes& f) {
        cancel = true;
        return goodPanel(f);
    };
    RecordingLog log;
    ModbusUpdater u(t, log, 201);
    u.setCancelFlag(&cancel);
    EXPECT_FALSE(u.sendFile(0, writeFile(dir, "x.graidx", 300)));
    EXPECT_EQ(t.written.size(), 1u);
    EXPECT_EQ(log.lines.back(), "操作失败!!!");
}

TEST(MasterMemoryTest, NineTriesThenFailureAndStopsOnExactEcho) {
    MemoryTransport silent;
    silent.respond = [](const Bytes&) { return Bytes{}; };
    EXPECT_FALSE(exchangeMasterFrame(silent, true));
    EXPECT_EQ(silent.written.size(), 9u);

    MemoryTransport third;
    int n = 0;
    third.respond = [&n](const Bytes& f) {
        ++n;
        if (n < 3)
            return Bytes{f[0], f[1], f[2]}; // a short echo is no echo
        return f;
    };
    EXPECT_TRUE(exchangeMasterFrame(third, false));
    ASSERT_EQ(third.written.size(), 3u);
    EXPECT_EQ(third.written[0], resumeMasterFrame());
}
