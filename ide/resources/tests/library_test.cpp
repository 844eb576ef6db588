// Size texts, the picture libraries (counting, import, delete), thumbnails
// from the worker, the picture browser and dropping a picture onto a page.
#include "command_lines.h"
#include "font_config.h"
#include "image_library.h"
#include "imagelist_dlg.h"
#include "open_project.h"
#include "page_document.h"
#include "picture_browser.h"
#include "picture_drop.h"
#include "size_text.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "testing/widgets_app.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
using tft::DeviceCatalogue;
namespace fs = std::filesystem;

namespace {

void ensureApp() {
    testsupport::ensureWidgetsApp();
    currentStrings().load(languageFile(TFT_APP_DIR, kLanguageEnglish));
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

void writePicture(const fs::path& file, int width, int height, const char* format = "PNG") {
    fs::create_directories(file.parent_path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    ASSERT_TRUE(image.save(q(file), format));
}

void writeBytes(const fs::path& file, std::size_t size) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << std::string(size, 'x');
}

class Library : public ::testing::Test {
protected:
    void SetUp() override { ensureApp(); }
    fs::path app() const { return dir.path() / "app" / "images"; }
    fs::path user() const { return dir.path() / "user" / "images"; }
    ImageLibraries libraries() const { return ImageLibraries(q(app()), q(user())); }
    testsupport::TempFolder dir;
};

} // namespace

TEST(SizeText, PaneAndLibraryForms) {
    EXPECT_EQ(sizeText(0, SizeStyle::ResourcePane), "0 bytes");
    EXPECT_EQ(sizeText(1023, SizeStyle::ResourcePane), "1023 bytes");
    EXPECT_EQ(sizeText(1023, SizeStyle::Library), "1023 bytes");
    EXPECT_EQ(sizeText(1024, SizeStyle::ResourcePane), "1.00 KB");
    EXPECT_EQ(sizeText(1024 * 1024 - 1, SizeStyle::Library), "1024.00 KB");
    EXPECT_EQ(sizeText(1048576, SizeStyle::ResourcePane), "1.0000 MB");
    EXPECT_EQ(sizeText(1048576, SizeStyle::Library), "1.00 MB");
    EXPECT_EQ(sizeText(qint64(5) << 32, SizeStyle::Library), "20480.00 MB"); // 64-bit sizes
    EXPECT_EQ(utilisationText(167773), "1.000");
    EXPECT_EQ(utilisationText(16777216), "100.000");
    EXPECT_EQ(shareText(1, 4), "25.000");
    EXPECT_EQ(shareText(5, 0), "0.000");
}

TEST_F(Library, CountsPictureFilesByExtensionAndSkipsUnreadableOnes) {
    writePicture(app() / "icons" / "a.png", 4, 4);
    writePicture(app() / "icons" / "B.PNG", 4, 4);
    writePicture(app() / "icons" / "c.JPG", 8, 8, "JPG");
    writePicture(app() / "icons" / "d.bmp", 2, 2, "BMP");
    writeBytes(app() / "icons" / "e.wmf", 300); // no decoder: counted as a file
    writeBytes(app() / "icons" / "f.tif", 200);
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase" / "art" / "spinner.gif",
             app() / "icons" / "anim.GIF");
    writeBytes(app() / "icons" / "app.ICO", 100);
    writeBytes(app() / "icons" / "notes.txt", 100);
    writeBytes(app() / "icons" / "broken.png", 500);          // not a PNG inside
    writePicture(app() / "icons" / "deeper" / "x.png", 4, 4); // sub-folders are not walked
    fs::create_directories(app() / "empty");
    writePicture(user() / "icons" / "mine.png", 4, 4);

