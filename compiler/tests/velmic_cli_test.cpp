// velmic through its real command line, on temporary project folders.
#include "test_support.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

using namespace testsupport;
using ::testing::HasSubstr;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string kDefaults = "Name=\"demo\" DeviceType=\"3\" StartupPage=\"main\"";

std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

// A project of two pages, main and second, in a temporary folder.
class TwoScreens : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.write("main.tft", pageXml("main"));
        folder_.write("second.tft",
                      pageXml("second", "bk_transparent=\"0\" bk_color=\"255; 0; 0\""));
    }
    void writeProject(const std::string& attributes) {
        folder_.write("demo.tftprj", projectXml(attributes, {"main.tft", "second.tft"}));
    }
    std::string project() const { return (folder_.path() / "demo.tftprj").string(); }
    Bytes image() const { return readBytes(folder_.path() / "output" / "demo.si"); }

    TempFolder folder_;
};

} // namespace

TEST_F(TwoScreens, ScreenImageHeaderIndexAndRecordsAreByteExact) {
    writeProject("Name=\"demo\" DeviceType=\"3\" StartupPage=\"MAIN\"");
    const RunResult run = runVelmic({"-p", project()});
    ASSERT_EQ(run.status, 0) << run.output;

    Bytes expected(136, 0);
    const Bytes tag{'Q', 'V', '1', '0', 136};
    std::copy(tag.begin(), tag.end(), expected.begin());
    expected[16] = 2;   // screens
    expected[24] = 136; // index
    expected[36] = 152; // start table
    expected[40] = 1;   // one command block
    expected[44] = 196; // image size
    // Device settings: type 3; flags: screens present; back-light 30 s,
    // levels 255-20 and 255-200.
    const Bytes settings{3, 0, 1, 0, 0, 0, 0, 0, 30, 0, 235, 55};
    std::copy(settings.begin(), settings.end(), expected.begin() + 88);
    const Bytes rest{
        13, 0, 0, 0, 160, 0, 0, 0, // screen 0 (main): 14 bytes at 160
        13, 0, 0, 0, 174, 0, 0, 0, // screen 1 (second): 14 bytes at 174
        7, 0, 0, 0, 188, 0, 0, 0,  // block 0 (start-up): 8 bytes at 188
        // main: background 0;0;255 (the default), clear
        0xEE, 0x42, 0x00, 0x1F, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF,
        // second: 255; 0; 0 with a blank after each semicolon
        0xEE, 0x42, 0xF8, 0x00, 0xFF, 0xFC, 0xFF, 0xFF, 0xEE, 0x01, 0xFF, 0xFC, 0xFF, 0xFF,
        // start-up: show screen 0, found although StartupPage is "MAIN"
        0xEE, 0xB2, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF};
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(image(), expected);
}

TEST_F(TwoScreens, StartupPageOfAnotherCaseIsFoundAndAsksForTheFirstId) {
    writeProject("Name=\"demo\" DeviceType=\"3\" StartupPage=\"SeCoNd\"");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("启动画面设置错误")));
    const Bytes si = image();
    ASSERT_EQ(u32At(si, 8), 0u);
    // The start-up screen's id is requested before any other, so "second"
    // is screen 0 and its record comes first.
    const std::uint32_t block = u32At(si, u32At(si, 36) + 4);
    EXPECT_EQ(Bytes(si.begin() + block, si.begin() + block + 8),
              (Bytes{0xEE, 0xB2, 0x00, 0x00, 0xFF, 0xFC, 0xFF, 0xFF}));
    const std::uint32_t screen0 = u32At(si, 136 + 4);
    EXPECT_EQ(Bytes(si.begin() + screen0, si.begin() + screen0 + 4),
              (Bytes{0xEE, 0x42, 0xF8, 0x00}));
}

TEST_F(TwoScreens, MissingStartupPageIsAnErrorButTheImageIsWritten) {
    writeProject("Name=\"demo\" DeviceType=\"3\" StartupPage=\"nowhere\"");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：启动画面设置错误，启动画面不存在...\n"));
    EXPECT_THAT(run.output, HasSubstr("demo - 1 error(s), 0 warning(s)"));
    const Bytes si = image();
    ASSERT_GE(si.size(), 136u);
    EXPECT_EQ(u32At(si, 8), 0xFFFFFFFFu); // no startup block
}

