// The property grid under the offscreen platform: editors opened on rows and
// used as the user does (colour button, drop-down, check box, typed text),
// the shape, the saved page and the compiled screens following; refused
// values; the filter; file choices copied into the project; and the main
// window's pane following the active page and command 32918.
#include "commands.h"
#include "compiler/device_catalogue.h"
#include "main_frame.h"
#include "open_project.h"
#include "page_document.h"
#include "page_frame.h"
#include "properties_controller.h"
#include "properties_pane.h"
#include "solution_pane.h"
#include "test_app.h"
#include "testing/test_support.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace tft;
using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

constexpr int kToolText = 32783;
constexpr int kToolImage = 32784;

void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

template <class T> T* openEditor(CPropertiesPane& pane, const char* name) {
    QTreeWidgetItem* row = pane.item(QString::fromLatin1(name));
    if (!row)
        return nullptr;
    // Making the row current opens its editor, as a click does.
    pane.tree()->setCurrentItem(row, 1);
    settle();
    if (!pane.tree()->viewport()->findChild<T*>())
        pane.tree()->editItem(row, 1);
    settle();
    return pane.tree()->viewport()->findChild<T*>();
}

// The application exists before any widget of a fixture.
struct AppFirst {
    AppFirst() { ensurePropertyTestApp(); }
};

class Grid : public ::testing::Test, private AppFirst {
protected:
    void SetUp() override {
        QString file;
        ASSERT_TRUE(ProjectWorkspace::create(QString::fromStdString(dir.path().string()),
                                             QStringLiteral("grid"), catalogue.at(0).TypeID, file)
                        .ok);
        ASSERT_TRUE(workspace.open(file).ok);
        QString relative;
        ASSERT_TRUE(workspace.newPage(relative).ok);
        projectFile = file.toStdString();
        folder = fs::path(projectFile).parent_path();
        pageFile = (folder / relative.toStdString()).string();
        fs::copy_file(fs::path(TFT_SOURCE_DIR) / "examples/showcase/art/badge.png",
                      folder / "badge.png");
        workspace.addFiles({QString::fromStdString((folder / "badge.png").string())});
        ASSERT_TRUE(page.load(pageFile));
        ASSERT_TRUE(page.createShape(kToolText, {10, 10, 110, 40}, 0xFFFFFF));
        page.selection().front()->propertyChanged("text", "Hello");
        CShape* image = page.createShape(kToolImage, {10, 60, 60, 110}, 0xFFFFFF);
        ASSERT_TRUE(image);
        image->propertyChanged("url", "badge.png");
        ASSERT_TRUE(page.save(pageFile));
        page.select(0);
        pane.resize(360, 640);
        pane.show();
        pane.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
        pane.showOwner(&owner);
    }
    std::vector<std::uint8_t> compile() {
        const auto run = testsupport::runProgram("velmic", {"-p", projectFile, "-l", "1"});
        EXPECT_EQ(run.status, 0) << run.output;
        return testsupport::readBytes(folder / "output" / "grid.si");
    }
    std::string savedPage() {
        std::ifstream in(pageFile);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testsupport::TempFolder dir;
    DeviceCatalogue catalogue = DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    ProjectWorkspace workspace{catalogue};
    std::string projectFile, pageFile;
    fs::path folder;
    PageDocument page;
    ShapeSelectionOwner owner{page, [] {
                                  FillContext c;
                                  c.fonts = {{0, "ASCII 6x12"}, {1, "ASCII 8x16"}};
                                  return c;
                              }};
    CPropertiesPane pane;
};

} // namespace

