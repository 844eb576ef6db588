// The update and the master commands through a real serial port object on a
// pseudo-terminal, against the simulated panel.
#include "modbus/serial_update.h"
#include "panel_peer.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

using namespace tessary;
using tessary::testpeer::Fault;
using tessary::testpeer::PanelPeer;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct RecordingLog : IUpdateLog {
    std::vector<std::string> lines;
    std::vector<std::string> history;
    void clear() override { lines.clear(); }
    void append(const std::string& l) override {
        lines.push_back(l);
        history.push_back(l);
    }
    void replaceLast(const std::string& l) override {
        lines.back() = l;
        history.push_back(l);
    }
};

Bytes pattern(std::size_t size, int salt = 0) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>((i * 31 + static_cast<std::size_t>(salt)) ^ (i >> 8));
    return b;
}

std::filesystem::path writeFile(const QTemporaryDir& dir, const char* name, const Bytes& bytes) {
    const std::filesystem::path p = dir.filePath(name).toStdString();
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return p;
}

class SerialUpdateTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir emptyFolder;
    PanelPeer peer;
    RecordingLog log;

    UpdateRequest mapOnly(const std::filesystem::path& map) {
        UpdateRequest r;
        r.port = peer.portName();
        r.baud = 115200;
        r.selection.folder = emptyFolder.path().toStdString();
        r.selection.images = false;
        r.selection.touch = false;
        r.selection.mapFile = map;
        return r;
    }
};

std::vector<int> dataSequences(const PanelPeer& peer) {
    std::vector<int> s;
    for (const auto& f : peer.frames(kFnDataBlock))
        s.push_back(f[2]);
    return s;
}

std::vector<std::size_t> dataSizes(const PanelPeer& peer) {
    std::vector<std::size_t> s;
    for (const auto& f : peer.frames(kFnDataBlock))
        s.push_back(f.size() - 5);
    return s;
}

} // namespace

TEST_F(SerialUpdateTest, ThreeHundredBytesGoInBlocksOf128_128_44) {
    const Bytes content = pattern(300);
    int sent = 0;
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", content)), log, nullptr, &sent));
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(dataSizes(peer), (std::vector<std::size_t>{128, 128, 44}));
    EXPECT_EQ(dataSequences(peer), (std::vector<int>{0, 1, 2}));
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames.front(), beginFileFrame(201, 6));
    EXPECT_EQ(frames.back(), endFileFrame(201));
    EXPECT_EQ(peer.files().at(6), content);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"开始更新Modbus配置文件......", "已完成100%...",
                                                   "操作成功."}));
    EXPECT_EQ(log.history, (std::vector<std::string>{"开始更新Modbus配置文件......", "已完成0%...",
                                                     "已完成42%...", "已完成85%...",
                                                     "已完成100%...", "操作成功."}));
}

TEST_F(SerialUpdateTest, ExactlyOneBlockSendsNoEmptyBlock) {
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", pattern(128))), log));
    EXPECT_EQ(dataSizes(peer), (std::vector<std::size_t>{128}));
    EXPECT_EQ(peer.frames().size(), 3u);
    EXPECT_EQ(log.lines.back(), "操作成功.");
}

TEST_F(SerialUpdateTest, OnlyModbusBoxWithEmptyFolderSendsOnlySlot6) {
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", pattern(20))), log));
    EXPECT_EQ(peer.slotsBegun(), (std::vector<int>{6}));
}

