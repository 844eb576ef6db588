// Checks that keep a build's output readable by the panel and by a C
// compiler, through velmic's real command line on temporary projects: frames
// the panel can read, texts and names in code page 936, screen names that do
// not break files, slider backgrounds, pictures that cannot be decoded, and
// where failures are counted.
#include "common/codec.h"
#include "test_support.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testsupport;
using ::testing::HasSubstr;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

class OutputChecks : public ::testing::Test {
protected:
    // A project "demo" of the given pages (file name -> page text).
    RunResult build(const std::vector<std::pair<std::string, std::string>>& pages,
                    const std::string& images = "", const std::string& startup = "main") {
        std::vector<std::string> files;
        for (const auto& [file, page] : pages) {
            folder_.write(file, page);
            files.push_back(file);
        }
        std::string project =
            projectXml("Name=\"demo\" DeviceType=\"3\" StartupPage=\"" + startup + "\"", files);
        if (!images.empty())
            project.replace(project.find("<Images/>"), 9, "<Images>" + images + "</Images>");
        folder_.write("demo.tftprj", project);
        return runVelmic({"-p", (folder_.path() / "demo.tftprj").string()});
    }
    Bytes out(const std::string& name) const { return readBytes(folder_.path() / "output" / name); }
    // The command stream of screen `id` in the screen information file.
    Bytes screen(std::uint32_t id) const {
        const Bytes si = out("demo.si");
        const std::uint32_t last = readLe(si, 136 + 8 * id, 4);
        const std::uint32_t at = readLe(si, 136 + 8 * id + 4, 4);
        return last == 0xFFFFFFFFu ? Bytes() : Bytes(si.begin() + at, si.begin() + at + last + 1);
    }

    TempFolder folder_;
};

bool contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

} // namespace

// A TEXT of 3000 bytes would be one frame longer than the panel's 2048-byte
// scan window, and everything after it on the screen would be lost: it is
// refused, naming the item and the limit, and the line after it is kept.
TEST_F(OutputChecks, TextLongerThanOneFrameIsRefusedAndTheRestOfTheScreenStays) {
    const std::string items = "<item type='TEXT' name='long' text='" + std::string(3000, 'x') +
                              "'/><item type='LINE' name='after' x0='1' y0='2' x1='3' y1='4'/>";
    const RunResult run = build({{"main.tft", pageXml("main", "", items)}});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：[screen]main;[item]long:long的命令长3012字节, "
                                      "超过了面板一帧最多能读取的2048字节...\n"));
    EXPECT_THAT(run.output, HasSubstr("demo - 2 error(s), 0 warning(s)"));
    const Bytes record = screen(0);
    EXPECT_LT(record.size(), 100u);
    EXPECT_TRUE(contains(record, {0xEE, 0x51, 0, 1, 0, 2, 0, 3, 0, 4, 0xFF, 0xFC, 0xFF, 0xFF}));
    // 2036 bytes of text make a frame of exactly 2048 bytes: still readable.
    const RunResult fits = build({{"main.tft", pageXml("main", "",
                                                       "<item type='TEXT' name='t' text='" +
                                                           std::string(2036, 'y') + "'/>")}});
    EXPECT_EQ(fits.status, 0) << fits.output;
}

// A character outside code page 936 is named with its code point and its
// position in the text.
TEST_F(OutputChecks, TextOutsideCodePage936NamesTheCharacter) {
    const RunResult run =
        build({{"main.tft", pageXml("main", "",
                                    "<item type='TEXT' name='t' text='ab中&#x1F600;c'/>"
                                    "<item type='TEXT_DISPLAY' name='td' id='3' width='9' "
                                    "height='9' text='&#x0E01;'/>")}});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output,
                HasSubstr("错误：[screen]main;[item]t:文本中第4个字符\"\xF0\x9F\x98\x80\""
                          "(U+1F600)无法用GBK(代码页936)表示...\n"));
    EXPECT_THAT(run.output, HasSubstr("错误：[screen]main;[item]td:文本中第1个字符\"\xE0\xB8\x81\""
                                      "(U+0E01)无法用GBK(代码页936)表示...\n"));
}

