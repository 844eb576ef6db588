// The command set: replies, settings, the dirty rule, timers driven by commands.
#include "core_fixture.h"

#include <random>

namespace coretest {
namespace {

using Dispatch = CoreTest;

Bytes withTail(Bytes reply) {
    return frame(reply);
}

TEST_F(Dispatch, SyncByteIsRawAndHandshakeIsFramed) {
    feed(frame({0x00}));
    EXPECT_EQ(hw().sent, Bytes{0x55});
    clearLog();
    feed(frame({0xF0}));
    EXPECT_EQ(hw().sent, Bytes{0xA5});
    clearLog();
    feed(frame({0x04}));
    EXPECT_EQ(hw().sent, withTail({0x55}));
}

TEST_F(Dispatch, FixedReplies) {
    feed(frame({0xA5, 0x01, 0x02, 0x03}));
    EXPECT_EQ(hw().sent, withTail({0xA5}));
    clearLog();
    feed(frame({0xF3}));
    EXPECT_EQ(hw().sent, withTail({0x05, 0x00, 0x00}));
    clearLog();
    feed(frame({0xFE}));
    EXPECT_EQ(hw().sent, withTail({0xFE, 0x02, 0x16, 0x00, 0x00, 0x01, 0x37, 0x00, 0x00}));
    ASSERT_EQ(hw().calls("Beepon").size(), 1u);
    EXPECT_EQ(hw().calls("Beepon")[0].args[0], 10);
    // One reply is one send, so the host never sees a frame split.
    EXPECT_EQ(hw().count("send_data"), 1u);
}

TEST_F(Dispatch, ReadClockMasksEachField) {
    hw().rtc = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x26};
    feed(frame({0x82}));
    EXPECT_EQ(hw().sent, withTail({0xF7, 0x26, 0x1F, 0x07, 0x3F, 0x3F, 0x7F, 0x7F}));
}

TEST_F(Dispatch, SetClockPassesSevenBytes) {
    feed(frame({0x81, 0x56, 0x34, 0x12, 0x08, 0x02, 0x12, 0x26}));
    EXPECT_EQ(hw().rtc, (std::array<std::uint8_t, 7>{0x56, 0x34, 0x12, 0x08, 0x02, 0x12, 0x26}));
    clearLog();
    feed(frame({0x81, 0x01, 0x02}));
    EXPECT_EQ(hw().count("SetRTC"), 0u);
}

TEST_F(Dispatch, ReadPixelRepliesHighByteFirst) {
    hw().layers[4][7 * 800 + 300] = 0xABCD;
    feed(frame({0x02, 0x00, 0x01, 0x2C, 0x00, 0x07}));
    EXPECT_EQ(hw().sent, withTail({0xAB, 0xCD}));
    clearLog();
    feed(frame({0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(hw().sent, withTail({0x00, 0x00}));
    EXPECT_EQ(hw().outOfRange, 0);
}

TEST_F(Dispatch, ColourZeroBecomesOne) {
    feed(frame({0x41, 0x00, 0x00}));
    EXPECT_EQ(core().settings.foreground, 0x0001);
    feed(frame({0x42, 0x00, 0x00}));
    EXPECT_EQ(core().settings.background, 0x0001);
    feed(frame({0x40, 0x12, 0x34, 0x00, 0x00}));
    EXPECT_EQ(core().settings.foreground, 0x1234);
    EXPECT_EQ(core().settings.background, 0x0001);
    feed(frame({0x40, 0x00, 0x00, 0x56, 0x78}));
    EXPECT_EQ(core().settings.foreground, 0x0001);
    EXPECT_EQ(core().settings.background, 0x5678);
}

TEST_F(Dispatch, KeyColoursWithOneAndTwoParameters) {
    feed(frame({0x44, 0x12, 0x34}));
    EXPECT_EQ(core().settings.keyLow, 0x1234);
    EXPECT_EQ(core().settings.keyHigh, 0x1234);
    feed(frame({0x44, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(core().settings.keyLow, 0x1234);
    EXPECT_EQ(core().settings.keyHigh, 0x5678);
    feed(frame({0x32, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x03, 0x01}));
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].args,
              (std::vector<long>{3, 1, 10, 20, 0, 0, 0, 0, 1, 0x1234, 0x5678, 0, 0}));
}

TEST_F(Dispatch, TextSpacingKeepsLowSixBits) {
    feed(frame({0x43, 0xFF, 0x41}));
    EXPECT_EQ(core().settings.charGap, 0x3F);
    EXPECT_EQ(core().settings.lineGap, 0x01);
}

TEST_F(Dispatch, DrawLinesIgnoresIncompleteGroup) {
    feed(frame({0x51, 0x00, 0x05, 0x00, 0x05, 0x00, 0x05, 0x00, 0x14, 0x09}));
    const auto lines = hw().calls("setVLine");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].args, (std::vector<long>{5, 5, 20, 0xF800}));
    EXPECT_EQ(hw().count("setPixel") + hw().count("setHLine"), 0u);
}

TEST_F(Dispatch, BaudIndexOutOfRangeChangesNothing) {
    feed(frame({0xA0, 0x0D}));
    EXPECT_EQ(core().baudRate, 9600u);
    EXPECT_EQ(hw().count("CMD_UART_Init"), 0u);
    feed(frame({0xA0, 0x07}));
    EXPECT_EQ(core().baudRate, 115200u);
    feed(frame({0xA0, 0x0C}));
    EXPECT_EQ(core().baudRate, 875000u);
    const auto inits = hw().calls("CMD_UART_Init");
    ASSERT_EQ(inits.size(), 2u);
    EXPECT_EQ(inits[0].args[0], 115200);
}

// Runs until the display has been composed and is clean.
void settle(CoreTest& test, nimbrel::CoreState& state) {
    (void)test;
    for (int i = 0; i < 10 && state.displayDirty; ++i)
        tft_step();
}

TEST_F(Dispatch, BacklightDoesNotRestartCompositionTimer) {
    settle(*this, core());
    ASSERT_FALSE(core().displayDirty);
    // Busy iterations keep the tick still, so the timer itself does not fire.
    const std::uint32_t earlier = g_virtualMs / 10 - 1;
    core().timers[nimbrel::kSlotCompose].start = earlier;
    feed(frame({0x60, 0x40}));
    EXPECT_EQ(core().timers[nimbrel::kSlotCompose].start, earlier);
    EXPECT_FALSE(core().displayDirty);
    ASSERT_EQ(hw().calls("SetBackLightLevel").size(), 1u);
    EXPECT_EQ(hw().calls("SetBackLightLevel")[0].args[0], 0x40);

    feed(frame({0x41, 0x12, 0x34}));
    EXPECT_TRUE(core().displayDirty);
    EXPECT_EQ(core().timers[nimbrel::kSlotCompose].start, core().tick);
    // A second command of the burst leaves the timer alone.
    core().timers[nimbrel::kSlotCompose].start = earlier;
    feed(frame({0x41, 0x12, 0x35}));
    EXPECT_EQ(core().timers[nimbrel::kSlotCompose].start, earlier);
}

TEST_F(Dispatch, CompositionCopiesUserLayerAndPresentsOnce) {
    settle(*this, core());
    clearLog();
    feed(frame({0x01}));
    idleTicks(2);
    const auto copies = hw().calls("CopyLayer");
    ASSERT_EQ(copies.size(), 1u);
    const long back = copies[0].args[1];
    EXPECT_EQ(copies[0].args, (std::vector<long>{4, back, 0, 0}));
    EXPECT_EQ(hw().count("GUI_Win32Update"), 1u);
    EXPECT_EQ(hw().displayLayer, back);
    EXPECT_EQ(hw().pixel(static_cast<int>(back), 0, 0), 0x001F);
    idleTicks(4);
    EXPECT_EQ(hw().count("GUI_Win32Update"), 1u); // clean: nothing to compose
}

TEST_F(Dispatch, ClearLayerRestoresWriteLayer) {
    hw().layers[6].assign(800 * 600, 0x1111);
    feed(frame({0x05, 0x0A}));
    EXPECT_EQ(hw().pixelsNot(6, 0), 0);
    EXPECT_EQ(hw().writeLayer, 4);
}

TEST_F(Dispatch, CommandLayerIsSelectedBeforeEachCommand) {
    feed(frame({0xA1, 0x07}));
    feed(frame({0x01}));
    EXPECT_EQ(hw().pixel(7, 5, 5), 0x001F);
    feed(frame({0xA2, 0x06}));
    EXPECT_EQ(core().userLayer, 6);
}

TEST_F(Dispatch, FullScreenPictureIsCachedOnLayerThree) {
    feed(frame({0x31, 0x00, 0x09, 0x00}));
    feed(frame({0x31, 0x00, 0x09, 0x00}));
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].args[0], 9);
    const auto copies = hw().calls("CopyLayer");
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[1].args, (std::vector<long>{3, 4, 1, 0}));
    EXPECT_EQ(core().cachedPicture, 9);
    clearLog();
    feed(frame({0x31, 0x00, 0x09, 0x01}));
    ASSERT_EQ(hw().calls("TFT_Draw_PIC_XY").size(), 1u);
    EXPECT_EQ(hw().calls("TFT_Draw_PIC_XY")[0].args[8], 1);
    EXPECT_EQ(hw().count("CopyLayer"), 0u);
}

