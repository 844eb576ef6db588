#include "media/picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tft;

namespace {

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("media_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A GIF of `frames` frames, 2 x 1 pixels each, with the given delays
    // (10 ms units); even frames are red-blue, odd ones blue-red. Each frame is
    // the codes clear, pixel, pixel, end, 3 bits each: no compression needed.
    std::string writeGif(const std::string& name, int frames, const std::vector<int>& delays) {
        std::vector<std::uint8_t> g = {'G',  'I', 'F', '8',  '9', 'a', 2, 0, 1,    0,
                                       0x81, 0,   0,   0xFF, 0,   0,   0, 0, 0xFF, // red, blue,
                                       0,    0,   0,   0,    0,   0}; // two unused entries
        for (int n = 0; n < frames; ++n) {
            const int d = delays.empty() ? 10 : delays[std::size_t(n) % delays.size()];
            g.insert(g.end(),
                     {0x21, 0xF9, 4, 0, std::uint8_t(d & 0xFF), std::uint8_t(d >> 8), 0, 0});
            g.insert(g.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
            // min code size 2: clear = 4, end = 5; codes: clear, p0, p1, end (3 bits each).
            const unsigned p0 = n % 2, p1 = 1 - p0;
            const unsigned bits = 4u | (p0 << 3) | (p1 << 6) | (5u << 9);
            g.insert(g.end(), {2, 2, std::uint8_t(bits & 0xFF), std::uint8_t(bits >> 8), 0});
        }
        g.push_back(0x3B);
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(g.data()), std::streamsize(g.size()));
        return path(name);
    }

    std::filesystem::path dir;
};

} // namespace

TEST_F(Pictures, KindFollowsTheLowerCasedExtension) {
    EXPECT_EQ(pictureKind("a/B.GIF"), PictureKind::Gif);
    EXPECT_EQ(pictureKind("x.Jfif"), PictureKind::Jpeg);
    EXPECT_EQ(pictureKind("x.dib"), PictureKind::Bmp);
    EXPECT_EQ(pictureKind("x.icon"), PictureKind::Icon);
    EXPECT_EQ(pictureKind("x.tiff"), PictureKind::Unsupported);
    EXPECT_EQ(pictureKind("dir.png/noext"), PictureKind::Unsupported);
}

TEST_F(Pictures, TransparentPixelsGetTheKeyAndBlackBecomesOne) {
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));   // transparent
    image.setPixel(1, 0, qRgba(0, 0, 0, 255)); // opaque black
    image.setPixel(2, 0, qRgba(255, 255, 255, 255));
    ASSERT_TRUE(image.save(QString::fromStdString(path("t.png"))));
    const PictureResult r = convertPicture({path("t.png"), 0, 0, false, {}});
    ASSERT_EQ(r.status, PictureResult::Status::Ok) << r.error;
    ASSERT_EQ(r.picture.frames.size(), 1u);
    EXPECT_EQ(r.picture.frames[0], (std::vector<std::uint16_t>{0x0000, 0x0001, 0xFFFF}));
    EXPECT_FALSE(r.picture.animated);
}

TEST_F(Pictures, ScalingKeepsEdgeColoursAndCropCuts) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    image.setPixel(0, 0, qRgb(0, 0, 255));
    ASSERT_TRUE(image.save(QString::fromStdString(path("r.png"))));
    const PictureResult scaled = convertPicture({path("r.png"), 16, 8, false, {}});
    ASSERT_EQ(scaled.status, PictureResult::Status::Ok);
    EXPECT_EQ(scaled.picture.width, 16);
    EXPECT_EQ(scaled.picture.frames[0][16 * 8 - 1], 0xF800); // the far corner stays red
    const PictureResult cropped = convertPicture({path("r.png"), 2, 2, true, {}});
    EXPECT_EQ(cropped.picture.frames[0],
              (std::vector<std::uint16_t>{0x001F, 0xF800, 0xF800, 0xF800}));
    const PictureResult part = convertPicture({path("r.png"), 4, 4, false, QRect(0, 0, 1, 2)});
    EXPECT_EQ(part.picture.width, 1);
    EXPECT_EQ(part.picture.frames[0], (std::vector<std::uint16_t>{0x001F, 0xF800}));
}

TEST_F(Pictures, GifFramesAndTheRoundedAverageDelay) {
    const PictureResult r = convertPicture({writeGif("a.gif", 3, {10, 10, 11}), 0, 0, false, {}});
    ASSERT_EQ(r.status, PictureResult::Status::Ok) << r.error;
    ASSERT_EQ(r.picture.frames.size(), 3u);
    EXPECT_TRUE(r.picture.animated);
    EXPECT_EQ(r.picture.delay, 10);
    EXPECT_EQ(r.picture.frames[0], (std::vector<std::uint16_t>{0xF800, 0x001F}));
    EXPECT_EQ(r.picture.frames[1], (std::vector<std::uint16_t>{0x001F, 0xF800}));
    EXPECT_FALSE(r.picture.framesCut);
}

TEST_F(Pictures, GifWithMoreThan255FramesIsCut) {
    const PictureResult r = convertPicture({writeGif("long.gif", 300, {400}), 0, 0, false, {}});
    ASSERT_EQ(r.status, PictureResult::Status::Ok);
    EXPECT_EQ(r.picture.frames.size(), 255u);
    EXPECT_TRUE(r.picture.framesCut);
    EXPECT_EQ(r.picture.delay, 255); // 400 is limited to 255
}

TEST_F(Pictures, BrokenAndUnsupportedFiles) {
    std::ofstream(path("bad.png")) << "not a picture";
    EXPECT_EQ(convertPicture({path("bad.png"), 0, 0, false, {}}).status,
              PictureResult::Status::LoadFailed);
    EXPECT_EQ(convertPicture({path("missing.jpg"), 0, 0, false, {}}).status,
              PictureResult::Status::LoadFailed);
    EXPECT_EQ(convertPicture({path("x.tga"), 0, 0, false, {}}).status,
              PictureResult::Status::Unsupported);
}

TEST(DrawnPictures, RenderedTwiceAndKeyed) {
    const auto pixels = renderKeyed(4, 1, [](QPainter& p) {
        p.fillRect(QRect(1, 0, 2, 1), QColor(0, 255, 0));
        p.fillRect(QRect(3, 0, 1, 1), QColor(0, 0, 0));
    });
    EXPECT_EQ(pixels, (std::vector<std::uint16_t>{0x0000, 0x07E0, 0x07E0, 0x0001}));
}
