// The device steps of a download job against a recording link.
#include "download_worker.h"
#include "fake_proxy.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QGuiApplication>
#include <QImage>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
using testsupport::TempFolder;
using tft::ide::testing::FakeProxy;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Job {
    Job() {
        currentStrings().load(QStringLiteral(TFT_SOURCE_DIR "/data/lang/chinese.xml"));
        files.imageIndex = write("p.graidx", 32);
        files.imageData = write("p.gwb", 5000);
        files.voiceIndex = write("p.pwi", 16);
        files.voiceData = write("p.pwav", 100);
        files.fontIndex = write("p.fidx", 10);
        files.fontData = write("p.fbin", 20);
        files.screens = write("p.si", 3000);
        files.keyboard = write("p.sbin", 30);
        files.modbus = write("p.mbm", 40);
    }
    std::string write(const std::string& name, std::size_t length, char fill = 'x') {
        dir.write(name, std::string(length, fill));
        return (dir.path() / name).string();
    }
    bool run(std::uint32_t bits, const std::vector<ImageReplacement>& replacements = {}) {
        DownloadLink link;
        link.com = &com;
        link.usb = usbPresent ? &usb : nullptr;
        link.comTimeouts = [this](bool on) { timeouts.push_back(on); };
        DownloadOutput out;
        out.line = [this](const QString& l) { lines.push_back(l); };
        out.pause = [](int) {};
        DownloadWorker worker(link, out);
        return worker.Run(bits, files, force, digests, replacements);
    }
    QStringList text(std::initializer_list<int> ids) const {
        QStringList out;
        for (int id : ids)
            out << ideText(id);
        return out;
    }
    TempFolder dir;
    DownloadFiles files;
    FakeProxy com, usb;
    bool usbPresent = false;
    bool force = false;
    ImageDigests digests;
    QStringList lines;
    std::vector<bool> timeouts;
};

TEST(DownloadWorker, StepsRunInTheirOrderWithTheirHeaders) {
    Job job;
    EXPECT_TRUE(job.run(0xFFFF & ~0x40u)); // every bit but the replacement pictures
    EXPECT_EQ(job.com.headers(),
              (std::vector<Bytes>{
                  {0x90}, {0x92}, {0x90}, {0x92}, {0x93}, {0x91}, {0x97}, {0x98}, {0x99}}));
    EXPECT_EQ(job.com.calls.front().kind, 'o');
    EXPECT_EQ(job.com.calls.back().kind, 'c');
    EXPECT_EQ(job.lines,
              job.text({sid::DownloadOverSerial, sid::DownloadImages, sid::DownloadSucceeded,
                        sid::DownloadVoices, sid::DownloadSucceeded, sid::DownloadFonts,
                        sid::DownloadSucceeded, sid::DownloadScreens, sid::DownloadSucceeded,
                        sid::DownloadKeyboard, sid::DownloadSucceeded, sid::DownloadModbus,
                        sid::DownloadSucceeded}));
    EXPECT_EQ(job.timeouts, (std::vector<bool>{true, false}));
    EXPECT_FALSE(job.lines.contains(QStringLiteral("#40200")));
}

TEST(DownloadWorker, UnchangedPicturesAreNotSentAgainUnlessForced) {
    Job job;
    ASSERT_TRUE(job.run(0x4));
    EXPECT_EQ(job.com.headers().size(), 2u);
    job.com.calls.clear();
    job.lines.clear();
    EXPECT_TRUE(job.run(0x4));
    EXPECT_TRUE(job.com.headers().empty());
    EXPECT_EQ(job.lines,
              job.text({sid::DownloadOverSerial, sid::DownloadImages, sid::DownloadSucceeded}));
    // A changed data file goes alone; force sends both and is then cleared.
    job.write("p.gwb", 5000, 'y');
    EXPECT_TRUE(job.run(0x4));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x92}}));
    job.force = true;
    EXPECT_TRUE(job.run(0x4));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x92}, {0x90}, {0x92}}));
    EXPECT_FALSE(job.force);
}

