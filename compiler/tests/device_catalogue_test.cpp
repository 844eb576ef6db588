#include "compiler/device_catalogue.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using tft::DeviceCatalogue;

TEST(DeviceCatalogue, FileWithoutDevicesIsEmpty) {
    EXPECT_EQ(DeviceCatalogue::parse("<DeviceInfo/>").count(), 0u);
    EXPECT_EQ(DeviceCatalogue::parse("<DeviceInfo><Other TypeID='1'/></DeviceInfo>").count(), 0u);
}

TEST(DeviceCatalogue, MalformedOrMissingFileIsEmpty) {
    EXPECT_EQ(DeviceCatalogue::parse("<DeviceInfo><Device TypeID='1'>").count(), 0u);
    EXPECT_EQ(DeviceCatalogue::parse("").count(), 0u);
    EXPECT_EQ(DeviceCatalogue::load("/nonexistent/DeviceInfo.xml").count(), 0u);
}

TEST(DeviceCatalogue, MissingAndUnparsableAttributesTakeDefaults) {
    const auto c = DeviceCatalogue::parse(
        "<DeviceInfo><Device TypeID='7' ScreenResolutionWidth='80x' TouchPane=''"
        " BlockSize='4096'/></DeviceInfo>");
    ASSERT_EQ(c.count(), 1u);
    const auto& d = c.at(0);
    EXPECT_DOUBLE_EQ(d.ScreenSize, 4.3);
    EXPECT_EQ(d.ScreenResolutionWidth, 0);
    EXPECT_EQ(d.TouchPane, 0);
    EXPECT_EQ(d.BlockSize, 4096);
    EXPECT_TRUE(d.TypeName.empty());
}

TEST(DeviceCatalogue, ReadsEveryField) {
    const auto c = DeviceCatalogue::parse(
        "<DeviceInfo><Device TypeName='面板 A' Category='2' TypeID='9' ScreenSize='7'"
        " ScreenResolutionWidth='800' ScreenResolutionHeight='480' ColorDepth='16' TouchPane='1'"
        " BlockSize='512' SystemFontMask='5' FlashSizeOfFont='8' FlashSizeOfRes='56'"
        " FlashSizeOfSystem='2' CommMaskRes='3' CommMaskCmd='1' SupportScreenRvs='1'"
        " SupportBuzzer='1' SupportRTC='1' SupportCursor='1' SupportControl='1'"
        " ImageDownloadType='1' Voltage='12' SupportSDCard='1' SupportKeyboard='1'"
        " SupportAudio='1'/></DeviceInfo>");
    ASSERT_EQ(c.count(), 1u);
    const auto& d = c.at(0);
    EXPECT_EQ(d.typeNameUtf8(), "面板 A");
    EXPECT_EQ(d.TypeName.size(), 4u);
    EXPECT_EQ(d.Category, 2);
    EXPECT_DOUBLE_EQ(d.ScreenSize, 7.0);
    EXPECT_EQ(d.ScreenResolutionWidth, 800);
    EXPECT_EQ(d.ScreenResolutionHeight, 480);
    EXPECT_EQ(d.SystemFontMask, 5);
    EXPECT_EQ(d.FlashSizeOfRes, 56);
    EXPECT_EQ(d.SupportControl, 1);
    EXPECT_EQ(d.Voltage, 12);
    EXPECT_EQ(d.SupportAudio, 1);
}

TEST(DeviceCatalogue, DuplicateTypeIdFindsTheFirst) {
    const auto c = DeviceCatalogue::parse(
        "<DeviceInfo><Device TypeID='3' TypeName='first'/><Device TypeID='3' TypeName='second'/>"
        "</DeviceInfo>");
    ASSERT_EQ(c.count(), 2u);
    ASSERT_NE(c.findByType(3), nullptr);
    EXPECT_EQ(c.findByType(3)->typeNameUtf8(), "first");
    EXPECT_EQ(c.findByType(4), nullptr);
}

TEST(DeviceCatalogue, OverlongTypeNameIsCut) {
    const std::string name(300, 'x');
    const auto c =
        DeviceCatalogue::parse("<DeviceInfo><Device TypeName='" + name + "'/></DeviceInfo>");
    ASSERT_EQ(c.count(), 1u);
    EXPECT_EQ(c.at(0).TypeName.size(), 259u);
}

TEST(DeviceCatalogue, ShippedCatalogueHasTheSixModels) {
    const auto c = DeviceCatalogue::load(std::filesystem::path(TFT_APP_DIR) / "DeviceInfo.xml");
    ASSERT_GE(c.count(), 6u);
    const auto* five = c.findByType(3);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->ScreenResolutionWidth, 800);
    EXPECT_EQ(five->ScreenResolutionHeight, 480);
    for (std::size_t i = 0; i < c.count(); ++i) {
        EXPECT_GT(c.at(i).ScreenResolutionWidth, 0);
        EXPECT_GT(c.at(i).FlashSizeOfRes, 0);
        EXPECT_FALSE(c.at(i).TypeName.empty());
    }
}
