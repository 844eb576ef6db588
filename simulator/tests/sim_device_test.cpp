#include "compiler/device_catalogue.h"
#include "simulator/sim_device.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft;

namespace {

std::vector<std::uint8_t> header(std::uint16_t type, std::uint16_t flags) {
    std::vector<std::uint8_t> h(136, 0);
    h[88] = type & 0xFF;
    h[89] = type >> 8;
    h[90] = flags & 0xFF;
    h[91] = flags >> 8;
    return h;
}

void writeFile(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

const DeviceCatalogue& catalogue() {
    static DeviceCatalogue c = DeviceCatalogue::parse(
        "<DeviceInfo><Device TypeID='3' ScreenResolutionWidth='800' ScreenResolutionHeight='480'/>"
        "<Device TypeID='2' ScreenResolutionWidth='480' ScreenResolutionHeight='272'/>"
        "</DeviceInfo>");
    return c;
}

class ProjectFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("sim_device_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    SimDevice device;
};

} // namespace

TEST(SimDevice, CopyOntoItselfOrBeyondLayerSevenFails) {
    SimDevice d;
    EXPECT_EQ(d.CopyLayer(2, 2, 0, 0), 0);
    EXPECT_EQ(d.CopyLayer(2, 8, 0, 0), 0);
    EXPECT_EQ(d.CopyLayer(8, 2, 0, 0), 0);
    EXPECT_EQ(d.CopyLayer(-1, 2, 0, 0), 0);
    EXPECT_EQ(d.CopyLayer(2, 3, 0, 0), 1);
}

TEST(SimDevice, TransparentCopySkipsBlack) {
    SimDevice d;
    d.SetSize(2, 1);
    d.Layer(4).pixels[0] = 0x0000;
    d.Layer(4).pixels[1] = 0x1234;
    d.Layer(2).pixels[0] = 0xAAAA;
    d.Layer(2).pixels[1] = 0xAAAA;
    ASSERT_EQ(d.CopyLayer(4, 2, 1, 0), 1);
    EXPECT_EQ(d.Layer(2).pixels[0], 0xAAAA);
    EXPECT_EQ(d.Layer(2).pixels[1], 0x1234);
    ASSERT_EQ(d.CopyLayer(4, 2, 0, 0), 1);
    EXPECT_EQ(d.Layer(2).pixels[0], 0x0000);
}

TEST(SimDevice, ScreenInfoReadIsShortenedAtTheEndAndFailsBeyondIt) {
    SimDevice d;
    d.SetFile(SimDevice::ScreenInfo, {1, 2, 3, 4, 5});
    std::uint8_t buf[4] = {9, 9, 9, 9};
    EXPECT_EQ(d.ReadScreenInfo(3, buf, 4), 1);
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(buf[1], 5);
    EXPECT_EQ(buf[2], 0);
    EXPECT_EQ(d.ReadScreenInfo(5, buf, 1), 0);
    EXPECT_EQ(d.ReadScreenInfo(0xFFFFFFFF, buf, 4), 0);
}

TEST(SimDevice, OtherFileReadsFailPastTheEnd) {
    SimDevice d;
    d.SetFile(SimDevice::SystemResource, std::vector<std::uint8_t>(10, 7));
    d.SetFile(SimDevice::ImageIndex, std::vector<std::uint8_t>(32, 1));
    std::uint8_t buf[16];
    EXPECT_EQ(d.ReadSystemResource(0, buf, 10), 1);
    EXPECT_EQ(d.ReadSystemResource(1, buf, 10), 0);
    EXPECT_EQ(d.ReadSystemResource(0xFFFFFFF0u, buf, 16), 0); // no wrap-around
    EXPECT_EQ(d.ReadImageIndex(16, buf), 1);
    EXPECT_EQ(d.ReadImageIndex(17, buf), 0);
    EXPECT_EQ(d.ReadFontIndex(0, buf, 1), 0); // nothing loaded
}

TEST(SimDevice, TouchPointClampsNegativePositions) {
    SimDevice d;
    d.SetTouch(true, -5, 17);
    std::uint16_t x = 1, y = 1;
    d.TouchPoint(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 17);
    EXPECT_EQ(d.Pressed(), 1);
}

TEST(SimDevice, VisibleFrameFollowsBacklightAndPanelPower) {
    SimDevice d;
    d.SetSize(1, 1);
    d.Layer(0).pixels[0] = 0xFFFF;
    EXPECT_EQ(d.VisibleFrame(nullptr, nullptr)[0], 0xFFFF);
    d.SetBacklight(255);
    EXPECT_EQ(d.VisibleFrame(nullptr, nullptr)[0], 0x0000);
    d.SetBacklight(0);
    d.SetPanelOn(false);
    EXPECT_EQ(d.VisibleFrame(nullptr, nullptr)[0], 0x0000);
}

TEST_F(ProjectFolder, LoadsTheSixFilesAndTakesTheModelsSize) {
    writeFile(dir / "demo.si", header(2, 0));
    writeFile(dir / "demo.sbin", {1, 2, 3});
    int w = 0, h = 0;
    std::string error;
    ASSERT_TRUE(device.LoadProject(dir / "demo.si", catalogue(), &w, &h, &error)) << error;
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 272);
    EXPECT_EQ(device.Width(), 480);
    std::uint8_t b[3];
    EXPECT_EQ(device.ReadSystemResource(0, b, 3), 1);
    EXPECT_EQ(b[2], 3);
}

TEST_F(ProjectFolder, RotatedFlagSwapsTheSize) {
    writeFile(dir / "turned.si", header(3, 1u << 4));
    int w = 0, h = 0;
    ASSERT_TRUE(device.LoadProject(dir / "turned.si", catalogue(), &w, &h, nullptr));
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 800);
}

TEST_F(ProjectFolder, MissingScreenInfoKeepsThePreviousProject) {
    writeFile(dir / "first.si", header(2, 0));
    ASSERT_TRUE(device.LoadProject(dir / "first.si", catalogue(), nullptr, nullptr, nullptr));
    std::string error;
    EXPECT_FALSE(device.LoadProject(dir / "second.si", catalogue(), nullptr, nullptr, &error));
    EXPECT_NE(error.find("second.si"), std::string::npos);
    std::uint8_t b[1];
    EXPECT_EQ(device.ReadScreenInfo(88, b, 1), 1);
    EXPECT_EQ(b[0], 2); // still the first project
    EXPECT_EQ(device.Width(), 480);
}

TEST_F(ProjectFolder, UnknownModelKeepsTheSize) {
    writeFile(dir / "odd.si", header(99, 0));
    int w = 0, h = 0;
    ASSERT_TRUE(device.LoadProject(dir / "odd.si", catalogue(), &w, &h, nullptr));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 480);
}
