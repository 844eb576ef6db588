// Screen checks, timing checks, the panel clock, test cases and the JUnit
// report of the headless runner, through the library and the real program.
#include "simulator/live_input.h"
#include "simulator/script_runner.h"
#include "simulator/sim_device.h"
#include "testing/test_support.h"

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace tft;
namespace fs = std::filesystem;

namespace {

using Outcome = CaseResult::Outcome;

// A red square (10,20)-(29,39) on the 800 x 480 panel, drawn by the host.
const std::string kDrawing = "send EE 60 00 FF FC FF FF\n"
                             "send EE 41 F8 00 FF FC FF FF\n"
                             "send EE 55 00 0A 00 14 00 1D 00 27 FF FC FF FF\n"
                             "wait 200\n";

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<char> header(136, 0);
        header[88] = 3; // the 800 x 480 model
        std::ofstream(dir() / "empty.si", std::ios::binary).write(header.data(), 136);
    }
    const fs::path& dir() const { return folder.path(); }
    std::string write(const std::string& name, const std::string& text) {
        folder.write(name, text);
        return (dir() / name).string();
    }
    int run(const std::vector<std::string>& files, std::vector<ScriptResult>& results) {
        out.clear();
        err.clear();
        return runScriptFiles(files, dir() / "empty.si", false, out, err, &results);
    }
    static QImage load(const fs::path& file) {
        return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    }

    testsupport::TempFolder folder;
    std::string out, err;
};

} // namespace

TEST_F(Runner, CompareTakesIdenticalPicturesAndToleranceAndMasksForOnePixelOff) {
    std::vector<ScriptResult> results;
    // The reference is a screenshot; "off" differs from it in one pixel.
    ASSERT_EQ(
        run({write("shoot.txt", kDrawing + "screenshot " + (dir() / "ref.png").string())}, results),
        0)
        << err;
    QImage off = load(dir() / "ref.png");
    ASSERT_EQ(off.size(), QSize(800, 480));
    off.setPixel(100, 100, qRgb(0x12, 0x34, 0x56)); // the background is blue
    ASSERT_TRUE(off.save(QString::fromStdString((dir() / "off.png").string())));

    const std::string script =
        "# test: identical\n" + kDrawing + "compare ref.png\n" + "# test: one pixel off, exact\n" +
        kDrawing + "compare off.png\n" + "# test: one pixel off, 1%\n" + kDrawing +
        "compare off.png 1%\n" + "# test: masked\n" + kDrawing + "mask 95 95 10 10\n" +
        "compare off.png\n" + "# test: masks end with their case\n" + kDrawing +
        "compare off.png\n" + "# test: mask elsewhere\n" + kDrawing +
        "mask 0 0 10 10\ncompare off.png\n" + "# test: missing picture\ncompare nowhere.png\n" +
        "# test: after the missing one\n" + kDrawing + "compare ref.png\n";
    EXPECT_EQ(run({write("compare.txt", script)}, results), 1) << out << err;
    ASSERT_EQ(results.size(), 1u);
    const auto& cases = results[0].cases;
    ASSERT_EQ(cases.size(), 8u);
    const Outcome expected[8] = {Outcome::Passed, Outcome::Failed, Outcome::Passed,
                                 Outcome::Passed, Outcome::Failed, Outcome::Failed,
                                 Outcome::Failed, Outcome::Passed};
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].outcome, expected[i]) << cases[i].name << ": " << cases[i].report;
    EXPECT_EQ(cases[1].name, "one pixel off, exact");
    EXPECT_NE(cases[1].message.find("1 of 384000 pixels differ"), std::string::npos)
        << cases[1].message;
    EXPECT_NE(cases[5].message.find("1 of 383900 pixels differ"), std::string::npos)
        << cases[5].message;
    EXPECT_NE(cases[6].message.find("cannot read the picture " + (dir() / "nowhere.png").string()),
              std::string::npos)
        << cases[6].message;
    EXPECT_NE(err.find("FAIL " + (dir() / "compare.txt").string() + ": missing picture"),
              std::string::npos)
        << err;

    // Beside the stored picture: the display, and the differences in red.
    EXPECT_EQ(load(dir() / "off.actual.png"), load(dir() / "ref.png"));
    const QImage diff = load(dir() / "off.diff.png");
    ASSERT_EQ(diff.size(), QSize(800, 480));
    int red = 0;
    for (int y = 0; y < diff.height(); ++y)
        for (int x = 0; x < diff.width(); ++x)
            red += diff.pixel(x, y) == qRgb(0xFF, 0, 0);
    EXPECT_EQ(red, 1);
    EXPECT_EQ(diff.pixel(100, 100), qRgb(0xFF, 0, 0));
    EXPECT_TRUE(fs::exists(dir() / "nowhere.actual.png"));
}

