// The whole road through the real programs: orvane --build compiles a project
// with every kind of control, dunmere --headless runs it on virtual time with a
// script of touches and host commands, and the screenshots must equal the
// stored pictures pixel for pixel (a mismatch writes the actual picture beside
// the stored one).
#include "testing/test_support.h"

#include <QColor>
#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kFixture = E2E_DIR;
const fs::path kGolden = GOLDEN_DIR;

void solidPng(const fs::path& file, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
}

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Compares a screenshot with its stored picture; on a mismatch the actual
// picture is written beside the stored one as NAME.actual.png.
void expectSameAsStored(const fs::path& shot, const std::string& name) {
    const QImage actual(QString::fromStdString(shot.string()));
    const QImage expected(QString::fromStdString((kGolden / name).string()));
    ASSERT_FALSE(actual.isNull()) << shot;
    const bool same = !expected.isNull() && actual.convertToFormat(QImage::Format_RGB32) ==
                                                expected.convertToFormat(QImage::Format_RGB32);
    if (!same) {
        const fs::path written = kGolden / (fs::path(name).stem().string() + ".actual.png");
        actual.save(QString::fromStdString(written.string()));
        ADD_FAILURE() << name << " differs from the stored picture; the actual one is " << written;
    }
}

} // namespace

TEST(EndToEnd, ControlsProjectRunsAsScripted) {
    testsupport::TempFolder folder;
    const fs::path dir = folder.path();
    for (const char* file : {"controls.tftprj", "main.tft", "second.tft"})
        fs::copy_file(kFixture / file, dir / file);
    solidPng(dir / "up.png", 120, 50, QColor(40, 160, 60));
    solidPng(dir / "down.png", 120, 50, QColor(20, 80, 30));

    const auto build =
        testsupport::runProgram("orvane", {"--build", (dir / "controls.tftprj").string()});
    ASSERT_EQ(build.status, 0) << build.output;

    std::string script = readText(kFixture / "walk.txt");
    for (std::size_t at; (at = script.find("@OUT@")) != std::string::npos;)
        script.replace(at, 5, dir.string());
    folder.write("walk.txt", script);
    const auto run =
        testsupport::runProgram("dunmere",
                                {"--headless", (dir / "output" / "controls.si").string(),
                                 "--script", (dir / "walk.txt").string()},
                                {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(run.status, 0) << run.output;

    expectSameAsStored(dir / "controls_main.png", "controls_main.png");
    expectSameAsStored(dir / "controls_second.png", "controls_second.png");
}