TEST_F(Dispatch, PictureCutsPassEveryField) {
    feed(frame({0x33, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06, 0x00,
                0x07, 0x01}));
    feed(frame({0x35, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06, 0x00,
                0x07, 0x00}));
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].args, (std::vector<long>{3, 0, 1, 2, 4, 5, 6, 7, 1, 0, 0, 0, 0}));
    EXPECT_EQ(pictures[1].args, (std::vector<long>{3, 0, 1, 2, 4, 5, 6, 7, 0, 0, 0, 0, 1}));
}

TEST_F(Dispatch, PixelToColour) {
    hw().layers[4][3 * 800 + 2] = 0x0F0F;
    feed(frame({0x48, 0x00, 0x00, 0x02, 0x00, 0x03}));
    EXPECT_EQ(core().settings.foreground, 0x0F0F);
    feed(frame({0xA3, 0x03, 0x00, 0x02, 0x00, 0x03}));
    EXPECT_EQ(core().settings.background, 0x0F0F);
}

TEST_F(Dispatch, PolylineModes) {
    const Bytes points = {0x00, 0x0A, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x1E};
    Bytes cmd{0x68};
    append(cmd, points);
    feed(frame(cmd));
    EXPECT_EQ(hw().count("setPixel"), 1u);
    EXPECT_EQ(hw().count("setHLine"), 1u);
    EXPECT_EQ(hw().count("setVLine"), 1u);
    clearLog();
    feed(frame({0x62, 0x00}));
    feed(frame(cmd));
    EXPECT_EQ(hw().count("setPixel"), 3u);
    clearLog();
    feed(frame({0x62, 0x05}));
    feed(frame(cmd));
    EXPECT_EQ(hw().count("setPixel"), 1u);
    EXPECT_EQ(hw().count("setHLine") + hw().count("setVLine"), 0u);
}