TEST_F(Runner, ComparedPictureOfAnotherSizeFails) {
    QImage small(80, 48, QImage::Format_RGB32);
    small.fill(Qt::black);
    ASSERT_TRUE(small.save(QString::fromStdString((dir() / "small.png").string())));
    std::vector<ScriptResult> results;
    EXPECT_EQ(run({write("size.txt", "compare small.png 100%\n")}, results), 1);
    ASSERT_EQ(results[0].cases.size(), 1u);
    EXPECT_NE(results[0].cases[0].message.find("is 80x48, the display 800x480"), std::string::npos)
        << results[0].cases[0].message;
}

TEST_F(Runner, ExpectAnyAndExpectNoneWatchThePanelsFrames) {
    std::vector<ScriptResult> results;
    const std::string script = "# test: a frame, then silence\n"
                               "send EE 04 FF FC FF FF\nexpect-any\nexpect-none 500\n"
                               "# test: a frame where silence was expected\n"
                               "send EE 04 FF FC FF FF\nexpect-none 100\n"
                               "# test: silence where a frame was expected\n"
                               "expect-any\n"
                               "# test: each case starts afresh\n"
                               "expect-none 100\n";
    EXPECT_EQ(run({write("timing.txt", script)}, results), 1);
    const auto& cases = results[0].cases;
    ASSERT_EQ(cases.size(), 4u);
    EXPECT_EQ(cases[0].outcome, Outcome::Passed) << cases[0].report;
    EXPECT_EQ(cases[1].outcome, Outcome::Failed);
    EXPECT_NE(cases[1].report.find("line 7: actual   EE 55 FF FC FF FF"), std::string::npos)
        << cases[1].report;
    EXPECT_EQ(cases[2].outcome, Outcome::Failed);
    EXPECT_NE(cases[2].report.find("line 9: expected a frame within 1000 ms"), std::string::npos)
        << cases[2].report;
    EXPECT_EQ(cases[3].outcome, Outcome::Passed) << cases[3].report;
    EXPECT_EQ(cases[3].panelMs, 100u); // its own panel time, from 0
}

TEST_F(Runner, SetClockFixesThePanelClockWhichMovesWithPanelTime) {
    std::vector<ScriptResult> results;
    // Read clock (EE 82): F7, year, month, weekday, day, hour, minute, second.
    const std::string script = "set-clock 2024-02-29 23:59:58\n"
                               "send EE 82 FF FC FF FF\n"
                               "expect EE F7 24 02 04 29 23 59 58 FF FC FF FF\n"
                               "wait 2000\n"
                               "send EE 82 FF FC FF FF\n"
                               "expect EE F7 24 03 05 01 00 00 00 FF FC FF FF\n"
                               // The host sets the clock (EE 81): it moves on from there.
                               "send EE 81 00 30 12 15 00 06 25 FF FC FF FF\n"
                               "wait 61000\n"
                               "send EE 82 FF FC FF FF\n"
                               "expect EE F7 25 06 00 15 12 31 01 FF FC FF FF\n";
    EXPECT_EQ(run({write("clock.txt", script)}, results), 0) << err;
}