    const QVector<LibraryInfo> all = libraries().libraries();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].name, "empty");
    EXPECT_EQ(all[0].count, 0);
    EXPECT_EQ(all[0].bytes, 0);
    const LibraryInfo icons = all[1];
    EXPECT_EQ(icons.name, "icons");
    EXPECT_EQ(icons.count, 7);
    qint64 expected = 0;
    for (const char* name : {"a.png", "B.PNG", "c.JPG", "d.bmp", "e.wmf", "f.tif"})
        expected += qint64(fs::file_size(app() / "icons" / name));
    expected += qint64(fs::file_size(user() / "icons" / "mine.png"));
    EXPECT_EQ(icons.bytes, expected);
    // The browser lists the unreadable one too (as a broken tile).
    EXPECT_EQ(libraries().pictures("icons").size(), 8);
    EXPECT_TRUE(libraries().pictures("..").isEmpty());
}

TEST_F(Library, TheShippedLibrariesHoldOurArt) {
    const ImageLibraries shipped(QString::fromUtf8(TFT_APP_DIR) + "/images", QString());
    const QVector<LibraryInfo> all = shipped.libraries();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].name, "buttons");
    EXPECT_EQ(all[0].count, 8);
    EXPECT_EQ(all[1].name, "icons");
    EXPECT_EQ(all[1].count, 8);
}

TEST_F(Library, ImportCopiesWithoutReplacingAndFallsBackToTheUserFolder) {
    writePicture(dir.path() / "in" / "p.png", 3, 3);
    writeBytes(dir.path() / "in" / "n.txt", 3);
    fs::create_directories(app() / "icons");
    const ImageLibraries::Imported first = libraries().importPictures(
        "icons", {q(dir.path() / "in" / "p.png"), q(dir.path() / "in" / "n.txt")});
    ASSERT_EQ(first.files.size(), 1);
    EXPECT_EQ(fs::path(first.files[0].toStdString()), app() / "icons" / "p.png");
    EXPECT_EQ(first.problems.size(), 1);
    const auto second = libraries().importPictures("icons", {q(dir.path() / "in" / "p.png")});
    EXPECT_EQ(fs::path(second.files.value(0).toStdString()), app() / "icons" / "p_1.png");
    EXPECT_TRUE(
        libraries().importPictures("../x", {q(dir.path() / "in" / "p.png")}).files.isEmpty());

    // An application folder that cannot be written (here: a file stands
    // where the images folder should be) sends pictures to the user's folder.
    const fs::path blocked = dir.path() / "ro";
    writeBytes(blocked, 1);
    const ImageLibraries readOnly(q(blocked / "images"), q(user()));
    const auto third = readOnly.importPictures("icons", {q(dir.path() / "in" / "p.png")});
    ASSERT_EQ(third.files.size(), 1) << third.problems.join('\n').toStdString();
    EXPECT_EQ(fs::path(third.files[0].toStdString()), user() / "icons" / "p.png");
    EXPECT_EQ(readOnly.library("icons").count, 1);
}

TEST_F(Library, DeleteTakesOnlyPicturesOfALibrary) {
    writePicture(app() / "icons" / "a.png", 2, 2);
    writeBytes(app() / "icons" / "keep.txt", 2);
    writePicture(dir.path() / "elsewhere.png", 2, 2);
    writePicture(app() / "loose.png", 2, 2);
    EXPECT_FALSE(libraries().deletePicture(q(dir.path() / "elsewhere.png")));
    EXPECT_FALSE(libraries().deletePicture(q(app() / "loose.png")));
    EXPECT_FALSE(libraries().deletePicture(q(app() / "icons" / "keep.txt")));
    EXPECT_FALSE(libraries().deletePicture(q(app() / "icons" / ".." / ".." / "elsewhere.png")));
    EXPECT_TRUE(fs::exists(dir.path() / "elsewhere.png"));
    EXPECT_TRUE(libraries().deletePicture(q(app() / "icons" / "a.png")));
    EXPECT_FALSE(fs::exists(app() / "icons" / "a.png"));

    // Through the user interface: it asks first; "no" keeps the file.
    writePicture(app() / "icons" / "b.png", 2, 2);
    LibraryUi ui;
    QStringList asked;
    bool answer = false;
    ui.confirm = [&](QWidget*, const QString& question) {
        asked << question;
        return answer;
    };
    ui.report = [](QWidget*, const QString&) {};
    EXPECT_FALSE(ui.deleteFile(nullptr, libraries(), q(app() / "icons" / "b.png")));
    EXPECT_EQ(asked, QStringList{"Delete the picture b.png?"});
    EXPECT_TRUE(fs::exists(app() / "icons" / "b.png"));
    answer = true;
    EXPECT_TRUE(ui.deleteFile(nullptr, libraries(), q(app() / "icons" / "b.png")));
    EXPECT_FALSE(fs::exists(app() / "icons" / "b.png"));
}

