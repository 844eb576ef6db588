// The picture update dialog against a panel played on a pseudo-terminal: the
// index request on the wire, the EE 05 reply through the link's signal from
// another thread, the rows, the replacement pictures, and the job OK submits
// (sent by the worker as the panel expects it).
#include "device_link.h"
#include "dialog_support.h"
#include "download_worker.h"
#include "fake_proxy.h"
#include "pty_pair.h"
#include "recording_log.h"
#include "resource_update_dlg.h"
#include "showcase_build.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

using namespace tft::ide;
using namespace dluitest;
using testsupport::readBytes;
using testsupport::TempFolder;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Waits until the link's port has bytes to read (the pseudo-terminal hands
// them over asynchronously), then polls them in.
std::size_t pollArrived(DeviceLink& link) {
    struct pollfd p {
        link.port().NativeHandle(), POLLIN, 0
    };
    if (::poll(&p, 1, 10000) <= 0)
        return 0;
    return link.poll();
}

class UpdateDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        link.setLog(&log);
        link.setDetectInterval(24 * 3600 * 1000); // no rate cycling in these tests
        dialog = std::make_unique<CResourceUpdateDlg>(link, port.port());
        dialog->showMessage = [this](const QString& m) { messages << m; };
        dialog->askPicture = [this] { return picture; };
        ASSERT_TRUE(activate(*dialog));
    }
    void connectLink() {
        std::string error;
        ASSERT_TRUE(link.connectTo(pty.name(), 7, &error)) << error;
        ASSERT_EQ(pty.receive(6), kDetectRequest);
    }
    // The panel's reply, cut and signalled on a thread of its own as the
    // worker does; the dialog hears of it through its event queue.
    void reply(const Bytes& frame) {
        ASSERT_TRUE(pty.send(frame));
        std::size_t got = 0;
        std::thread worker([&] {
            while (got < frame.size()) {
                const std::size_t n = pollArrived(link);
                if (n == 0)
                    break;
                got += n;
            }
        });
        worker.join();
        ASSERT_EQ(got, frame.size());
        QCoreApplication::processEvents();
    }
    QString writePicture(const char* name, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 0));
        const QString path = q(temp.path() / name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    void check(int row, bool on) {
        dialog->list()
            ->item(row, CResourceUpdateDlg::IdColumn)
            ->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    QString pictureOf(int row) const {
        return dialog->list()->item(row, CResourceUpdateDlg::PictureColumn)->text();
    }

    linktest::PtyPair pty;
    linktest::RecordingLog log;
    DeviceLink link;
    RecordingPort port;
    TempFolder temp;
    std::unique_ptr<CResourceUpdateDlg> dialog;
    QStringList messages;
    QString picture;
};

Bytes indexReply(const Bytes& records, std::uint16_t count) {
    Bytes frame;
    frame.reserve(records.size() + 8);
    for (const std::uint8_t b : {0xEE, 0x05, count & 0xFF, count >> 8})
        frame.push_back(b);
    frame.insert(frame.end(), records.begin(), records.end());
    for (const std::uint8_t b : {0xFF, 0xFC, 0xFF, 0xFF})
        frame.push_back(b);
    return frame;
}

} // namespace

