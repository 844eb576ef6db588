// glyphorn's dialog as a user first sees it: the font list, the preview at the
// default size, and where a new glyph file goes by default.
#include "font_preview_ctrl.h"
#include "font_temp_dlg.h"
#include "test_app.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>

using namespace tft::fonttools;

namespace {

class GeneratorFirstUse : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApp(); }
};

// A copy of a font file under another maker's vendor id: the same family
// from a second foundry, as a desktop with two packages of one font has it.
QByteArray withVendor(QByteArray font, const char vendor[4]) {
    auto* bytes = reinterpret_cast<uchar*>(font.data());
    if (font.size() < 12)
        return {};
    const int tables = qFromBigEndian<quint16>(bytes + 4);
    for (int i = 0; i < tables && 12 + 16 * (i + 1) <= font.size(); ++i) {
        const uchar* record = bytes + 12 + 16 * i;
        if (std::memcmp(record, "OS/2", 4) != 0)
            continue;
        const quint32 offset = qFromBigEndian<quint32>(record + 8);
        if (offset + 62 > static_cast<quint32>(font.size()))
            return {};
        std::memcpy(bytes + offset + 58, vendor, 4);
        return font;
    }
    return {};
}

} // namespace

TEST_F(GeneratorFirstUse, EachFamilyIsListedOnce) {
    QFile file(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "needs DejaVuSans.ttf to make a second foundry of one family";
    const QByteArray original = file.readAll();
    for (const char* vendor : {"Zyxa", "Zyxb"})
        ASSERT_GE(QFontDatabase::addApplicationFontFromData(withVendor(original, vendor)), 0);
    // The database now knows the family from more than one foundry.
    int foundries = 0;
    for (const QString& f : QFontDatabase::families())
        foundries += f.startsWith(QStringLiteral("DejaVu Sans ["));
    ASSERT_GE(foundries, 2);

    CFontTempDlg dlg;
    QSet<QString> seen;
    int dejavu = 0;
    for (int i = 0; i < dlg.faceBox()->count(); ++i) {
        const QString name = dlg.faceBox()->itemText(i);
        EXPECT_FALSE(seen.contains(name)) << name.toStdString();
        EXPECT_FALSE(name.contains(QStringLiteral(" ["))) << name.toStdString();
        seen.insert(name);
        dejavu += name == QStringLiteral("DejaVu Sans");
    }
    EXPECT_EQ(dejavu, 1);
}

TEST_F(GeneratorFirstUse, PreviewFitsTheLargestCellAtTheDefaultSize) {
    CFontTempDlg dlg;
    dlg.show();
    dlg.cellBox()->setCurrentText(QStringLiteral("64"));
    QApplication::processEvents();
    const CFontPreviewCtrl* preview = dlg.preview();
    EXPECT_GE(preview->width(), 64 * CFontPreviewCtrl::kScale);
    EXPECT_GE(preview->height(), 64 * CFontPreviewCtrl::kScale);
    // And the dialog still fits on the screen it opened on.
    EXPECT_LE(dlg.frameGeometry().width(), dlg.screen()->availableGeometry().width());
    EXPECT_LE(dlg.frameGeometry().height(), dlg.screen()->availableGeometry().height());
}

TEST_F(GeneratorFirstUse, DefaultOutputIsInTheDocumentsFolder) {
    CFontTempDlg dlg;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_FALSE(documents.isEmpty());
    EXPECT_EQ(dlg.defaultFileName().toStdString(),
              (documents + QStringLiteral("/GB2312_16_16.bin")).toStdString());
    EXPECT_FALSE(dlg.defaultFileName().startsWith(QApplication::applicationDirPath()));
}
