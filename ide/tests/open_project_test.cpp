// The open-project model on real files: opening, bad input, new project and
// page, adding, removing and renaming entries, saving and backup.
#include "open_project.h"
#include "string_table.h"
#include "testing/test_support.h"

#include <QFile>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

class Workspace : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(currentStrings().load(languageFile(TFT_APP_DIR, 50011)));
        catalogue = tft::DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", dir.path() / "showcase",
                 fs::copy_options::recursive);
    }
    QString q(const fs::path& p) const { return QString::fromStdString(p.string()); }
    QString showcase() const { return q(dir.path() / "showcase" / "showcase.tftprj"); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    pugi::xml_node root(const ProjectWorkspace& w) { return w.document().document_element(); }

    testsupport::TempFolder dir;
    tft::DeviceCatalogue catalogue;
};

} // namespace

TEST_F(Workspace, OpensTheShowcaseWithItsGroups) {
    ProjectWorkspace w(catalogue);
    testing::internal::CaptureStdout();
    const Outcome opened = w.open(showcase());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(opened.ok) << opened.message.toStdString();
    EXPECT_EQ(w.title(), "showcase");
    EXPECT_EQ(w.entries(Group::Pages),
              (QStringList{"home.tft", "drawing.tft", "controls.tft", "gauges.tft"}));
    EXPECT_EQ(w.entries(Group::Images).size(), 6);
    EXPECT_EQ(w.entries(Group::Sounds), QStringList{"art\\beep.wav"});
    EXPECT_EQ(w.model().pages().size(), 4u);
    EXPECT_EQ(w.device()->TypeID, 3);
    EXPECT_TRUE(w.codeFiles().isEmpty());
    fs::create_directories(dir.path() / "showcase" / "output");
    for (const char* f : {"b.C", "a.h", "x.txt", "hmi_driver.c"})
        std::ofstream(dir.path() / "showcase" / "output" / f) << "x";
    EXPECT_EQ(w.codeFiles(), (QStringList{"a.h", "b.C", "hmi_driver.c"}));
    EXPECT_EQ(w.outputBase(), q(dir.path() / "showcase" / "output" / "showcase"));
}

TEST_F(Workspace, LoadMessagesGoToTheIdeNotToStandardOutput) {
    // An unknown model makes the project model report an error.
    const fs::path file = dir.path() / "showcase" / "showcase.tftprj";
    std::string text = read(file);
    text.replace(text.find("DeviceType=\"3\""), 14, "DeviceType=\"77\"");
    std::ofstream(file) << text;
    ProjectWorkspace w(catalogue);
    testing::internal::CaptureStdout();
    const Outcome opened = w.open(showcase());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(opened.ok);
    EXPECT_FALSE(w.isOpen());
    EXPECT_TRUE(opened.message.contains(showcase())) << opened.message.toStdString();
}

TEST_F(Workspace, BadProjectFilesNameTheFileAndOffset) {
    ProjectWorkspace w(catalogue);
    const fs::path broken = dir.path() / "broken.tftprj";
    std::ofstream(broken) << "<Orvane Name='x'><Pages></Orvane>";
    Outcome o = w.open(q(broken));
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains(q(broken))) << o.message.toStdString();
    EXPECT_TRUE(o.message.contains("mismatch at offset 26")) << o.message.toStdString();
    std::ofstream(dir.path() / "empty.tftprj");
    o = w.open(q(dir.path() / "empty.tftprj"));
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains("offset 0")) << o.message.toStdString();
    o = w.open(q(dir.path() / "missing.tftprj"));
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains("does not exist"));
    EXPECT_FALSE(w.isOpen());
}

TEST_F(Workspace, ABadPageIsNamedWithItsOffsetAndNothingOpens) {
    std::ofstream(dir.path() / "showcase" / "drawing.tft") << "<DrawPage name='drawing'><item";
    ProjectWorkspace w(catalogue);
    const Outcome o = w.open(showcase());
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains("drawing.tft")) << o.message.toStdString();
    EXPECT_TRUE(o.message.contains("offset")) << o.message.toStdString();
    EXPECT_FALSE(w.isOpen());
}

TEST_F(Workspace, ProjectFilesAreRecognisedInAnyCase) {
    EXPECT_TRUE(isProjectFile("/a/X.TFTPRJ"));
    EXPECT_TRUE(isProjectFile("/a/x.TftPrj"));
    EXPECT_FALSE(isProjectFile("/a/x.tft"));
    EXPECT_FALSE(isProjectFile("/a/x.tftprj.png"));
    fs::copy_file(dir.path() / "showcase" / "showcase.tftprj",
                  dir.path() / "showcase" / "X.TFTPRJ");
    ProjectWorkspace w(catalogue);
    EXPECT_TRUE(w.open(q(dir.path() / "showcase" / "X.TFTPRJ")).ok);
    EXPECT_EQ(w.title(), "X");
}

