// The hardware layer over the simulated device.
#include "core/hardware.h"
#include "simulator/sim_device.h"

#include <gtest/gtest.h>

using namespace tft;

namespace {

void put16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    v[at] = x & 0xFF;
    v[at + 1] = (x >> 8) & 0xFF;
}

class Haldrun : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetSize(8, 6);
        tft_set_device(&device);
    }
    void TearDown() override { tft_set_device(nullptr); }

    std::uint16_t px(int layer, int x, int y) { return device.Layer(layer).pixels[y * 8 + x]; }

    // Picture 1: 3 x 2 pixels, two frames; frame f pixel (x, y) = 0x100·(f+1) + 10·y + x,
    // except frame 0 pixel (1, 0), which is the key colour 0x0000.
    void storePicture() {
        std::vector<std::uint8_t> index(32, 0);
        index[16] = 1;
        index[18] = 5;
        const std::uint32_t address = 0xB00000 + 4;
        for (int i = 0; i < 4; ++i)
            index[19 + i] = (address >> (8 * i)) & 0xFF;
        put16(index, 23, 3);
        put16(index, 25, 2);
        put16(index, 27, 12); // bytes per frame
        index[30] = 5;
        index[31] = 2;
        std::vector<std::uint8_t> data(4 + 24, 0);
        for (int f = 0; f < 2; ++f)
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x) {
                    std::uint16_t c = static_cast<std::uint16_t>(0x100 * (f + 1) + 10 * y + x);
                    if (f == 0 && y == 0 && x == 1)
                        c = 0;
                    put16(data, 4 + f * 12 + (y * 3 + x) * 2, c);
                }
        device.SetFile(SimDevice::ImageIndex, index);
        device.SetFile(SimDevice::ImageData, data);
    }

    SimDevice device;
};

} // namespace

TEST_F(Haldrun, DrawsOnTheWriteLayerOnly) {
    EXPECT_EQ(SelWriteLayer(4), 0);
    EXPECT_EQ(GetWriteLayer(), 4);
    GUI_ClearSCR(0x1234);
    EXPECT_EQ(px(4, 7, 5), 0x1234);
    EXPECT_EQ(px(0, 0, 0), 0x0000);
    GUI_Point(2, 3, 0xBEEF);
    std::uint16_t c = 0;
    GUI_ReadPoint(2, 3, &c);
    EXPECT_EQ(c, 0xBEEF);
    GUI_ReadPoint(-1, 3, &c);
    EXPECT_EQ(c, 0);
    GUI_Point(100, 100, 1); // outside: ignored
}

TEST_F(Haldrun, LinesIncludeBothEndsAndClip) {
    setPenColor(0x00FF);
    setHLine(6, 1, -3);
    for (int x = 0; x <= 6; ++x)
        EXPECT_EQ(px(0, x, 1), 0x00FF) << x;
    EXPECT_EQ(px(0, 7, 1), 0);
    setVLine(7, 10, 4);
    EXPECT_EQ(px(0, 7, 4), 0x00FF);
    EXPECT_EQ(px(0, 7, 5), 0x00FF);
    EXPECT_EQ(px(0, 7, 3), 0);
    setPixel(0, 0);
    EXPECT_EQ(px(0, 0, 0), 0x00FF);
}

