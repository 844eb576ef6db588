// The font grid: masks from ticks, written back into the catalogue and read
// again by the catalogue reader.
#include "compiler/device_catalogue.h"
#include "font_config.h"
#include "testing/test_support.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

FontMaskGrid shippedGrid() {
    const fs::path app = TFT_APP_DIR;
    return FontMaskGrid::load(app / "font" / "fonts.xml", app / "DeviceInfo.xml");
}

std::size_t rowOf(const FontMaskGrid& grid, int id) {
    for (std::size_t i = 0; i < grid.fonts().size(); ++i)
        if (grid.fonts()[i].id == id)
            return i;
    return grid.fonts().size();
}

} // namespace

TEST(FontConfig, GridFromTheShippedFiles) {
    const FontMaskGrid grid = shippedGrid();
    ASSERT_FALSE(grid.fonts().empty());
    ASSERT_FALSE(grid.models().empty());
    EXPECT_EQ(grid.fonts()[0].caption(), "0. ASCII 6x12");
    EXPECT_EQ(grid.models()[0].mask, 255u);
    EXPECT_TRUE(grid.checked(0, 0));
}

TEST(FontConfig, TicksMakeMasksThatTheCatalogueReadsBack) {
    testsupport::TempFolder dir;
    FontMaskGrid grid = shippedGrid();
    std::vector<FontMaskGrid::Font> fonts = grid.fonts();
    fonts.push_back({31, "top"});
    grid.setFonts(fonts);
    for (std::size_t row = 0; row < grid.fonts().size(); ++row)
        for (std::size_t col = 0; col < grid.models().size(); ++col)
            grid.setChecked(row, col, false);
    grid.setChecked(rowOf(grid, 0), 0, true);
    grid.setChecked(rowOf(grid, 3), 0, true);
    grid.setChecked(rowOf(grid, 31), 1, true);
    EXPECT_EQ(grid.maskOf(0), 9u);
    EXPECT_EQ(grid.maskOf(1), 0x80000000u);
    EXPECT_EQ(grid.maskOf(2), 0u);
    const fs::path target = dir.path() / "sub" / "DeviceInfo.xml";
    std::string error;
    ASSERT_TRUE(grid.save(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", target, error)) << error;
    const tft::DeviceCatalogue back = tft::DeviceCatalogue::load(target);
    ASSERT_EQ(back.count(), grid.models().size());
    EXPECT_EQ(back.at(0).SystemFontMask, 9);
    EXPECT_EQ(static_cast<std::uint32_t>(back.at(1).SystemFontMask), 0x80000000u);
    EXPECT_EQ(back.at(2).SystemFontMask, 0);
    // Everything else of the catalogue is kept.
    const tft::DeviceCatalogue shipped =
        tft::DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    EXPECT_EQ(back.at(3).typeNameUtf8(), shipped.at(3).typeNameUtf8());
    EXPECT_EQ(back.at(3).ScreenResolutionWidth, shipped.at(3).ScreenResolutionWidth);
}

TEST(FontConfig, AModelWithoutAnElementIsSkippedAndEmptyGridsWriteNothing) {
    testsupport::TempFolder dir;
    FontMaskGrid grid = shippedGrid();
    auto models = grid.models();
    models.push_back({999, "ghost", 1});
    grid.setModels(models);
    const fs::path target = dir.path() / "DeviceInfo.xml";
    std::string error;
    ASSERT_TRUE(grid.save(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", target, error)) << error;
    EXPECT_EQ(tft::DeviceCatalogue::load(target).count(), grid.models().size() - 1);
    const FontMaskGrid empty =
        FontMaskGrid::load(dir.path() / "none.xml", fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    EXPECT_TRUE(empty.fonts().empty());
    const fs::path untouched = dir.path() / "untouched.xml";
    EXPECT_TRUE(empty.save(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", untouched, error));
    EXPECT_FALSE(fs::exists(untouched));
}

TEST(FontConfig, APerUserCopyIsPreferredOnceItExists) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("Pellisor");
    QCoreApplication::setApplicationName("Orvane");
    testsupport::TempFolder dir;
    const fs::path user = userCatalogueFile();
    fs::remove(user);
    EXPECT_EQ(catalogueFile(dir.path()), dir.path() / "DeviceInfo.xml");
    EXPECT_EQ(catalogueFileForWriting(dir.path()), dir.path() / "DeviceInfo.xml");
    EXPECT_EQ(catalogueFileForWriting(dir.path() / "no such folder"), user);
    fs::create_directories(user.parent_path());
    std::ofstream(user) << "<DeviceInfo/>";
    EXPECT_EQ(catalogueFile(dir.path()), user);
    fs::remove(user);
}