TEST_F(Workspace, NewProjectOverAnExistingFolderIsRefusedAndNothingDeleted) {
    fs::create_directories(dir.path() / "demo");
    std::ofstream(dir.path() / "demo" / "keep.txt") << "mine";
    QString file;
    const Outcome o = ProjectWorkspace::create(q(dir.path()), "demo", 3, file);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.message, QStringLiteral("A project of that name already exists; please change "
                                        "the project name!"));
    EXPECT_EQ(read(dir.path() / "demo" / "keep.txt"), "mine");
    EXPECT_FALSE(fs::exists(dir.path() / "demo" / "demo.tftprj"));
}

TEST_F(Workspace, NewProjectCarriesItsNameAndModel) {
    QString file;
    ASSERT_TRUE(ProjectWorkspace::create(q(dir.path() / "deep" / "er"), "panel_1", 2, file).ok);
    EXPECT_EQ(file, q(dir.path() / "deep" / "er" / "panel_1" / "panel_1.tftprj"));
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(file).ok);
    EXPECT_EQ(w.projectName(), "panel_1");
    EXPECT_EQ(w.deviceType(), 2);
    // The attributes in their order, the three groups empty.
    std::string names;
    for (const pugi::xml_attribute a : root(w).attributes())
        names += std::string(a.name()) + " ";
    EXPECT_EQ(names, "Name OutputDirectory StartupPage StartupAction StartupActionLoop DeviceType "
                     "DeviceEnableControl DeviceEnableTouchPane DeviceEnableBuzzer DeviceBaudRate "
                     "DeviceCoordinateUpdateMode DeviceControlNotify DeviceScreenNotify "
                     "DeviceScreenRvs DeviceBacklightAutoControl DeviceBacklightTime "
                     "DeviceBacklightOn DeviceBacklightOff Version ");
    EXPECT_STREQ(root(w).first_child().name(), "Pages");
    EXPECT_STREQ(root(w).last_child().name(), "Waves");
    EXPECT_FALSE(ProjectWorkspace::create(q(dir.path()), "9lives", 2, file).ok);
}

TEST_F(Workspace, NewPagesAreNumberedFromZeroAndReuseFreedNumbers) {
    QString file;
    ASSERT_TRUE(ProjectWorkspace::create(q(dir.path()), "p", 3, file).ok);
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(file).ok);
    QString page;
    ASSERT_TRUE(w.newPage(page).ok);
    EXPECT_EQ(page, "Screen0.tft");
    EXPECT_EQ(w.startupPage(), "Screen0");
    ASSERT_TRUE(w.newPage(page).ok);
    EXPECT_EQ(page, "Screen1.tft");
    EXPECT_EQ(w.startupPage(), "Screen0");
    ASSERT_TRUE(w.remove(Group::Pages, "Screen0.tft").ok);
    ASSERT_TRUE(w.newPage(page).ok);
    EXPECT_EQ(page, "Screen0.tft");
    // The file of the removed page was kept aside, the new one is a fresh page.
    EXPECT_TRUE(fs::exists(dir.path() / "p" / "Screen0.tft~"));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((dir.path() / "p" / "Screen0.tft").c_str()));
    EXPECT_STREQ(doc.document_element().name(), "DrawPage");
    EXPECT_STREQ(doc.document_element().attribute("name").value(), "Screen0");
    // Saved to disk, and the model reads it back.
    ProjectWorkspace again(catalogue);
    ASSERT_TRUE(again.open(file).ok);
    EXPECT_EQ(again.entries(Group::Pages), (QStringList{"Screen1.tft", "Screen0.tft"}));
    EXPECT_EQ(again.model().pages().size(), 2u);
}

TEST_F(Workspace, AddedFilesAreCopiedInAndGetBackslashPaths) {
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(showcase()).ok);
    fs::create_directories(dir.path() / "elsewhere");
    fs::copy_file(dir.path() / "showcase" / "art" / "badge.png",
                  dir.path() / "elsewhere" / "badge.png");
    std::ofstream(dir.path() / "elsewhere" / "notes.txt") << "x";
    const auto added = w.addFiles({q(dir.path() / "showcase" / "art" / "beep.wav"),
                                   q(dir.path() / "showcase" / "art" / "landscape.jpg"),
                                   q(dir.path() / "elsewhere" / "badge.png"),
                                   q(dir.path() / "showcase" / "home.tft"),
                                   q(dir.path() / "elsewhere" / "notes.txt")});
    // beep.wav, landscape.jpg and home.tft are already entries; badge.png
    // from elsewhere is copied in beside the project file; notes.txt is no kind.
    EXPECT_EQ(added.entries, QStringList{"badge.png"});
    EXPECT_EQ(added.problems.size(), 1);
    EXPECT_TRUE(fs::exists(dir.path() / "showcase" / "badge.png"));
    fs::create_directories(dir.path() / "showcase" / "more" / "deep");
    std::ofstream(dir.path() / "showcase" / "more" / "deep" / "Tone.WAV") << "RIFF";
    const auto inside = w.addFiles({q(dir.path() / "showcase" / "more" / "deep" / "Tone.WAV")});
    EXPECT_EQ(inside.entries, QStringList{"more\\deep\\Tone.WAV"});
    // A second file named badge.png from elsewhere never replaces the first.
    fs::create_directories(dir.path() / "other");
    std::ofstream(dir.path() / "other" / "badge.png") << "other";
    const auto second = w.addFiles({q(dir.path() / "other" / "badge.png")});
    EXPECT_EQ(second.entries, QStringList{"badge_1.png"});
    ProjectWorkspace again(catalogue);
    ASSERT_TRUE(again.open(showcase()).ok);
    EXPECT_TRUE(again.entries(Group::Images).contains("badge.png"));
    EXPECT_TRUE(again.entries(Group::Sounds).contains("more\\deep\\Tone.WAV"));
}