TEST_F(Grid, AColourAnOptionAndATickReachTheShapeTheFileAndTheCompiledScreens) {
    const auto before = compile();
    ASSERT_FALSE(before.empty());
    CShape* text = page.shapes()[0].get();
    CShape* image = page.shapes()[1].get();

    // A colour through the editor's button and the colour chooser.
    pane.chooseColour = [](const QColor&) { return QColor(255, 0, 0); };
    auto* button = openEditor<QToolButton>(pane, "fore_color");
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_EQ(text->property("fore_color"), "255;0;0");
    EXPECT_EQ(pane.item("fore_color")->text(1), "255;0;0  RGB565 0xF800");

    // An option from the drop-down: the caption is shown, the value stored.
    EXPECT_FALSE(pane.item("bk_color")->flags() & Qt::ItemIsEditable);
    auto* combo = openEditor<QComboBox>(pane, "show_bk");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->count(), 2);
    combo->setCurrentIndex(combo->findText("Yes"));
    settle();
    EXPECT_EQ(text->property("show_bk"), "1");
    EXPECT_EQ(pane.item("show_bk")->text(1), "Yes");
    EXPECT_TRUE(pane.item("bk_color")->flags() & Qt::ItemIsEditable);

    // A tick on the image's filter box.
    page.select(1);
    pane.refresh();
    QTreeWidgetItem* filter = pane.item("filter");
    ASSERT_TRUE(filter);
    EXPECT_FALSE(pane.item("clr_low")->flags() & Qt::ItemIsEditable);
    filter->setCheckState(1, Qt::Checked);
    settle();
    EXPECT_EQ(image->property("filter"), "1");
    EXPECT_TRUE(pane.item("clr_low")->flags() & Qt::ItemIsEditable);

    ASSERT_TRUE(page.save(pageFile));
    const std::string saved = savedPage();
    EXPECT_NE(saved.find("fore_color=\"255;0;0\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("show_bk=\"1\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("filter=\"1\""), std::string::npos) << saved;
    const auto after = compile();
    EXPECT_NE(before, after);
}

TEST_F(Grid, TypedValuesThatDoNotReadAreRefusedAndTheShapeKeepsItsValue) {
    CShape* text = page.shapes()[0].get();
    const ShapeRect rect = text->rect();
    for (const char* typed : {"-5", "abc"}) {
        auto* line = openEditor<QLineEdit>(pane, "width");
        ASSERT_TRUE(line) << typed;
        line->setText(QString::fromLatin1(typed));
        QTest::keyClick(line, Qt::Key_Return);
        settle();
        EXPECT_FALSE(pane.problem().isEmpty()) << typed;
        EXPECT_EQ(text->rect(), rect);
        EXPECT_EQ(pane.item("width")->text(1), "100");
    }
    EXPECT_TRUE(pane.problem().contains("whole number")) << pane.problem().toStdString();
    auto* line = openEditor<QLineEdit>(pane, "width");
    ASSERT_TRUE(line);
    line->setText("120");
    QTest::keyClick(line, Qt::Key_Return);
    settle();
    EXPECT_TRUE(pane.problem().isEmpty());
    EXPECT_EQ(text->rect().width(), 120);
}

TEST_F(Grid, AnEditGoesToTheShapeItWasMadeOnEvenWhenTheSelectionMovesOn) {
    auto* line = openEditor<QLineEdit>(pane, "width");
    ASSERT_TRUE(line);
    line->setText("77");
    // Clicking elsewhere takes the focus from the editor, which commits; the
    // click then selects another shape before the event loop runs again.
    pane.filterBox()->setFocus();
    page.select(1);
    settle();
    EXPECT_EQ(page.shapes()[0]->rect().width(), 77);
    EXPECT_EQ(page.shapes()[1]->rect().width(), 50);
}

