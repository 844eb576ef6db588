// Filling and owners without the grid: values in, dependency rules, fonts by
// mask, names, undo steps, refused values, the page and the project.
#include "compiler/device_catalogue.h"
#include "open_project.h"
#include "page_document.h"
#include "property_owner.h"
#include "shape_kinds.h"
#include "test_app.h"
#include "testing/test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace tft;
using namespace tft::ide;

namespace {

constexpr int kToolRectangle = 32777;
constexpr int kToolText = 32783;
constexpr int kToolButton = 32785;
constexpr int kToolMeter = 32788;
constexpr int kToolSlider = 32789;
constexpr int kToolClock = 32790;

class Owners : public ::testing::Test {
protected:
    void SetUp() override { ensurePropertyTestApp(); }
    FillContext context() const {
        FillContext c;
        c.pageNames = {"main", "settings"};
        c.fonts = fontsForMask(loadFontList(QStringLiteral(TFT_APP_DIR "/font/fonts.xml")), 0xFF);
        return c;
    }
    CShape* add(int tool, ShapeRect rect = {10, 10, 70, 50}) {
        return page.createShape(tool, rect, 0xFFFFFF);
    }
    bool editable(const PropertyTemplate& tpl, const char* name) {
        return std::string_view(tpl.find(name).attribute("EDITABLE").value()) != "0";
    }
    PageDocument page;
    ShapeSelectionOwner shapes{page, [this] { return context(); }};
};

} // namespace

TEST_F(Owners, AShapesValuesAndRectangleFillItsTemplate) {
    CShape* text = add(kToolText, {12, 34, 112, 84});
    ASSERT_TRUE(text);
    ASSERT_TRUE(text->propertyChanged("fore_color", "1;2;3"));
    const PropertyTemplate tpl = shapes.propertyTemplate();
    EXPECT_EQ(tpl.value("name"), text->name());
    EXPECT_EQ(tpl.value("xOffset"), "12");
    EXPECT_EQ(tpl.value("yOffset"), "34");
    EXPECT_EQ(tpl.value("width"), "100");
    EXPECT_EQ(tpl.value("height"), "50");
    EXPECT_EQ(tpl.value("fore_color"), "1;2;3");
    // Moving the shape shows in the next fill.
    page.moveSelection(5, 6);
    EXPECT_EQ(shapes.propertyTemplate().value("xOffset"), "17");
    EXPECT_EQ(shapes.propertyTemplate().value("yOffset"), "40");
    // Nothing selected: no shape template.
    page.clearSelection();
    EXPECT_TRUE(shapes.propertyTemplate().empty());
}

TEST_F(Owners, AButtonKeepsOnlyTheItemsOfItsType) {
    add(kToolButton);
    auto names = [&] { return shapes.propertyTemplate(); };
    PropertyTemplate tpl = names();
    EXPECT_TRUE(tpl.find("switch"));
    EXPECT_FALSE(tpl.find("init_state"));
    EXPECT_FALSE(tpl.find("key_type"));
    EXPECT_EQ(tpl.find("switch").attribute("OPTIONS").value(), std::string("main;settings"));

    ASSERT_TRUE(shapes.propertyChanged("button_type", "1").applied);
    tpl = names();
    EXPECT_TRUE(tpl.find("init_state"));
    EXPECT_TRUE(tpl.find("button_style"));
    EXPECT_FALSE(tpl.find("switch"));
    EXPECT_FALSE(tpl.find("key_type"));
    EXPECT_FALSE(tpl.find("key_code"));

    ASSERT_TRUE(shapes.propertyChanged("button_type", "2").applied);
    tpl = names();
    EXPECT_TRUE(tpl.find("key_type"));
    EXPECT_TRUE(tpl.find("key_code")) << "a Char key keeps its code";
    EXPECT_FALSE(tpl.find("init_state"));
    ASSERT_TRUE(shapes.propertyChanged("key_type", "1").applied); // Enter
    EXPECT_FALSE(names().find("key_code"));

    // The cut offsets follow their boxes.
    EXPECT_FALSE(editable(names(), "cut_up_offset_x"));
    ASSERT_TRUE(shapes.propertyChanged("cut_up", "1").applied);
    EXPECT_TRUE(editable(names(), "cut_up_offset_x"));
    EXPECT_TRUE(editable(names(), "cut_up_offset_y"));
    EXPECT_FALSE(editable(names(), "cut_down_offset_x"));
}