TEST_F(TwoScreens, SingleScreenWithoutAMatchWritesTheImageWithNoScreenCompiled) {
    writeProject(kDefaults);
    const RunResult run = runVelmic({"-p", project(), "-o", "absent"});
    EXPECT_EQ(run.status, 0) << run.output;
    const Bytes si = image();
    ASSERT_GE(si.size(), 152u);
    EXPECT_EQ(u32At(si, 16), 2u); // both names have their ids
    EXPECT_EQ(u32At(si, 136), 0xFFFFFFFFu);
    EXPECT_EQ(u32At(si, 144), 0xFFFFFFFFu);
}

TEST_F(TwoScreens, SingleScreenNameIsMatchedWithoutRegardToCase) {
    writeProject(kDefaults);
    const RunResult run = runVelmic({"--O", "SECOND", "-p", project()});
    EXPECT_EQ(run.status, 0) << run.output;
    const Bytes si = image();
    ASSERT_GE(si.size(), 152u);
    EXPECT_EQ(u32At(si, 136), 0xFFFFFFFFu); // main not compiled
    EXPECT_EQ(u32At(si, 144), 13u);         // second compiled
}

TEST_F(TwoScreens, OutputFolderWithSubFoldersIsEmptiedAndKept) {
    writeProject(kDefaults);
    folder_.write("output/old.si", "stale");
    folder_.write("output/deep/er/file.txt", "stale");
    const RunResult run = runVelmic({"-p", project()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_.path() / "output"))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"DefineID.c", "DefineID.h", "demo.graidx", "demo.gwb",
                                              "demo.pwi", "demo.si", "demo.tftres", "main.c",
                                              "second.c"}));
}

