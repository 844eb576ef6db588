// Framing, flow control, timers, start-up, reset and exit.
#include "core_fixture.h"

#include <algorithm>
#include <thread>

namespace coretest {
namespace {

const Bytes kHandshakeReply = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};

using Intake = CoreTest;

TEST_F(Intake, ShortestFrameByteByByteIsDispatchedOnce) {
    for (std::uint8_t b : frame({0x04})) {
        tft_push_cmd(b);
        steps(1);
    }
    EXPECT_EQ(hw().sent, kHandshakeReply);
}

TEST_F(Intake, FiveByteFrameIsNotDeliveredAndContinues) {
    // EE FF FC FF FF is too short; the next EE does not restart it, so the
    // whole run is one frame with command 0xFF, which is ignored.
    feed({0xEE, 0xFF, 0xFC, 0xFF, 0xFF});
    feed(frame({0x04}));
    EXPECT_TRUE(hw().sent.empty());
    feed(frame({0x04}));
    EXPECT_EQ(hw().sent, kHandshakeReply);
}

TEST_F(Intake, BytesBeforeHeadAreDiscarded) {
    feed({0x01, 0x02, 0x04, 0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_TRUE(hw().sent.empty());
    feed({0x13, 0x37});
    feed(frame({0x04}));
    EXPECT_EQ(hw().sent, kHandshakeReply);
}

TEST_F(Intake, HeadInsideFrameDoesNotRestartIt) {
    feed({0xEE, 0x01, 0xEE, 0xFF, 0xFC, 0xFF, 0xFF});
    const auto clears = hw().calls("GUI_ClearSCR");
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0].args, std::vector<long>{0x001F});
}

TEST_F(Intake, OverlongFrameIsDeliveredTruncated) {
    // 3000 bytes of DrawPoints: only the first 2100 arrive, 523 whole groups.
    Bytes body{0x50};
    while (body.size() < 3000 - 5)
        append(body, {0x00, 0x01, 0x00, 0x02});
    body.resize(3000 - 5);
    const Bytes f = frame(body);
    ASSERT_EQ(f.size(), 3000u);
    feed(f);
    EXPECT_EQ(hw().count("setPixel"), (2100u - 6u) / 4u);
    // The assembler is back outside a frame: the next frame works.
    feed(frame({0x04}));
    EXPECT_EQ(hw().sent, kHandshakeReply);
}

TEST_F(Intake, FlowControlDropsWholeFramesBelowThreshold) {
    std::uint16_t count = 0;
    std::uint8_t state = 0;
    push(Bytes(5997, 0x00));
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5997);
    EXPECT_EQ(state, 0);

    // 2099 bytes free: the frame in hand is still queued.
    push({0x00});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5998);
    EXPECT_EQ(state, 1);

    // The byte that arrives with 10 free is the last one queued.
    push(Bytes(8086 - 5998, 0x00));
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 8086);
    EXPECT_EQ(state, 1);
    push({0x00});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 8087);
    EXPECT_EQ(state, 2);
    push(Bytes(20, 0x00));
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 8087);

    // Drain to exactly 2100 free: a tail does not reopen the queue yet.
    steps(8087 - 5996);
    push({0xFF, 0xFC, 0xFF, 0xFF});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5996);
    EXPECT_EQ(state, 2);

    // 2101 free and a tail: open again, the tail byte itself still dropped.
    steps(1);
    push({0xFF, 0xFC, 0xFF});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(state, 2);
    push({0xFF});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5995);
    EXPECT_EQ(state, 0);
    push({0xEE});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5996);
}

TEST_F(Intake, FlowControlFinishesFrameInHandAtItsTail) {
    push(Bytes(5998, 0x00));
    std::uint16_t count = 0;
    std::uint8_t state = 0;
    nimbrel::queueSnapshot(&count, &state);
    ASSERT_EQ(state, 1);
    push({0xFF, 0xFC, 0xFF, 0xFF});
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 5998 + 4); // the tail is queued, closing the frame
    EXPECT_EQ(state, 2);
    push(frame({0x04}));
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(count, 6002); // the next frame is dropped whole
}