TEST_F(SerialUpdateTest, AllSlotsGoInOrderToTheChosenAddress) {
    QTemporaryDir res;
    writeFile(res, "p.graidx", pattern(10, 1));
    writeFile(res, "p.gwb", pattern(400, 2));
    writeFile(res, "s.si", pattern(129, 3));
    writeFile(res, "f.fidx", pattern(5, 4));
    writeFile(res, "f.fbin", pattern(6, 5));
    writeFile(res, "k.sbin", pattern(7, 6));
    PanelPeer panel(207);
    UpdateRequest r;
    r.port = panel.portName();
    r.address = 207;
    r.selection.folder = res.path().toStdString();
    r.selection.fonts = true;
    r.selection.keyboard = true;
    r.selection.mapFile = writeFile(dir, "m.mbm", pattern(16, 7));
    int sent = 0;
    ASSERT_TRUE(runSerialUpdate(r, log, nullptr, &sent));
    EXPECT_EQ(sent, 7);
    EXPECT_EQ(panel.slotsBegun(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(panel.files().at(1), pattern(400, 2));
    EXPECT_EQ(panel.files().at(2), pattern(129, 3));
    EXPECT_EQ(panel.files().at(6), pattern(16, 7));
    for (const auto& f : panel.frames())
        EXPECT_EQ(f[0], 207);
}

TEST_F(SerialUpdateTest, WrongCrcOrSequenceIsAFailedTryThatIsRetried) {
    peer.injectFault(kFnDataBlock, Fault::BadCrc);
    peer.injectFault(kFnDataBlock, Fault::WrongSequence);
    const Bytes content = pattern(300);
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", content)), log));
    // Block 0 went three times (two refused replies), then 1 and 2 once each.
    EXPECT_EQ(dataSequences(peer), (std::vector<int>{0, 0, 0, 1, 2}));
    EXPECT_EQ(peer.files().at(6), content);
    EXPECT_EQ(log.lines.back(), "操作成功.");
}

TEST_F(SerialUpdateTest, GarbageAndLostRepliesAreRetried) {
    peer.injectFault(kFnBeginFile, Fault::Garbage);
    peer.injectFault(kFnEndFile, Fault::Drop, 2);
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", pattern(50))), log));
    EXPECT_EQ(peer.frames(kFnBeginFile).size(), 2u);
    EXPECT_EQ(peer.frames(kFnEndFile).size(), 3u);
    EXPECT_EQ(log.lines.back(), "操作成功.");
}

TEST_F(SerialUpdateTest, LateReplyIsNotTakenForTheNextExchange) {
    // Block 0's first reply comes only after the read gave up, together with
    // the reply to the retry. One of them answers the retry; the other is
    // stale and must not be read as the reply to block 1.
    peer.injectFault(kFnDataBlock, Fault::Late);
    const Bytes content = pattern(200);
    ASSERT_TRUE(runSerialUpdate(mapOnly(writeFile(dir, "m.mbm", content)), log));
    EXPECT_EQ(peer.files().at(6), content);
    EXPECT_EQ(dataSequences(peer), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(peer.frames(kFnEndFile).size(), 1u);
    EXPECT_EQ(log.lines.back(), "操作成功.");
}

TEST_F(SerialUpdateTest, ThreeFailuresEndTheUpdateAndLaterSlotsAreNotSent) {
    QTemporaryDir res;
    writeFile(res, "p.graidx", pattern(10));
    writeFile(res, "p.gwb", pattern(300));
    UpdateRequest r = mapOnly(writeFile(dir, "m.mbm", pattern(16)));
    r.selection.folder = res.path().toStdString();
    r.selection.images = true;
    peer.injectFault(kFnDataBlock, Fault::BadCrc, 1);        // slot 0's only block: refused,
    peer.injectFault(kFnDataBlock, Fault::None, 1);          // then taken
    peer.injectFault(kFnDataBlock, Fault::WrongSequence, 1); // slot 1 block 0: refused,
    peer.injectFault(kFnDataBlock, Fault::None, 1);          // then taken
    peer.injectFault(kFnDataBlock, Fault::BadCrc, 2);        // slot 1 block 1 ...
    peer.injectFault(kFnDataBlock, Fault::Garbage, 1);       // ... fails all three tries
    int sent = 0;
    EXPECT_FALSE(runSerialUpdate(r, log, nullptr, &sent));
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(peer.slotsBegun(), (std::vector<int>{0, 1}));
    EXPECT_EQ(peer.frames(kFnEndFile).size(), 1u);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"开始更新图片索引......", "已完成100%...", "操作成功.",
                                        "开始更新图片文件......", "已完成42%...", "操作失败!!!"}));
}

TEST_F(SerialUpdateTest, SilentPanelFailsAfterThreeTries) {
    PanelPeer other(209); // answers only its own address
    UpdateRequest r = mapOnly(writeFile(dir, "m.mbm", pattern(16)));
    r.port = other.portName();
    EXPECT_FALSE(runSerialUpdate(r, log));
    EXPECT_EQ(other.frames(kFnBeginFile).size(), 3u);
    EXPECT_TRUE(other.frames(kFnDataBlock).empty());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"开始更新Modbus配置文件......", "操作失败!!!"}));
}

TEST_F(SerialUpdateTest, PortThatCannotBeOpenedSendsNothing) {
    UpdateRequest r = mapOnly(writeFile(dir, "m.mbm", pattern(16)));
    r.port = dir.filePath("no-such-port").toStdString();
    log.lines = {"old line"};
    EXPECT_FALSE(runSerialUpdate(r, log));
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"操作异常，请检查串口是否存在，且没有被其它程序打开。"}));
}

TEST_F(SerialUpdateTest, StopAndResumeMasterEcho) {
    EXPECT_TRUE(runMasterCommand(peer.portName(), 19200, true, log));
    EXPECT_TRUE(runMasterCommand(peer.portName(), 19200, false, log));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"停止主控器：成功", "恢复主控器：成功"}));
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Bytes{0xC8, 0x67, 0x17, 0x9A}));
    EXPECT_EQ(frames[1], (Bytes{0xC8, 0x66, 0xD6, 0x5A}));
}

TEST_F(SerialUpdateTest, MasterEchoRetriedUpToNineTimes) {
    peer.injectFault(kFnStopMaster, Fault::BadCrc, 8);
    EXPECT_TRUE(runMasterCommand(peer.portName(), 19200, true, log));
    EXPECT_EQ(peer.frames(kFnStopMaster).size(), 9u);
    peer.injectFault(kFnResumeMaster, Fault::Garbage, 9);
    EXPECT_FALSE(runMasterCommand(peer.portName(), 19200, false, log));
    EXPECT_EQ(peer.frames(kFnResumeMaster).size(), 9u);
    EXPECT_EQ(log.lines.back(), "恢复主控器：失败");
}

TEST(SerialTimeoutsTest, UpdateAndMasterTimeouts) {
    const tft::CommTimeouts u = updateTimeouts(19200);
    EXPECT_EQ(u.ReadIntervalTimeout, 2u);
    EXPECT_EQ(u.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(u.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(u.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(u.WriteTotalTimeoutConstant, 1u);
    // At 1200 baud a byte takes over 8 ms on the wire.
    EXPECT_GE(updateTimeouts(1200).WriteTotalTimeoutMultiplier, 9u);
    const tft::CommTimeouts m = masterTimeouts();
    EXPECT_EQ(m.ReadIntervalTimeout, 1u);
    EXPECT_EQ(m.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(m.ReadTotalTimeoutConstant, 100u);
    EXPECT_EQ(m.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(m.WriteTotalTimeoutConstant, 0u);
}