TEST_F(Grid, TheFilterNarrowsTheRowsAndTheDescriptionFollowsTheRow) {
    pane.filterBox()->setText("color");
    const auto visible = [&](const char* name) { return !pane.item(name)->isHidden(); };
    EXPECT_TRUE(visible("fore_color"));
    EXPECT_TRUE(visible("bk_color"));
    EXPECT_FALSE(visible("xOffset"));
    EXPECT_FALSE(visible("font"));
    EXPECT_TRUE(visible("content")) << "the group of a match stays";
    pane.filterBox()->setText("yOff"); // by name
    EXPECT_TRUE(visible("yOffset"));
    EXPECT_FALSE(visible("fore_color"));
    pane.filterBox()->clear();
    EXPECT_TRUE(visible("xOffset"));
    pane.tree()->setCurrentItem(pane.item("row_gap"));
    EXPECT_TRUE(pane.description().contains("between text lines"))
        << pane.description().toStdString();
    // A value that matches no choice shows no caption.
    page.shapes()[0]->propertyChanged("font", "7");
    pane.refresh();
    EXPECT_EQ(pane.item("font")->text(1), "");
}

TEST_F(Grid, AChosenFileFromElsewhereIsCopiedIntoTheProject) {
    CPropertiesController controller(&pane, workspace, catalogue, TFT_APP_DIR);
    page.select(1);
    pane.showOwner(&owner);
    fs::create_directories(dir.path() / "elsewhere");
    const fs::path outside = dir.path() / "elsewhere" / "badge.png";
    fs::copy_file(fs::path(TFT_SOURCE_DIR) / "examples/showcase/art/landscape.jpg", outside);
    pane.chooseFile = [](const QString&) { return QString(); };
    pane.browse(pane.item("url"));
    EXPECT_EQ(page.shapes()[1]->property("url"), "badge.png") << "cancelled: nothing changes";
    pane.chooseFile = [&](const QString& filter) {
        EXPECT_TRUE(filter.contains("*.png"));
        return QString::fromStdString(outside.string());
    };
    pane.browse(pane.item("url"));
    const std::string url = page.shapes()[1]->property("url");
    EXPECT_EQ(url, "badge_1.png");
    EXPECT_TRUE(fs::exists(folder / url));
    EXPECT_TRUE(workspace.entries(Group::Images).contains("badge_1.png"));
}

TEST_F(Grid, TheProjectsSlidersAndChoicesWriteTheProjectFile) {
    ProjectOwner project(workspace, [] { return FillContext{}; });
    pane.showOwner(&project);
    const auto onDisk = [&](const char* attribute) {
        pugi::xml_document doc;
        doc.load_file(projectFile.c_str());
        return std::string(doc.document_element().attribute(attribute).value());
    };
    // The backlight time is read-only until the box is ticked.
    EXPECT_FALSE(pane.item("DeviceBacklightTime")->flags() & Qt::ItemIsEditable);
    pane.item("DeviceBacklightAutoControl")->setCheckState(1, Qt::Checked);
    settle();
    EXPECT_EQ(onDisk("DeviceBacklightAutoControl"), "1");
    auto* slider = openEditor<QSlider>(pane, "DeviceBacklightTime");
    ASSERT_TRUE(slider);
    EXPECT_EQ(slider->minimum(), 3);
    EXPECT_EQ(slider->maximum(), 255);
    auto* spin = pane.tree()->viewport()->findChild<QSpinBox*>();
    ASSERT_TRUE(spin);
    spin->setValue(77);
    QTest::keyClick(spin, Qt::Key_Return);
    settle();
    EXPECT_EQ(onDisk("DeviceBacklightTime"), "77");
    EXPECT_EQ(pane.item("DeviceBacklightTime")->text(1), "77");
    // The baud-rate choice 1000000 stores 8.
    auto* combo = openEditor<QComboBox>(pane, "DeviceBaudRate");
    ASSERT_TRUE(combo);
    combo->setCurrentIndex(combo->findText("1000000"));
    settle();
    EXPECT_EQ(onDisk("DeviceBaudRate"), "8");
    EXPECT_EQ(pane.item("DeviceBaudRate")->text(1), "1000000");
}

