// Project loading against a catalogue, the device settings record and the
// build driver's outcome, in-process.
#include "compiler/build_driver.h"
#include "compiler/item_registry.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testsupport;
using ::testing::HasSubstr;

namespace {

const char* kCatalogue = R"(<DeviceInfo>
  <Device TypeID="2" ScreenResolutionWidth="480" ScreenResolutionHeight="272"/>
  <Device TypeID="7" ScreenResolutionWidth="800" ScreenResolutionHeight="480"/>
  <Device TypeID="7" ScreenResolutionWidth="1" ScreenResolutionHeight="1"/>
</DeviceInfo>)";

class ProjectLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tft::ensureItemKindsRegistered());
        catalogue_ = tft::DeviceCatalogue::parse(kCatalogue);
        folder_.write("main.tft", pageXml("main"));
    }
    bool load(const std::string& attributes, std::vector<std::string> pages = {"main.tft"},
              bool waves = true) {
        folder_.write("p.tftprj", projectXml(attributes, pages, waves));
        return project_.load((folder_.path() / "p.tftprj").string(), catalogue_);
    }

    TempFolder folder_;
    CapturedSink sink_;
    tft::DeviceCatalogue catalogue_;
    tft::CProject project_;
};

} // namespace

TEST_F(ProjectLoad, DefaultsOfTheProjectFile) {
    ASSERT_TRUE(load("DeviceType=\"7\""));
    EXPECT_EQ(project_.name(), "");
    EXPECT_EQ(project_.outputDirectorySetting(), "output\\");
    EXPECT_EQ(project_.outputDirectory(), project_.projectFolder() + "output\\");
    EXPECT_EQ(project_.deviceBacklightTime(), 30);
    EXPECT_EQ(project_.deviceBacklightOn(), 20);
    EXPECT_EQ(project_.deviceBacklightOff(), 200);
    EXPECT_EQ(project_.deviceScreensPresent(), 1);
    // Duplicate type ids: the first model wins.
    EXPECT_EQ(project_.screenWidth(), 800);
    EXPECT_EQ(project_.screenHeight(), 480);
    EXPECT_EQ(project_.pageCount(), 1u);
    EXPECT_EQ(project_.fileName(), "p.tftprj");
    EXPECT_EQ(sink_.text(), "开始编译画面...\n");
}

TEST_F(ProjectLoad, TurnedScreenSwapsWidthAndHeight) {
    ASSERT_TRUE(load("DeviceType=\"2\" DeviceScreenRvs=\"1\""));
    EXPECT_EQ(project_.screenWidth(), 272);
    EXPECT_EQ(project_.screenHeight(), 480);
    ASSERT_TRUE(load("DeviceType=\"2\" DeviceScreenRvs=\"2\""));
    EXPECT_EQ(project_.screenWidth(), 480);
}

TEST_F(ProjectLoad, WithoutWavesTheSoundListIsEmpty) {
    ASSERT_TRUE(load("DeviceType=\"2\"", {"main.tft"}, false));
    EXPECT_TRUE(project_.waves().empty());
}

TEST_F(ProjectLoad, ImagesAndWavesInOrder) {
    folder_.write("p.tftprj",
                  "<Orvane DeviceType='2'><Pages/><Images>"
                  "<Image RelativePath='a.png' Download='1'/><Image RelativePath='b.gif'/>"
                  "</Images><Waves><Wave RelativePath='s.wav'/></Waves></Orvane>");
    ASSERT_TRUE(project_.load((folder_.path() / "p.tftprj").string(), catalogue_));
    ASSERT_EQ(project_.images().size(), 2u);
    EXPECT_EQ(project_.images()[0].path, "a.png");
    EXPECT_EQ(project_.images()[0].download, 1);
    EXPECT_EQ(project_.images()[1].download, 0);
    ASSERT_EQ(project_.waves().size(), 1u);
    EXPECT_EQ(project_.waves()[0].path, "s.wav");
    // No Page at all: a warning, and the load goes on.
    EXPECT_EQ(sink_.text(), "开始编译画面...\n警告：当前工程无画面...\n");
}

TEST_F(ProjectLoad, MissingPagesOrImagesFailsTheLoad) {
    folder_.write("p.tftprj", "<Orvane DeviceType='2'><Images/></Orvane>");
    EXPECT_FALSE(project_.load((folder_.path() / "p.tftprj").string(), catalogue_));
    folder_.write("p.tftprj", "<Orvane DeviceType='2'><Pages/></Orvane>");
    EXPECT_FALSE(project_.load((folder_.path() / "p.tftprj").string(), catalogue_));
}