TEST_F(Intake, FlowControlReturnsToOpenWhenRoomComesBack) {
    push(Bytes(5998, 0x00));
    steps(10);
    push({0x00});
    std::uint16_t count = 0;
    std::uint8_t state = 0;
    nimbrel::queueSnapshot(&count, &state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(count, 5989);
}

int g_timerRuns = 0;
void countRun(std::uint32_t argument) {
    g_timerRuns += static_cast<int>(argument);
}

TEST_F(Intake, TimerWithIntervalZeroRunsEveryIteration) {
    g_timerRuns = 0;
    nimbrel::timerInstall(6, 0, countRun, 1);
    nimbrel::timerInstall(7, 1, countRun, 1000);
    core().timers[7].start = g_virtualMs / 10; // the tick the next iterations see
    // Busy iterations: no idle sleep, so the tick stands still.
    feed(Bytes(25, 0x00));
    EXPECT_EQ(g_timerRuns, 25);
    idleTicks(1);
    EXPECT_GE(g_timerRuns, 1000);
    nimbrel::timerClear(6);
    nimbrel::timerClear(7);
}

TEST_F(Intake, StartUpSequence) {
    tft_exit();
    ASSERT_EQ(tft_step(), 0);
    hw().reset();
    ASSERT_EQ(tft_step(), 1);
    const auto& log = hw().log;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].name, "LCD_MODULE_Init");
    EXPECT_EQ(log[1].name, "LCD_TurnOff");
    const auto levels = hw().calls("SetBackLightLevel");
    ASSERT_EQ(levels.size(), 170u);
    EXPECT_EQ(levels.front().args[0], 190);
    EXPECT_EQ(levels.back().args[0], 21);
    std::size_t on = 0, firstLevel = 0, busy = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].name == "LCD_TurnOn")
            on = i;
        if (log[i].name == "SetBackLightLevel" && firstLevel == 0)
            firstLevel = i;
        if (log[i].name == "BusNoBusy")
            busy = i;
    }
    EXPECT_LT(on, firstLevel);
    EXPECT_GT(busy, firstLevel);
    EXPECT_NE(core().timers[nimbrel::kSlotTouch].callback, nullptr);
    EXPECT_EQ(core().timers[nimbrel::kSlotTouch].interval, 1u);
    EXPECT_EQ(core().timers[nimbrel::kSlotRender].interval, 3u);
    EXPECT_EQ(core().timers[nimbrel::kSlotCompose].interval, 2u);
    // Without a project: the user layer shows blue and picture 0.
    EXPECT_EQ(hw().pixel(4, 10, 10), 0x001F);
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].args[0], 0);
}

TEST_F(Intake, ResetReloadsButKeepsHalfReceivedFrame) {
    feed(frame({0x41, 0x12, 0x34}));
    ASSERT_EQ(core().settings.foreground, 0x1234);
    feed({0xEE, 0x04, 0xFF});
    tft_reset();
    feed({0xFC, 0xFF, 0xFF});
    EXPECT_EQ(hw().sent, kHandshakeReply);
    EXPECT_EQ(core().settings.foreground, 0xF800);
    EXPECT_EQ(hw().count("LCD_MODULE_Init"), 0u); // a reload, not a restart
}

TEST_F(Intake, ExitEndsTheLoopAndNextStepStartsAfresh) {
    push({0xEE, 0x04});
    tft_exit();
    EXPECT_EQ(tft_step(), 0);
    EXPECT_FALSE(core().started);
    // The queue of the old run is gone: the rest of that frame is garbage now.
    hw().reset();
    EXPECT_EQ(tft_step(), 1);
    feed({0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_TRUE(hw().sent.empty());
}

TEST_F(Intake, PusherThreadAndCoreThreadShareTheQueue) {
    // 900 frames stay below the flow-control threshold, so none may be lost,
    // whatever the interleaving.
    constexpr int kFrames = 900;
    std::thread pusher([] {
        for (int i = 0; i < kFrames; ++i)
            for (std::uint8_t b : frame({0x04}))
                tft_push_cmd(b);
    });
    while (hw().sent.size() < kHandshakeReply.size() * kFrames)
        ASSERT_EQ(tft_step(), 1);
    pusher.join();
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(tft_step(), 1);
    ASSERT_EQ(hw().sent.size(), kHandshakeReply.size() * kFrames);
    for (std::size_t i = 0; i < hw().sent.size(); i += kHandshakeReply.size())
        ASSERT_TRUE(std::equal(kHandshakeReply.begin(), kHandshakeReply.end(),
                               hw().sent.begin() + static_cast<long>(i)));
}

TEST_F(Intake, ProjectHeaderAppliesAtReload) {
    Bytes header(136, 0);
    header[16] = 3;                  // screen count
    header[90] = 0x01 | 0x02 | 0x08; // screens, touch, beep mode 2
    header[92] = 7;                  // 115200 bits per second
    header[93] = 3;                  // touch report mode
    hw().screenInfo = header;
    feed(frame({0x41, 0x12, 0x34}));
    tft_reset();
    steps(1);
    EXPECT_TRUE(core().screensPresent);
    EXPECT_EQ(core().header.screenCount, 3u);
    EXPECT_EQ(core().touchEnable, 1u);
    EXPECT_EQ(core().beepMode, 2);
    EXPECT_EQ(core().touchReportMode, 3);
    EXPECT_EQ(core().baudRate, 115200u);
    EXPECT_EQ(core().settings.foreground, 0xF800);
    ASSERT_EQ(hw().calls("CMD_UART_Init").size(), 1u);
    for (int layer = 0; layer < 8; ++layer)
        EXPECT_EQ(hw().pixelsNot(layer, 0), 0) << layer;
    // With screens the composition lays the user layer over the rendered screen.
    feed(frame({0x01}));
    clearLog();
    idleTicks(2);
    const auto copies = hw().calls("CopyLayer");
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].args, (std::vector<long>{2, copies[0].args[1], 0, 0}));
    EXPECT_EQ(copies[1].args, (std::vector<long>{4, copies[0].args[1], 1, 0}));

    // A header that cannot be read means a project without screens.
    hw().screenInfo.resize(100);
    tft_reset();
    steps(1);
    EXPECT_FALSE(core().screensPresent);
    EXPECT_EQ(hw().pixel(4, 799, 599), 0x001F);
}

TEST_F(Intake, SetSizeKeepsLow16Bits) {
    tft_set_size(0x10320, 0x201E0);
    EXPECT_EQ(nimbrel::panelWidth(), 0x0320);
    EXPECT_EQ(nimbrel::panelHeight(), 0x01E0);
}

} // namespace
} // namespace coretest
