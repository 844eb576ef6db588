// The whole road through the real programs: orvane --build compiles a project
// with every kind of control, dunmere --headless runs it on virtual time with a
// script of touches and host commands, and the screenshots must equal the
// stored pictures pixel for pixel (a mismatch writes the actual picture beside
// the stored one).
#include "testing/test_support.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kFixture = E2E_DIR;
const fs::path kGolden = GOLDEN_DIR;
const fs::path kShowcase = fs::path(TFT_SOURCE_DIR) / "examples" / "showcase";
const fs::path kGuideImages = fs::path(TFT_SOURCE_DIR) / "docs" / "images";

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

// Compares a screenshot with its stored picture, leaving out `ignore` (a part
// that shows the PC's clock); on a mismatch the actual picture is written
// beside the stored one as NAME.actual.png.
void expectSameAsStored(const fs::path& shot, const fs::path& stored, QRect ignore = {}) {
    auto load = [](const fs::path& p) {
        return QImage(QString::fromStdString(p.string())).convertToFormat(QImage::Format_RGB32);
    };
    const QImage original = load(shot);
    ASSERT_FALSE(original.isNull()) << shot;
    QImage actual = original;
    QImage expected = load(stored);
    if (!ignore.isEmpty() && !expected.isNull()) {
        QPainter(&actual).fillRect(ignore, Qt::black);
        QPainter(&expected).fillRect(ignore, Qt::black);
    }
    if (expected.isNull() || actual != expected) {
        const fs::path written = stored.parent_path() / (stored.stem().string() + ".actual.png");
        original.save(QString::fromStdString(written.string()));
        ADD_FAILURE() << stored << " differs from the screenshot; the actual one is " << written;
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

    expectSameAsStored(dir / "controls_main.png", kGolden / "controls_main.png");
    expectSameAsStored(dir / "controls_second.png", kGolden / "controls_second.png");
}

// The showcase with its own demo: every screen visited, every control used,
// every frame the panel sends checked by the script; the screenshots are the
// guide's pictures (docs/images), so the guide shows what the suite does.
TEST(EndToEnd, ShowcaseDemoMatchesTheGuidesPictures) {
    testsupport::TempFolder folder;
    const fs::path dir = folder.path() / "showcase";
    fs::copy(kShowcase, dir, fs::copy_options::recursive);
    const auto build =
        testsupport::runProgram("orvane", {"--build", (dir / "showcase.tftprj").string()});
    ASSERT_EQ(build.status, 0) << build.output;
    std::string script = readText(kShowcase / "demo.txt");
    for (std::size_t at; (at = script.find("build/screens/")) != std::string::npos;)
        script.replace(at, 14, folder.path().string() + "/");
    folder.write("demo.txt", script);
    const auto run =
        testsupport::runProgram("dunmere",
                                {"--headless", (dir / "output" / "showcase.si").string(),
                                 "--script", (folder.path() / "demo.txt").string()},
                                {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* name : {"showcase-1-home.png", "showcase-2-drawing.png",
                             "showcase-3-keyboard.png", "showcase-4-controls.png"})
        expectSameAsStored(folder.path() / name, kGuideImages / name);
    // The gauges screen has a clock control showing the PC's time.
    expectSameAsStored(folder.path() / "showcase-5-gauges.png",
                       kGuideImages / "showcase-5-gauges.png", QRect(620, 60, 170, 24));
}
