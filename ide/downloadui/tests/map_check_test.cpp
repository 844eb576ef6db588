// The Modbus map checked against the showcase before it goes to a panel.
#include "map_check.h"
#include "modbus/map_model.h"
#include "showcase_build.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

using namespace tft::ide;
using namespace dluitest;

namespace {

tessary::MapRow binding(std::uint16_t screen, std::uint16_t control,
                        std::uint8_t use = tessary::kUseControlUpdate) {
    tessary::MapRow row;
    row.screenId = screen;
    row.controlId = control;
    row.use = use;
    return row;
}

QString writeMap(const testsupport::TempFolder& dir, const std::vector<tessary::MapRow>& rows) {
    tessary::CTessaryDoc doc;
    doc.rows() = rows;
    const auto path = dir.path() / "map.mbm";
    std::string error;
    EXPECT_TRUE(doc.saveFile(path, &error)) << error;
    return q(path);
}

WizardProject showcase(bool chinese = true) {
    WizardProject p;
    p.appDir = QStringLiteral(TFT_APP_DIR);
    p.projectFile = q(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase" / "showcase.tftprj");
    p.chinese = chinese;
    return p;
}

class MapCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    testsupport::TempFolder dir;
};

} // namespace

TEST_F(MapCheckTest, ErrorsAndWarningsWithTheirRows) {
    const QString map =
        writeMap(dir, {
                          binding(2, 12),                 // the slider "level": fine
                          binding(9, 1),                  // no screen 9
                          binding(2, 999), binding(3, 5), // a clock takes no value
                          binding(2, 12), binding(9, 1, tessary::kUseScreenChange), // not bound
                      });
    const MapCheck check = checkModbusMap(map, showcase());
    ASSERT_EQ(check.errors.size(), 3) << check.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(check.errors[0], QStringLiteral("第 1 行：画面 9 在工程中不存在"));
    EXPECT_TRUE(check.errors[1].startsWith(QStringLiteral("第 2 行：")))
        << check.errors[1].toStdString();
    EXPECT_TRUE(check.errors[1].contains(QStringLiteral("999")));
    EXPECT_TRUE(check.errors[2].startsWith(QStringLiteral("第 3 行：")));
    EXPECT_TRUE(check.errors[2].contains(QStringLiteral("RTC")));
    ASSERT_EQ(check.warnings.size(), 1);
    EXPECT_TRUE(check.warnings[0].startsWith(QStringLiteral("第 4 行（警告）：")));

    const MapCheck english = checkModbusMap(map, showcase(false));
    EXPECT_EQ(english.errors[0], QStringLiteral("第 1 行：screen 9 does not exist in the project"));
}

TEST_F(MapCheckTest, AMapThatDoesNotReadIsAnError) {
    dir.write("bad.mbm", "not a map at all");
    const MapCheck bad = checkModbusMap(q(dir.path() / "bad.mbm"), showcase());
    ASSERT_EQ(bad.errors.size(), 1);
    EXPECT_TRUE(bad.errors[0].contains(QStringLiteral("文件头出错！")))
        << bad.errors[0].toStdString();
    const MapCheck missing = checkModbusMap(q(dir.path() / "none.mbm"), showcase());
    ASSERT_EQ(missing.errors.size(), 1);
    EXPECT_TRUE(missing.errors[0].contains(QStringLiteral("none.mbm")));
}

TEST_F(MapCheckTest, WithoutAProjectTheMapIsNotCheckedAndSaysSo) {
    const QString map = writeMap(dir, {binding(9, 1)});
    WizardProject none = showcase();
    none.projectFile.clear();
    const MapCheck unchecked = checkModbusMap(map, none);
    EXPECT_TRUE(unchecked.errors.isEmpty());
    EXPECT_EQ(unchecked.warnings, QStringList{ideText(sid::MapNotChecked)});

    WizardProject broken = showcase();
    broken.projectFile = q(dir.path() / "missing.tftprj");
    const MapCheck notLoaded = checkModbusMap(map, broken);
    EXPECT_TRUE(notLoaded.errors.isEmpty());
    ASSERT_EQ(notLoaded.warnings.size(), 1);
    EXPECT_TRUE(notLoaded.warnings[0].contains(QStringLiteral("missing.tftprj")));
}

TEST_F(MapCheckTest, ACleanMapHasNothingToSay) {
    EXPECT_TRUE(checkModbusMap(writeMap(dir, {binding(2, 12)}), showcase()).clean());
}