TEST_F(ProjectLoad, UnknownDeviceType) {
    EXPECT_FALSE(load("DeviceType=\"3\""));
    EXPECT_EQ(sink_.text(), "错误：工程的设备类型不存在...\n");
    tft::CProject other;
    EXPECT_FALSE(other.loadText("<Orvane DeviceType='2'><Pages/><Images/></Orvane>", "",
                                tft::DeviceCatalogue::parse("<DeviceInfo/>")));
}

TEST_F(ProjectLoad, PageFailureStopsAtThatPage) {
    folder_.write("bad.tft", "<DrawPage name='bad'><item type='nonsense'/></DrawPage>");
    folder_.write("later.tft", pageXml("later"));
    EXPECT_FALSE(load("DeviceType=\"2\"", {"main.tft", "bad.tft", "later.tft"}));
    EXPECT_EQ(project_.pageCount(), 1u);
    EXPECT_THAT(sink_.text(), HasSubstr("错误：加载bad.tft失败...\n"));
}

TEST_F(ProjectLoad, PageFileProblems) {
    folder_.write("typeless.tft", "<DrawPage name='x'><item/></DrawPage>");
    EXPECT_FALSE(load("DeviceType=\"2\"", {"typeless.tft"}));
    folder_.write("empty.tft", "");
    EXPECT_FALSE(load("DeviceType=\"2\"", {"empty.tft"}));
    EXPECT_FALSE(load("DeviceType=\"2\"", {"absent.tft"}));
    EXPECT_FALSE(load("DeviceType=\"2\"", {"folder/"}));
    EXPECT_THAT(sink_.text(), HasSubstr("错误：画面"));
}

TEST_F(ProjectLoad, PageAttributes) {
    folder_.write("main.tft", pageXml("main", "bk_transparent='1' bk_color='1; 2; 3' "
                                              "bk_image='(Image)'"));
    ASSERT_TRUE(load("DeviceType=\"2\""));
    const auto& page = *project_.pages().at(0);
    EXPECT_EQ(page.name(), "main");
    EXPECT_EQ(page.bkTransparent(), 1);
    EXPECT_EQ(page.bkColor(), tft::rgb(1, 2, 3));
    EXPECT_EQ(page.bkImage(), "(Image)");
    EXPECT_EQ(page.extension(), "tft");
}

TEST_F(ProjectLoad, SavedPageLoadsBackTheSame) {
    tft::CItemEditor page;
    ASSERT_TRUE(page.loadText("<DrawPage name='s' bk_transparent='0' bk_color='9;8;7' "
                              "bk_image=''><item type='CIRCLE' name='c' radius='5'/>"
                              "<item type='TEXT' name='t' text='a&amp;b'/></DrawPage>"));
    const std::string file = (folder_.path() / "s.tft").string();
    std::string error;
    ASSERT_TRUE(page.save(file, &error)) << error;
    tft::CItemEditor again;
    ASSERT_TRUE(again.load(file));
    EXPECT_EQ(again.name(), "s");
    EXPECT_EQ(again.bkColor(), tft::rgb(9, 8, 7));
    ASSERT_EQ(again.items().size(), 2u);
    EXPECT_EQ(again.items()[1]->kindName(), "TEXT");
    const std::string first = readBytes(file).size() ? std::string() : "empty";
    EXPECT_TRUE(first.empty());
    ASSERT_TRUE(again.save(file + "2"));
    EXPECT_EQ(readBytes(file), readBytes(file + "2"));
}

TEST(DeviceSettings, RecordFieldsAreTruncatedToTheirWidths) {
    ASSERT_TRUE(tft::ensureItemKindsRegistered());
    CapturedSink sink;
    tft::CProject project;
    ASSERT_TRUE(project.loadText(
        "<Orvane DeviceType='258' DeviceBaudRate='260' DeviceCoordinateUpdateMode='3' "
        "DeviceEnableTouchPane='1' DeviceEnableBuzzer='6' DeviceScreenNotify='1' "
        "DeviceControlNotify='2' DeviceScreenRvs='3' DeviceBacklightAutoControl='1' "
        "DeviceBacklightTime='70000' DeviceBacklightOn='300' DeviceBacklightOff='0'>"
        "<Pages/><Images/></Orvane>",
        "", tft::DeviceCatalogue::parse("<DeviceInfo><Device TypeID='258'/></DeviceInfo>")));
    // flags: 1 | touch << 1 | (6 & 3) << 2 | 3 << 4 | 1 << 6 = 0x7B
    const std::array<std::uint8_t, 12> expected{0x02, 0x01, 0x7B, 0x00, 4,    3,
                                                1,    2,    0x70, 0x11, 0xD3, 0xFF};
    EXPECT_EQ(tft::deviceSettingsRecord(project), expected);
}