TEST_F(Dispatch, PolylineColourSelectAndCount) {
    feed(frame({0x62, 0x00}));
    // (length - 7) / 4 points: the trailing two bytes make no point.
    feed(frame({0x63, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00, 0x03}));
    const auto pixels = hw().calls("setPixel");
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0].args, (std::vector<long>{1, 1, 0x001F}));
}

TEST_F(Dispatch, RelativePolylineUsesSignedSteps) {
    feed(frame({0x62, 0x00}));
    feed(frame({0x75, 0x00, 0x0A, 0x00, 0x0A, 0xFF, 0x02, 0x03, 0xFE}));
    const auto pixels = hw().calls("setPixel");
    ASSERT_EQ(pixels.size(), 3u);
    EXPECT_EQ(pixels[1].args, (std::vector<long>{9, 12, 0xF800}));
    EXPECT_EQ(pixels[2].args, (std::vector<long>{12, 10, 0xF800}));
}

TEST_F(Dispatch, WaveformIsLimitedTo514Points) {
    feed(frame({0x62, 0x00}));
    Bytes cmd{0x59, 0x00, 0x00, 0x00, 0x01};
    for (int i = 0; i < 600; ++i)
        append(cmd, {0x00, 0x05});
    feed(frame(cmd));
    const auto pixels = hw().calls("setPixel");
    ASSERT_EQ(pixels.size(), 514u);
    EXPECT_EQ(pixels.back().args, (std::vector<long>{513, 5, 0xF800}));
}