TEST_F(Workspace, RenameRules) {
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(showcase()).ok);
    QString renamed, message;
    EXPECT_EQ(w.renamePage("home.tft", "1st", renamed, message), RenameResult::InvalidName);
    EXPECT_EQ(message.toStdString(), "A name may hold only letters, digits and underscores, and "
                                     "must not start with a digit!");
    EXPECT_EQ(w.renamePage("home.tft", "a-b", renamed, message), RenameResult::InvalidName);
    EXPECT_EQ(w.renamePage("home.tft", QStringLiteral("主页"), renamed, message),
              RenameResult::InvalidName);
    EXPECT_EQ(w.renamePage("home.tft", "home", renamed, message), RenameResult::Unchanged);
    EXPECT_EQ(w.renamePage("home.tft", "drawing", renamed, message), RenameResult::NotUnique);
    EXPECT_EQ(message.toStdString(), "The name must be unique!");
    ASSERT_EQ(w.renamePage("home.tft", "_start2", renamed, message), RenameResult::Renamed)
        << message.toStdString();
    EXPECT_EQ(renamed, "_start2.tft");
    EXPECT_FALSE(fs::exists(dir.path() / "showcase" / "home.tft"));
    pugi::xml_document page;
    ASSERT_TRUE(page.load_file((dir.path() / "showcase" / "_start2.tft").c_str()));
    EXPECT_STREQ(page.document_element().attribute("name").value(), "_start2");
    EXPECT_EQ(page.document_element().select_nodes("item").size(), [&] {
        pugi::xml_document d;
        d.load_file((fs::path(TFT_SOURCE_DIR) / "examples/showcase/home.tft").c_str());
        return d.document_element().select_nodes("item").size();
    }());
    // The project file on disk follows: entry and start page.
    ProjectWorkspace again(catalogue);
    ASSERT_TRUE(again.open(showcase()).ok);
    EXPECT_EQ(again.entries(Group::Pages).first(), "_start2.tft");
    EXPECT_EQ(again.startupPage(), "_start2");
    EXPECT_TRUE(again.renameProject("renamed").ok);
    EXPECT_EQ(again.projectName(), "renamed");
    EXPECT_FALSE(again.renameProject("bad name").ok);
}

TEST_F(Workspace, BackupFolderNameAndCopy) {
    const QDateTime when(QDate(2024, 1, 31), QTime(23, 59, 59));
    EXPECT_EQ(backupFolderName("/b", "demo", when), "/b/demo_20240131235959");
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(showcase()).ok);
    fs::create_directories(dir.path() / "backups");
    QString target;
    ASSERT_TRUE(w.backup(q(dir.path() / "backups"), when, target).ok);
    EXPECT_EQ(target, q(dir.path() / "backups" / "showcase_20240131235959"));
    EXPECT_EQ(read(dir.path() / "backups" / "showcase_20240131235959" / "art" / "beep.wav"),
              read(dir.path() / "showcase" / "art" / "beep.wav"));
    EXPECT_TRUE(w.isOpen());
    EXPECT_EQ(w.path(), showcase());
    // Into the project's own folder it would copy itself without end.
    EXPECT_FALSE(w.backup(q(dir.path() / "showcase" / "art"), when, target).ok);
    EXPECT_FALSE(fs::exists(dir.path() / "showcase" / "art" / "showcase_20240131235959"));
    // The same second twice does not mix two backups.
    EXPECT_FALSE(w.backup(q(dir.path() / "backups"), when, target).ok);
}

TEST_F(Workspace, ClosingLeavesTheBuiltInProject) {
    ProjectWorkspace w(catalogue);
    ASSERT_TRUE(w.open(showcase()).ok);
    w.close();
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(w.projectName(), "Test");
    EXPECT_EQ(w.deviceType(), 0);
    QString page;
    EXPECT_FALSE(w.newPage(page).ok);
    EXPECT_FALSE(w.save().ok);
}