namespace {

// An owner over a template of its own that records what reaches it.
class RecordingOwner : public IPropertyOwner {
public:
    PropertyTemplate propertyTemplate() const override {
        PropertyTemplate tpl;
        tpl.parse(R"(<item NAME="top" CTYPE="category" CAPTION="Top" TIPS="t">
            <item NAME="face" CTYPE="font" CAPTION="Face" TIPS="f" VALUE="Sans;10pt"/>
            <item NAME="mode" CTYPE="combox" CAPTION="Mode" TIPS="m" VALUE="b"
                  OPTIONS="A;B" ENUMS="a;b"/>
            <item NAME="off" CTYPE="INPUT" CAPTION="Off" TIPS="o" VALUE="1" ENABLE="0"/>
            <item NAME="bad" CTYPE="SELECT" CAPTION="Bad" TIPS="b" VALUE="9"
                  OPTIONS="x;y" ENUMS="1;2"/>
        </item>)");
        for (const auto& [name, value] : values)
            tpl.setValue(name, value);
        return tpl;
    }
    ChangeResult propertyChanged(const std::string& name, const std::string& value) override {
        values[name] = value;
        return ChangeResult::ok();
    }
    std::map<std::string, std::string> values;
};

} // namespace

TEST(GridEditors, FontEditableChoicesDisabledRowsAndUnknownValues) {
    ensurePropertyTestApp();
    CPropertiesPane pane;
    pane.resize(360, 400);
    pane.show();
    RecordingOwner owner;
    pane.showOwner(&owner);
    // A disabled row takes no edits; a value outside the choices shows none.
    EXPECT_FALSE(pane.item("off")->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(pane.item("bad")->text(1), "");
    // The font chooser writes face;size pt and ;bold.
    pane.chooseFont = [](QFont& font) {
        EXPECT_EQ(font.pointSize(), 10);
        font.setPointSize(14);
        font.setBold(true);
        return true;
    };
    auto* button = openEditor<QToolButton>(pane, "face");
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_EQ(owner.values["face"], "Sans;14pt;bold");
    // An editable drop-down takes a choice's value or typed text.
    auto* combo = openEditor<QComboBox>(pane, "mode");
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->currentText(), "B");
    combo->setCurrentIndex(0);
    settle();
    EXPECT_EQ(owner.values["mode"], "a");
    // Cancelling the font chooser changes nothing.
    pane.chooseFont = [](QFont&) { return false; };
    button = openEditor<QToolButton>(pane, "face");
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_EQ(owner.values["face"], "Sans;14pt;bold");
}