TEST_F(Library, TheDialogListsLibrariesWithCountsAndSizes) {
    writeBytes(app() / "big" / "a.wmf", 1048576);
    writeBytes(app() / "small" / "b.wmf", 1023);
    const ImageLibraries store = libraries();
    LibraryUi ui;
    CImagelistMainDlg dialog(store, ui);
    QTreeWidget* table = dialog.libraryTable();
    EXPECT_EQ(table->headerItem()->text(0), "Library");
    EXPECT_EQ(table->headerItem()->text(2), "Size");
    ASSERT_EQ(table->topLevelItemCount(), 2);
    EXPECT_EQ(table->topLevelItem(0)->text(1), "1");
    EXPECT_EQ(table->topLevelItem(0)->text(2), "1.00 MB");
    EXPECT_EQ(table->topLevelItem(1)->text(2), "1023 bytes");
    // Import through the dialog's button into the chosen library.
    writePicture(dir.path() / "in" / "p.png", 3, 3);
    ui.chooseFiles = [&](QWidget*) { return QStringList{q(dir.path() / "in" / "p.png")}; };
    table->setCurrentItem(table->topLevelItem(1));
    dialog.importButton()->click();
    EXPECT_TRUE(fs::exists(app() / "small" / "p.png"));
    EXPECT_EQ(dialog.libraryTable()->topLevelItem(1)->text(1), "2");
    EXPECT_EQ(dialog.pictureTable()->topLevelItemCount(), 2);
}

TEST_F(Library, ThumbnailsArriveFromTheWorkerBrokenOnesAsBrokenTiles) {
    for (int i = 0; i < 12; ++i)
        writePicture(app() / "many" / QString("p%1.png").arg(i, 2, 10, QChar('0')).toStdString(),
                     300, 150);
    writeBytes(app() / "many" / "zz_broken.png", 64);
    CPictureBrowser browser(libraries());
    browser.resize(400, 300);
    ASSERT_EQ(browser.currentLibrary(), "many");
    ASSERT_EQ(browser.gallery()->count(), 13);
    QSignalSpy done(&browser, &CPictureBrowser::thumbnailsDone);
    if (browser.thumbnailsShown() < 13) {
        ASSERT_TRUE(done.wait(10000));
    }
    EXPECT_EQ(browser.thumbnailsShown(), 13);
    QListWidgetItem* broken = browser.gallery()->item(12);
    EXPECT_TRUE(broken->data(CImageGallery::BrokenRole).toBool());
    EXPECT_FALSE(browser.gallery()->item(0)->data(CImageGallery::BrokenRole).toBool());
    // Aspect kept within 96 x 96, centred on a transparent tile, cached.
    EXPECT_EQ(ThumbnailLoader::makeThumbnail(browser.gallery()->pictureAt(0)).size(),
              QSize(96, 48));
    QImage tile;
    ASSERT_TRUE(browser.loader().cached(browser.gallery()->pictureAt(0), &tile));
    EXPECT_EQ(tile.size(), QSize(96, 96));
    EXPECT_EQ(qAlpha(tile.pixel(48, 10)), 0);
    EXPECT_EQ(tile.pixelColor(48, 48), QColor(200, 40, 40));
    // The broken tile carries no drag; a good one carries its path.
    EXPECT_EQ(browser.gallery()->model()->mimeData({browser.gallery()->model()->index(12, 0)}),
              nullptr);
    std::unique_ptr<QMimeData> data(
        browser.gallery()->model()->mimeData({browser.gallery()->model()->index(0, 0)}));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(pictureFromMimeData(data.get()), browser.gallery()->pictureAt(0));
    // Shown again (a library switch and back): everything from the cache.
    QSignalSpy again(&browser, &CPictureBrowser::thumbnailsDone);
    browser.refresh();
    ASSERT_TRUE(again.wait(10000));
    EXPECT_EQ(browser.thumbnailsShown(), 13);
    // Double-click opens the picture.
    QStringList opened;
    browser.openPicture = [&](const QString& file) { opened << file; };
    emit browser.gallery()->itemDoubleClicked(browser.gallery()->item(1));
    EXPECT_EQ(opened, QStringList{browser.gallery()->pictureAt(1)});
}