TEST(DownloadWorker, MissingOrEmptyIndexesDropTheirSteps) {
    Job job;
    job.write("p.pwi", 0);
    std::filesystem::remove(job.files.imageIndex);
    EXPECT_TRUE(job.run(0x4 | 0x8 | 0x80));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x97}}));
    // Nothing left to send: the link is not even opened.
    job.com.calls.clear();
    EXPECT_TRUE(job.run(0x4 | 0x8));
    EXPECT_TRUE(job.com.calls.empty());
}

TEST(DownloadWorker, ClosedPortOrRefusedOpenSendsNothing) {
    Job job;
    job.com.present = false;
    EXPECT_FALSE(job.run(0x80));
    EXPECT_TRUE(job.com.calls.empty());
    EXPECT_EQ(job.lines, job.text({sid::DeviceOpenFailed}));

    Job refused;
    refused.com.acceptOpen = false;
    EXPECT_FALSE(refused.run(0x84));
    EXPECT_TRUE(refused.com.headers().empty());
    EXPECT_EQ(refused.lines, refused.text({sid::DownloadOverSerial, sid::DeviceOpenFailed}));
}

TEST(DownloadWorker, UsbIsTakenWhenPresent) {
    Job job;
    job.usbPresent = true;
    EXPECT_TRUE(job.run(0x80));
    EXPECT_TRUE(job.com.calls.empty());
    EXPECT_EQ(job.usb.headers(), (std::vector<Bytes>{{0x97}}));
    EXPECT_TRUE(job.timeouts.empty()); // the serial port's time-outs stay as they were
    EXPECT_EQ(job.lines.front(), ideText(sid::DownloadOverUsb));
}

TEST(DownloadWorker, AFailedStepReportsAndTheNextStepsStillRun) {
    Job job;
    job.com.refuseCall = 1; // the first packet of the picture index
    EXPECT_FALSE(job.run(0x84));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x90}, {0x97}}));
    EXPECT_EQ(job.lines,
              job.text({sid::DownloadOverSerial, sid::DownloadImages, sid::DownloadFailed,
                        sid::DownloadScreens, sid::DownloadSucceeded}));
    // The picture index was not taken, so it goes again next time.
    EXPECT_TRUE(job.digests.index.empty());
    job.com.calls.clear();
    job.com.refuseCall = -1;
    EXPECT_TRUE(job.run(0x4));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x90}, {0x92}}));
}

TEST(DownloadWorker, UnacknowledgedCloseIsAFailure) {
    Job job;
    job.com.acknowledgeCalls = 3; // header, two packets of the screens, then silence
    EXPECT_FALSE(job.run(0x80));
    EXPECT_EQ(job.lines.back(), ideText(sid::DeviceCloseFailed));
}

TEST(DownloadWorker, ReplacementPicturesGoAtTheirAddressAndABadOneFailsAlone) {
    Job job;
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    const std::string good = (job.dir.path() / "red.png").string();
    ASSERT_TRUE(red.save(QString::fromStdString(good)));
    const std::string bad = job.write("bad.png", 10);
    std::vector<ImageReplacement> rows = {{7, 0xB00000 + 3000, 20, 30, bad},
                                          {8, 0xB00000 + 3000, 20, 30, good},
                                          {9, 0xB00000, 1, 1, "/no/such.png"}};
    EXPECT_FALSE(job.run(0x40, rows));
    EXPECT_EQ(job.com.headers(), (std::vector<Bytes>{{0x96, 0x08, 0x00}}));
    const auto data = job.com.of('d');
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0].count(), 1096);
    EXPECT_EQ(data[1].count(), 104);
    EXPECT_EQ(data[2].count(), 0);
    EXPECT_EQ(data[0].bytes[2], 0x00); // red in RGB565 is F800, low byte first
    EXPECT_EQ(data[0].bytes[3], 0xF8);
    ASSERT_EQ(job.lines.size(), 5);
    EXPECT_EQ(job.lines[1], ideText(sid::ImageUpdateStart).arg(1).arg(7).arg(2));
    EXPECT_TRUE(job.lines[2].contains(QString::fromStdString(bad)));
    EXPECT_EQ(job.lines[3], ideText(sid::ImageUpdateStart).arg(2).arg(8).arg(2));
    EXPECT_EQ(job.lines[4], ideText(sid::DownloadFailed));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