TEST_F(Dispatch, FloodFillOnlyInsideDrawingArea) {
    usePanel(800, 600);
    feed(frame({0x64, 0x03, 0x20, 0x00, 0x00, 0x12, 0x34}));
    EXPECT_EQ(hw().count("setVLine"), 0u);
    feed(frame({0x64, 0x03, 0x1F, 0x02, 0x57, 0x12, 0x34}));
    EXPECT_EQ(hw().pixel(4, 0, 0), 0x1234);
    EXPECT_EQ(hw().pixelsNot(4, 0x1234), 0);
}

// Pixels of layer 4 that are not black.
long paintedPixels() {
    return recording::hw().pixelsNot(4, 0);
}

TEST_F(Dispatch, NegativeCoordinatesAreSignedAndClipped) {
    // FillRectangles from (-10, -10) to (900, 700) fills the whole drawing area.
    feed(frame({0x55, 0xFF, 0xF6, 0xFF, 0xF6, 0x03, 0x84, 0x02, 0xBC}));
    const auto rows = hw().calls("setHLine");
    ASSERT_EQ(rows.size(), 600u);
    EXPECT_EQ(rows.front().args, (std::vector<long>{0, 0, 799, 0xF800}));
    EXPECT_EQ(rows.back().args, (std::vector<long>{0, 599, 799, 0xF800}));
    EXPECT_EQ(hw().pixelsNot(4, 0xF800), 0);

    // Each primitive from a point left of or above the origin reaches into the
    // area: the part inside is drawn, and only that part.
    addFont(0, 1, 2, 8, 16, 0x120000);
    hw().fontData.assign(256 * 16, 0xFF);
    const Bytes commands[] = {
        {0x50, 0xFF, 0xFF, 0x00, 0x05, 0x00, 0x03, 0x00, 0x05}, // points (-1,5) (3,5)
        {0x51, 0xFF, 0xF6, 0x00, 0x05, 0x00, 0x0A, 0x00, 0x05}, // line (-10,5)-(10,5)
        {0x51, 0xFF, 0xF6, 0xFF, 0xF6, 0x00, 0x0A, 0x00, 0x0A}, // line (-10,-10)-(10,10)
        {0x52, 0xFF, 0xFB, 0x00, 0x64, 0x00, 0x0A},             // circle at (-5,100)
        {0x53, 0x00, 0x64, 0xFF, 0xFB, 0x00, 0x0A},             // disc at (100,-5)
        {0x54, 0xFF, 0xF6, 0xFF, 0xF6, 0x00, 0x0A, 0x00, 0x0A}, // rectangle outline
        {0x56, 0xFF, 0xEC, 0xFF, 0xEC, 0x00, 0x14, 0x00, 0x14}, // ellipse in (-20,-20)-(20,20)
        {0x57, 0xFF, 0xEC, 0xFF, 0xEC, 0x00, 0x14, 0x00, 0x14}, // filled ellipse
        {0x58, 0xFF, 0xFF, 0x00, 0x05, 0x00, 0x03, 0x00, 0x05}, // erase (-1,5) (3,5)
        {0x59, 0xFF, 0xFB, 0x00, 0x01, 0x00, 0x05, 0x00, 0x05, 0x00, 0x05,
         0x00, 0x05, 0x00, 0x05, 0x00, 0x05, 0x00, 0x05, 0x00, 0x05}, // waveform from x -5
        {0x59, 0x00, 0x05, 0xFF, 0xFF, 0x00, 0x05, 0x00, 0x05, 0x00, 0x05, 0xFF, 0xFE}, // dx -1
        {0x63, 0x00, 0xFF, 0xF6, 0x00, 0x05, 0x00, 0x0A, 0x00, 0x05}, // polyline (-10,5)-(10,5)
        {0x67, 0xFF, 0xFB, 0x00, 0x64, 0x00, 0x0A, 0xFF, 0xA6, 0x00,
         0x5A},                                                 // arc -90..90 at (-5,100)
        {0x68, 0xFF, 0xF6, 0x00, 0x05, 0x00, 0x0A, 0x00, 0x05}, // polyline (-10,5)-(10,5)
        {0x75, 0xFF, 0xFE, 0x00, 0x05, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01,
         0x00},                                          // from (-2,5)
        {0x20, 0xFF, 0xFC, 0x00, 0x0A, 0x00, 0x01, 'A'}, // text at (-4,10)
    };
    // Pixels each command must draw.
    const std::vector<std::pair<int, int>> drawn[] = {
        {{3, 5}},           {{0, 5}, {10, 5}},        {{0, 0}, {10, 10}},
        {{5, 100}},         {{100, 5}, {100, 0}},     {{0, 10}, {10, 0}, {10, 10}},
        {{20, 0}, {0, 20}}, {{0, 0}, {19, 0}},        {{3, 5}},
        {{0, 5}, {2, 5}},   {{5, 5}, {3, 5}, {2, 0}}, {{0, 5}, {10, 5}},
        {{5, 100}},         {{0, 5}, {10, 5}},        {{0, 5}, {2, 5}},
        {{0, 10}, {3, 25}}};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        feed(frame({0x05, 0x00}));
        clearLog();
        feed(frame(commands[i]));
        SCOPED_TRACE(testing::Message()
                     << "command " << std::hex << int(commands[i][0]) << " #" << std::dec << i);
        EXPECT_GT(paintedPixels(), 0);
        for (const auto& [x, y] : drawn[i])
            EXPECT_NE(hw().pixel(4, x, y), 0) << x << "," << y;
        EXPECT_EQ(hw().outOfRange, 0);
    }
    EXPECT_EQ(hw().pixel(4, 4, 25), 0); // text ends with the glyph's right edge
}