TEST_F(TwoScreens, LinksInsideTheOutputFolderGoButTheirTargetsStay) {
    writeProject(kDefaults);
    folder_.write("keep/precious.txt", "mine");
    fs::create_directories(folder_.path() / "output");
    fs::create_directory_symlink(folder_.path() / "keep", folder_.path() / "output" / "link");
    const RunResult run = runVelmic({"-p", project()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(fs::exists(folder_.path() / "output" / "link"));
    EXPECT_TRUE(fs::exists(folder_.path() / "keep" / "precious.txt"));
}

TEST_F(TwoScreens, UnsafeOutputFoldersAreRefusedAndNothingIsDeleted) {
    const struct {
        std::string setting;
        std::string message;
    } cases[] = {
        {"", "输出目录为空"},          {"/tmp/", "是绝对路径"},
        {"..\\", "超出了工程文件夹"},  {"out/../../", "超出了工程文件夹"},
        {".\\", "就是工程文件夹本身"}, {"output", "必须以\\或/结尾"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        writeProject(kDefaults + " OutputDirectory=\"" + c.setting + "\"");
        folder_.write("notes.txt", "mine");
        const RunResult run = runVelmic({"-p", project()});
        EXPECT_EQ(run.status, 1);
        EXPECT_THAT(run.output, HasSubstr("错误：")) << run.output;
        EXPECT_THAT(run.output, HasSubstr(c.message)) << run.output;
        EXPECT_TRUE(fs::exists(folder_.path() / "notes.txt"));
        EXPECT_TRUE(fs::exists(folder_.path() / "main.tft"));
        EXPECT_FALSE(fs::exists(folder_.path() / "demo.si"));
    }
}

TEST_F(TwoScreens, ProjectNameWithASeparatorIsRefusedBeforeAnythingIsWritten) {
    writeProject("Name=\"../../escaped\" DeviceType=\"3\" StartupPage=\"main\"");
    folder_.write("output/keep.txt", "mine");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：工程名称../../escaped不能包含\\或/"));
    EXPECT_TRUE(fs::exists(folder_.path() / "output" / "keep.txt"));
    EXPECT_FALSE(fs::exists(folder_.path().parent_path() / "escaped.si"));
    EXPECT_FALSE(fs::exists(folder_.path().parent_path().parent_path() / "escaped.si"));
}

TEST_F(TwoScreens, OutputFolderIsCreatedOneLevelDeepOnly) {
    writeProject(kDefaults + " OutputDirectory=\"build\\\"");
    EXPECT_EQ(runVelmic({"-p", project()}).status, 0);
    EXPECT_TRUE(fs::exists(folder_.path() / "build" / "demo.si"));

    writeProject(kDefaults + " OutputDirectory=\"missing/build/\"");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：创建输出目录"));
    EXPECT_FALSE(fs::exists(folder_.path() / "missing"));
}

TEST_F(TwoScreens, OutputFolderThatIsALinkOutOfTheProjectIsRefused) {
    const fs::path outside =
        folder_.path().parent_path() / (folder_.path().filename().string() + "_x");
    fs::create_directories(outside);
    std::ofstream(outside / "victim.txt") << "mine";
    fs::create_directory_symlink(outside, folder_.path() / "output");
    writeProject(kDefaults);
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("符号链接")) << run.output;
    EXPECT_TRUE(fs::exists(outside / "victim.txt"));
    fs::remove_all(outside);
}

TEST_F(TwoScreens, LanguageOneSelectsEnglishOthersChinese) {
    writeProject(kDefaults);
    for (const std::vector<std::string>& language :
         {std::vector<std::string>{"-l", "1"}, std::vector<std::string>{"-L", "1"}}) {
        std::vector<std::string> args{"-p", project()};
        args.insert(args.end(), language.begin(), language.end());
        const RunResult run = runVelmic(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_THAT(run.output, HasSubstr("Compiling the screens...\n"));
        EXPECT_THAT(run.output, Not(HasSubstr("开始编译画面")));
    }
    for (const std::vector<std::string>& language :
         {std::vector<std::string>{"-l", "0"}, std::vector<std::string>{"-l", "2052"},
          std::vector<std::string>{}}) {
        std::vector<std::string> args{"-p", project()};
        args.insert(args.end(), language.begin(), language.end());
        const RunResult run = runVelmic(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_THAT(run.output, HasSubstr("开始编译画面...\n"));
    }
}

TEST_F(TwoScreens, EnglishErrorsCarryTheEnglishPrefix) {
    writeProject("Name=\"demo\" DeviceType=\"3\" StartupPage=\"nowhere\"");
    const RunResult run = runVelmic({"-p", project(), "-l", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output,
                HasSubstr("Error: The startup screen is wrong: it does not exist...\n"));
    EXPECT_THAT(run.output, HasSubstr("\ndemo - 1 error(s), 0 warning(s)\n"));
}

TEST_F(TwoScreens, EmptyRelativePathIsSkipped) {
    folder_.write("demo.tftprj", projectXml(kDefaults, {"main.tft", "", "second.tft"}));
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(u32At(image(), 16), 2u);
}

TEST_F(TwoScreens, ProjectWithoutWavesBuilds) {
    folder_.write("demo.tftprj", projectXml(kDefaults, {"main.tft", "second.tft"}, false));
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST_F(TwoScreens, OutOfRangeBackgroundColourTakesTheDefault) {
    folder_.write("second.tft", pageXml("second", "bk_color=\"256;0;0\""));
    writeProject(kDefaults);
    ASSERT_EQ(runVelmic({"-p", project()}).status, 0);
    const Bytes si = image();
    const std::uint32_t at = u32At(si, 144 + 4);
    EXPECT_EQ(Bytes(si.begin() + at, si.begin() + at + 4), (Bytes{0xEE, 0x42, 0x00, 0x1F}));
}

TEST_F(TwoScreens, LowerCaseItemTypeLoads) {
    folder_.write("main.tft", pageXml("main", "", "<item type=\"line\" name=\"l\" x1=\"5\"/>\n"));
    writeProject(kDefaults);
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("不可识别图形")));
}

TEST_F(TwoScreens, UnknownItemTypeFailsThePageAndTheProject) {
    folder_.write("main.tft", pageXml("main", "", "<item type=\"hexagon\" name=\"h\"/>\n"));
    writeProject(kDefaults);
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "开始编译画面...\n"
                          "错误：[screen]main;[item]h:不可识别图形...\n"
                          "错误：加载main.tft失败...\n"
                          "错误：加载工程失败...\n");
}

TEST_F(TwoScreens, UnknownDeviceTypeReportsMessage100) {
    writeProject("Name=\"demo\" DeviceType=\"99\" StartupPage=\"main\"");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "错误：工程的设备类型不存在...\n错误：加载工程失败...\n");
}

TEST_F(TwoScreens, ProjectPathKeepsItsCaseAndTakesEitherSeparator) {
    folder_.write("Sub/Main.tft", pageXml("main"));
    folder_.write("Sub/Demo.tftprj", projectXml(kDefaults, {"Main.tft"}));
    std::string path = (folder_.path() / "Sub" / "Demo.tftprj").string();
    const RunResult run = runVelmic({"-p", path});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(folder_.path() / "Sub" / "output" / "demo.si"));
    // The same file named with backslashes.
    for (char& c : path)
        if (c == '/')
            c = '\\';
    EXPECT_EQ(runVelmic({"-p", path}).status, 0);
}

TEST_F(TwoScreens, DuplicatePageNamesAreAnError) {
    folder_.write("copy.tft", pageXml("main"));
    folder_.write("demo.tftprj", projectXml(kDefaults, {"main.tft", "copy.tft"}));
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：多个画面的名字为main...\n"));
}

TEST_F(TwoScreens, NamesThatMakeOneIdentifierClash) {
    folder_.write("upper.tft", pageXml("MAIN"));
    folder_.write("demo.tftprj", projectXml(kDefaults, {"main.tft", "upper.tft"}));
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：多个画面的名字为MAIN...\n"));
}

TEST_F(TwoScreens, PagesOutsideTheProjectFolderAreNotRead) {
    folder_.write("demo.tftprj", projectXml(kDefaults, {"../elsewhere.tft"}));
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：画面../elsewhere.tft路径错误...\n"));
}

TEST_F(TwoScreens, StartupActionsThatAreNotItemsFailTheLoad) {
    writeProject(
        kDefaults +
        " StartupAction=\"&lt;actions&gt;&lt;item type=&quot;bogus&quot;/&gt;&lt;/actions&gt;\"");
    const RunResult run = runVelmic({"-p", project()});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：工程启动动作设置错误...\n错误：加载工程失败...\n"));
}

TEST(VelmicCommandLine, WithoutProjectReportsPathAndLoadFailure) {
    const RunResult run = runVelmic({"-l", "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "错误：工程路径参数错误...\n错误：加载工程失败...\n");
}

TEST(VelmicCommandLine, UnknownOptionIsAStartUpFailure) {
    const RunResult run = runVelmic({"-x", "1"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.output, "错误：编译工程参数初始化错误...\n");
}

TEST(VelmicCommandLine, OptionWithoutValueIsAStartUpFailure) {
    EXPECT_EQ(runVelmic({"-p"}).status, 255);
    EXPECT_EQ(runVelmic({"-l", "one", "-p", "x.tftprj"}).status, 255);
    EXPECT_EQ(runVelmic({"stray"}).status, 255);
}

TEST(VelmicCommandLine, ProjectFileThatIsNotXmlReportsReadFailure) {
    TempFolder folder;
    folder.write("bad.tftprj", "\xff\xfe not xml at all <<<");
    const RunResult run = runVelmic({"-p", (folder.path() / "bad.tftprj").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "错误：读取工程文件失败...\n错误：加载工程失败...\n");
}

TEST(VelmicCommandLine, ProjectPathEndingInASeparatorIsRefused) {
    const RunResult run = runVelmic({"-p", "  some/folder/ "});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：工程路径参数错误...\n"));
}

TEST(VelmicExample, BundledMinimalProjectCompiles) {
    TempFolder folder;
    fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "minimal", folder.path(),
             fs::copy_options::recursive);
    const RunResult run = runVelmic({"-p", (folder.path() / "minimal.tftprj").string()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("minimal - 0 error(s), 0 warning(s)\n"));
    const Bytes si = readBytes(folder.path() / "output" / "minimal.si");
    ASSERT_GE(si.size(), 136u);
    EXPECT_EQ(u32At(si, 16), 2u);
    EXPECT_EQ(si[88], 3); // device type 3
}

namespace {

// A font configuration with no fonts at all, another locale and a far time
// zone: what the compiler writes must not notice.
std::vector<std::string> foreignMachine(const TempFolder& folder) {
    folder.write("empty-fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    return {"FONTCONFIG_FILE=" + (folder.path() / "empty-fonts.conf").string(), "LC_ALL=C",
            "TZ=Pacific/Kiritimati", "SOURCE_DATE_EPOCH=1700000000"};
}

std::map<std::string, Bytes> outputFiles(const fs::path& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readBytes(entry.path());
    return files;
}

} // namespace

// The showcase (meter dials with numbers in "Arial") compiles to the same
// bytes on a machine without any installed font: the dial numbers are drawn
// with the shipped font files.
TEST(VelmicExample, ShowcaseIsTheSameOnAMachineWithoutFonts) {
    TempFolder folder;
    for (const char* copy : {"here", "there"})
        fs::copy(fs::path(TFT_SOURCE_DIR) / "examples" / "showcase", folder.path() / copy,
                 fs::copy_options::recursive);
    const RunResult here =
        runProgram("velmic", {"-p", (folder.path() / "here" / "showcase.tftprj").string()},
                   {"SOURCE_DATE_EPOCH=1700000000"}, false);
    ASSERT_EQ(here.status, 0) << here.output;
    const RunResult there =
        runProgram("velmic", {"-p", (folder.path() / "there" / "showcase.tftprj").string()},
                   foreignMachine(folder), false);
    ASSERT_EQ(there.status, 0) << there.output;
    const auto expected = outputFiles(folder.path() / "here" / "output");
    const auto actual = outputFiles(folder.path() / "there" / "output");
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
        ASSERT_TRUE(actual.count(name)) << name;
        EXPECT_TRUE(actual.at(name) == bytes) << name << " differs";
    }
}

// Dial numbers are drawn (the picture differs from one without them), and the
// family the project names is mapped onto a shipped face: Arial onto the
// Latin one, 宋体 onto the Chinese one.
TEST(VelmicExample, DialNumbersUseTheShippedFaceForTheNamedFamily) {
    TempFolder folder;
    const auto environment = foreignMachine(folder);
    const auto dial = [&](const std::string& attributes) {
        folder.write("main.tft",
                     pageXml("main", "",
                             "<item type='METER' name='m' id='2' width='120' height='120' "
                             "angle_start='135' angle_end='45' end_value='100' "
                             "start_numerical='0' end_numerical='100' mark_count='5' "
                             "numerical_font_size='14' numerical_color='255;255;255' " +
                                 attributes + "/>"));
        folder.write("demo.tftprj", projectXml(kDefaults, {"main.tft"}));
        const RunResult run = runProgram("velmic", {"-p", (folder.path() / "demo.tftprj").string()},
                                         environment, false);
        EXPECT_EQ(run.status, 0) << run.output;
        return readBytes(folder.path() / "output" / "demo.gwb");
    };
    const Bytes arial = dial("numerical_font='Arial' show_numerical='1'");
    EXPECT_NE(arial, dial("numerical_font='Arial' show_numerical='0'"));
    EXPECT_EQ(arial, dial("numerical_font='Liberation Sans' show_numerical='1'"));
    EXPECT_EQ(dial("numerical_font='宋体' show_numerical='1'"),
              dial("numerical_font='WenQuanYi Zen Hei' show_numerical='1'"));
    EXPECT_NE(arial, dial("numerical_font='宋体' show_numerical='1'"));
}

// Without its font files the compiler says so instead of drawing dial numbers
// with whatever the machine has.
TEST(VelmicExample, MissingShippedFontIsReported) {
    TempFolder folder;
    const fs::path app = folder.path() / "app";
    fs::create_directories(app);
    fs::copy_file(fs::path(TFT_APP_DIR) / "velmic", app / "velmic");
    fs::copy_file(fs::path(TFT_APP_DIR) / "DeviceInfo.xml", app / "DeviceInfo.xml");
    fs::copy(fs::path(TFT_APP_DIR) / "lang", app / "lang");
    folder.write("p/main.tft", pageXml("main", "",
                                       "<item type='METER' name='m' id='2' width='60' height='60' "
                                       "end_numerical='100' mark_count='2'/>"));
    folder.write("p/demo.tftprj", projectXml(kDefaults, {"main.tft"}));
    const RunResult run =
        runProgram((app / "velmic").string(),
                   {"-p", (folder.path() / "p" / "demo.tftprj").string()}, {}, false);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output,
                HasSubstr("错误：[screen]main;[item]m:加载字体文件失败: cannot load the "
                          "font Liberation Sans from " +
                          (app / "fonts" / "LiberationSans-Regular.ttf").string()));
}
