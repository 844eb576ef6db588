// The IDE's device steps over the main window's link, against dunmere on a
// pseudo-terminal: a download of the screens, then display synchronisation.
#include "device_link.h"
#include "device_steps.h"
#include "display_sync.h"
#include "link_log.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <mutex>

namespace fs = std::filesystem;
using namespace tft::ide;
using testsupport::RunningProgram;

namespace {

struct RecordingLog : LinkLog {
    void appendFrame(LinkDirection direction, const std::string& hex, const std::string&) override {
        std::lock_guard<std::mutex> g(lock);
        rows.push_back((direction == LinkDirection::Sent ? "TX " : "RX ") + hex);
    }
    void appendNote(const std::string& text) override {
        std::lock_guard<std::mutex> g(lock);
        rows.push_back("NOTE " + text);
    }
    void clearRows() override {
        std::lock_guard<std::mutex> g(lock);
        rows.clear();
    }
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> g(lock);
        return rows;
    }
    std::mutex lock;
    std::vector<std::string> rows;
};

TEST(DeviceSteps, DownloadThenDisplaySynchronisationOverTheLink) {
    testsupport::TempFolder folder;
    const fs::path dir = folder.path() / "showcase";
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir, fs::copy_options::recursive);
    const auto build =
        testsupport::runProgram("orvane", {"--build", (dir / "showcase.tftprj").string()});
    ASSERT_EQ(build.status, 0) << build.output;
    const fs::path link = folder.path() / "link";
    RunningProgram panel("dunmere", {"--headless", "--storage", (folder.path() / "panel").string(),
                                     "--pty", link.string()});
    ASSERT_TRUE(panel.waitFor("running a panel")) << panel.output;

    RecordingLog log;
    DeviceLink device;
    device.setLog(&log);
    std::string error;
    ASSERT_TRUE(device.connectTo(link.string(), 7, &error)) << error;
    // The worker's poll and the window's timers, until the panel answered.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!device.isConnected() && std::chrono::steady_clock::now() < deadline) {
        device.poll();
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(device.isConnected());

    DeviceStepsJob job;
    job.files.screens = (dir / "output" / "showcase.si").string();
    job.tftres = (dir / "output" / "showcase.tftres").string();
    job.page = "controls";
    QStringList lines;
    DownloadOutput out;
    out.line = [&](const QString& l) { lines << l; };
    bool force = true;
    ImageDigests digests;
    EXPECT_TRUE(runDeviceSteps(device, nullptr, 0x80 | 0x20, job, force, digests, out, &log));
    EXPECT_EQ(lines, (QStringList{ideText(sid::DownloadOverSerial), ideText(sid::DownloadScreens),
                                  ideText(sid::DownloadSucceeded)}));
    ASSERT_TRUE(panel.waitFor("received a download, running"));
    EXPECT_EQ(testsupport::readBytes(folder.path() / "panel" / "panel.si"),
              testsupport::readBytes(job.files.screens));

    // Every frame of the page went out and is in the log, nothing else.
    const auto frames = pageFrames(job.tftres, job.page);
    ASSERT_GT(frames.size(), 1u);
    const auto rows = log.take();
    ASSERT_EQ(rows.size(), frames.size());
    EXPECT_EQ(rows.front().substr(0, 6), "TX EE ");

    // Without the link the frames are logged all the same.
    device.disconnectLink();
    EXPECT_EQ(synchroniseDisplay(device, job.tftres, job.page, &log), frames.size());
    EXPECT_EQ(log.take().size(), frames.size());
}

} // namespace
