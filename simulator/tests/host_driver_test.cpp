// A host program compiled from the panel's C driver talks to the running
// simulator over a pseudo-terminal: it switches screens, sets and reads control
// values and receives a touch report.
#include "compiler/device_catalogue.h"
#include "simulator/realtime_panel.h"
#include "testing/test_support.h"

#include <QColor>
#include <QImage>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tft;

TEST(HostDriver, HostProgramDrivesTheRunningSimulator) {
    const char* compiler = std::getenv("CC");
    const std::string cc = compiler != nullptr && *compiler ? compiler : "cc";
    if (std::system((cc + " --version > /dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "no host C compiler";
    testsupport::TempFolder folder;
    const fs::path dir = folder.path();
    const fs::path fixture = E2E_DIR;
    for (const char* file : {"controls.tftprj", "main.tft", "second.tft"})
        fs::copy_file(fixture / file, dir / file);
    for (const char* name : {"up.png", "down.png"}) {
        QImage image(120, 50, QImage::Format_RGB32);
        image.fill(QColor(40, 160, 60));
        ASSERT_TRUE(image.save(QString::fromStdString((dir / name).string())));
    }
    const auto build =
        testsupport::runProgram("orvane", {"--build", (dir / "controls.tftprj").string()});
    ASSERT_EQ(build.status, 0) << build.output;

    const std::string driver = std::string(TFT_SOURCE_DIR) + "/data/hmi_driver";
    const fs::path host = dir / "host";
    const std::string command = cc + " -std=c99 -D_DEFAULT_SOURCE -Wall -Werror -I'" + driver +
                                "' '" + (fixture / "host.c").string() + "' '" + driver +
                                "/hmi_driver.c' '" + driver + "/hmi_user_uart.c' -o '" +
                                host.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const DeviceCatalogue catalogue =
        DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    RealtimePanel panel;
    panel.SetCatalogue(catalogue);
    std::string error;
    ASSERT_TRUE(panel.Open(dir / "output" / "controls.si", &error)) << error;
    const fs::path link = dir / "panel";
    panel.Attach(PtyLine::Create(link.string(), &error));
    ASSERT_TRUE(panel.Attached()) << error;
    // The touch is held until the panel has reported it.
    std::mutex lock;
    std::condition_variable reported;
    bool touchReported = false;
    panel.Log().SetRowHandler([&](const LogRow& row) {
        if (row.direction != "TXD" || row.value.rfind("EE 01 ", 0) != 0)
            return;
        {
            std::lock_guard<std::mutex> g(lock);
            touchReported = true;
        }
        reported.notify_all();
    });
    // Bytes the host sends during the start-up wait in the core's queue.
    panel.Start();

    FILE* out = ::popen(("'" + host.string() + "' '" + link.string() + "'").c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string transcript;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out)) {
        transcript += buffer;
        if (std::string(buffer) == "touch?\n") { // the host waits: touch the panel
            panel.Device().SetTouch(true, 300, 300);
            std::unique_lock<std::mutex> g(lock);
            EXPECT_TRUE(
                reported.wait_for(g, std::chrono::seconds(10), [&] { return touchReported; }));
            g.unlock();
            panel.Device().SetTouch(false, 300, 300);
        }
    }
    const int status = ::pclose(out);
    EXPECT_TRUE(panel.Stop());
    panel.Log().SetRowHandler(nullptr);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << transcript;
    EXPECT_NE(transcript.find("EE B1 01 00 01 FF FC FF FF"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("EE B1 11 00 00 00 03 12 00 00 00 4D FF FC FF FF"), std::string::npos)
        << transcript;
    EXPECT_NE(transcript.find("EE B1 11 00 00 00 02 11 68 6F 73 74 00 FF FC FF FF"),
              std::string::npos)
        << transcript;
    EXPECT_NE(transcript.find("EE 01 01 2C 01 2C FF FC FF FF"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("all answered"), std::string::npos) << transcript;
}
