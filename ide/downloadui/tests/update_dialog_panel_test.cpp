// The picture update dialog against the simulated panel (dunmere on a
// pseudo-terminal, holding the compiled showcase): its index answer fills
// the list, and the replacement OK queues reaches the panel's picture data at
// the record's address, byte for byte.
#include "device_link.h"
#include "device_steps.h"
#include "dialog_support.h"
#include "recording_log.h"
#include "resource_update_dlg.h"
#include "showcase_build.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QTableWidget>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

using namespace tft::ide;
using namespace dluitest;
using testsupport::readBytes;
using testsupport::readLe;

namespace {

constexpr std::uint32_t kFlashBase = 0xB00000; // where the picture data starts in the panel

// The worker's idle poll, until `done` holds; the window's events between.
template <class Done> bool pollUntil(DeviceLink& link, Done done) {
    while (!done()) {
        struct pollfd p {
            link.port().NativeHandle(), POLLIN, 0
        };
        if (::poll(&p, 1, 10000) <= 0)
            return false;
        std::thread worker([&] { link.poll(); });
        worker.join();
        QCoreApplication::processEvents();
    }
    return true;
}

} // namespace

TEST(UpdateDialogPanel, TheSimulatedPanelsIndexAndAReplacementThatReachesItsPictureData) {
    ensureApp();
    testsupport::TempFolder folder;
    const fs::path output = showcaseOutput();
    const fs::path storage = folder.path() / "panel";
    const fs::path pty = folder.path() / "link";
    testsupport::RunningProgram panel("dunmere",
                                      {"--headless", (output / "showcase.si").string(), "--storage",
                                       storage.string(), "--pty", pty.string()});
    ASSERT_TRUE(panel.waitFor("running")) << panel.output;

    linktest::RecordingLog log;
    DeviceLink link;
    link.setLog(&log);
    std::string error;
    ASSERT_TRUE(link.connectTo(pty.string(), 7, &error)) << error;
    ASSERT_TRUE(pollUntil(link, [&] { return link.isConnected(); }));

    RecordingPort port;
    CResourceUpdateDlg dialog(link, port.port());
    QStringList messages;
    dialog.showMessage = [&](const QString& m) { messages << m; };
    ASSERT_TRUE(activate(dialog));
    ASSERT_TRUE(dialog.requestIndex());
    QTableWidget* list = dialog.list();
    ASSERT_TRUE(pollUntil(link, [&] { return list->rowCount() > 0; })) << panel.output;

    const std::vector<std::uint8_t> index = readBytes(output / "showcase.graidx");
    ASSERT_EQ(std::size_t(list->rowCount()), index.size() / kImageRecordSize);
    for (int row = 0; row < list->rowCount(); ++row) {
        const std::size_t at = std::size_t(row) * kImageRecordSize;
        EXPECT_EQ(list->item(row, CResourceUpdateDlg::IdColumn)->text(),
                  QString::number(readLe(index, at, 2)));
        EXPECT_EQ(list->item(row, CResourceUpdateDlg::AddressColumn)->text(),
                  QString::asprintf("0x%08X", readLe(index, at + 3, 4)));
    }
    EXPECT_TRUE(messages.isEmpty());

    // Row 2 gets a plain blue picture of another size; OK queues it.
    const QString picture = q(folder.path() / "blue.png");
    QImage blue(7, 5, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(picture));
    dialog.askPicture = [&] { return picture; };
    list->item(2, CResourceUpdateDlg::IdColumn)->setCheckState(Qt::Checked);
    dialog.accept();
    ASSERT_EQ(port.submitted.size(), 1u);
    const DownloadRequest request = port.submitted[0];

    // The worker runs it over the same link.
    QStringList lines;
    DownloadOutput out;
    out.line = [&](const QString& l) { lines << l; };
    bool force = request.force;
    ImageDigests digests;
    EXPECT_TRUE(runDeviceSteps(link, nullptr, request.bits, request.job, force, digests, out, &log))
        << lines.join(QLatin1Char('\n')).toStdString() << panel.output;
    EXPECT_EQ(lines.back(), ideText(sid::DownloadSucceeded));

    // The panel's picture data: the record's pixels are blue (RGB565 0x001F,
    // low byte first), everything else as compiled.
    const ImageReplacement& r = request.job.replacements.at(0);
    const std::vector<std::uint8_t> before = readBytes(output / "showcase.gwb");
    std::vector<std::uint8_t> expected = before;
    const std::size_t start = r.address - kFlashBase;
    const std::size_t length = std::size_t(r.width) * r.height * 2;
    ASSERT_LE(start + length, expected.size());
    for (std::size_t i = 0; i < length; i += 2) {
        expected[start + i] = 0x1F;
        expected[start + i + 1] = 0x00;
    }
    ASSERT_TRUE(fs::exists(storage / "panel.gwb")) << panel.output;
    EXPECT_EQ(readBytes(storage / "panel.gwb"), expected);
}