TEST_F(Haldrun, DrawsAWholePictureFrame) {
    storePicture();
    TFT_Draw_PIC_XY(1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(px(0, 1, 1), 0x200);
    EXPECT_EQ(px(0, 3, 2), 0x200 + 12);
    EXPECT_EQ(px(0, 4, 1), 0);
    TFT_Draw_PIC_XY(1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0); // frame 3 wraps to 1
    EXPECT_EQ(px(0, 2, 1), 0x201);
}

TEST_F(Haldrun, MaskedPictureSkipsTheKeyColourRange) {
    storePicture();
    GUI_ClearSCR(0x7777);
    TFT_Draw_PIC_XY(1, 1, 0, 0, 0, 0, 0, 0, 1, 0x0000, 0x0100, 0, 0);
    EXPECT_EQ(px(0, 0, 0), 0x7777); // 0x100 is inside the range
    EXPECT_EQ(px(0, 1, 0), 0x7777); // the key colour
    EXPECT_EQ(px(0, 2, 0), 0x102);
    EXPECT_EQ(px(0, 0, 1), 0x10A);
}

TEST_F(Haldrun, DrawsACutClippedToThePictureAndLayer) {
    storePicture();
    TFT_Draw_PIC_XY(1, 0, 6, 4, 1, 1, 5, 5, 0, 0, 0, 1, 0);
    EXPECT_EQ(px(0, 6, 4), 0x200 + 11);
    EXPECT_EQ(px(0, 7, 4), 0x200 + 12);
    EXPECT_EQ(px(0, 6, 5), 0); // the cut has one row only
}

TEST_F(Haldrun, MissingOrBrokenPicturesDrawNothing) {
    storePicture();
    TFT_Draw_PIC_XY(7, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    device.SetFile(SimDevice::ImageData, {1, 2, 3}); // shorter than the record says
    TFT_Draw_PIC_XY(1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(device.Layer(0).pixels[i], 0);
    std::uint8_t record[16];
    EXPECT_EQ(TFT_GetImageIndex(1, 1, record), 1);
    EXPECT_EQ(record[15], 2);
    EXPECT_EQ(TFT_GetImageIndex(2, 1, record), 0);
}

TEST_F(Haldrun, AlternateSourceCutsFromTheCachedPictureLayer) {
    storePicture();
    device.Layer(3).pixels[1 * 8 + 1] = 0x4321;
    TFT_Draw_PIC_XY(1, 0, 5, 5, 1, 1, 1, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(px(0, 5, 5), 0x4321);
}

TEST_F(Haldrun, DrawsAKeyboardRegion) {
    std::vector<std::uint8_t> sbin(10 + 2 * 2 * 2, 0);
    for (int i = 0; i < 4; ++i)
        put16(sbin, 10 + 2 * i, 0x10 + i);
    device.SetFile(SimDevice::SystemResource, sbin);
    TFT_Draw_Keyboard(10, 2, 2, 3, 3, 1, 0, 1, 2);
    EXPECT_EQ(px(0, 3, 3), 0x11);
    EXPECT_EQ(px(0, 3, 4), 0x13);
    EXPECT_EQ(px(0, 4, 3), 0);
    TFT_Draw_Keyboard(16, 2, 2, 0, 0, 0, 0, 2, 2); // past the resource: nothing
    EXPECT_EQ(px(0, 0, 0), 0);
}

TEST_F(Haldrun, FontIndexIsServedWithThePanelsFontBase) {
    std::vector<std::uint8_t> fidx = {1, 2, 8, 16, 0x00, 0x01, 0, 0, 5, 0, 16, 16, 0x10, 0, 0, 0};
    device.SetFile(SimDevice::FontIndex, fidx);
    std::uint8_t entry[8];
    ASSERT_EQ(ReadFontIndex(8, entry, 8), 1);
    EXPECT_EQ(entry[0], 5);
    EXPECT_EQ(entry[4] | entry[5] << 8 | entry[6] << 16 | entry[7] << 24, 0x120010);
    ASSERT_EQ(ReadFontIndex(0, entry, 8), 1);
    EXPECT_EQ(entry[4] | entry[5] << 8 | entry[6] << 16 | entry[7] << 24, 0x120100);
    EXPECT_EQ(ReadFontIndex(16, entry, 8), 0);
    device.SetFile(SimDevice::FontData, {0xAA, 0xBB});
    std::uint8_t glyph[2];
    EXPECT_EQ(ReadFont(0, glyph, 2), 1);
    EXPECT_EQ(glyph[1], 0xBB);
    EXPECT_EQ(ReadFont(1, glyph, 2), 0);
}

TEST_F(Haldrun, ClockKeepsTheOffsetSetByTheCore) {
    const std::uint8_t wanted[7] = {0x00, 0x30, 0x12, 0x24, 0x04, 0x12, 0x26};
    SetRTC(wanted);
    std::uint8_t now[7];
    GetRTC(now);
    EXPECT_EQ(now[1], 0x30);
    EXPECT_EQ(now[2], 0x12);
    EXPECT_EQ(now[3], 0x24);
    EXPECT_EQ(now[4], 0x04); // 24 December 2026 is a Thursday
    EXPECT_EQ(now[5], 0x12);
    EXPECT_EQ(now[6], 0x26);
}

TEST_F(Haldrun, HostLineTouchBeepAndBacklightReachTheDevice) {
    std::vector<std::uint8_t> sent;
    device.SetSendHandler([&](const std::uint8_t* d, std::size_t n) { sent.assign(d, d + n); });
    int rate = 0;
    device.SetBaudHandler([&](int r) { return rate = r, 1; });
    const std::uint8_t reply[] = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
    send_data(reply, sizeof reply);
    EXPECT_EQ(sent, std::vector<std::uint8_t>(reply, reply + 6));
    CMD_UART_Init(115200);
    EXPECT_EQ(rate, 115200);
    device.SetTouch(true, 5, 4);
    EXPECT_EQ(touch_is_pressing(), 1);
    std::uint16_t x = 0, y = 0;
    get_coordinate(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 4);
    Beepon(10);
    EXPECT_EQ(device.BeepCount(), 1);
    EXPECT_EQ(device.LastBeepTicks(), 10);
    SetBackLightLevel(300);
    EXPECT_EQ(device.Backlight(), 255);
}

TEST(HaldrunWithoutDevice, DoesNothingAndReadsFail) {
    tft_set_device(nullptr);
    GUI_ClearSCR(1);
    std::uint8_t b[8];
    EXPECT_EQ(ReadScreenInfo(0, b, 8), 0);
    EXPECT_EQ(ReadFontIndex(0, b, 8), 0);
    EXPECT_EQ(touch_is_pressing(), 0);
    std::uint16_t x = 9, y = 9;
    get_coordinate(&x, &y);
    EXPECT_EQ(x, 0);
    TFT_Draw_PIC_XY(0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}
