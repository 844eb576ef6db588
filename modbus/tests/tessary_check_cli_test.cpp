// `tessary --check` through its real command line against the showcase, and
// the screen ids it uses against the ones velmic writes.
#include "modbus/map_model.h"
#include "testing/test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>

using namespace tessary;
using testsupport::runProgram;
using testsupport::TempFolder;

namespace {

const std::string kShowcase = std::string(TFT_SOURCE_DIR) + "/examples/showcase/showcase.tftprj";

std::string writeMap(const TempFolder& dir, const std::vector<MapRow>& rows) {
    CTessaryDoc doc;
    doc.clear();
    for (const MapRow& row : rows)
        doc.rows().push_back(row);
    const std::string path = (dir.path() / "check.mbm").string();
    std::string error;
    EXPECT_TRUE(doc.saveFile(path, &error)) << error;
    return path;
}

MapRow binding(std::uint16_t screen, std::uint16_t control) {
    MapRow row;
    row.screenId = screen;
    row.controlId = control;
    return row;
}

} // namespace

TEST(TessaryCheckTest, PrintsOneLinePerProblemAndExitsByWhatItFound) {
    TempFolder dir;
    const std::string clean = writeMap(dir, {binding(2, 12), binding(3, 2)});
    auto run = runProgram("tessary", {"--check", clean, "--project", kShowcase}, {}, false);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");

    const std::string bad = writeMap(dir, {binding(2, 12), binding(9, 1), binding(3, 5)});
    run = runProgram("tessary", {"--check", bad, "--project", kShowcase}, {}, false);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "row 1: screen 9 does not exist in the project\n"
              "row 2: control 5 on screen \"gauges\" is \"clock\" (RTC), which takes no value\n");

    // Warnings are printed but do not fail the check.
    const std::string twice = writeMap(dir, {binding(2, 12), binding(2, 12)});
    run = runProgram("tessary", {"--check", twice, "--project", kShowcase}, {}, false);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("row 1: warning:"), std::string::npos) << run.output;
}

TEST(TessaryCheckTest, UnreadableInputAndBadCommandLinesExitTwo) {
    TempFolder dir;
    const std::string map = writeMap(dir, {binding(2, 12)});
    dir.write("junk.mbm", "not a map at all");
    dir.write("broken.tftprj", "<Orvane");
    const std::string missing = (dir.path() / "none.mbm").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--check", missing, "--project", kShowcase},
             {"--check", (dir.path() / "junk.mbm").string(), "--project", kShowcase},
             {"--check", map, "--project", (dir.path() / "broken.tftprj").string()},
             {"--check", map, "--project", (dir.path() / "none.tftprj").string()},
             {"--check", map},
             {"--check", map, "--project", kShowcase, "--port", "/dev/null"},
         }) {
        const auto run = runProgram("tessary", args);
        EXPECT_EQ(run.status, 2) << args[1] << " " << (args.size() > 3 ? args[3] : "");
        EXPECT_NE(run.output.find("tessary: "), std::string::npos) << run.output;
    }
}

// The check numbers screens as the compiler does: the ids velmic writes into
// the resource information must name the same pages.
TEST(TessaryCheckTest, ScreenIdsAgreeWithTheCompiledProject) {
    TempFolder dir;
    std::filesystem::copy(std::filesystem::path(kShowcase).parent_path(), dir.path() / "p",
                          std::filesystem::copy_options::recursive);
    const auto built =
        runProgram("velmic", {"-p", (dir.path() / "p" / "showcase.tftprj").string(), "-l", "1"});
    ASSERT_EQ(built.status, 0) << built.output;
    std::ifstream in(dir.path() / "p" / "output" / "showcase.tftres");
    const std::string xml((std::istreambuf_iterator<char>(in)), {});
    const std::regex page("<page name=\"([^\"]+)\" id=\"([0-9]+)\"");
    int pages = 0;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), page); it != std::sregex_iterator();
         ++it, ++pages) {
        // A binding to control 1 of each page: "title", a static text, which
        // the check names by page — so the id must lead to that page.
        const std::string map = writeMap(dir, {binding(std::uint16_t(std::stoi((*it)[2])), 1)});
        const auto run = runProgram("tessary", {"--check", map, "--project", kShowcase}, {}, false);
        EXPECT_NE(run.output.find("screen \"" + (*it)[1].str() + "\""), std::string::npos)
            << run.output;
    }
    EXPECT_EQ(pages, 4);
}