TEST(MainFrameProperties, ThePaneFollowsTheActivePageAndShowsTheProjectOnCommand) {
    ensurePropertyTestApp();
    testsupport::TempFolder dir;
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
             fs::copy_options::recursive);
    QSettings store(QString::fromStdString((dir.path() / "orvane.ini").string()),
                    QSettings::IniFormat);
    store.setValue("Settings/Lang", kLanguageEnglish);
    CMainFrame frame(TFT_APP_DIR, &store);
    frame.showMessage = [](const QString&) {};
    // The page is edited below; the window closes without saving it.
    frame.askSave = [](const QString&) { return QMessageBox::Discard; };
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    const std::string projectFile = (dir.path() / "showcase" / "showcase.tftprj").string();
    ASSERT_TRUE(frame.openProject(QString::fromStdString(projectFile)));
    CPropertiesController* properties = frame.properties();
    CPropertiesPane* pane = properties->pane();
    EXPECT_EQ(frame.pane(4001)->widget(), pane);

    QMdiSubWindow* sub = frame.openDocument(
        QString::fromStdString((dir.path() / "showcase" / "controls.tft").string()));
    ASSERT_TRUE(sub);
    frame.mdiArea()->setActiveSubWindow(sub);
    settle();
    auto* page = qobject_cast<CPageFrame*>(sub->widget());
    ASSERT_TRUE(page);
    EXPECT_EQ(properties->showing(), CPropertiesController::Showing::Page);
    EXPECT_TRUE(pane->item("bk_transparent"));
    EXPECT_EQ(pane->item("name")->text(1), "controls");
    {
        // A page attribute marks the page modified and has its views redrawn.
        QSignalSpy redraw(page, SIGNAL(pageChanged()));
        ASSERT_TRUE(pane->commit(pane->item("bk_color"), "1;2;3"));
        EXPECT_EQ(page->document().pageProperty("bk_color"), "1;2;3");
        EXPECT_TRUE(page->isModified());
        EXPECT_GE(redraw.count(), 1);
    }
    EXPECT_EQ(page->document().screenSize(), QSize(800, 480)); // the showcase's model

    ASSERT_FALSE(page->document().shapes().empty());
    page->document().select(0);
    emit page->selectionChanged();
    EXPECT_EQ(properties->showing(), CPropertiesController::Showing::Shapes);
    EXPECT_EQ(pane->item("name")->text(1),
              QString::fromStdString(page->document().shapes()[0]->name()));
    // Moving the shape shows in the grid.
    ASSERT_TRUE(pane->item("xOffset")) << "the first shape of the page has a position";
    const int x = pane->item("xOffset")->text(1).toInt();
    page->document().nudge(1, 0);
    EXPECT_EQ(pane->item("xOffset")->text(1).toInt(), x + 1);
    page->document().undo();
    EXPECT_EQ(pane->item("xOffset")->text(1).toInt(), x);

    frame.runCommand(cmd::ProjectSettings);
    EXPECT_EQ(properties->showing(), CPropertiesController::Showing::Project);
    ASSERT_TRUE(pane->item("DeviceBaudRate"));
    EXPECT_EQ(pane->item("Name")->text(0), "Name");
    frame.setLanguage(kLanguageChinese);
    EXPECT_EQ(pane->item("Name")->text(0), QString::fromUtf8("名称"));
    frame.setLanguage(kLanguageEnglish);

    // The name goes to the file at once and to the tree's root.
    ASSERT_TRUE(pane->commit(pane->item("Name"), "renamed"));
    EXPECT_EQ(frame.solutionPane()->topLevelItem(0)->text(0), "renamed");
    EXPECT_EQ(pane->item("Name")->text(1), "renamed");
    EXPECT_FALSE(pane->commit(pane->item("Name"), "1abc"));
    EXPECT_EQ(pane->problem(), ideText(107));
    {
        pugi::xml_document onDisk;
        onDisk.load_file(projectFile.c_str());
        EXPECT_STREQ(onDisk.document_element().attribute("Name").value(), "renamed");
    }

    // A model change rebuilds the grid and resizes the open pages.
    const DeviceCatalogue catalogue =
        DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    const CDeviceInfoProp& small = catalogue.at(0);
    ASSERT_TRUE(pane->commit(pane->item("DeviceType"), QString::number(small.TypeID)));
    EXPECT_EQ(page->document().screenSize(),
              QSize(small.ScreenResolutionWidth, small.ScreenResolutionHeight));
    pugi::xml_document saved;
    saved.load_file(projectFile.c_str());
    EXPECT_EQ(saved.document_element().attribute("DeviceType").as_int(), small.TypeID);

    // Selecting again leaves the project.
    emit page->selectionChanged();
    EXPECT_EQ(properties->showing(), CPropertiesController::Showing::Shapes);
    if (const char* shot = std::getenv("PROPERTIES_SCREENSHOT")) {
        frame.resize(1280, 800);
        settle();
        frame.grab().save(QString::fromLocal8Bit(shot));
    }
    // Closing the page leaves nothing to show.
    sub->close();
    settle();
    EXPECT_EQ(properties->showing(), CPropertiesController::Showing::Nothing);
    EXPECT_EQ(pane->tree()->topLevelItemCount(), 0);
}