TEST_F(UpdateDialog, TheShowcaseIndexFillsTheRowsAndOkSubmitsTheChosenPicture) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("更新图片资源"));
    EXPECT_EQ(dialog->requestButton()->text(), QStringLiteral("获取图片索引"));
    connectLink();
    // Bytes of an earlier, unfinished frame wait in the link's buffer: the
    // request must not let them prefix the reply.
    ASSERT_TRUE(pty.send({0xEE, 0x01, 0x02}));
    ASSERT_EQ(pollArrived(link), 3u);

    QTest::mouseClick(dialog->requestButton(), Qt::LeftButton);
    EXPECT_EQ(pty.receive(6), kImageIndexRequest);
    const auto rows = log.rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), (linktest::Row{'T', "EE F3 FF FC FF FF ", "获取图片索引"}));

    // The panel answers with the index the showcase's build wrote.
    const Bytes index = readBytes(showcaseOutput() / "showcase.graidx");
    const std::size_t count = index.size() / kImageRecordSize;
    ASSERT_GE(count, 2u);
    reply(indexReply(index, std::uint16_t(count)));
    QTableWidget* list = dialog->list();
    ASSERT_EQ(std::size_t(list->rowCount()), count);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(port.instructions, 0);
    const QStringList headers{QStringLiteral("更新 ID"), QStringLiteral("开始地址"),
                              QStringLiteral("宽度"),    QStringLiteral("高度"),
                              QStringLiteral("大小"),    QStringLiteral("替换图片")};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(list->horizontalHeaderItem(c)->text(), headers[c]);
    EXPECT_EQ(list->columnWidth(0), 70);
    EXPECT_GE(list->columnWidth(1), 80);
    for (int row = 0; row < int(count); ++row) {
        const std::size_t at = std::size_t(row) * kImageRecordSize;
        const auto le = [&](std::size_t offset, int width) {
            return testsupport::readLe(index, at + offset, width);
        };
        EXPECT_EQ(list->item(row, 0)->text(), QString::number(le(0, 2)));
        EXPECT_EQ(list->item(row, 1)->text(), QString::asprintf("0x%08X", le(3, 4)));
        EXPECT_EQ(list->item(row, 2)->text(), QString::number(le(7, 2)));
        EXPECT_EQ(list->item(row, 3)->text(), QString::number(le(9, 2)));
        EXPECT_EQ(list->item(row, 4)->text(), QString::number(le(11, 3)));
        EXPECT_EQ(list->item(row, 0)->checkState(), Qt::Unchecked);
    }

    // Row 1 gets a picture; OK submits it alone with its record.
    picture = writePicture("new.png", 30, 20);
    check(1, true);
    EXPECT_EQ(pictureOf(1), QDir::toNativeSeparators(picture));
    screenshot(*dialog, "update_pictures");
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_EQ(port.submitted.size(), 1u);
    const DownloadRequest& r = port.submitted[0];
    EXPECT_EQ(r.bits, 0x40u);
    EXPECT_FALSE(r.force);
    ASSERT_EQ(r.job.replacements.size(), 1u);
    const ImageReplacement& rep = r.job.replacements[0];
    const std::size_t at = kImageRecordSize;
    EXPECT_EQ(rep.id, testsupport::readLe(index, at, 2));
    EXPECT_EQ(rep.address, testsupport::readLe(index, at + 3, 4));
    EXPECT_EQ(rep.width, testsupport::readLe(index, at + 7, 2));
    EXPECT_EQ(rep.height, testsupport::readLe(index, at + 9, 2));
    EXPECT_EQ(rep.picture, picture.toStdString());
    EXPECT_FALSE(dialog->isVisible());

    // The worker sends it as the panel expects: 0x96 with the id, then the
    // record's size in RGB565, its first packet short of the address's block.
    tft::ide::testing::FakeProxy com;
    DownloadLink route;
    route.com = &com;
    DownloadOutput out;
    out.pause = [](int) {};
    DownloadWorker worker(route, out);
    bool force = r.force;
    ImageDigests digests;
    EXPECT_TRUE(worker.Run(r.bits, r.job.files, force, digests, r.job.replacements));
    EXPECT_EQ(com.headers(),
              (std::vector<Bytes>{{0x96, std::uint8_t(rep.id & 0xFF), std::uint8_t(rep.id >> 8)}}));
    const auto packets = com.of('d');
    ASSERT_FALSE(packets.empty());
    EXPECT_EQ(
        std::size_t(packets[0].count()),
        std::min<std::size_t>(2048 - rep.address % 2048, std::size_t(rep.width) * rep.height * 2));
    std::size_t total = 0;
    for (const auto& p : packets)
        total += std::size_t(p.count());
    EXPECT_EQ(total, std::size_t(rep.width) * rep.height * 2);
}

