// The screen runtime: image reading, the control store, screen changes,
// rendering and the control sub-commands.
#include "screen_image.h"
#include "screens.h"

#include <string>

namespace coretest {
namespace {

using nimbrel::g_screens;

class ScreenTest : public CoreTest {
protected:
    void load(const ScreenImage& image) { loadBytes(image.build()); }
    void loadBytes(const Bytes& bytes) {
        hw().screenInfo = bytes;
        tft_reset();
        steps(1);
        idleTicks(6);
        clearLog();
    }
    // Two empty screens, both showing their colour, start-up screen 0.
    ScreenImage twoScreens(std::vector<Bytes> items0 = {}) {
        ScreenImage image;
        image.screens = {screenRecord(0, 0x1234, items0), screenRecord(1, 0x4321, {})};
        image.blocks = {startBlock(0)};
        return image;
    }
    Bytes sub(std::initializer_list<std::uint8_t> body) {
        Bytes b{0xB1};
        append(b, Bytes(body));
        return frame(b);
    }
};

TEST_F(ScreenTest, LoadMakesTheStartScreenCurrentAndRendersItOntoLayerTwo) {
    load(twoScreens());
    EXPECT_EQ(g_screens.current, 0);
    EXPECT_EQ(hw().pixel(2, 5, 5), 0x1234);
    idleTicks(3);
    EXPECT_EQ(hw().pixel(hw().displayLayer, 5, 5), 0x1234);
}

TEST_F(ScreenTest, GetScreenRepliesWithTheCurrentScreen) {
    load(twoScreens());
    feed(sub({0x00, 0x00, 0x01}));
    feed(sub({0x01}));
    EXPECT_EQ(hw().sent, (Bytes{0xEE, 0xB1, 0x01, 0x00, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
    idleTicks(4);
    EXPECT_EQ(hw().pixel(2, 5, 5), 0x4321);
}

TEST_F(ScreenTest, SwitchingToTheCurrentOrAMissingScreenDoesNothing) {
    ScreenImage image = twoScreens();
    image.settings.notifyScreen = 1;
    load(image);
    feed(sub({0x00, 0x00, 0x00}));
    feed(sub({0x00, 0x00, 0x02}));
    feed(frame({0xB2, 0x00, 0x02}));
    idleTicks(5);
    EXPECT_EQ(g_screens.current, 0);
    EXPECT_TRUE(hw().sent.empty());
    feed(frame({0xB2, 0x00, 0x01}));
    idleTicks(5);
    idleTicks(5);
    // Reported once for the change, not on every later render.
    EXPECT_EQ(hw().sent, (Bytes{0xEE, 0xB1, 0x01, 0x00, 0x01, 0xFF, 0xFC, 0xFF, 0xFF}));
}

TEST_F(ScreenTest, TextValueIsCutAt255Bytes) {
    Control text(7, nimbrel::kTypeText, 10, 10, 100, 20);
    text.u8(25, 255).u8(26, 2).text(27, "hi");
    load(twoScreens({text.frame()}));
    feed(sub({0x11, 0x00, 0x00, 0x00, 0x07}));
    EXPECT_EQ(hw().sent,
              (Bytes{0xEE, 0xB1, 0x11, 0, 0, 0, 7, 0x11, 'h', 'i', 0, 0xFF, 0xFC, 0xFF, 0xFF}));
    clearLog();
    Bytes set{0xB1, 0x10, 0x00, 0x00, 0x00, 0x07};
    append(set, Bytes(300, 'x'));
    feed(frame(set));
    feed(sub({0x11, 0x00, 0x00, 0x00, 0x07}));
    Bytes expected{0xEE, 0xB1, 0x11, 0, 0, 0, 7, 0x11};
    append(expected, Bytes(255, 'x'));
    append(expected, Bytes{0, 0xFF, 0xFC, 0xFF, 0xFF});
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(ScreenTest, ValuesOfEachTypeAreReportedAsStored) {
    Control button(1, nimbrel::kTypeButton, 0, 0, 10, 10);
    button.u8(25, 1).u8(28, 1);
    Control progress(2, nimbrel::kTypeProgress, 0, 20, 10, 10);
    progress.u32(24, 0x01020304);
    Control slider(3, nimbrel::kTypeSlider, 0, 40, 10, 10);
    slider.u32(13, 0x00000042);
    Control clock(4, nimbrel::kTypeClock, 0, 60, 10, 10);
    load(twoScreens({button.frame(), progress.frame(), slider.frame(), clock.frame()}));
    feed(sub({0x11, 0, 0, 0, 1}));
    feed(sub({0x11, 0, 0, 0, 2}));
    feed(sub({0x11, 0, 0, 0, 3}));
    feed(sub({0x11, 0, 0, 0, 4}));
    feed(sub({0x11, 0, 0, 0, 9}));
    feed(sub({0x10, 0, 0, 0, 1, 0x02})); // bit 0 only
    feed(sub({0x11, 0, 0, 0, 1}));
    Bytes expected = frame({0xB1, 0x11, 0, 0, 0, 1, 0x10, 1});
    append(expected, frame({0xB1, 0x11, 0, 0, 0, 2, 0x12, 1, 2, 3, 4}));
    append(expected, frame({0xB1, 0x11, 0, 0, 0, 3, 0x13, 0, 0, 0, 0x42}));
    append(expected, frame({0xB1, 0x11, 0, 0, 0, 1, 0x10, 0}));
    EXPECT_EQ(hw().sent, expected);
}

TEST_F(ScreenTest, AnimationStepsWrapAroundTheFrames) {
    hw().pictures[5] = {5, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 0, 0, 0, 1, 4};
    Control animation(3, nimbrel::kTypeAnimation, 0, 0, 10, 10);
    animation.u16(13, 5);
    load(twoScreens({animation.frame()}));
    auto current = [&] {
        nimbrel::AnimationValue a{};
        std::size_t n = 0;
        EXPECT_TRUE(
            nimbrel::loadValue(0, 3, reinterpret_cast<std::uint8_t*>(&a), sizeof a, &n, nullptr));
        EXPECT_EQ(a.frames, 4);
        return a.current;
    };
    feed(sub({0x23, 0, 0, 0, 3, 3}));
    EXPECT_EQ(current(), 3);
    feed(sub({0x25, 0, 0, 0, 3}));
    EXPECT_EQ(current(), 0);
    feed(sub({0x24, 0, 0, 0, 3}));
    EXPECT_EQ(current(), 3);
    feed(sub({0x23, 0, 0, 0, 3, 9})); // past the last frame
    EXPECT_LT(current(), 4);
}

TEST_F(ScreenTest, RunningAnimationStepsOnRenderAndStopsAtItsLoopLimit) {
    hw().pictures[5] = {5, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 0, 0, 0, 1, 2};
    Control animation(3, nimbrel::kTypeAnimation, 0, 0, 10, 10);
    animation.u16(13, 5).u8(15, 1).u16(16, 1).u8(18, 2);
    load(twoScreens({animation.frame()}));
    idleTicks(60);
    nimbrel::AnimationValue a{};
    std::size_t n = 0;
    ASSERT_TRUE(
        nimbrel::loadValue(0, 3, reinterpret_cast<std::uint8_t*>(&a), sizeof a, &n, nullptr));
    EXPECT_EQ(a.running, 0);
    EXPECT_EQ(a.loopsDone, 2);
}

TEST_F(ScreenTest, FullSlotTableShowsTheMemoryErrorScreen) {
    std::vector<Bytes> items;
    for (std::uint32_t id = 0; id < 16384; ++id)
        items.push_back(
            Control(static_cast<std::uint16_t>(id), nimbrel::kTypeButton, 0, 0, 1, 1, 14).frame());
    load(twoScreens(items));
    EXPECT_FALSE(core().memoryError);
    EXPECT_EQ(g_screens.current, 0);
    items.push_back(Control(16384, nimbrel::kTypeButton, 0, 0, 1, 1, 14).frame());
    load(twoScreens(items));
    EXPECT_TRUE(core().memoryError);
    EXPECT_EQ(hw().displayLayer, 0);
    EXPECT_EQ(hw().pixel(0, 0, 0), 0x001F);
    EXPECT_EQ(g_screens.current, 0xFFFF);
}

TEST_F(ScreenTest, FullBlockPoolKeepsTheOldValue) {
    // 511 texts of 255 bytes and one of 1 byte leave 3 of the 2048 blocks free.
    std::vector<Bytes> items;
    const std::string full(255, 'a');
    for (std::uint16_t id = 0; id < 512; ++id) {
        Control text(id, nimbrel::kTypeText, 0, 0, 1, 1);
        if (id < 511)
            text.u8(26, 255).text(27, full);
        else
            text.u8(26, 1).text(27, "z");
        items.push_back(text.frame());
    }
    load(twoScreens(items));
    Bytes set{0xB1, 0x10, 0x00, 0x00, 0x01, 0xFF};
    append(set, Bytes(200, 'q')); // needs 4 blocks
    feed(frame(set));
    feed(sub({0x11, 0, 0, 1, 0xFF}));
    EXPECT_EQ(hw().sent, frame({0xB1, 0x11, 0, 0, 1, 0xFF, 0x11, 'z', 0}));
    clearLog();
    set[6] = 'r';
    set.resize(6 + 150); // 3 blocks fit
    feed(frame(set));
    feed(sub({0x11, 0, 0, 1, 0xFF}));
    EXPECT_EQ(hw().sent.size(), 8u + 150 + 1 + 4);
    clearLog();
    feed(sub({0x11, 0, 0, 0, 0}));
    ASSERT_EQ(hw().sent.size(), 8u + 255 + 1 + 4);
    EXPECT_EQ(hw().sent[8], 'a');
}

TEST_F(ScreenTest, GraphKeepsTheNewestSamplesWithinItsDepth) {
    Control graph(9, nimbrel::kTypeGraph, 0, 0, 100, 100);
    graph.u8(14, 1).u16(15, 4);
    load(twoScreens({graph.frame()}));
    feed(sub({0x30, 0, 0, 0, 9, 0, 0xF8, 0x00}));
    feed(sub({0x32, 0, 0, 0, 9, 0, 0, 3, 1, 2, 3}));
    feed(sub({0x32, 0, 0, 0, 9, 0, 0, 2, 4, 5}));
    feed(sub({0x32, 0, 0, 0, 9, 0, 0, 5, 1, 1, 1, 1, 1})); // larger than the channel: ignored
    feed(sub({0x32, 0, 0, 0, 9, 0, 0x10, 0, 7}));          // claims more bytes than it carries
    nimbrel::GraphValue g{};
    ASSERT_TRUE(nimbrel::loadGraph(0, 9, &g));
    ASSERT_EQ(g.lengths[0], 4);
    const std::uint8_t* data = nimbrel::blockData(g.refs[0]);
    EXPECT_EQ(Bytes(data, data + 4), (Bytes{3, 4, 5, 7}));
    EXPECT_EQ(g.mask, 1);
    EXPECT_EQ(g.colours[0], 0xF800);
    feed(sub({0x33, 0, 0, 0, 9, 0}));
    ASSERT_TRUE(nimbrel::loadGraph(0, 9, &g));
    EXPECT_EQ(g.lengths[0], 0);
}

TEST_F(ScreenTest, ExitEmptiesTheStoreOnTheCoreThread) {
    Control button(1, nimbrel::kTypeButton, 0, 0, 10, 10);
    load(twoScreens({button.frame()}));
    std::uint8_t v[4];
    std::size_t n = 0;
    EXPECT_TRUE(nimbrel::loadValue(0, 1, v, sizeof v, &n, nullptr));
    tft_exit();
    EXPECT_TRUE(nimbrel::loadValue(0, 1, v, sizeof v, &n, nullptr));
    EXPECT_EQ(tft_step(), 0);
    EXPECT_FALSE(nimbrel::loadValue(0, 1, v, sizeof v, &n, nullptr));
    EXPECT_EQ(tft_step(), 1);
}

TEST_F(ScreenTest, TruncatedAndHostileImagesShowNoScreen) {
    const Bytes good = twoScreens().build();
    for (std::size_t cut : {0ul, 20ul, 100ul, 140ul, good.size() - 3}) {
        loadBytes(Bytes(good.begin(), good.begin() + static_cast<long>(cut)));
        EXPECT_EQ(hw().outOfRange, 0);
    }
    Bytes hostile = good;
    putLe32(hostile, 16, 0xFFFFFFFF); // screen count
    putLe32(hostile, 24, 0xFFFFFFF0); // index far outside
    loadBytes(hostile);
    EXPECT_EQ(hw().pixel(2, 5, 5), 0); // nothing rendered
    EXPECT_EQ(hw().outOfRange, 0);
    hostile = good;
    putLe32(hostile, 136 + 4, 0xFFFFFFF0); // record offset of screen 0
    putLe32(hostile, 136, 0x00FFFFFF);
    loadBytes(hostile);
    hostile = good;
    putLe32(hostile, 8, 0x7FFFFFFF); // start-up block
    loadBytes(hostile);
    EXPECT_EQ(g_screens.current, 0xFFFF);
    loadBytes(good);
    EXPECT_EQ(g_screens.current, 0);
}

TEST_F(ScreenTest, ImageWithoutRecordedSizeIsReadThroughShortWindows) {
    ScreenImage image = twoScreens();
    image.recordSize = false;
    load(image);
    EXPECT_EQ(g_screens.current, 0);
    EXPECT_EQ(hw().pixel(2, 5, 5), 0x1234);
}

} // namespace
} // namespace coretest
