#include "showcase_build.h"

#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace dluitest {

void ensureApp() {
    testsupport::ensureWidgetsApp();
    tft::ide::currentStrings().load(tft::ide::languageFile(TFT_APP_DIR, 50010));
}

namespace {

// The compiled showcase lives for the whole run (the tests' own temporary
// folders are named after the test and go with it).
struct Showcase {
    Showcase() : root(fs::temp_directory_path() / ("tft_" + std::to_string(::getpid()) + "_dlui")) {
        fs::remove_all(root);
        dir = root / "showcase";
        fs::create_directories(root);
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir,
                 fs::copy_options::recursive);
        const auto build =
            testsupport::runProgram("orvane", {"--build", (dir / "showcase.tftprj").string()});
        EXPECT_EQ(build.status, 0) << build.output;
    }
    ~Showcase() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root, dir;
};

} // namespace

const fs::path& showcaseDir() {
    static const Showcase showcase;
    return showcase.dir;
}

fs::path showcaseOutput() {
    return showcaseDir() / "output";
}

fs::path showcaseProject() {
    return showcaseDir() / "showcase.tftprj";
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace dluitest