TEST_F(Library, ADroppedPictureIsCopiedIntoTheProjectAndBecomesAnImageShape) {
    QString file;
    const DeviceCatalogue catalogue = DeviceCatalogue::load(catalogueFile(TFT_APP_DIR));
    ASSERT_TRUE(ProjectWorkspace::create(q(dir.path()), "p", 3, file).ok);
    ProjectWorkspace project(catalogue);
    ASSERT_TRUE(project.open(file).ok);
    writePicture(app() / "icons" / "ok.png", 48, 40);
    PageDocument page;
    ASSERT_TRUE(page.loadText("<DrawPage name=\"\"/>"));
    QString error;
    basic_shape::CShape* shape =
        dropPicture(project, page, QPoint(30, 20), q(app() / "icons" / "ok.png"), &error);
    ASSERT_NE(shape, nullptr) << error.toStdString();
    EXPECT_EQ(shape->typeName(), "IMAGE");
    EXPECT_EQ(shape->property("url"), "ok.png");
    EXPECT_EQ(shape->rect(), (basic_shape::ShapeRect{30, 20, 78, 60}));
    EXPECT_TRUE(shape->isSelected());
    EXPECT_TRUE(fs::exists(dir.path() / "p" / "ok.png"));
    EXPECT_EQ(project.entries(Group::Images), QStringList{"ok.png"});
    EXPECT_TRUE(page.isModified());
    // The same picture again reuses the copy; the page holds two shapes.
    ASSERT_NE(dropPicture(project, page, QPoint(0, 0), q(app() / "icons" / "ok.png")), nullptr);
    EXPECT_EQ(project.entries(Group::Images), QStringList{"ok.png"});
    EXPECT_FALSE(fs::exists(dir.path() / "p" / "ok_1.png"));
    EXPECT_EQ(page.shapes().size(), 2u);
    EXPECT_NE(page.shapes()[0]->name(), page.shapes()[1]->name());
    // One undo takes one drop back.
    page.undo();
    EXPECT_EQ(page.shapes().size(), 1u);
    // A different picture of the same name gets its own copy.
    writePicture(app() / "buttons" / "ok.png", 10, 10);
    shape = dropPicture(project, page, QPoint(0, 0), q(app() / "buttons" / "ok.png"));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->property("url"), "ok_1.png");
    // Not a picture, or no project: nothing happens.
    writeBytes(app() / "icons" / "bad.png", 10);
    EXPECT_EQ(dropPicture(project, page, QPoint(), q(app() / "icons" / "bad.png"), &error),
              nullptr);
    EXPECT_FALSE(error.isEmpty());
    project.close();
    EXPECT_EQ(dropPicture(project, page, QPoint(), q(app() / "icons" / "ok.png")), nullptr);
    EXPECT_EQ(page.shapes().size(), 2u);
}