TEST_F(Dispatch, PicturesAtNegativePositionsArePassedSigned) {
    feed(frame({0x32, 0xFF, 0xF6, 0xFF, 0xEC, 0x00, 0x03, 0x00}));
    feed(frame({0x33, 0xFF, 0xF6, 0x00, 0x14, 0x00, 0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x0A, 0x00,
                0x0B, 0x01}));
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].args, (std::vector<long>{3, 1, -10, -20, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pictures[1].args, (std::vector<long>{3, 0, -10, 20, 1, 2, 10, 11, 1, 0, 0, 0, 0}));
}

TEST_F(Dispatch, TouchSettings) {
    feed(frame({0x70, 0x0F}));
    EXPECT_EQ(core().touchEnable, 1u);
    EXPECT_EQ(core().beepMode, 1);
    EXPECT_EQ(core().touchReportMode, 3);
}

TEST_F(Dispatch, CalibrationRunsOnShownBufferAndReplies) {
    settle(*this, core());
    const int shown = hw().displayLayer;
    clearLog();
    feed(frame({0x72}));
    ASSERT_EQ(hw().calls("Calibration_Panle").size(), 1u);
    EXPECT_EQ(hw().calls("Calibration_Panle")[0].args[0], shown);
    EXPECT_EQ(hw().sent, withTail({0x04}));
    EXPECT_EQ(hw().writeLayer, 4);
}

TEST_F(Dispatch, TouchTestScreen) {
    feed(frame({0x73, 0x01}));
    EXPECT_TRUE(core().touchTestMode);
    EXPECT_EQ(hw().pixel(4, 0, 0), 0x001F);
    EXPECT_EQ(hw().pixel(4, 400, 350), 0xFFE0);
    EXPECT_EQ(hw().pixel(4, 450, 360), 0xFFE0);
    EXPECT_EQ(hw().pixel(4, 451, 360), 0x001F);
    feed(frame({0x73, 0x00}));
    EXPECT_FALSE(core().touchTestMode);
    EXPECT_EQ(hw().pixelsNot(4, 0), 0);
}

TEST_F(Dispatch, AutoDimStoresInvertedLevels) {
    feed(frame({0x77, 0x01, 0x10, 0xF0, 0x05}));
    EXPECT_TRUE(core().autoDim.enabled);
    EXPECT_EQ(core().autoDim.brightLevel, 0xEF);
    EXPECT_EQ(core().autoDim.dimLevel, 0x0F);
    EXPECT_EQ(core().autoDim.timeout, 5);
    EXPECT_EQ(hw().calls("SetBackLightLevel").back().args[0], 0xEF);
    feed(frame({0x77, 0x01, 0x10, 0xF0, 0x01, 0x2C}));
    EXPECT_EQ(core().autoDim.timeout, 300);
}