TEST_F(Runner, JunitReportHasACasePerSectionWithFailuresWhereTheyHappened) {
    const std::string a = write("a.txt", "# test: greeting\nsend EE 04 FF FC FF FF\n"
                                         "expect EE 55 FF FC FF FF\n"
                                         "# test: quiet <panel> & \"more\"\nexpect-none 250\n");
    const std::string b = write("b.txt", "send EE 04 FF FC FF FF\nexpect EE 56 FF FC FF FF\n");
    const std::string xml = (dir() / "report.xml").string();
    auto result =
        testsupport::runProgram("dunmere", {"--headless", (dir() / "empty.si").string(), "--script",
                                            a, "--script", b, "--junit", xml, "--quiet"});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_EQ(result.output.find("ok "), std::string::npos) << result.output; // quiet
    EXPECT_NE(result.output.find("FAIL " + b + ": b.txt"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(b + ": line 2: expected EE 56 FF FC FF FF"), std::string::npos)
        << result.output;

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(xml.c_str())) << xml;
    const pugi::xml_node root = doc.child("testsuites");
    EXPECT_EQ(root.attribute("tests").as_int(), 3);
    EXPECT_EQ(root.attribute("failures").as_int(), 1);
    EXPECT_EQ(root.attribute("errors").as_int(), 0);
    const pugi::xml_node first = root.find_child_by_attribute("testsuite", "name", a.c_str());
    ASSERT_TRUE(first);
    EXPECT_EQ(first.attribute("tests").as_int(), 2);
    const pugi::xml_node quiet =
        first.find_child_by_attribute("testcase", "name", "quiet <panel> & \"more\"");
    ASSERT_TRUE(quiet);
    EXPECT_STREQ(quiet.attribute("time").value(), "0.250"); // panel time
    EXPECT_FALSE(quiet.child("failure"));
    const pugi::xml_node failure = root.find_child_by_attribute("testsuite", "name", b.c_str())
                                       .find_child_by_attribute("testcase", "name", "b.txt")
                                       .child("failure");
    ASSERT_TRUE(failure);
    EXPECT_STREQ(failure.attribute("message").value(), "line 2: expected EE 56 FF FC FF FF");
    EXPECT_NE(std::string(failure.text().get()).find("actual   EE 55 FF FC FF FF"),
              std::string::npos);

    // Other parsers take it too, when the machine has them.
    if (std::system("xmllint --version > /dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("xmllint --noout '" + xml + "'").c_str()), 0);
    }
    if (std::system("python3 --version > /dev/null 2>&1") == 0) {
        const std::string check =
            "python3 -c \"import sys, xml.etree.ElementTree as E; r = "
            "E.parse(sys.argv[1]).getroot(); "
            "sys.exit(0 if r.tag == 'testsuites' and len(r.findall('testsuite/testcase')) == 3 and "
            "len(r.findall('testsuite/testcase/failure')) == 1 else 1)\" '" +
            xml + "'";
        EXPECT_EQ(std::system(check.c_str()), 0) << check;
    }

    // Without --quiet the passed cases are listed as well.
    result = testsupport::runProgram("dunmere",
                                     {"--headless", (dir() / "empty.si").string(), "--script", a});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("ok   " + a + ": greeting"), std::string::npos) << result.output;
}

TEST_F(Runner, RefusedScriptIsAnErrorAndTheOthersStillRun) {
    const std::string good =
        write("good.txt", "send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n");
    const std::string bad = write("bad.txt", std::string("wait 10\nsend EE\x01\x02\n", 17));
    const std::string unknown = write("unknown.txt", "wait 10\n\nfly 3\n");
    const std::string xml = (dir() / "report.xml").string();
    const auto result =
        testsupport::runProgram("dunmere", {"--headless", (dir() / "empty.si").string(), "--script",
                                            bad, "--script", good, "--script", unknown, "--script",
                                            (dir() / "absent.txt").string(), "--junit", xml});
    EXPECT_EQ(result.status, 2) << result.output;
    EXPECT_NE(result.output.find(bad + ": line 2: binary data, not script text"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(unknown + ": line 3: unknown step 'fly'"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("absent.txt: cannot read the script"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("ok   " + good), std::string::npos) << result.output;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(xml.c_str()));
    EXPECT_EQ(doc.child("testsuites").attribute("errors").as_int(), 3);
    EXPECT_EQ(doc.child("testsuites").attribute("tests").as_int(), 4);

    const std::string huge = write("huge.txt", "wait 1\n# " + std::string(70000, 'x') + "\n");
    std::vector<ScriptResult> results;
    EXPECT_EQ(run({huge}, results), 2);
    EXPECT_EQ(results[0].error, "line 2: longer than 65536 bytes");
}

TEST_F(Runner, OptionsThatGoTogether) {
    const std::string si = (dir() / "empty.si").string();
    auto run = testsupport::runProgram("dunmere", {"--headless", si, "--junit", "x.xml"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--junit and --quiet go with --script"), std::string::npos)
        << run.output;
    const std::string script = write("s.txt", "wait 1\n");
    run = testsupport::runProgram("dunmere",
                                  {"--headless", si, "--script", script, "--record", "r.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--record records on real time"), std::string::npos) << run.output;
}

TEST(LiveInput, TakesTouchesAndRefusesOtherSteps) {
    SimDevice device;
    std::string error;
    EXPECT_TRUE(LiveInput::apply(device, "touch 12 34", &error));
    EXPECT_EQ(device.Pressed(), 1);
    std::uint16_t x = 0, y = 0;
    device.TouchPoint(&x, &y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    EXPECT_TRUE(LiveInput::apply(device, "release\r", &error));
    EXPECT_EQ(device.Pressed(), 0);
    EXPECT_FALSE(LiveInput::apply(device, "send EE 04 FF FC FF FF", &error));
    EXPECT_EQ(error, "only touch X Y, release and tap X Y are taken here");
    EXPECT_FALSE(LiveInput::apply(device, "touch 12", &error));
    EXPECT_EQ(error, "touch needs X Y (0-65535)");
    EXPECT_EQ(device.Pressed(), 0);
}
