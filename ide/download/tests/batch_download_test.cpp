// Downloads of a compiled project to real simulated panels (dunmere on
// pseudo-terminals), and to a panel that stops answering halfway.
#include "string_table.h"
#include "testing/test_support.h"

#include <QGuiApplication>
#include <QImage>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tft::ide;
using testsupport::readBytes;
using testsupport::RunningProgram;
using testsupport::TempFolder;

namespace {

const fs::path kShowcase = fs::path(TFT_SOURCE_DIR) / "examples" / "showcase";

// `orvane --download` as a production line runs it.
testsupport::RunResult download(const fs::path& project, const std::vector<std::string>& ports,
                                const std::string& only) {
    std::vector<std::string> args{"--download", project.string(), "--only", only};
    for (const std::string& port : ports) {
        args.push_back("--port");
        args.push_back(port);
    }
    return testsupport::runProgram("orvane", args, {"QT_QPA_PLATFORM=offscreen"});
}

std::size_t countLines(const std::string& output, const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = output.find(line + "\n", at)) != std::string::npos; ++at)
        n += at == 0 || output[at - 1] == '\n';
    return n;
}

// Screenshot of a screen set on virtual time, after it settled.
QImage screenshot(const fs::path& si, const fs::path& dir, const std::string& name) {
    const fs::path script = dir / (name + ".txt");
    const fs::path png = dir / (name + ".png");
    std::ofstream(script) << "wait 500\nscreenshot " << png.string() << "\n";
    const auto run =
        testsupport::runProgram("dunmere", {"--headless", si.string(), "--script", script.string()},
                                {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(run.status, 0) << run.output;
    return QImage(QString::fromStdString(png.string()));
}

TEST(BatchDownload, ShowcaseReachesTwoBlankPanelsWhole) {
    TempFolder folder;
    const fs::path dir = folder.path() / "showcase";
    fs::copy(kShowcase, dir, fs::copy_options::recursive);
    std::vector<std::unique_ptr<RunningProgram>> panels;
    std::vector<std::string> links;
    for (const char* n : {"1", "2"}) {
        const fs::path link = folder.path() / (std::string("link") + n);
        panels.push_back(std::make_unique<RunningProgram>(
            "dunmere",
            std::vector<std::string>{"--headless", "--storage",
                                     (folder.path() / (std::string("panel") + n)).string(), "--pty",
                                     link.string()}));
        ASSERT_TRUE(panels.back()->waitFor("running a panel")) << panels.back()->output;
        links.push_back(link.string());
    }
    const auto run =
        download(dir / "showcase.tftprj", links, "images,voices,fonts,screens,keyboard");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const std::string& link : links)
        EXPECT_EQ(countLines(run.output, link + ": ok"), 1u) << run.output;

    const fs::path compiled = dir / "output" / "showcase";
    const QImage expected = screenshot(compiled.string() + ".si", folder.path(), "compiled");
    ASSERT_FALSE(expected.isNull());
    // The start-up screen shows something, so equal pictures say something.
    int differing = 0;
    for (int y = 0; y < expected.height(); y += 7)
        for (int x = 0; x < expected.width(); x += 7)
            differing += expected.pixel(x, y) != expected.pixel(0, 0);
    EXPECT_GT(differing, 100);
    for (const char* n : {"1", "2"}) {
        const fs::path stored = folder.path() / (std::string("panel") + n);
        ASSERT_TRUE(panels[std::size_t(n[0] - '1')]->waitFor("received a download, running"));
        for (const char* ext : {".si", ".graidx", ".gwb", ".pwi", ".fidx", ".fbin", ".sbin"}) {
            SCOPED_TRACE(ext);
            const auto sent = readBytes(compiled.string() + ext);
            EXPECT_FALSE(sent.empty());
            EXPECT_EQ(readBytes((stored / "panel").string() + ext), sent);
        }
        EXPECT_EQ(screenshot(stored / "panel.si", folder.path(), std::string("received") + n),
                  expected);
    }
}

// A panel on a pseudo-terminal that answers the device information request
// and the opening, then acknowledges `packets` more messages and falls silent.
class FadingPanel {
public:
    explicit FadingPanel(int packets) : left_(packets) {
        char name[256] = {};
        struct termios raw {};
        ::cfmakeraw(&raw);
        ::openpty(&master_, &slave_, name, &raw, nullptr);
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        path = name;
        thread_ = std::thread([this] { serve(); });
    }
    ~FadingPanel() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    std::string path;

private:
    void serve() {
        std::vector<std::uint8_t> pending;
        while (!stop_) {
            struct pollfd p {
                master_, POLLIN, 0
            };
            if (::poll(&p, 1, 20) <= 0)
                continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.insert(pending.end(), buffer, buffer + n);
            for (;;) {
                if (!inFile && pending.size() >= 6 && pending[0] == 0xEE) {
                    if (pending[1] == 0xFE) {
                        static const std::uint8_t info[] = {0xEE, 0xFE, 2, 0x16, 0,    0,    1,
                                                            0x37, 0,    0, 0xFF, 0xFC, 0xFF, 0xFF};
                        (void)!::write(master_, info, sizeof info);
                    } else {
                        (void)!::write(master_, "\xA5", 1);
                    }
                    pending.erase(pending.begin(), pending.begin() + 6);
                } else if (!inFile && !pending.empty() && pending[0] != 0xEE) {
                    inFile = pending[0] != 0xF1;
                    pending.erase(pending.begin());
                    acknowledge();
                } else if (inFile && pending.size() >= 2050) {
                    inFile = (pending[0] | (pending[1] << 8)) == 2048;
                    pending.erase(pending.begin(), pending.begin() + 2050);
                    acknowledge();
                } else {
                    break;
                }
            }
        }
    }
    void acknowledge() {
        if (left_-- > 0)
            (void)!::write(master_, "\xA5", 1);
    }
    bool inFile = false;
    int master_ = -1, slave_ = -1;
    int left_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(BatchDownload, PanelThatStopsAcknowledgingFailsAloneAndTheNextStepsStillRun) {
    TempFolder folder;
    const fs::path dir = folder.path() / "showcase";
    fs::copy(kShowcase, dir, fs::copy_options::recursive);
    FadingPanel fading(2); // the screens' header and first packet, then silence
    const fs::path link = folder.path() / "link";
    RunningProgram panel("dunmere", {"--headless", "--storage", (folder.path() / "panel").string(),
                                     "--pty", link.string()});
    ASSERT_TRUE(panel.waitFor("running a panel")) << panel.output;
    const auto run =
        download(dir / "showcase.tftprj", {fading.path, link.string()}, "screens,keyboard");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(countLines(run.output, fading.path + ": failed"), 1u) << run.output;
    EXPECT_EQ(countLines(run.output, link.string() + ": ok"), 1u) << run.output;
    // The failed screens step is reported and the keyboard step still went.
    const auto noted = [&](int id) {
        return countLines(run.output, fading.path + ": " + ideText(id).toStdString());
    };
    EXPECT_EQ(noted(sid::DownloadFailed), 2u);
    EXPECT_EQ(noted(sid::DownloadKeyboard), 1u);
    ASSERT_TRUE(panel.waitFor("received a download, running"));
    EXPECT_EQ(readBytes(folder.path() / "panel" / "panel.si"),
              readBytes(dir / "output" / "showcase.si"));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    currentStrings().load(QStringLiteral(TFT_APP_DIR "/lang/chinese.xml"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
