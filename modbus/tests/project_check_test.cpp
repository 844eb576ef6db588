// A map checked against the showcase project: screens and controls by the
// compiler's numbering, and each kind of problem with its reason.
#include "compiler/device_catalogue.h"
#include "modbus/project_check.h"

#include <gtest/gtest.h>

using namespace tessary;

namespace {

const tft::DeviceCatalogue& catalogue() {
    static const tft::DeviceCatalogue c =
        tft::DeviceCatalogue::load(std::string(TFT_APP_DIR) + "/DeviceInfo.xml");
    return c;
}

const ProjectIndex& showcase() {
    static const ProjectIndex index = [] {
        ProjectIndex loaded;
        std::string error;
        EXPECT_TRUE(loaded.load(std::string(TFT_SOURCE_DIR) + "/examples/showcase/showcase.tftprj",
                                catalogue(), &error))
            << error;
        return loaded;
    }();
    return index;
}

MapRow binding(std::uint16_t screen, std::uint16_t control, std::uint8_t use = kUseControlUpdate) {
    MapRow row;
    row.screenId = screen;
    row.controlId = control;
    row.use = use;
    return row;
}

} // namespace

TEST(ProjectIndexTest, ScreensInPageOrderWithTheirControls) {
    const ProjectIndex& index = showcase();
    ASSERT_EQ(index.screens().size(), 4u);
    EXPECT_EQ(index.name(), "showcase");
    EXPECT_EQ(index.findScreen(0)->name, "home");
    EXPECT_EQ(index.findScreen(2)->name, "controls");
    EXPECT_EQ(index.findScreen(4), nullptr);
    const ProjectControl* level = index.findScreen(2)->findControl(12);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->name, "level");
    EXPECT_EQ(level->kind, "SLIDER");
    EXPECT_TRUE(level->isControl && level->takesValue);
    const ProjectControl* clock = index.findScreen(3)->findControl(5);
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->kind, "RTC");
    EXPECT_TRUE(clock->isControl);
    EXPECT_FALSE(clock->takesValue);
}

TEST(ProjectIndexTest, ARepeatedPageNameSharesTheFirstId) {
    ProjectIndex index;
    index.addScreen("a");
    index.addScreen("b").controls.push_back({7, "x", "SLIDER", true, true});
    index.addScreen("a");
    index.addScreen("c");
    ASSERT_EQ(index.screens().size(), 3u);
    EXPECT_EQ(index.findScreen(2)->name, "c");
    EXPECT_NE(index.findScreen(1)->findControl(7), nullptr);
}

TEST(ProjectIndexTest, AProjectThatDoesNotLoadSaysWhyAndKeepsWhatWasThere) {
    ProjectIndex index = showcase();
    std::string error;
    EXPECT_FALSE(index.load("/nonexistent/none.tftprj", catalogue(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(index.screens().size(), 4u);
}

TEST(MapCheckTest, EachProblemWithItsReason) {
    const std::vector<MapRow> rows = {
        binding(2, 12),                    // the slider "level": fine
        binding(9, 1),                     // no screen 9
        binding(2, 99),                    // no control 99 on "controls"
        binding(3, 5),                     // the clock takes no value
        binding(1, 3),                     // a rectangle, drawn once
        binding(2, 12),                    // the slider again
        binding(40, 40, kUseScreenChange), // ids unused: not checked
        binding(40, 40, kUseSystemTime),
    };
    const std::vector<MapProblem> problems = checkMap(rows, showcase());
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problemLine(problems[0]), "row 1: screen 9 does not exist in the project");
    EXPECT_EQ(problemLine(problems[1]),
              "row 2: control 99 does not exist on screen 2 \"controls\"");
    EXPECT_EQ(problemLine(problems[2]),
              "row 3: control 5 on screen \"gauges\" is \"clock\" (RTC), which takes no value");
    EXPECT_EQ(problemLine(problems[3]), "row 4: control 3 on screen \"drawing\" is \"box\" "
                                        "(RECTANGLE), a shape drawn once, not a control");
    EXPECT_EQ(problems[4].severity, MapProblem::Severity::Warning);
    EXPECT_EQ(problemLine(problems[4]), "row 5: warning: control \"level\" (SLIDER) on screen "
                                        "\"controls\" is also bound by row 0");
    for (const MapProblem& p : problems)
        EXPECT_FALSE(p.chineseText.empty());
}

TEST(MapCheckTest, ValueTakingKindsPassAndOthersDoNot) {
    for (const char* kind : {"BUTTON", "TEXT_DISPLAY", "PROGRESS", "SLIDER", "METER"})
        EXPECT_TRUE(kindIsControl(kind) && kindTakesValue(kind)) << kind;
    for (const char* kind : {"RTC", "ANIMATION", "GRAPH"})
        EXPECT_TRUE(kindIsControl(kind) && !kindTakesValue(kind)) << kind;
    for (const char* kind : {"TEXT", "IMAGE", "LINE", "CURVE", "RECTANGLE", "ELLIPSE", "CIRCLE"})
        EXPECT_FALSE(kindIsControl(kind)) << kind;
}
