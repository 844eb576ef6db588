// The panel on virtual time, and the headless runner through the real program.
#include "simulator/script_runner.h"
#include "simulator/virtual_panel.h"
#include "testing/test_support.h"

#include <QImage>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tft;

namespace {

class PanelFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("virtual_panel_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::vector<char> header(136, 0);
        header[88] = 3; // the 800 x 480 model
        std::ofstream(dir / "empty.si", std::ios::binary).write(header.data(), 136);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    int runScriptText(const std::string& text, std::string& report) {
        const Script s = parseScript(text);
        EXPECT_TRUE(s.ok()) << s.error;
        return runScript(s, dir / "empty.si", report);
    }

    std::filesystem::path dir;
};

} // namespace

TEST_F(PanelFolder, HandshakeIsAnsweredWithinTheExpectation) {
    std::string report;
    EXPECT_EQ(runScriptText("send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n", report), 0)
        << report;
}

TEST_F(PanelFolder, WrongExpectationReportsExpectedAndActual) {
    std::string report;
    EXPECT_EQ(runScriptText("send EE 04 FF FC FF FF\nexpect EE 56 FF FC FF FF\n", report), 1);
    EXPECT_NE(report.find("line 2: expected EE 56 FF FC FF FF"), std::string::npos) << report;
    EXPECT_NE(report.find("line 2: actual   EE 55 FF FC FF FF"), std::string::npos) << report;
}

TEST_F(PanelFolder, SilenceFailsAnExpectation) {
    std::string report;
    EXPECT_EQ(runScriptText("expect EE 55\n", report), 1);
    EXPECT_NE(report.find("(nothing)"), std::string::npos) << report;
}

TEST_F(PanelFolder, ScreenshotShowsTheDrawingAndIsReproducible) {
    const std::string shot1 = (dir / "one.png").string();
    const std::string shot2 = (dir / "two.png").string();
    const std::string drawing =
        "send EE 60 00 FF FC FF FF\n"                      // full brightness
        "send EE 41 F8 00 FF FC FF FF\n"                   // red foreground
        "send EE 55 00 0A 00 14 00 1D 00 27 FF FC FF FF\n" // fill (10,20)-(29,39)
        "wait 200\n";
    std::string report;
    ASSERT_EQ(runScriptText(drawing + "screenshot " + shot1 + "\n", report), 0) << report;
    ASSERT_EQ(runScriptText(drawing + "screenshot " + shot2 + "\n", report), 0) << report;
    const QImage one(QString::fromStdString(shot1));
    const QImage two(QString::fromStdString(shot2));
    ASSERT_EQ(one.size(), QSize(800, 480));
    EXPECT_EQ(one, two);
    EXPECT_EQ(one.pixel(10, 20), qRgb(0xFF, 0, 0));
    EXPECT_EQ(one.pixel(29, 39), qRgb(0xFF, 0, 0));
    EXPECT_NE(one.pixel(30, 39), qRgb(0xFF, 0, 0));
}

TEST_F(PanelFolder, RealProgramRunsAScript) {
    std::ofstream(dir / "ok.txt") << "send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n"
                                  << "screenshot " << (dir / "shot.png").string() << "\n";
    const auto run = testsupport::runProgram("dunmere", {"--headless", (dir / "empty.si").string(),
                                                         "--script", (dir / "ok.txt").string()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("screenshot "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

TEST_F(PanelFolder, RealProgramTakesTheProjectAfterDashP) {
    std::ofstream(dir / "ok.txt") << "send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n";
    const std::string project = (dir / "empty.si").string();
    const std::string script = (dir / "ok.txt").string();
    auto run =
        testsupport::runProgram("dunmere", {"--headless", "-p", project, "--script", script});
    EXPECT_EQ(run.status, 0) << run.output;
    run = testsupport::runProgram("dunmere", {"-p", project, "--headless", "--script", script});
    EXPECT_EQ(run.status, 0) << run.output;
    // A project that is not there is named, as without -p.
    run = testsupport::runProgram(
        "dunmere", {"--headless", "-p", (dir / "missing.si").string(), "--script", script});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("missing.si"), std::string::npos) << run.output;
    for (const std::vector<std::string>& twice :
         {std::vector<std::string>{"--headless", project, "-p", project},
          std::vector<std::string>{"--headless", "-p", project, project}}) {
        run = testsupport::runProgram("dunmere", twice);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find("more than one project given"), std::string::npos) << run.output;
    }
    run = testsupport::runProgram("dunmere", {"--headless", "-p"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("-p needs a value"), std::string::npos) << run.output;
}

TEST_F(PanelFolder, RealProgramRejectsBadScriptsAndArguments) {
    std::ofstream(dir / "bad.txt") << "wait 10\nsend EE ZZ\n";
    auto run = testsupport::runProgram("dunmere", {"--headless", (dir / "empty.si").string(),
                                                   "--script", (dir / "bad.txt").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("line 2: 'ZZ' is not a hex byte"), std::string::npos) << run.output;
    std::ofstream(dir / "fine.txt") << "wait 10\n";
    run = testsupport::runProgram("dunmere", {"--headless", (dir / "missing.si").string(),
                                              "--script", (dir / "fine.txt").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("missing.si"), std::string::npos) << run.output;
    run = testsupport::runProgram("dunmere", {"--headless", "--frobnicate"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("unknown option --frobnicate"), std::string::npos) << run.output;
}

TEST(VirtualPanel, RestartedPanelRunsLikeANewOne) {
    // Red fill (10,20)-(29,39), then a handshake; the frame and the reply
    // must not depend on what the panel ran before a restart.
    const std::vector<std::uint8_t> drawing = {
        0xEE, 0x41, 0xF8, 0x00, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x55, 0x00, 0x0A, 0x00, 0x14,
        0x00, 0x1D, 0x00, 0x27, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
    struct Run {
        std::vector<std::uint16_t> frame;
        std::vector<std::uint8_t> sent;
        std::size_t rows = 0;
    };
    auto run = [&](VirtualPanel& p) {
        p.Push(drawing);
        p.Advance(100);
        Run r;
        r.frame = p.Device().VisibleFrame(nullptr, nullptr);
        r.sent = p.TakeSent(p.PendingSent());
        r.rows = p.Log().RowCount();
        return r;
    };
    Run fresh;
    {
        VirtualPanel p(64, 48);
        fresh = run(p);
    }
    ASSERT_EQ(fresh.frame.size(), 64u * 48u);
    EXPECT_EQ(fresh.frame[20 * 64 + 10] & 0x07FF, 0); // red, as bright as the start-up leaves it
    EXPECT_NE(fresh.frame[20 * 64 + 10], 0);
    EXPECT_EQ(fresh.sent, (std::vector<std::uint8_t>{0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF}));

    VirtualPanel p(64, 48);
    // A run that leaves its marks: dimmed, other layers shown, drawn over, touched.
    p.Push({0xEE, 0x60, 0x80, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x41, 0x07, 0xE0, 0xFF,
            0xFC, 0xFF, 0xFF, 0xEE, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00,
            0x2F, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF});
    p.Device().SetTouch(true, 5, 5);
    p.Advance(300);
    p.Restart();
    EXPECT_EQ(p.Now(), 0u);
    EXPECT_EQ(p.PendingSent(), 0u);
    const Run again = run(p);
    EXPECT_EQ(again.frame, fresh.frame);
    EXPECT_EQ(again.sent, fresh.sent);
    EXPECT_EQ(again.rows, fresh.rows);
}
