#include "font_preview_ctrl.h"
#include "font_temp_dlg.h"
#include "fonttools/glyph_file.h"
#include "glimmett_dlg.h"
#include "test_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace tft::fonttools;

class GeneratorDialog : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApp(); }
};

TEST_F(GeneratorDialog, Defaults) {
    CFontTempDlg dlg;
    EXPECT_EQ(dlg.faceBox()->currentText(), defaultFaceName());
    for (int i = 0; i < dlg.faceBox()->count(); ++i) {
        EXPECT_FALSE(dlg.faceBox()->itemText(i).contains(QLatin1Char('@')));
    }
    EXPECT_EQ(dlg.sizeBox()->currentText(), QStringLiteral("16"));
    EXPECT_EQ(dlg.sizeBox()->count(), 8);
    EXPECT_EQ(dlg.charsetBox()->currentText(), QStringLiteral("GB2312"));
    EXPECT_EQ(dlg.cellBox()->currentText(), QStringLiteral("16"));
    EXPECT_FALSE(dlg.halfWidthBox()->isChecked());
    EXPECT_FALSE(dlg.halfWidthBox()->isEnabled());
    EXPECT_TRUE(dlg.horizontalButton()->isChecked());
    EXPECT_TRUE(dlg.msbFirstBox()->isChecked());
    EXPECT_EQ(dlg.sampleText(), QStringLiteral("ABC"));
    const GenerationJob job = dlg.currentSettings();
    EXPECT_EQ(job.layout.width, 16);
    EXPECT_EQ(job.layout.height, 16);
    EXPECT_EQ(job.font.pixelSize, 16);
    EXPECT_TRUE(dlg.defaultFileName().endsWith(QStringLiteral("/GB2312_16_16.bin")));
    // Three glyphs of 32 bytes.
    EXPECT_EQ(dlg.sampleOutput().count(QStringLiteral("0x")), 96);
}

TEST_F(GeneratorDialog, CharsetControlsHalfWidth) {
    CFontTempDlg dlg;
    dlg.charsetBox()->setCurrentText(QStringLiteral("ASCII"));
    EXPECT_TRUE(dlg.halfWidthBox()->isChecked());
    EXPECT_TRUE(dlg.halfWidthBox()->isEnabled());
    dlg.cellBox()->setCurrentText(QStringLiteral("8"));
    EXPECT_EQ(dlg.currentSettings().layout.width, 4);
    EXPECT_TRUE(dlg.defaultFileName().endsWith(QStringLiteral("/ASCII_4_8.bin")));
    dlg.charsetBox()->setCurrentText(QStringLiteral("GBK"));
    EXPECT_FALSE(dlg.halfWidthBox()->isChecked());
    EXPECT_FALSE(dlg.halfWidthBox()->isEnabled());
    EXPECT_EQ(dlg.currentSettings().layout.width, 8);
}

TEST_F(GeneratorDialog, SampleFollowsEverySetting) {
    CFontTempDlg dlg;
    dlg.sampleEdit()->setText(QString());
    EXPECT_EQ(dlg.sampleOutput(), QStringLiteral("char data[]={\r\n};"));
    dlg.copyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("char data[]={\r\n};"));
    dlg.sampleEdit()->setText(QStringLiteral("中"));
    const QString horizontal = dlg.sampleOutput();
    dlg.verticalButton()->setChecked(true);
    EXPECT_NE(dlg.sampleOutput(), horizontal);
    dlg.cellBox()->setCurrentText(QStringLiteral("24"));
    EXPECT_EQ(dlg.sampleOutput().count(QStringLiteral("0x")), 72);
    EXPECT_EQ(dlg.preview()->previewCharacter(), U'中');
    dlg.sampleEdit()->setText(QString());
    EXPECT_EQ(dlg.preview()->previewCharacter(), U'\u4E2D');
}

TEST_F(GeneratorDialog, PreviewShowsTheGlyphMagnified) {
    CFontPreviewCtrl preview;
    preview.setFontFace({defaultFaceName(), 16, false, false});
    preview.setCellSize(16, 16);
    preview.setPreviewText(QStringLiteral("中"));
    preview.resize(120, 120);
    const QImage image = preview.renderPreview();
    // Outside the 96 x 96 field: grey 150.
    EXPECT_EQ(image.pixel(110, 110), qRgb(150, 150, 150));
    int black = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 96; ++x) {
            black += image.pixel(x, y) == qRgb(0, 0, 0);
        }
    }
    EXPECT_GT(black, 20 * 25); // at least 20 pixels, each mostly a 6 x 6 square
    EXPECT_EQ(black % 1, 0);
}

