// Controls and touch: drawing from stored values, press/hold/release,
// reports, auto-dim and automatic calibration.
#include "screen_image.h"
#include "screens.h"

namespace coretest {
namespace {

using nimbrel::g_screens;

class ControlTest : public CoreTest {
protected:
    void load(std::vector<Bytes> items, ImageSettings settings = {}) {
        ScreenImage image;
        image.screens = {screenRecord(0, 0x0000, items), screenRecord(1, 0x0000, {})};
        image.blocks = {startBlock(0)};
        image.settings = settings;
        hw().screenInfo = image.build();
        tft_reset();
        steps(1);
        idleTicks(6);
        clearLog();
    }
    void press(int x, int y) {
        hw().touching = true;
        hw().touchX = static_cast<std::uint16_t>(x);
        hw().touchY = static_cast<std::uint16_t>(y);
        idleTicks(1);
    }
    void release() {
        hw().touching = false;
        idleTicks(1);
    }
    void tap(int x, int y) {
        press(x, y);
        release();
    }
    std::uint8_t buttonState(std::uint16_t id) {
        std::uint8_t v = 0xAA;
        std::size_t n = 0;
        EXPECT_TRUE(nimbrel::loadValue(0, id, &v, 1, &n, nullptr));
        return v;
    }
    static Control button(std::uint16_t id, std::uint8_t kind, std::uint8_t mode,
                          std::uint16_t target = 0xFFFF) {
        Control c(id, nimbrel::kTypeButton, 100, 100, 50, 30);
        c.u16(13, 1).u16(15, 100).u16(17, 100).u16(19, 2).u16(21, 100).u16(23, 100);
        c.u8(25, kind).u16(26, target).u8(28, 0).u8(29, mode).u8(30, 1);
        return c;
    }
    void markAndRender() {
        clearLog();
        nimbrel::markRender();
        idleTicks(4);
    }
    ImageSettings quiet(std::uint8_t notify = 0) {
        ImageSettings s;
        s.touchReportMode = 4; // no coordinate reports
        s.notifyFlags = notify;
        return s;
    }
};

TEST_F(ControlTest, ToggleButtonChangesOnPressOnly) {
    load({button(1, 1, 1).frame()}, quiet());
    press(110, 110);
    EXPECT_EQ(buttonState(1), 1);
    release();
    EXPECT_EQ(buttonState(1), 1);
    tap(110, 110);
    EXPECT_EQ(buttonState(1), 0);
}

TEST_F(ControlTest, PlainButtonShowsPressedWhileHeld) {
    load({button(1, 0, 7).frame()}, quiet());
    press(110, 110);
    EXPECT_EQ(buttonState(1), 1);
    idleTicks(4);
    // Drawn with its pressed picture and the inverted dotted frame.
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.back().args,
              (std::vector<long>{1, 0, 100, 100, 100, 100, 50, 30, 1, 0, 0, 0, 0}));
    // The layer is cleared to 0x0001 (a background of 0 is taken as 1).
    EXPECT_EQ(hw().pixel(2, 99, 99), 0xFFFE);
    EXPECT_EQ(hw().pixel(2, 100, 99), 0x0001);
    release();
    EXPECT_EQ(buttonState(1), 0);
    EXPECT_EQ(g_screens.current, 0); // target 0xFFFF: no change
}

TEST_F(ControlTest, ButtonModesSetAndClear) {
    load({button(1, 1, 2).frame(), Control(button(2, 1, 3)).u16(7, 200).frame()}, quiet());
    tap(110, 110);
    EXPECT_EQ(buttonState(1), 1);
    feed(frame({0xB1, 0x10, 0, 0, 0, 2, 1}));
    tap(110, 210);
    EXPECT_EQ(buttonState(2), 0);
}

TEST_F(ControlTest, NotifyBitZeroReportsThePressOnly) {
    load({button(1, 0, 0).frame()}, quiet(1));
    press(110, 110);
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 1, 0x10, 0, 1}));
    clearLog();
    release();
    EXPECT_TRUE(hw().sent.empty());
}