TEST(BuildOutcome, WarningsAloneDoNotFailTheBuild) {
    // Until picture compilation exists nothing in a loadable project with a
    // start-up screen warns, so a warning reported before the build stands in.
    ASSERT_TRUE(tft::ensureItemKindsRegistered());
    TempFolder folder;
    folder.write("main.tft", pageXml("main"));
    CapturedSink sink;
    tft::CProject project;
    ASSERT_TRUE(
        project.loadText(projectXml("Name='w' DeviceType='2' StartupPage='MAIN'", {"main.tft"}),
                         folder.path().string() + "/", tft::DeviceCatalogue::parse(kCatalogue)));
    tft::CBuildActionManager::instance().warning(std::string("stand-in"));
    auto store = tft::CreateScreenInfoStore();
    tft::CompilerOptions options;
    tft::BuildDriver driver(project, options, *store);
    EXPECT_TRUE(driver.build());
    EXPECT_TRUE(driver.outputAccepted());
    EXPECT_THAT(sink.text(), HasSubstr("\nw - 0 error(s), 1 warning(s)\n"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "output"));
    EXPECT_EQ(driver.identifiers().definitions(),
              "//创建画面main的命令索引ID\n" + tft::defineLine("_SCREEN_MAIN", 0));
}

TEST(BuildOutcome, AnErrorFailsTheBuildAndIsCounted) {
    ASSERT_TRUE(tft::ensureItemKindsRegistered());
    TempFolder folder;
    CapturedSink sink;
    tft::CProject project;
    ASSERT_TRUE(project.loadText("<Orvane Name='w' DeviceType='2'><Pages/><Images/></Orvane>",
                                 folder.path().string() + "/",
                                 tft::DeviceCatalogue::parse(kCatalogue)));
    auto store = tft::CreateScreenInfoStore();
    tft::CompilerOptions options;
    tft::BuildDriver driver(project, options, *store);
    EXPECT_FALSE(driver.build()); // no start-up page: message 112
    EXPECT_THAT(sink.text(), HasSubstr("\nw - 1 error(s), 1 warning(s)\n"));
}

namespace {

// The process's store, except that writing the file fails.
class UnwritableStore : public tft::IScreenInfoStore {
public:
    explicit UnwritableStore(tft::IScreenInfoStore& real) : real_(real) {}
    bool SaveScreenInfo(const std::string&, std::string* error) override {
        if (error != nullptr)
            *error = "disk full";
        return false;
    }
    void SetFormatTag(std::uint32_t tag) override { real_.SetFormatTag(tag); }
    void SetStartupBlock(std::uint16_t block, int enable) override {
        real_.SetStartupBlock(block, enable);
    }
    std::uint16_t GetScreenId(const std::string& name) override { return real_.GetScreenId(name); }
    void SetScreenCommands(std::uint16_t screen, const std::uint8_t* bytes,
                           std::size_t count) override {
        real_.SetScreenCommands(screen, bytes, count);
    }
    std::uint16_t AddCommandBlock(const std::uint8_t* bytes, std::size_t count) override {
        return real_.AddCommandBlock(bytes, count);
    }
    void SetDeviceSettings(const std::uint8_t* record) override { real_.SetDeviceSettings(record); }

private:
    tft::IScreenInfoStore& real_;
};

} // namespace

// A screen information file that cannot be written fails the build and is
// counted in the summary, which comes after it.
TEST(BuildOutcome, FailedScreenInformationWriteIsCountedBeforeTheSummary) {
    ASSERT_TRUE(tft::ensureItemKindsRegistered());
    TempFolder folder;
    folder.write("main.tft", pageXml("main"));
    CapturedSink sink;
    tft::CProject project;
    ASSERT_TRUE(
        project.loadText(projectXml("Name='w' DeviceType='2' StartupPage='main'", {"main.tft"}),
                         folder.path().string() + "/", tft::DeviceCatalogue::parse(kCatalogue)));
    auto real = tft::CreateScreenInfoStore();
    UnwritableStore store(*real);
    tft::CompilerOptions options;
    tft::BuildDriver driver(project, options, store);
    EXPECT_FALSE(driver.build());
    const std::string out = sink.text();
    const auto failure = out.find("disk full");
    const auto summary = out.find("\nw - 1 error(s), 0 warning(s)\n");
    ASSERT_NE(failure, std::string::npos) << out;
    ASSERT_NE(summary, std::string::npos) << out;
    EXPECT_LT(failure, summary);
}