TEST_F(Dispatch, HeartbeatEveryInterval) {
    feed(frame({0xF4, 0x01, 0x03}));
    EXPECT_EQ(core().timers[nimbrel::kSlotHeartbeat].interval, 3u);
    idleTicks(3);
    EXPECT_EQ(hw().sent, withTail({0xF4}));
    feed(frame({0xF4, 0x01, 0x00}));
    EXPECT_EQ(core().timers[nimbrel::kSlotHeartbeat].interval, 1u);
    feed(frame({0xF4, 0x00, 0x00}));
    EXPECT_EQ(core().timers[nimbrel::kSlotHeartbeat].callback, nullptr);
}

TEST_F(Dispatch, AnimatedPictureStepsAndReportsEndOfLoops) {
    std::array<std::uint8_t, 16> record{};
    record[14] = 5; // interval
    record[15] = 3; // frames
    hw().pictures[7] = record;
    feed(frame({0x80, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x07, 0x01, 0x01}));
    EXPECT_TRUE(core().animation.stepping);
    EXPECT_EQ(core().timers[nimbrel::kSlotAnimatedPicture].interval, 5u);
    idleTicks(5);
    EXPECT_EQ(core().animation.frame, 1);
    idleTicks(10);
    EXPECT_EQ(core().animation.frame, 0);
    EXPECT_EQ(core().animation.loopsDone, 1);
    EXPECT_TRUE(hw().sent.empty());
    idleTicks(5);
    EXPECT_EQ(hw().sent, withTail({0x02}));
    EXPECT_FALSE(core().animation.stepping);
    idleTicks(20);
    EXPECT_EQ(hw().sent, withTail({0x02}));
    // Composition draws the current frame over the display.
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.back().args[0], 7);
    EXPECT_EQ(pictures.back().args[2], 10);
    EXPECT_EQ(pictures.back().args[3], 20);
}

TEST_F(Dispatch, AnimatedPictureWithOneFrameDrawsOnceAndStops) {
    std::array<std::uint8_t, 16> record{};
    record[15] = 1;
    hw().pictures[2] = record;
    feed(frame({0x80, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00}));
    EXPECT_FALSE(core().animation.enabled);
    EXPECT_FALSE(core().animation.stepping);
    ASSERT_EQ(hw().calls("TFT_Draw_PIC_XY").size(), 1u);
    // Starting another picture draws the previous one's frame first.
    clearLog();
    feed(frame({0x80, 0x00, 0x05, 0x00, 0x06, 0x00, 0x09, 0x00, 0x00}));
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].args, (std::vector<long>{2, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Dispatch, ClockTextRefreshesEveryHundredTicks) {
    feed(frame({0x85, 0x01, 0x01, 0x01, 0xF8, 0x00, 0x00, 0x0A, 0x00, 0x14}));
    EXPECT_EQ(hw().count("EnableRTC"), 1u);
    EXPECT_EQ(core().timers[nimbrel::kSlotClockText].interval, 100u);
    EXPECT_TRUE(core().clockText.withDate);
    feed(frame({0x85, 0x00, 0x01, 0x01, 0xF8, 0x00, 0x00, 0x0A, 0x00, 0x14}));
    EXPECT_FALSE(core().clockText.enabled);
    EXPECT_EQ(core().timers[nimbrel::kSlotClockText].callback, nullptr);
}

TEST_F(Dispatch, ScreenRefreshOffStopsComposition) {
    feed(frame({0xB3, 0x00}));
    feed(frame({0x01}));
    idleTicks(5);
    EXPECT_EQ(hw().count("GUI_Win32Update"), 0u);
    feed(frame({0xB3, 0x01}));
    idleTicks(3);
    EXPECT_EQ(hw().count("GUI_Win32Update"), 1u);
}

TEST_F(Dispatch, EveryCodeWithShortAndRandomParametersStaysInBounds) {
    std::mt19937 random(1234);
    for (int code = 0; code < 256; ++code) {
        for (int size = 0; size < 24; ++size) {
            Bytes body{static_cast<std::uint8_t>(code)};
            for (int i = 0; i < size; ++i)
                body.push_back(static_cast<std::uint8_t>(random() & 0xFF));
            feed(frame(body));
        }
        clearLog();
    }
    EXPECT_EQ(hw().outOfRange, 0);
}

} // namespace
} // namespace coretest