TEST_F(ControlTest, NotifyBitOneReportsTheReleaseOnly) {
    load({button(1, 0, 0).frame()}, quiet(2));
    press(110, 110);
    EXPECT_TRUE(hw().sent.empty());
    release();
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 1, 0x10, 0, 0}));
}

TEST_F(ControlTest, ButtonTargetChangesScreenAndReportsIt) {
    ImageSettings s = quiet(2);
    s.notifyScreen = 1;
    load({button(1, 0, 0, 1).frame()}, s);
    tap(110, 110);
    EXPECT_EQ(g_screens.current, 1);
    Bytes expected = frame({0xB1, 0x01, 0, 1});
    append(expected, frame({0xB1, 0x11, 0, 0, 0, 1, 0x10, 0, 0}));
    idleTicks(6);
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(ControlTest, TouchReportModeThreeReportsPressAndRelease) {
    ImageSettings s;
    s.touchReportMode = 3;
    load({}, s);
    tap(0x123, 0x45);
    Bytes expected = frame({0x01, 0x01, 0x23, 0x00, 0x45});
    append(expected, frame({0x03, 0x01, 0x23, 0x00, 0x45}));
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(ControlTest, TouchTestModeMarksTouchesUntilTheExitBox) {
    load({button(1, 0, 0).frame()}, quiet(1));
    feed(frame({0x73, 0x01}));
    clearLog();
    press(110, 110);
    EXPECT_EQ(hw().sent, frame({0x01, 0x00, 110, 0x00, 110}));
    EXPECT_EQ(hw().pixel(4, 110, 110), 0xF800);
    EXPECT_EQ(buttonState(1), 0); // controls do not take test touches
    release();
    tap(400, 380);
    EXPECT_FALSE(core().touchTestMode);
    EXPECT_EQ(hw().pixel(4, 110, 110), 0);
    clearLog();
    press(110, 110);
    EXPECT_EQ(buttonState(1), 1);
}

TEST_F(ControlTest, ReportModeTwoRepeatsWhileHeld) {
    ImageSettings s;
    s.touchReportMode = 2;
    load({}, s);
    press(1, 2);
    idleTicks(10);
    release();
    Bytes expected = frame({0x01, 0, 1, 0, 2});
    append(expected, frame({0x01, 0, 1, 0, 2}));
    EXPECT_EQ(hw().sent, expected);
}

Control slider() {
    Control c(4, nimbrel::kTypeSlider, 100, 100, 220, 20);
    c.u32(13, 0).u32(17, 0).u32(21, 1000).u8(25, 0).u16(27, 10).u16(29, 10).u16(31, 2);
    c.u16(33, 8).u16(35, 9);
    return c;
}

TEST_F(ControlTest, SliderDraggedPastItsRailStoresTheMaximum) {
    hw().pictures[9] = {9, 0, 0, 0, 0, 0, 0, 10, 0, 16, 0, 0, 0, 0, 0, 1};
    load({slider().frame()}, quiet());
    press(150, 110);
    press(210, 110); // 100 px along a 200 px rail
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 4, 0x13, 0, 0, 0x01, 0xF4}));
    clearLog();
    press(400, 110);
    release();
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 0, 4, 0x13, 0, 0, 0x03, 0xE8}));
    idleTicks(4);
    // Thumb at x0 + L + rail - W/2, y0 + M.
    const auto pictures = hw().calls("TFT_Draw_PIC_XY");
    ASSERT_GE(pictures.size(), 2u);
    EXPECT_EQ(pictures.back().args,
              (std::vector<long>{9, 1, 100 + 10 + 200 - 5, 102, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(ControlTest, FirstTouchWhileDimmedOnlyBrightens) {
    load({button(1, 0, 0).frame()}, quiet(1));
    feed(frame({0x77, 0x01, 0x00, 0xC0, 0x01})); // bright 255, dim 63, 1 s
    idleTicks(130);
    EXPECT_EQ(hw().calls("SetBackLightLevel").back().args, (std::vector<long>{63}));
    clearLog();
    press(110, 110);
    EXPECT_EQ(hw().calls("SetBackLightLevel").back().args, (std::vector<long>{255}));
    EXPECT_EQ(buttonState(1), 0);
    EXPECT_TRUE(hw().sent.empty());
    release();
    press(110, 110);
    EXPECT_EQ(buttonState(1), 1);
    EXPECT_FALSE(hw().sent.empty());
}

TEST_F(ControlTest, TwentyTapsOnOneSpotStartCalibration) {
    load({}, quiet());
    for (int i = 0; i < 19; ++i)
        tap(500 + i % 3, 400);
    EXPECT_EQ(hw().count("Calibration_Panle"), 0u);
    tap(500, 401);
    EXPECT_EQ(hw().count("Calibration_Panle"), 1u);
    EXPECT_EQ(hw().sent, frame({0x04}));
}

TEST_F(ControlTest, TapsSpreadWiderThanTheSquareDoNotCalibrate) {
    load({}, quiet());
    for (int i = 0; i < 25; ++i)
        tap(500 + (i % 2) * 40, 400);
    EXPECT_EQ(hw().count("Calibration_Panle"), 0u);
}

TEST_F(ControlTest, ProgressFillsFromEachSide) {
    auto bar = [](std::uint16_t id, int y, std::uint8_t direction) {
        Control c(id, nimbrel::kTypeProgress, 10, y, 100, 10);
        c.u8(13, 1).u16(14, 0x0001).u8(18, 0).u16(19, 0x07E0).u8(23, direction);
        c.u32(24, 25).u32(28, 0).u32(32, 100);
        return c.frame();
    };
    load({bar(1, 10, 0), bar(2, 30, 1)}, quiet());
    idleTicks(1);
    EXPECT_EQ(hw().pixel(2, 10, 10), 0x07E0);
    EXPECT_EQ(hw().pixel(2, 34, 10), 0x07E0);
    EXPECT_EQ(hw().pixel(2, 35, 10), 0x0001);
    EXPECT_EQ(hw().pixel(2, 84, 30), 0x0001);
    EXPECT_EQ(hw().pixel(2, 85, 30), 0x07E0);
    EXPECT_EQ(hw().pixel(2, 109, 39), 0x07E0);
    EXPECT_EQ(hw().pixel(2, 110, 39), 0x0001);
}

TEST_F(ControlTest, GraphDrawsItsChannelUpwardFromTheBottom) {
    Control graph(9, nimbrel::kTypeGraph, 100, 100, 50, 50);
    graph.u8(14, 1).u16(15, 8);
    load({graph.frame()}, quiet());
    feed(frame({0xB1, 0x30, 0, 0, 0, 9, 0, 0xF8, 0x00}));
    feed(frame({0xB1, 0x32, 0, 0, 0, 9, 0, 0, 2, 0, 10}));
    idleTicks(4);
    EXPECT_EQ(hw().pixel(2, 100, 150), 0xF800); // sample 0 at y 0
    EXPECT_EQ(hw().pixel(2, 101, 140), 0xF800); // sample 1 at y 10
    EXPECT_EQ(hw().pixelsNot(2, 0x0001), 11);
}

TEST_F(ControlTest, MeterNeedlePointsByValue) {
    Control meter(5, nimbrel::kTypeMeter, 100, 100, 100, 100);
    meter.u32(13, 50).u32(17, 0).u32(21, 100).u16(25, 0xFFFF).u16(27, 180).u16(29, 0);
    meter.u8(31, 0).u8(32, 0).u16(33, 0xF800).u16(35, 0x001F);
    load({meter.frame()}, quiet());
    // Half of the 180-degree sweep from 180 clockwise: straight up.
    EXPECT_EQ(hw().pixel(2, 150, 120), 0xF800);
    EXPECT_EQ(hw().pixel(2, 150, 112), 0x0001);
    EXPECT_EQ(hw().pixel(2, 125, 150), 0x0001);
}

TEST_F(ControlTest, AnimationShowsItsCurrentFrameAndReportsTouches) {
    hw().pictures[5] = {5, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 0, 0, 0, 1, 4};
    Control animation(3, nimbrel::kTypeAnimation, 20, 30, 10, 10);
    animation.u16(13, 5);
    load({animation.frame()}, quiet());
    feed(frame({0xB1, 0x23, 0, 0, 0, 3, 2}));
    idleTicks(4);
    EXPECT_EQ(hw().calls("TFT_Draw_PIC_XY").back().args,
              (std::vector<long>{5, 1, 20, 30, 0, 0, 0, 0, 1, 0, 0, 2, 0}));
    tap(25, 35);
    Bytes expected = frame({0xB1, 0x26, 0, 0, 0, 3, 1});
    append(expected, frame({0xB1, 0x26, 0, 0, 0, 3, 0}));
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(ControlTest, TextControlFillsItsBackground) {
    Control text(6, nimbrel::kTypeText, 10, 10, 20, 5);
    text.u8(13, 1).u8(14, 1).u16(15, 0x1111).u16(19, 0xFFFF);
    load({text.frame()}, quiet());
    EXPECT_EQ(hw().pixel(2, 10, 10), 0x1111);
    EXPECT_EQ(hw().pixel(2, 29, 14), 0x1111);
    EXPECT_EQ(hw().pixel(2, 30, 14), 0x0001);
}

class GlyphControlTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        // Font 1, 8 x 16 single-byte glyphs with a full top row.
        addFont(0, 1, 2, 8, 16, 0x120000);
        hw().fontData.assign(256 * 16, 0);
        for (int c = 0; c < 256; ++c)
            hw().fontData[static_cast<std::size_t>(c) * 16] = 0xFF;
    }
    std::vector<long> glyphsRead() {
        std::vector<long> chars;
        for (const auto& call : hw().calls("ReadFont"))
            chars.push_back(call.args[0] / 16);
        return chars;
    }
};

TEST_F(GlyphControlTest, TextIsDrawnFromItsStoredValue) {
    Control text(6, nimbrel::kTypeText, 10, 10, 100, 20);
    text.u8(13, 1).u16(19, 0xF800).u8(26, 2).text(27, "ab");
    load({text.frame()}, quiet());
    feed(frame({0xB1, 0x10, 0, 0, 0, 6, 'x', 'y', 'z'}));
    idleTicks(4);
    EXPECT_EQ(glyphsRead(), (std::vector<long>{'x', 'y', 'z'}));
    EXPECT_EQ(hw().pixel(2, 10, 10), 0xF800);
    EXPECT_EQ(hw().pixel(2, 33, 10), 0xF800);
    EXPECT_EQ(hw().pixel(2, 34, 10), 0x0001);
}

TEST_F(GlyphControlTest, PasswordTextShowsStars) {
    Control text(6, nimbrel::kTypeText, 10, 10, 100, 20);
    text.u8(13, 1).u16(19, 0xF800).u8(21, 1).u8(26, 3).text(27, "abc");
    load({text.frame()}, quiet());
    markAndRender();
    EXPECT_EQ(glyphsRead(), (std::vector<long>{'*', '*', '*'}));
}

TEST_F(GlyphControlTest, ClockShowsTheTimeInItsFormat) {
    Control clock(7, nimbrel::kTypeClock, 10, 10, 100, 20);
    clock.u8(14, 3).u8(16, 1).u16(17, 0x07E0);
    hw().rtc = {0x56, 0x34, 0x12, 0x28, 0x02, 0x11, 0x26};
    load({clock.frame()}, quiet());
    markAndRender();
    EXPECT_EQ(glyphsRead(), (std::vector<long>{'1', '2', ':', '3', '4', ':', '5', '6'}));
    EXPECT_EQ(hw().pixel(2, 10, 10), 0x07E0);
}

} // namespace
} // namespace coretest