// DefineID.c stays in code page 936: a screen or control name it cannot hold
// is refused instead of turning the whole file into UTF-8.
TEST_F(OutputChecks, NamesOutsideCodePage936AreRefusedAndDefineIdStaysGbk) {
    const RunResult run = build(
        {{"main.tft", pageXml("main", "",
                              "<item type='BUTTON' name='ok&#x1F600;' id='4' button_type='2' "
                              "width='5' height='5'/>"
                              "<item type='BUTTON' name='开' id='5' button_type='2' width='5' "
                              "height='5'/>")},
         {"smile.tft", pageXml("x&#x1F600;")}});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：名称x\xF0\x9F\x98\x80中第2个字符\"\xF0\x9F\x98\x80\""
                                      "(U+1F600)无法用GBK(代码页936)表示"));
    EXPECT_THAT(run.output, HasSubstr("错误：[screen]main;[item]ok\xF0\x9F\x98\x80:名称ok"
                                      "\xF0\x9F\x98\x80中第3个字符"));
    const std::string defines = text(out("DefineID.c"));
    // 开 in GBK is BF AA; the file holds no UTF-8 (E5 BC 80).
    EXPECT_THAT(defines, HasSubstr("//\xB0\xB4\xC5\xA5\xBF\xAA"));
    EXPECT_THAT(defines, Not(HasSubstr("\xE5\xBC\x80")));
    EXPECT_THAT(defines, Not(HasSubstr("\xF0\x9F\x98\x80")));
}

// A page named DefineID would overwrite the identifier file; a line break in
// a name would put live code into DefineID.c and a line break into a file name.
TEST_F(OutputChecks, ScreenNamesThatWouldBreakTheOutputAreRefused) {
    const RunResult run = build({{"main.tft", pageXml("main")},
                                 {"define.tft", pageXml("defineid")},
                                 {"driver.tft", pageXml("HMI_Driver")},
                                 {"broken.tft", pageXml("a&#10;#define X 1")}});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output,
                HasSubstr("错误：画面defineid的C文件defineid.c与编译生成的文件重名...\n"));
    EXPECT_THAT(run.output,
                HasSubstr("错误：画面HMI_Driver的C文件HMI_Driver.c与编译生成的文件重名...\n"));
    EXPECT_THAT(run.output, HasSubstr("错误：名称a\\n#define X 1含有控制字符(如换行), "
                                      "它会成为文件名或C代码的一部分...\n"));
    const std::string defines = text(out("DefineID.c"));
    EXPECT_THAT(defines, HasSubstr("_SCREEN_MAIN "));
    EXPECT_THAT(defines, Not(HasSubstr("#define X")));
    EXPECT_THAT(defines, Not(HasSubstr("DEFINEID")));
    EXPECT_FALSE(fs::exists(folder_.path() / "output" / "defineid.c"));
    for (const auto& entry : fs::directory_iterator(folder_.path() / "output"))
        EXPECT_EQ(entry.path().filename().string().find('\n'), std::string::npos);
}

