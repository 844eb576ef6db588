// `orvane --build` through the real programs on a copy of the bundled example.
#include "fonttools/keyboard_pack.h"
#include "testing/test_support.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class OrvaneBuild : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("orvane_build_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "minimal", dir,
                 fs::copy_options::recursive);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the real orvane; returns its exit status, appending what it printed.
    static int orvane(const std::vector<std::string>& args, std::string& output) {
        const auto run = testsupport::runProgram("orvane", args);
        output += run.output;
        return run.status;
    }
    static std::vector<std::uint8_t> bytes(const fs::path& p) { return testsupport::readBytes(p); }

    fs::path dir;
};

} // namespace

TEST_F(OrvaneBuild, CompilesAndAddsPacksAndDriver) {
    std::string out;
    ASSERT_EQ(orvane({"--build", (dir / "minimal.tftprj").string()}, out), 0) << out;
    const fs::path output = dir / "output";
    EXPECT_TRUE(fs::exists(output / "minimal.si"));
    const auto fidx = bytes(output / "minimal.fidx");
    const auto fbin = bytes(output / "minimal.fbin");
    ASSERT_FALSE(fidx.empty()) << out;
    EXPECT_EQ(fidx.size() % 8, 0u);
    // The last font's data ends where the data file ends.
    const std::size_t last = fidx.size() - 8;
    const std::uint32_t offset = fidx[last + 4] | fidx[last + 5] << 8 | fidx[last + 6] << 16 |
                                 std::uint32_t(fidx[last + 7]) << 24;
    EXPECT_LT(offset, fbin.size());
    const auto sbin = bytes(output / "minimal.sbin");
    std::array<std::optional<tft::fonttools::PackedKeyboard>, tft::fonttools::kKeyboardSlots> kb;
    std::string error;
    EXPECT_TRUE(tft::fonttools::parseKeyboardPack(sbin.data(), sbin.size(), kb, error)) << error;
    EXPECT_NE(out.find("minimal - 0 error(s)"), std::string::npos) << out;
}

TEST_F(OrvaneBuild, CopiesTheHostDriverSources) {
    const fs::path driver = fs::path(TFT_APP_DIR) / "hmi_driver";
    if (!fs::is_directory(driver) || fs::is_empty(driver))
        GTEST_SKIP() << "no host driver in the application folder";
    std::string out;
    ASSERT_EQ(orvane({"--build", (dir / "minimal.tftprj").string()}, out), 0) << out;
    for (const auto& entry : fs::directory_iterator(driver))
        EXPECT_EQ(bytes(dir / "output" / entry.path().filename()), bytes(entry.path()))
            << entry.path();
}

TEST_F(OrvaneBuild, FailedCompileWritesNoPacksAndFails) {
    std::ofstream(dir / "broken.tftprj") << "<Orvane Name='broken' DeviceType='3'><Pages>";
    std::string out;
    EXPECT_NE(orvane({"--build", (dir / "broken.tftprj").string()}, out), 0);
    EXPECT_FALSE(fs::exists(dir / "output" / "broken.fidx"));
    EXPECT_NE(out.find("编译失败"), std::string::npos) << out;
}

TEST_F(OrvaneBuild, BadArgumentsAreRefused) {
    std::string out;
    EXPECT_EQ(orvane({"--frob"}, out), 2);
    EXPECT_NE(out.find("usage"), std::string::npos);
}

TEST_F(OrvaneBuild, HelpAndVersionPrintAndExit) {
    std::string out;
    EXPECT_EQ(orvane({"--help"}, out), 0);
    EXPECT_NE(out.find("orvane --build PROJECT.tftprj"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(orvane({"--version"}, out), 0);
    EXPECT_EQ(out.rfind("orvane ", 0), 0u) << out;
    out.clear();
    EXPECT_EQ(orvane({"a.tftprj", "b.tftprj"}, out), 2);
}