// The worker works from the settings of the moment of the request: changing the
// dialog while it runs cannot change what is written.
TEST_F(GeneratorDialog, GenerationUsesTheSettingsOfTheRequest) {
    QTemporaryDir dir;
    // On the heap: the worker thread outlives nothing on the test's stack.
    const auto owner = std::make_unique<CFontTempDlg>();
    CFontTempDlg& dlg = *owner;
    dlg.charsetBox()->setCurrentText(QStringLiteral("ASCII"));
    dlg.cellBox()->setCurrentText(QStringLiteral("8"));
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&dlg.runner(), &GenerationRunner::finished,
                     [&](bool done, const QString&, const QString&) {
                         ok = done;
                         loop.quit();
                     });
    dlg.requestGeneration(path);
    EXPECT_TRUE(dlg.progressBar()->isVisibleTo(&dlg));
    dlg.charsetBox()->setCurrentText(QStringLiteral("GBK"));
    dlg.cellBox()->setCurrentText(QStringLiteral("64"));
    loop.exec();
    EXPECT_TRUE(ok);
    EXPECT_EQ(QFileInfo(path).size(), 512);
    EXPECT_FALSE(dlg.progressBar()->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.progressBar()->value(), 100);
}

TEST_F(GeneratorDialog, FailedGenerationWritesNothing) {
    QTemporaryDir dir;
    // On the heap: the worker thread outlives nothing on the test's stack.
    const auto owner = std::make_unique<CFontTempDlg>();
    CFontTempDlg& dlg = *owner;
    dlg.charsetBox()->setCurrentText(QStringLiteral("ASCII"));
    const QString path = dir.filePath(QStringLiteral("gone/a.bin"));
    QEventLoop loop;
    bool ok = true;
    QString message;
    QObject::connect(&dlg.runner(), &GenerationRunner::finished,
                     [&](bool done, const QString&, const QString& why) {
                         ok = done;
                         message = why;
                         loop.quit();
                     });
    dlg.requestGeneration(path);
    loop.exec();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(message.contains(QStringLiteral("cannot write")));
    EXPECT_TRUE(dlg.lastFailure().startsWith(QStringLiteral("操作失败，文件已被打开！")));
    EXPECT_FALSE(QFile::exists(path));
}

class ViewerDialog : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApp(); }
    QTemporaryDir dir;
};

TEST_F(ViewerDialog, AsciiFileAtEightBySixteen) {
    // Glyph n holds the byte n in every row, so a glyph shows its own code.
    std::vector<std::uint8_t> bytes(128 * 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i / 16);
    }
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    test::writeFile(path, bytes);
    CGlimmettDlg dlg;
    EXPECT_EQ(dlg.layout().width, 16);
    EXPECT_TRUE(dlg.msbFirstBox()->isChecked());
    dlg.widthBox()->setCurrentText(QStringLiteral("8"));
    ASSERT_TRUE(dlg.openFile(path));
    EXPECT_EQ(dlg.rowCount(), 8);
    EXPECT_EQ(dlg.list()->model()->columnCount(), 17);
    EXPECT_EQ(dlg.list()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("地址"));
    EXPECT_EQ(dlg.list()->model()->headerData(16, Qt::Horizontal).toString(), QStringLiteral("15"));
    EXPECT_EQ(CGlimmettDlg::addressText(2), QStringLiteral("0x0020"));
    EXPECT_EQ(CGlimmettDlg::addressText(552), QStringLiteral("0x2280"));

    // Row 2, column "1" shows glyph 0x21: 00100001 in each of its 16 rows.
    QImage image(50, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        dlg.drawCell(painter, QRect(0, 0, 50, 50), 2, 2);
    }
    const int left = (50 - 8) / 2, top = (50 - 16) / 2;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool inked = y >= top && y < top + 16 && (x == left + 2 || x == left + 7);
            ASSERT_EQ(image.pixel(x, y) == qRgb(0, 0, 0), inked) << x << "," << y;
        }
    }
    // A cell past the end of the file draws nothing.
    QImage empty(50, 50, QImage::Format_RGB32);
    empty.fill(Qt::white);
    {
        QPainter painter(&empty);
        dlg.drawCell(painter, QRect(0, 0, 50, 50), 9, 1);
    }
    EXPECT_EQ(empty.pixel(25, 25), qRgb(255, 255, 255));

    // Settings change while open: rows follow.
    dlg.heightBox()->setCurrentText(QStringLiteral("8"));
    EXPECT_EQ(dlg.rowCount(), 16);
    dlg.verticalButton()->setChecked(true);
    EXPECT_EQ(dlg.rowCount(), 16);
    dlg.closeFile();
    EXPECT_FALSE(dlg.isFileOpen());
    EXPECT_EQ(dlg.rowCount(), 0);
}

TEST_F(ViewerDialog, Gb2312SixteenAndBadFiles) {
    const QString path = dir.filePath(QStringLiteral("g.bin"));
    test::writeFile(path, std::vector<std::uint8_t>(8836 * 32, 0x55));
    CGlimmettDlg dlg;
    ASSERT_TRUE(dlg.openFile(path));
    EXPECT_EQ(dlg.rowCount(), 552);
    // Opening a file that cannot be read leaves nothing open.
    EXPECT_FALSE(dlg.openFile(dir.filePath(QStringLiteral("absent.bin"))));
    EXPECT_FALSE(dlg.isFileOpen());
    EXPECT_EQ(dlg.rowCount(), 0);
    const QString tiny = dir.filePath(QStringLiteral("t.bin"));
    test::writeFile(tiny, std::vector<std::uint8_t>(100, 0xFF));
    ASSERT_TRUE(dlg.openFile(tiny));
    EXPECT_EQ(dlg.rowCount(), 0);
}