// Slider backgrounds: type 1 is the colour with the rail and its marks drawn
// by the compiler, type 2 the picture; the compiler's defaults (no thumb
// size) compile.
TEST_F(OutputChecks, SliderBackgroundsAndDefaults) {
    QImage art(40, 10, QImage::Format_RGB32);
    art.fill(QColor(0, 0, 255));
    ASSERT_TRUE(art.save(QString::fromStdString((folder_.path() / "rail.png").string())));
    const RunResult run =
        build({{"main.tft",
                pageXml("main", "",
                        "<item type='SLIDER' name='plain' id='1'/>"
                        "<item type='SLIDER' name='coloured' id='2' width='100' height='20' "
                        "bkg_type='1' bkg_color='255;0;0' mark_count='4' mark_color='0;255;0' "
                        "left_space='10' right_space='10'/>"
                        "<item type='SLIDER' name='pictured' id='3' yOffset='50' width='40' "
                        "height='10' bkg_type='2' bkg_image_path='rail.png'/>")}});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("图片不存在")));
    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 48u);         // the default's rail, the coloured one, the picture
    EXPECT_EQ(readLe(index, 7, 2), 200u); // compiler default size 200 x 48
    EXPECT_EQ(readLe(index, 16 + 7, 2), 100u);
    EXPECT_EQ(readLe(index, 32 + 7, 2), 40u);
    const Bytes data = out("demo.gwb");
    const std::size_t coloured = 200 * 48 * 2;
    const auto pixel = [&](int x, int y) {
        return readLe(data, coloured + std::size_t(y * 100 + x) * 2, 2);
    };
    EXPECT_EQ(pixel(2, 2), 0xF800u);   // the colour
    EXPECT_EQ(pixel(50, 10), 0x07E0u); // the rail along the middle
    EXPECT_EQ(pixel(5, 10), 0xF800u);  // left of the rail: left_space
    EXPECT_EQ(pixel(10, 16), 0x07E0u); // the first mark beside the rail
    EXPECT_EQ(pixel(30, 16), 0x07E0u); // a quarter along
    EXPECT_EQ(pixel(20, 16), 0xF800u);
    EXPECT_EQ(readLe(data, coloured + 100 * 20 * 2, 2), 0x001Fu); // the picture
    // Every slider refers to its background; the defaults have no thumb.
    const Bytes record = screen(0);
    const Bytes plain{0xEE, 0xB0, 0, 1, 0x13};
    const auto at = std::search(record.begin(), record.end(), plain.begin(), plain.end());
    ASSERT_NE(at, record.end());
    const std::size_t offset = std::size_t(at - record.begin());
    EXPECT_EQ(
        readLe(Bytes(record.begin() + long(offset) + 33, record.begin() + long(offset) + 37), 0, 4),
        0xFFFF0000u); // background 0, thumb 0xFFFF (big-endian pairs)
    const std::string defines = tft::gbkToUtf8(text(out("DefineID.c"))).bytes;
    EXPECT_THAT(defines, HasSubstr("//画面main中滑块coloured的背景图片\n"));
    EXPECT_THAT(defines, Not(HasSubstr("仪表coloured")));
}

// WMF has no decoder here: it is refused as such, not as a load failure; an
// IMAGE without a file reports that the picture does not exist, and so does a
// missing global picture with its own message.
TEST_F(OutputChecks, PicturesThatCannotBeUsedSayWhy) {
    folder_.write("art.wmf", std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0'));
    const RunResult run = build(
        {{"main.tft", pageXml("main", "",
                              "<item type='IMAGE' name='w' url='art.wmf' width='9' height='9'/>"
                              "<item type='IMAGE' name='e' url='' width='9' height='9'/>")}},
        "<Image RelativePath=\"gone.png\" Download=\"1\"/>"
        "<Image RelativePath=\"art.wmf\" Download=\"1\"/>");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("错误：[screen]main;[item]w:不支持WMF图片art.wmf, "
                                      "请将它转换为PNG...\n"));
    EXPECT_THAT(run.output, Not(HasSubstr("加载失败")));
    EXPECT_THAT(run.output, HasSubstr("错误：[screen]main;[item]e:图片不存在...\n"));
    EXPECT_THAT(run.output, HasSubstr("编译0...\n错误：图片格式不支持...\n错误：编译0失败...\n"));
    EXPECT_THAT(run.output,
                HasSubstr("编译1...\n错误：不支持WMF图片art.wmf, 请将它转换为PNG...\n"));
}

// DefineID.h ends its lines like every other generated source.
TEST_F(OutputChecks, DefineIdHeaderUsesLineFeedsOnly) {
    const RunResult ok = build({{"main.tft", pageXml("main")}});
    ASSERT_EQ(ok.status, 0) << ok.output;
    const std::string header = text(out("DefineID.h"));
    EXPECT_EQ(header.find('\r'), std::string::npos);
    EXPECT_THAT(header, HasSubstr("#ifndef DEFINE_ID_H\n#define DEFINE_ID_H\n"));
    EXPECT_THAT(header, HasSubstr("_SCREEN_MAIN"));
}
