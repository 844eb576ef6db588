// velmic compiles the bundled minimal project; the core loads the screen
// image it wrote and makes the start-up screen current.
#include "core_fixture.h"
#include "screens.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace coretest {
namespace {

namespace fs = std::filesystem;

class CompiledProject : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        char pattern[] = "/tmp/nimbrel-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "minimal", folder_,
                 fs::copy_options::recursive);
    }
    void TearDown() override {
        CoreTest::TearDown();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path folder_;
};

TEST_F(CompiledProject, StartupScreenBecomesCurrent) {
    const std::string command = std::string("'") + VELMIC_PATH + "' -p '" +
                                (folder_ / "minimal.tftprj").string() + "' > '" +
                                (folder_ / "velmic.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(folder_ / "output" / "minimal.si", std::ios::binary);
    ASSERT_TRUE(in);
    hw().screenInfo.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_GE(hw().screenInfo.size(), 136u);

    tft_reset();
    steps(1);
    idleTicks(8);
    EXPECT_FALSE(core().memoryError);
    EXPECT_TRUE(core().screensPresent);
    EXPECT_EQ(core().header.screenCount, 2u);
    EXPECT_EQ(nimbrel::g_screens.current, 0);
    // The start-up screen was replayed onto layer 2 and composed.
    EXPECT_GT(hw().count("CopyLayer"), 0u);
    EXPECT_GT(hw().pixelsNot(2, 0), 0);
    EXPECT_EQ(hw().outOfRange, 0);
    // The project asks for screen notifications: the first render reports screen 0.
    EXPECT_EQ(hw().sent, frame({0xB1, 0x01, 0x00, 0x00}));
}

} // namespace
} // namespace coretest