TEST_F(Owners, DependentItemsAreEditableOnlyWithTheirSwitch) {
    add(kToolMeter);
    EXPECT_FALSE(editable(shapes.propertyTemplate(), "bkg_image_path"));
    // "Image" is the second choice and stores 2, which the compiler takes as
    // the background picture.
    const pugi::xml_node style = shapes.propertyTemplate().find("show_bkg_style");
    EXPECT_EQ(splitList(style.attribute("OPTIONS").value())[1], "Image");
    EXPECT_EQ(splitList(style.attribute("ENUMS").value())[1], "2");
    ASSERT_TRUE(shapes.propertyChanged("show_bkg_style", "2").applied);
    EXPECT_TRUE(editable(shapes.propertyTemplate(), "bkg_image_path"));
    ASSERT_TRUE(shapes.propertyChanged("show_sub_mark", "0").applied);
    EXPECT_FALSE(editable(shapes.propertyTemplate(), "sub_mark_color"));
    ASSERT_TRUE(shapes.propertyChanged("show_sub_mark", "1").applied);
    EXPECT_TRUE(editable(shapes.propertyTemplate(), "sub_mark_color"));

    page.clearSelection();
    add(kToolSlider);
    ASSERT_TRUE(shapes.propertyChanged("cursor_width", "0").applied);
    EXPECT_FALSE(editable(shapes.propertyTemplate(), "cursor_offset"));
    ASSERT_TRUE(shapes.propertyChanged("cursor_width", "8").applied);
    ASSERT_TRUE(shapes.propertyChanged("cursor_height", "8").applied);
    EXPECT_TRUE(editable(shapes.propertyTemplate(), "cursor_offset"));
    EXPECT_FALSE(editable(shapes.propertyTemplate(), "cursor_image_path"));
    ASSERT_TRUE(shapes.propertyChanged("cursor_type", "1").applied);
    EXPECT_TRUE(editable(shapes.propertyTemplate(), "cursor_image_path"));
    EXPECT_FALSE(editable(shapes.propertyTemplate(), "cursor_direction"));
}

TEST_F(Owners, FontChoicesFollowTheDevicesMask) {
    const auto all = loadFontList(QStringLiteral(TFT_APP_DIR "/font/fonts.xml"));
    ASSERT_GE(all.size(), 3u);
    const auto chosen = fontsForMask(all, 0b101);
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].id, 0);
    EXPECT_EQ(chosen[1].id, 2);
    add(kToolText);
    FillContext c = context();
    c.fonts = chosen;
    const PropertyTemplate tpl = fillShapeTemplate(*page.selection().front(), c);
    EXPECT_EQ(std::string(tpl.find("font").attribute("ENUMS").value()), "0;2");
    EXPECT_EQ(std::string(tpl.find("font").attribute("OPTIONS").value()),
              all[0].name + ";" + all[2].name);
    EXPECT_TRUE(fontsForMask(all, 0).empty());
    EXPECT_TRUE(loadFontList(QStringLiteral("/nonexistent/fonts.xml")).empty());
}

TEST_F(Owners, ANameMustBeValidAndUnique) {
    CShape* first = add(kToolRectangle);
    page.clearSelection();
    CShape* second = add(kToolRectangle, {100, 100, 120, 120});
    const std::string firstName = first->name(), secondName = second->name();
    const int steps = page.history().count();
    ChangeResult result = shapes.propertyChanged("name", "1abc");
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(result.reason, ideText(107));
    result = shapes.propertyChanged("name", firstName);
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(result.reason, ideText(108));
    EXPECT_EQ(second->name(), secondName);
    EXPECT_EQ(page.history().count(), steps);
    EXPECT_TRUE(shapes.propertyChanged("name", "okay_1").applied);
    EXPECT_EQ(second->name(), "okay_1");
    EXPECT_EQ(first->name(), firstName);
}

TEST_F(Owners, OneEditOnThreeShapesIsOneUndoStep) {
    add(kToolText, {0, 0, 10, 10});
    add(kToolText, {20, 0, 30, 10});
    add(kToolText, {40, 0, 50, 10});
    page.selectAll();
    const int steps = page.history().count();
    ASSERT_TRUE(shapes.propertyChanged("fore_color", "10;20;30").applied);
    EXPECT_EQ(page.history().count(), steps + 1);
    for (const auto& shape : page.shapes())
        EXPECT_EQ(shape->property("fore_color"), "10;20;30");
    page.undo();
    for (const auto& shape : page.shapes())
        EXPECT_NE(shape->property("fore_color"), "10;20;30");
}

TEST_F(Owners, ValuesThatDoNotReadAreRefusedWithAReason) {
    CShape* shape = add(kToolRectangle, {10, 10, 70, 50});
    const ShapeRect before = shape->rect();
    const int steps = page.history().count();
    const struct {
        const char* name;
        const char* value;
        const char* says;
    } cases[] = {
        {"width", "12a", "whole number"}, {"pen_color", "1;2;3;4", "R;G;B"},
        {"width", "-5", "negative"},      {"height", "", "whole number"},
        {"xOffset", "99999", "between"},  {"fill_type", "7", "choices"},
        {"id", "5", "cannot be changed"}, {"pen_color", "red", "R;G;B"},
    };
    for (const auto& c : cases) {
        const ChangeResult result = shapes.propertyChanged(c.name, c.value);
        EXPECT_FALSE(result.applied) << c.name << "=" << c.value;
        EXPECT_TRUE(result.reason.contains(QLatin1String(c.says)))
            << c.name << "=" << c.value << ": " << result.reason.toStdString();
    }
    EXPECT_EQ(shape->rect(), before);
    EXPECT_EQ(page.history().count(), steps);
    EXPECT_TRUE(shapes.propertyChanged("width", "0").applied);
    EXPECT_EQ(shape->rect().width(), 0);
}

