// glimmett on files no glyph file can be: sparse files larger than the
// largest character set, a FIFO and a device; and its address column.
#include "fonttools/glyph_file.h"
#include "glimmett_dlg.h"
#include "test_app.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tft::fonttools;

namespace {

constexpr std::uint64_t kGB = 1000ull * 1000 * 1000;
constexpr int kGbkGlyphs = 23940;
constexpr int kGbkRows = kGbkGlyphs / kGlyphsPerRow; // 1496

class ViewerLimits : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApp(); }

    // A sparse file of `size` bytes: no disk blocks, removed with the folder.
    QString sparseFile(const char* name, std::uint64_t size) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        test::writeFile(path, {});
        std::filesystem::resize_file(path.toStdString(), size);
        return path;
    }

    static void setCell(CGlimmettDlg& dlg, int width, int height) {
        dlg.widthBox()->setCurrentText(QString::number(width));
        dlg.heightBox()->setCurrentText(QString::number(height));
    }

    static QString notice(const CGlimmettDlg& dlg) {
        auto* label = dlg.findChild<QLabel*>(QStringLiteral("notice"));
        return label != nullptr && label->isVisibleTo(&dlg) ? label->text() : QString();
    }

    // The first row is really on screen: the table is not empty to the eye.
    static void expectFirstRowShown(CGlimmettDlg& dlg) {
        dlg.show();
        EXPECT_EQ(dlg.list()->rowAt(dlg.list()->verticalHeader()->defaultSectionSize() / 2), 0);
        EXPECT_GT(dlg.list()->verticalHeader()->length(), 0);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ViewerLimits, HugeSparseFilesAreCappedAndNamedAsNoGlyphFile) {
    struct Case {
        const char* name;
        std::uint64_t size;
        int cell;
    };
    for (const Case& c : {Case{"300g.bin", 300 * kGB, 8}, Case{"6g.bin", 6 * kGB, 8},
                          Case{"40g.bin", 40 * kGB, 16}}) {
        SCOPED_TRACE(c.name);
        CGlimmettDlg dlg;
        setCell(dlg, c.cell, c.cell);
        ASSERT_TRUE(dlg.openFile(sparseFile(c.name, c.size)));
        EXPECT_EQ(dlg.rowCount(), kGbkRows);
        EXPECT_TRUE(notice(dlg).contains(QStringLiteral("不是字库文件")))
            << notice(dlg).toStdString();
        expectFirstRowShown(dlg);
        // The cap follows the cell size.
        setCell(dlg, 64, 64);
        const std::uint64_t largest = std::uint64_t{kGbkGlyphs} * 64 * 64 / 8;
        EXPECT_EQ(dlg.rowCount(),
                  c.size > largest ? kGbkRows : static_cast<int>(c.size / (16 * 512)));
        dlg.closeFile();
        EXPECT_TRUE(notice(dlg).isEmpty());
    }
}

TEST_F(ViewerLimits, TheLargestGlyphFileOpensWithoutANotice) {
    CGlimmettDlg dlg;
    ASSERT_TRUE(dlg.openFile(sparseFile("gbk.bin", std::uint64_t{kGbkGlyphs} * 32)));
    EXPECT_EQ(dlg.rowCount(), kGbkRows);
    EXPECT_TRUE(notice(dlg).isEmpty()) << notice(dlg).toStdString();
    // One byte more cannot be a glyph file at 16 x 16.
    ASSERT_TRUE(dlg.openFile(sparseFile("gbk1.bin", std::uint64_t{kGbkGlyphs} * 32 + 1)));
    EXPECT_EQ(dlg.rowCount(), kGbkRows);
    EXPECT_FALSE(notice(dlg).isEmpty());
}

TEST_F(ViewerLimits, FifoAndDevicesAreRefusedWithoutWaiting) {
    const QString fifo = dir.filePath(QStringLiteral("pipe.bin"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    CGlimmettDlg dlg;
    // Opening a FIFO for reading would wait for a writer that never comes.
    EXPECT_FALSE(dlg.openFile(fifo));
    EXPECT_FALSE(dlg.isFileOpen());
    EXPECT_EQ(dlg.rowCount(), 0);
    EXPECT_TRUE(notice(dlg).contains(fifo)) << notice(dlg).toStdString();
    EXPECT_FALSE(dlg.openFile(QStringLiteral("/dev/zero")));
    EXPECT_FALSE(dlg.isFileOpen());
    EXPECT_TRUE(notice(dlg).contains(QStringLiteral("/dev/zero")));
    EXPECT_FALSE(dlg.openFile(dir.path())); // a folder
    EXPECT_FALSE(dlg.isFileOpen());
}

TEST_F(ViewerLimits, AddressColumnFitsTheLongestAddress) {
    CGlimmettDlg dlg;
    ASSERT_TRUE(dlg.openFile(sparseFile("big.bin", 300 * kGB)));
    const int last = dlg.rowCount() - 1;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    const int text = QFontMetrics(font).horizontalAdvance(CGlimmettDlg::addressText(last));
    // The text and a little air on both sides, inside the cell's frame.
    EXPECT_GE(dlg.list()->columnWidth(0), text + 12);
    EXPECT_GE(dlg.list()->columnWidth(0), CFontListCtrl::kAddressWidth);
}
