// The frames of a page of a real build, as display synchronisation sends them.
#include "display_sync.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace tft::ide;

namespace {

TEST(DisplaySync, FramesOfACompiledPageAreWholeAndInOrder) {
    testsupport::TempFolder folder;
    const fs::path dir = folder.path() / "showcase";
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir, fs::copy_options::recursive);
    const auto build = testsupport::runProgram(std::string(TFT_APP_DIR) + "/velmic",
                                               {"-p", (dir / "showcase.tftprj").string()});
    ASSERT_EQ(build.status, 0) << build.output;
    const std::string tftres = (dir / "output" / "showcase.tftres").string();
    const auto frames = pageFrames(tftres, "home");
    ASSERT_GT(frames.size(), 1u);
    for (const auto& frame : frames) {
        ASSERT_GE(frame.size(), 6u);
        EXPECT_EQ(frame.front(), 0xEE);
        EXPECT_EQ(std::vector<std::uint8_t>(frame.end() - 4, frame.end()),
                  (std::vector<std::uint8_t>{0xFF, 0xFC, 0xFF, 0xFF}));
    }
    // Another page draws differently; an unknown page draws nothing.
    EXPECT_NE(pageFrames(tftres, "gauges"), frames);
    EXPECT_TRUE(pageFrames(tftres, "no such page").empty());
    EXPECT_TRUE(pageFrames((dir / "none.tftres").string(), "home").empty());
}

} // namespace
