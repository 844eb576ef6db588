// The real simulator for the console's end-to-end tests: a small project
// compiled once with velmic, run by `dunmere --headless … --pty LINK`.
#pragma once

#include "testing/test_support.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace consoletest {

namespace fs = std::filesystem;

// The compiled fixture (the simulator's own controls project): screen 0 has a
// button 1, a text 2, a progress bar 3, a slider 4, a meter 5 and a graph 6.
inline const fs::path& compiledProject() {
    // Not a TempFolder: those are named after the running test, and the
    // project outlives the first test that compiles it.
    struct Folder {
        QTemporaryDir temp;
        fs::path path() const { return temp.path().toStdString(); }
    };
    static Folder folder;
    static const fs::path si = [] {
        const fs::path e2e = fs::path(TFT_SOURCE_DIR) / "simulator" / "tests" / "e2e";
        for (const char* file : {"controls.tftprj", "main.tft", "second.tft"})
            fs::copy_file(e2e / file, folder.path() / file, fs::copy_options::overwrite_existing);
        for (auto [name, colour] : {std::pair{"up.png", QColor(40, 160, 60)},
                                    std::pair{"down.png", QColor(20, 80, 30)}}) {
            QImage image(120, 50, QImage::Format_RGB32);
            image.fill(colour);
            image.save(QString::fromStdString((folder.path() / name).string()));
        }
        const auto run =
            testsupport::runProgram("velmic", {"-p", (folder.path() / "controls.tftprj").string()});
        EXPECT_EQ(run.status, 0) << run.output;
        return folder.path() / "output" / "controls.si";
    }();
    return si;
}

// A running headless simulator whose serial line is a pseudo-terminal linked
// at `link()`; stopped (SIGTERM) when destroyed.
class SimPanel {
public:
    explicit SimPanel(const fs::path& link) : link_(link) {
        process_.setProgram(QStringLiteral(TFT_APP_DIR "/dunmere"));
        process_.setArguments({QStringLiteral("--headless"),
                               QString::fromStdString(compiledProject().string()),
                               QStringLiteral("--pty"), QString::fromStdString(link.string())});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        // The simulator says "running" once its line and core are up.
        while (!output_.contains("running") && process_.waitForReadyRead(10000))
            output_ += process_.readAll();
    }
    ~SimPanel() {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool running() const { return output_.contains("running"); }
    const QByteArray& output() const { return output_; }
    std::string link() const { return link_.string(); }

private:
    fs::path link_;
    QProcess process_;
    QByteArray output_;
};

} // namespace consoletest
