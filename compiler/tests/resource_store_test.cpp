// The resource store in-process: index records byte for byte, the flash
// limit, the sound alignment.
#include "compiler/resource_store.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testsupport;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

namespace {

class Store : public ::testing::Test {
protected:
    void open(int megabytes) {
        tft::DeviceProp device;
        device.FlashSizeOfRes = megabytes;
        store_.open(folder_.path(), "demo", &device);
    }
    std::optional<std::uint16_t> picture(int w, int h, std::uint16_t colour) {
        tft::PictureInfo info;
        info.width = info.effectWidth = w;
        info.height = info.effectHeight = h;
        return store_.storePixels(std::vector<std::uint16_t>(std::size_t(w) * h, colour), w, h,
                                  info);
    }
    TempFolder folder_;
    CapturedSink sink_;
    tft::CResourceStore store_;
};

} // namespace

TEST(IndexRecords, PictureAndSoundLayouts) {
    EXPECT_EQ(tft::pictureIndexRecord(0x0102, 5, 0x00B12345, 800, 480, 0x0BB800, 7, 255),
              (Bytes{0x02, 0x01, 5, 0x45, 0x23, 0xB1, 0x00, 0x20, 0x03, 0xE0, 0x01, 0x00, 0xB8,
                     0x0B, 7, 255}));
    EXPECT_EQ(tft::soundIndexRecord(0x0103, 2, 16, 32000, 0x010203, 0x00B40000),
              (Bytes{0x03, 2, 16, 0, 0x00, 0x7D, 0, 0, 0x03, 0x02, 0x01, 0, 0, 0, 0xB4, 0}));
}

TEST_F(Store, FlashOfOneMegabyteRefusesThePictureThatDoesNotFit) {
    open(1);
    EXPECT_EQ(picture(400, 400, 0x1234), 0); // 320000 bytes each
    EXPECT_EQ(picture(400, 400, 0x1234), 1);
    EXPECT_EQ(picture(400, 400, 0x1234), 2);
    EXPECT_EQ(picture(400, 400, 0x1234), std::nullopt);
    EXPECT_THAT(sink_.text(), HasSubstr("(5104)Nandflash不足..."));
    EXPECT_EQ(picture(10, 10, 0x1234), 3); // a smaller one still fits
    store_.close();
    EXPECT_EQ(readBytes(folder_.path() / "demo.graidx").size(), 64u);
    EXPECT_EQ(readBytes(folder_.path() / "demo.gwb").size(), 960200u);
}

TEST_F(Store, OversizedAndEmptyPicturesAreTooBig) {
    open(240);
    EXPECT_EQ(picture(0, 5, 1), std::nullopt);
    tft::PictureInfo info;
    EXPECT_EQ(store_.storePixels({}, 4096, 2049, info), std::nullopt); // 2^23 + 4096 pixels
    EXPECT_EQ(store_.storePixels({1, 2}, 3, 1, info), std::nullopt);   // pixels missing
    EXPECT_THAT(sink_.text(), HasSubstr("(5103)图片太大, 超出可编译范围..."));
    EXPECT_EQ(store_.pictureCount(), 0);
}

TEST_F(Store, SoundsFollowThePicturesFromThe128KiBBoundary) {
    open(2);
    EXPECT_EQ(store_.soundPosition(), 0xB00000u);
    picture(1, 1, 5);
    EXPECT_EQ(store_.soundPosition(), 0xB20000u);
    EXPECT_EQ(store_.storeSound(Bytes(0x20000, 7), 1, 8, "a.wav"), 0);
    EXPECT_EQ(store_.soundPosition(), 0xB40000u);
    // 2 MiB end at 0xD00000: a sound that would pass it is refused.
    EXPECT_EQ(store_.storeSound(Bytes(0x1C0001, 7), 1, 8, "b.wav"), std::nullopt);
    EXPECT_THAT(sink_.text(), HasSubstr("(5104)Nandflash不足..."));
    store_.close();
    const Bytes index = readBytes(folder_.path() / "demo.pwi");
    ASSERT_EQ(index.size(), 16u);
    EXPECT_EQ(readBytes(folder_.path() / "demo.gwb").size(), 0x40000u);
}

TEST_F(Store, UnwritableFolderIsReportedAndNothingIsStored) {
    tft::DeviceProp device;
    device.FlashSizeOfRes = 1;
    EXPECT_FALSE(store_.open(folder_.path() / "missing", "demo", &device));
    const std::string out = sink_.text();
    EXPECT_THAT(out, HasSubstr("生成demo.gra文件失败..."));
    EXPECT_THAT(out, HasSubstr("生成demo.tftres文件失败..."));
    EXPECT_THAT(out, HasSubstr("生成DefineID.c文件失败..."));
}