TEST_F(UpdateDialog, PicturesAreChosenByCheckingAndClearedByUnchecking) {
    dialog->showRecords({{3, 0xB00000, 10, 10, 200}, {4, 0xB000C8, 5, 5, 50}});
    ASSERT_EQ(dialog->list()->rowCount(), 2);
    // Cancelled: the row stays unchecked.
    picture.clear();
    check(0, true);
    EXPECT_EQ(dialog->list()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(pictureOf(0).isEmpty());
    // A picture that does not decode is refused with its path.
    temp.write("broken.png", "this is no picture");
    picture = q(temp.path() / "broken.png");
    check(0, true);
    EXPECT_EQ(dialog->list()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(pictureOf(0).isEmpty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], ideText(sid::ImageUnreadable).arg(QDir::toNativeSeparators(picture)));
    // Chosen, then unchecked: the path goes.
    picture = writePicture("ok.png", 4, 4);
    check(0, true);
    check(1, true);
    EXPECT_EQ(dialog->replacements().size(), 2u);
    check(0, false);
    EXPECT_TRUE(pictureOf(0).isEmpty());
    ASSERT_EQ(dialog->replacements().size(), 1u);
    EXPECT_EQ(dialog->replacements()[0].id, 4);
    // Nothing checked: OK says so and submits nothing.
    check(1, false);
    dialog->accept();
    EXPECT_TRUE(port.submitted.empty());
    EXPECT_EQ(messages.back(), ideText(sid::NoPictureChosen));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(UpdateDialog, AnIndexWithoutRecordsFailsAndBringsUpTheInstructions) {
    connectLink();
    QTest::mouseClick(dialog->requestButton(), Qt::LeftButton);
    ASSERT_EQ(pty.receive(6), kImageIndexRequest);
    // Claims two records, carries half of one.
    reply(indexReply(Bytes(8, 0x11), 2));
    EXPECT_EQ(dialog->list()->rowCount(), 0);
    EXPECT_EQ(messages, QStringList{QStringLiteral("获取索引失败！")});
    EXPECT_EQ(port.instructions, 1);
}

TEST_F(UpdateDialog, AClosedPortIsAMessageAndNothingIsSent) {
    QTest::mouseClick(dialog->requestButton(), Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{QStringLiteral("请先打开串口！")});
    EXPECT_TRUE(log.rows().empty());
}

TEST_F(UpdateDialog, ButtonsAreOffWhileAJobRuns) {
    EXPECT_EQ(dialog->busyTimer()->interval(), 100);
    EXPECT_TRUE(dialog->busyTimer()->isActive());
    port.busy = true;
    QSignalSpy tick(dialog->busyTimer(), &QTimer::timeout);
    ASSERT_TRUE(tick.wait());
    EXPECT_FALSE(dialog->requestButton()->isEnabled());
    EXPECT_FALSE(dialog->okButton()->isEnabled());
    port.busy = false;
    ASSERT_TRUE(tick.wait());
    EXPECT_TRUE(dialog->requestButton()->isEnabled());
    EXPECT_TRUE(dialog->okButton()->isEnabled());
}

TEST_F(UpdateDialog, APanelThatDoesNotAnswerWithAnIndexFailsTheRequest) {
    connectLink();
    dialog->replyTimer()->setInterval(1);
    QSignalSpy expired(dialog->replyTimer(), &QTimer::timeout);
    QTest::mouseClick(dialog->requestButton(), Qt::LeftButton);
    ASSERT_EQ(pty.receive(6), kImageIndexRequest);
    // An empty panel's answer: eight bytes, which the link does not take for
    // an index (it is also the buffer dump reply).
    reply({0xEE, 0x05, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF});
    ASSERT_TRUE(expired.count() > 0 || expired.wait());
    EXPECT_EQ(messages, QStringList{QStringLiteral("获取索引失败！")});
    EXPECT_EQ(port.instructions, 1);
    EXPECT_EQ(dialog->list()->rowCount(), 0);
}