TEST_F(Owners, ThePageOwnsItsBackground) {
    PageOwner owner(page, [this] { return context(); });
    page.setModified(false);
    EXPECT_TRUE(editable(owner.propertyTemplate(), "bk_color"));
    ASSERT_TRUE(owner.propertyChanged("bk_color", "1;2;3").applied);
    EXPECT_EQ(page.pageProperty("bk_color"), "1;2;3");
    EXPECT_TRUE(page.isModified());
    EXPECT_FALSE(owner.propertyChanged("bk_color", "1;2;3;4").applied);
    EXPECT_FALSE(owner.propertyChanged("name", "other").applied);
    EXPECT_FALSE(editable(owner.propertyTemplate(), "bk_image")) << "the colour is used";
    // Non-zero: the compiler draws the picture, so the picture is what can be chosen.
    ASSERT_TRUE(owner.propertyChanged("bk_transparent", "1").applied);
    EXPECT_FALSE(editable(owner.propertyTemplate(), "bk_color"));
    EXPECT_TRUE(editable(owner.propertyTemplate(), "bk_image"));
    EXPECT_FALSE(owner.propertyChanged("bk_color", "9;9;9").applied);
}

TEST(ProjectOwners, EveryChangeIsWrittenToTheProjectFileAtOnce) {
    ensurePropertyTestApp();
    testsupport::TempFolder dir;
    const DeviceCatalogue catalogue =
        DeviceCatalogue::load(std::filesystem::path(TFT_APP_DIR) / "DeviceInfo.xml");
    ASSERT_GE(catalogue.count(), 2u);
    QString file;
    ASSERT_TRUE(ProjectWorkspace::create(QString::fromStdString(dir.path().string()),
                                         QStringLiteral("demo"), catalogue.at(0).TypeID, file)
                    .ok);
    ProjectWorkspace workspace(catalogue);
    ASSERT_TRUE(workspace.open(file).ok);
    QString page;
    ASSERT_TRUE(workspace.newPage(page).ok);
    const ContextSource source = [&] {
        FillContext c;
        for (const QString& entry : workspace.entries(Group::Pages))
            c.pageNames.push_back(ProjectWorkspace::pageName(entry).toStdString());
        for (std::size_t i = 0; i < catalogue.count(); ++i)
            c.devices.push_back({catalogue.at(i).typeNameUtf8(), catalogue.at(i).TypeID});
        return c;
    };
    ProjectOwner owner(workspace, source);
    const auto onDisk = [&](const char* attribute) {
        pugi::xml_document doc;
        doc.load_file(file.toStdString().c_str());
        return std::string(doc.document_element().attribute(attribute).value());
    };
    PropertyTemplate tpl = owner.propertyTemplate();
    EXPECT_EQ(tpl.value("Name"), "demo");
    EXPECT_EQ(std::string(tpl.find("StartupPage").attribute("OPTIONS").value()), "Screen0");
    EXPECT_EQ(splitList(tpl.find("DeviceType").attribute("ENUMS").value()).size(),
              catalogue.count());

    ASSERT_TRUE(owner.propertyChanged("DeviceBaudRate", "8").applied);
    EXPECT_EQ(onDisk("DeviceBaudRate"), "8");
    ASSERT_TRUE(owner.propertyChanged("Name", "renamed").applied);
    EXPECT_EQ(onDisk("Name"), "renamed");
    EXPECT_FALSE(owner.propertyChanged("Name", "1bad").applied);
    EXPECT_EQ(onDisk("Name"), "renamed");
    const std::string other = std::to_string(catalogue.at(1).TypeID);
    ASSERT_TRUE(owner.propertyChanged("DeviceType", other).applied);
    EXPECT_EQ(onDisk("DeviceType"), other);
    EXPECT_FALSE(owner.propertyChanged("DeviceType", "4242").applied);
    EXPECT_FALSE(owner.propertyChanged("StartupPage", "nowhere").applied);
    EXPECT_FALSE(owner.propertyChanged("StartupAction", "<a><item type='NOPE'/></a>").applied);
    EXPECT_TRUE(owner.propertyChanged("StartupAction", "<a><item type='RECTANGLE'/></a>").applied);

    // The backlight items follow their box.
    EXPECT_STREQ(owner.propertyTemplate().find("DeviceBacklightTime").attribute("EDITABLE").value(),
                 "0");
    ASSERT_TRUE(owner.propertyChanged("DeviceBacklightAutoControl", "1").applied);
    EXPECT_STREQ(owner.propertyTemplate().find("DeviceBacklightTime").attribute("EDITABLE").value(),
                 "1");
    EXPECT_FALSE(owner.propertyChanged("DeviceBacklightTime", "2").applied); // below MIN 3
    EXPECT_TRUE(owner.propertyChanged("DeviceBacklightTime", "3").applied);
    EXPECT_EQ(onDisk("DeviceBacklightTime"), "3");
}
