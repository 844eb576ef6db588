#include "designer_render_support.h"

#include "fonttools/shipped_fonts.h"
#include "testing/test_support.h"

#include <QGuiApplication>
#include <fstream>

namespace fs = std::filesystem;

namespace render_test {

void ensureGuiApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    tft::fonttools::isolateFromInstalledFonts();
    tft::fonttools::setShippedFontFolder(QStringLiteral(TFT_APP_DIR "/fonts"));
    static int argc = 1;
    static char name[] = "designer_render_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives until the process ends, as Qt wants
}

void writeProject(const fs::path& folder, const std::string& page, const std::string& items,
                  const std::string& background) {
    fs::create_directories(folder / "art");
    for (const auto& entry :
         fs::directory_iterator(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase" / "art"))
        fs::copy_file(entry.path(), folder / "art" / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
    std::ofstream(folder / "render.tftprj")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Orvane Name=\"render\" OutputDirectory=\"output\\\" StartupPage=\""
        << page
        << "\" StartupAction=\"\" DeviceType=\"3\" DeviceBaudRate=\"4\" "
           "DeviceCoordinateUpdateMode=\"0\" DeviceEnableTouchPane=\"1\" "
           "DeviceEnableBuzzer=\"0\" DeviceScreenNotify=\"0\" DeviceControlNotify=\"0\" "
           "DeviceScreenRvs=\"0\" DeviceBacklightAutoControl=\"0\" DeviceBacklightTime=\"30\" "
           "DeviceBacklightOn=\"20\" DeviceBacklightOff=\"200\">\n"
           "  <Pages>\n    <Page RelativePath=\""
        << page << ".tft\"/>\n  </Pages>\n  <Images/>\n  <Waves/>\n</Orvane>\n";
    std::ofstream(folder / (page + ".tft"))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DrawPage name=\"" << page
        << "\" bk_transparent=\"0\" bk_color=\"" << background << "\" bk_image=\"(Image)\">\n"
        << items << "</DrawPage>\n";
}

int differingPixels(const QImage& a, const QImage& b, const QRect& region) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    const QRect r = region & x.rect() & y.rect();
    int count = 0;
    for (int row = r.top(); row <= r.bottom(); ++row)
        for (int col = r.left(); col <= r.right(); ++col)
            if (x.pixel(col, row) != y.pixel(col, row))
                ++count;
    return count;
}

const std::string kFullBacklight = "send EE 60 00 FF FC FF FF\n";

std::string setClockStep(const QDateTime& clock) {
    const auto two = [](int v) {
        char out[4];
        std::snprintf(out, sizeof out, "%02d", v % 100);
        return std::string(out);
    };
    const QDate d = clock.date();
    const QTime t = clock.time();
    // Seven BCD bytes: second, minute, hour, day, weekday, month, year.
    return "send EE 81 " + two(t.second()) + " " + two(t.minute()) + " " + two(t.hour()) + " " +
           two(d.day()) + " " + two(d.dayOfWeek() % 7) + " " + two(d.month()) + " " +
           two(d.year()) + " FF FC FF FF\n";
}

std::vector<PageComparison> compareShowcase(const fs::path& folder, const QDateTime& clock,
                                            std::string* error) {
    const fs::path dir = folder / "showcase";
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const std::string project = (dir / "showcase.tftprj").string();
    const auto build = testsupport::runProgram("orvane", {"--build", project});
    if (build.status != 0) {
        *error = "orvane --build: " + build.output;
        return {};
    }
    // Screen ids follow the page order of the project.
    const std::vector<std::string> pages = {"home", "drawing", "controls", "gauges"};
    std::string script = "send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n" + kFullBacklight +
                         setClockStep(clock) + "wait 500\n";
    for (std::size_t n = 0; n < pages.size(); ++n)
        script += "send EE B1 00 00 0" + std::to_string(n) + " FF FC FF FF\nwait 100\nscreenshot " +
                  (folder / ("panel-" + pages[n] + ".png")).string() + "\n";
    std::ofstream(folder / "shots.txt") << script;
    const auto run =
        testsupport::runProgram("dunmere",
                                {"--headless", (dir / "output" / "showcase.si").string(),
                                 "--script", (folder / "shots.txt").string()},
                                {"QT_QPA_PLATFORM=offscreen", "TZ=UTC"});
    if (run.status != 0) {
        *error = "dunmere --headless: " + run.output;
        return {};
    }
    std::vector<PageComparison> out;
    for (const std::string& page : pages) {
        const fs::path drawn = folder / ("designer-" + page + ".png");
        const auto render = testsupport::runProgram(
            "orvane", {"--render", project, page, "-o", drawn.string()},
            {"QT_QPA_PLATFORM=offscreen",
             "SOURCE_DATE_EPOCH=" + std::to_string(clock.toSecsSinceEpoch())});
        if (render.status != 0) {
            *error = "orvane --render " + page + ": " + render.output;
            return {};
        }
        PageComparison c;
        c.page = page;
        c.designer = QImage(QString::fromStdString(drawn.string()));
        c.panel = QImage(QString::fromStdString((folder / ("panel-" + page + ".png")).string()));
        if (c.designer.size() != c.panel.size() || c.designer.isNull()) {
            *error = page + ": the pictures differ in size";
            return {};
        }
        c.total = c.panel.width() * c.panel.height();
        c.differing = differingPixels(c.designer, c.panel, c.panel.rect());
        out.push_back(std::move(c));
    }
    return out;
}

} // namespace render_test
