// Pictures, sounds, identifiers, C sources and the resource files, through the
// real velmic command line on temporary projects.
#include "test_support.h"

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace testsupport;
using ::testing::HasSubstr;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

namespace {

void put16(Bytes& v, std::uint32_t x) {
    v.push_back(std::uint8_t(x & 0xFF));
    v.push_back(std::uint8_t(x >> 8 & 0xFF));
}
void put32(Bytes& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// A RIFF WAVE file of PCM samples.
std::string waveFile(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                     const Bytes& data) {
    Bytes f = {'R', 'I', 'F', 'F'};
    put32(f, std::uint32_t(36 + data.size()));
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(f, 16);
    put16(f, 1);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, std::uint16_t(channels * bits / 8));
    put16(f, bits);
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    put32(f, std::uint32_t(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    return text(f);
}

// A GIF of 2 x 1 pixel frames (red-blue, blue-red), delays cycling through
// `delays`; each frame is the uncompressed codes clear, p0, p1, end.
std::string gifFile(int frames, const std::vector<int>& delays) {
    Bytes g = {'G',  'I', 'F', '8', '9', 'a',  2, 0, 1, 0, 0x81, 0, 0,
               0xFF, 0,   0,   0,   0,   0xFF, 0, 0, 0, 0, 0,    0};
    for (int n = 0; n < frames; ++n) {
        const int d = delays[std::size_t(n) % delays.size()];
        g.insert(g.end(), {0x21, 0xF9, 4, 0, std::uint8_t(d & 0xFF), std::uint8_t(d >> 8), 0, 0});
        g.insert(g.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
        const unsigned p0 = unsigned(n % 2), p1 = 1 - p0;
        const unsigned bits = 4u | (p0 << 3) | (p1 << 6) | (5u << 9);
        g.insert(g.end(), {2, 2, std::uint8_t(bits & 0xFF), std::uint8_t(bits >> 8), 0});
    }
    g.push_back(0x3B);
    return text(g);
}

class Resources : public ::testing::Test {
protected:
    // A project "demo" (800 x 480 panel) with the given pages, global
    // pictures and sounds.
    void writeProject(const std::vector<std::string>& pages,
                      const std::vector<std::string>& images = {},
                      const std::vector<std::string>& waves = {},
                      const std::string& startup = "main") {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Orvane Name=\"demo\" "
                          "DeviceType=\"3\" StartupPage=\"" +
                          startup + "\">\n  <Pages>\n";
        for (const auto& page : pages)
            xml += "    <Page RelativePath=\"" + page + "\"/>\n";
        xml += "  </Pages>\n  <Images>\n";
        for (const auto& image : images)
            xml += "    <Image RelativePath=\"" + image + "\" Download=\"1\"/>\n";
        xml += "  </Images>\n  <Waves>\n";
        for (const auto& wave : waves)
            xml += "    <Wave RelativePath=\"" + wave + "\"/>\n";
        xml += "  </Waves>\n</Orvane>\n";
        folder_.write("demo.tftprj", xml);
    }
    void writeImage(const std::string& name, const QImage& image) {
        fs::create_directories((folder_.path() / name).parent_path());
        ASSERT_TRUE(image.save(QString::fromStdString((folder_.path() / name).string())));
    }
    RunResult run() { return runVelmic({"-p", (folder_.path() / "demo.tftprj").string()}); }
    Bytes out(const std::string& name) const { return readBytes(folder_.path() / "output" / name); }
    pugi::xml_node resourceInfo() {
        EXPECT_TRUE(info_.load_file((folder_.path() / "output" / "demo.tftres").c_str()));
        return info_.child("Resource");
    }
    // The command stream of a screen in the screen image.
    Bytes screenRecord(std::uint32_t id) const {
        const Bytes si = out("demo.si");
        const std::uint32_t last = readLe(si, 136 + 8 * id, 4);
        const std::uint32_t at = readLe(si, 136 + 8 * id + 4, 4);
        if (last == 0xFFFFFFFFu)
            return {};
        return Bytes(si.begin() + at, si.begin() + at + last + 1);
    }

    TempFolder folder_;
    pugi::xml_document info_;
};

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST_F(Resources, PicturesAreKeyedIndexedAndDescribed) {
    QImage corner = solid(4, 2, QColor(255, 0, 0));
    corner.setPixelColor(0, 0, QColor(0, 0, 0, 0)); // fully transparent
    corner.setPixelColor(1, 0, QColor(0, 0, 0));    // opaque black
    writeImage("pics/corner.png", corner);
    writeImage("b.png", solid(3, 3, QColor(0, 0, 255)));
    writeImage("c.bmp", solid(2, 2, QColor(0, 255, 0)));
    folder_.write("main.tft",
                  pageXml("main", "",
                          "<item type='IMAGE' name='i1' url='pics\\corner.png' xOffset='10' "
                          "yOffset='20' width='4' height='2'/>"
                          "<item type='IMAGE' name='i2' url='b.png' xOffset='0' yOffset='0' "
                          "width='3' height='3'/>"
                          "<item type='IMAGE' name='again' url='b.png' xOffset='0' yOffset='0' "
                          "width='3' height='3'/>"
                          "<item type='IMAGE' name='i3' url='c.bmp' xOffset='798' yOffset='0' "
                          "width='2' height='2'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_THAT(r.output, HasSubstr("生成demo.gra文件..."));
    EXPECT_THAT(r.output, HasSubstr("生成demo.graidx文件..."));
    EXPECT_THAT(r.output, HasSubstr("生成DefineID.c文件..."));

    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 48u); // the same cut of b.png is stored once
    // The third picture's record at 16 * 2: index 2, format 4, address after
    // 8 + 9 pixels, 2 x 2, 8 bytes, delay 0, one frame.
    EXPECT_EQ(Bytes(index.begin() + 32, index.end()),
              (Bytes{2, 0, 4, 0x22, 0x00, 0xB0, 0x00, 2, 0, 2, 0, 8, 0, 0, 0, 1}));
    const Bytes data = out("demo.gwb");
    ASSERT_EQ(data.size(), 16u + 18u + 8u);
    EXPECT_EQ(readLe(data, 0, 2), 0x0000u); // transparent corner
    EXPECT_EQ(readLe(data, 2, 2), 0x0001u); // opaque black
    EXPECT_EQ(readLe(data, 4, 2), 0xF800u);
    EXPECT_EQ(readLe(data, 16, 2), 0x001Fu);
    EXPECT_EQ(readLe(data, 34, 2), 0x07E0u);

    const Bytes stream = screenRecord(0);
    const Bytes area = {0xEE, 0x32, 0, 10, 0, 20, 0, 0, 1, 0xFF, 0xFC, 0xFF, 0xFF};
    EXPECT_NE(std::search(stream.begin(), stream.end(), area.begin(), area.end()), stream.end());

    const std::string defines = text(out("DefineID.c"));
    EXPECT_THAT(defines, HasSubstr("#define  _IMG_MAIN_I2" + std::string(60 - 12, ' ') + " " +
                                   std::string(9, ' ') + "1\n"));
    EXPECT_THAT(defines, HasSubstr("#define  _IMG_MAIN_AGAIN" + std::string(60 - 15, ' ') + " " +
                                   std::string(9, ' ') + "1\n"));

    pugi::xml_node images = resourceInfo().child("images");
    pugi::xml_node first = images.child("image");
    EXPECT_STREQ(first.attribute("url").as_string(), "pics\\corner.png");
    EXPECT_EQ(first.attribute("width").as_int(), 4);
    EXPECT_EQ(first.attribute("effect_width").as_int(), 4);
    EXPECT_EQ(first.attribute("size").as_int(), 16);
    EXPECT_TRUE(resourceInfo().child("pages").find_child_by_attribute("page", "name", "main"));
}

TEST_F(Resources, PictureCutToTheScreenKeepsOnlyThePartOnIt) {
    QImage two = solid(4, 1, QColor(255, 0, 0));
    two.setPixelColor(2, 0, QColor(0, 255, 0));
    two.setPixelColor(3, 0, QColor(0, 0, 255));
    writeImage("p.png", two);
    folder_.write("main.tft", pageXml("main", "",
                                      "<item type='IMAGE' name='i' url='p.png' xOffset='-2' "
                                      "yOffset='5' width='4' height='1'/>"));
    writeProject({"main.tft"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(out("demo.gwb"), (Bytes{0xE0, 0x07, 0x1F, 0x00}));
    const Bytes index = out("demo.graidx");
    EXPECT_EQ(readLe(index, 7, 2), 2u);
    const pugi::xml_node image = resourceInfo().child("images").child("image");
    EXPECT_EQ(image.attribute("effect_left").as_int(), 2);
    EXPECT_EQ(image.attribute("effect_width").as_int(), 2);
}

TEST_F(Resources, LongGifIsCutTo255FramesWithOneWarning) {
    folder_.write("long.gif", gifFile(300, {10}));
    folder_.write("short.gif", gifFile(3, {10, 10, 11}));
    folder_.write("main.tft", pageXml("main", "",
                                      "<item type='IMAGE' name='g' url='long.gif' width='2' "
                                      "height='1'/><item type='IMAGE' name='h' url='short.gif' "
                                      "xOffset='5' width='2' height='1'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string warning = "(5151)gif图片帧数超过255帧，超出部分将被忽略...";
    const auto at = r.output.find(warning);
    ASSERT_NE(at, std::string::npos) << r.output;
    EXPECT_EQ(r.output.find(warning, at + 1), std::string::npos);
    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 32u);
    EXPECT_EQ(index[2], 5);
    EXPECT_EQ(readLe(index, 11, 3), 4u);
    EXPECT_EQ(index[14], 10);
    EXPECT_EQ(index[15], 255);
    EXPECT_EQ(index[16 + 14], 10); // (10 + 10 + 11 + 1) / 3
    EXPECT_EQ(index[16 + 15], 3);
    EXPECT_EQ(out("demo.gwb").size(), 255u * 4 + 3 * 4);
    const Bytes flash = {0xEE, 0x80, 0, 0, 0, 0, 0, 0, 1, 0, 0xFF, 0xFC, 0xFF, 0xFF};
    const Bytes stream = screenRecord(0);
    EXPECT_NE(std::search(stream.begin(), stream.end(), flash.begin(), flash.end()), stream.end());
    // Animated pictures get no identifier.
    EXPECT_THAT(text(out("DefineID.c")), Not(HasSubstr("_IMG_MAIN_G")));
    pugi::xml_node image = resourceInfo().child("images").child("image");
    EXPECT_EQ(image.attribute("frameCount").as_int(), 255);
    EXPECT_EQ(image.attribute("delay").as_int(), 10);
}

TEST_F(Resources, BrokenPicturesAreReportedAndTheRestIsStored) {
    folder_.write("broken.png", "\x89PNG\r\n\x1a\n garbage");
    writeImage("good.png", solid(1, 1, QColor(255, 255, 255)));
    folder_.write("main.tft",
                  pageXml("main", "",
                          "<item type='IMAGE' name='bad' url='broken.png' width='5' height='5'/>"
                          "<item type='IMAGE' name='gone' url='missing.png' width='5' height='5'/>"
                          "<item type='IMAGE' name='out' url='../x.png' width='5' height='5'/>"
                          "<item type='IMAGE' name='ok' url='good.png' width='1' height='1'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.output, HasSubstr("[screen]main;[item]bad:(5100)图片broken.png加载失败..."));
    EXPECT_THAT(r.output, HasSubstr("[screen]main;[item]gone:图片不存在..."));
    EXPECT_THAT(r.output, HasSubstr("[screen]main;[item]out:图片不存在..."));
    EXPECT_THAT(r.output, HasSubstr("[screen]main;[item]bad:编译bad失败..."));
    EXPECT_EQ(out("demo.graidx").size(), 16u);
    EXPECT_EQ(out("demo.gwb"), (Bytes{0xFF, 0xFF}));
}

TEST_F(Resources, SoundsAreResampledAndPlacedAfterThePictures) {
    Bytes samples;
    for (int i = 0; i < 1000; ++i)
        put16(samples, std::uint32_t(std::int16_t(i * 30 - 15000)) & 0xFFFF);
    folder_.write("mono.wav", waveFile(1, 16000, 16, samples));
    folder_.write("empty.wav", waveFile(1, 16000, 16, {}));
    folder_.write("panel.wav", waveFile(2, 32000, 8, {1, 2, 3, 4}));
    writeImage("a.png", solid(300, 300, QColor(1, 2, 3))); // 180000 bytes
    folder_.write("main.tft", pageXml("main"));
    writeProject({"main.tft"}, {"a.png"}, {"mono.wav", "empty.wav", "panel.wav"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 1) << r.output; // the empty file is an error
    EXPECT_THAT(r.output, HasSubstr("empty.wav 为空文件..."));
    EXPECT_THAT(r.output, Not(HasSubstr("编译empty.wav失败")));
    const Bytes index = out("demo.pwi");
    ASSERT_EQ(index.size(), 32u);
    const std::uint32_t first = 0xB00000 + 0x40000; // 180000 bytes round up to 256 KiB
    EXPECT_EQ(Bytes(index.begin(), index.begin() + 16),
              (Bytes{0, 1, 16, 0, 0x00, 0x7D, 0, 0, 0xA0, 0x0F, 0, 0, 0x00, 0x00, 0xB4, 0x00}));
    EXPECT_EQ(readLe(index, 16 + 12, 4), first + 4000);
    EXPECT_EQ(index[16], 1);
    EXPECT_EQ(index[17], 2);
    const Bytes data = out("demo.gwb");
    ASSERT_EQ(data.size(), first - 0xB00000 + 4000 + 4);
    const std::size_t at = first - 0xB00000;
    // Every second output sample is the mean of its neighbours, rounded
    // toward the first.
    EXPECT_EQ(std::int16_t(readLe(data, at, 2)), -15000);
    EXPECT_EQ(std::int16_t(readLe(data, at + 2, 2)), -14985);
    EXPECT_EQ(std::int16_t(readLe(data, at + 4, 2)), -14970);
    EXPECT_EQ(Bytes(data.end() - 4, data.end()), (Bytes{1, 2, 3, 4}));
    pugi::xml_node waves = resourceInfo().child("waves");
    int count = 0;
    for (pugi::xml_node wave : waves.children("wave")) {
        EXPECT_STRNE(wave.attribute("url").as_string(), "empty.wav");
        ++count;
    }
    EXPECT_EQ(count, 2);
    EXPECT_EQ(waves.child("wave").attribute("offset").as_uint(), first);
    EXPECT_EQ(waves.child("wave").attribute("samplerate").as_uint(), 32000u);
}

TEST_F(Resources, BadSoundsReportTheirMessages) {
    folder_.write("text.wav", "not a wave at all");
    Bytes adpcm = {'R',  'I',  'F', 'F', 40,   0,    0, 0, 'W', 'A', 'V', 'E',
                   'f',  'm',  't', ' ', 16,   0,    0, 0, 2,   0,   1,   0,
                   0x40, 0x1F, 0,   0,   0x80, 0x3E, 0, 0, 2,   0,   16,  0,
                   'd',  'a',  't', 'a', 2,    0,    0, 0, 0,   0};
    folder_.write("adpcm.wav", text(adpcm));
    fs::create_directories(folder_.path() / "dir.wav");
    // A data chunk that claims 100 bytes of which the file holds 2.
    Bytes cut = adpcm;
    cut[20] = 1;
    cut[40] = 100;
    folder_.write("cut.wav", text(cut));
    // 0xFFFFFFFF samples a second: not one sample is left at 32000 Hz.
    Bytes fast = cut;
    fast[40] = 2;
    for (int i = 24; i < 28; ++i)
        fast[i] = 0xFF;
    folder_.write("fast.wav", text(fast));
    Bytes still = fast;
    for (int i = 24; i < 28; ++i)
        still[i] = 0;
    folder_.write("still.wav", text(still));
    folder_.write("main.tft", pageXml("main"));
    writeProject(
        {"main.tft"}, {},
        {"text.wav", "adpcm.wav", "missing.wav", "dir.wav", "cut.wav", "fast.wav", "still.wav"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.output, HasSubstr("错误：cut.wav 非.wav文件或文件被破坏..."));
    EXPECT_THAT(r.output, HasSubstr("错误：fast.wav 为空文件..."));
    EXPECT_THAT(r.output, HasSubstr("错误：still.wav 非.wav文件或文件被破坏..."));
    EXPECT_THAT(r.output, HasSubstr("text.wav 非.wav文件或文件被破坏..."));
    EXPECT_THAT(r.output, HasSubstr("adpcm.wav 非PCM编码格式的.wav文件或文件被破坏..."));
    EXPECT_THAT(r.output, HasSubstr("打开missing.wav 文件失败..."));
    EXPECT_THAT(r.output, HasSubstr("dir.wav 非文件路径..."));
    EXPECT_EQ(out("demo.pwi").size(), 0u);
}

// Recorders write WAVE_FORMAT_EXTENSIBLE: PCM behind the sub-format GUID is stored.
TEST_F(Resources, ExtensiblePcmSoundIsStored) {
    Bytes f = {'R', 'I', 'F', 'F'};
    put32(f, 64);
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(f, 40);
    put16(f, 0xFFFE);
    put16(f, 1);
    put32(f, 32000);
    put32(f, 64000);
    put16(f, 2);
    put16(f, 16);
    put16(f, 22);
    put16(f, 16);
    put32(f, 4);
    f.insert(f.end(),
             {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38,
              0x9B, 0x71, 'd',  'a',  't',  'a',  4,    0,    0,    0,    7,    0,    9,    0});
    folder_.write("recorder.wav", text(f));
    folder_.write("main.tft", pageXml("main"));
    writeProject({"main.tft"}, {}, {"recorder.wav"});
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    const Bytes index = out("demo.pwi");
    ASSERT_EQ(index.size(), 16u);
    EXPECT_EQ(index[1], 1);              // one channel
    EXPECT_EQ(readLe(index, 2, 2), 16u); // 16 bits
    EXPECT_EQ(readLe(index, 8, 4), 4u);  // four bytes of samples
    EXPECT_EQ(out("demo.gwb"), (Bytes{7, 0, 9, 0}));
}

TEST_F(Resources, IdentifiersOfScreensGlobalPicturesAndButtons) {
    writeImage("a b.png", solid(2, 2, QColor(9, 9, 9)));
    folder_.write("p0.tft", pageXml("main"));
    folder_.write("p1.tft", pageXml("one"));
    folder_.write("p2.tft", pageXml("two"));
    folder_.write("p3.tft", pageXml("main 1", "",
                                    "<item type='BUTTON' name='ok' id='4' button_type='2' "
                                    "width='5' height='5'/>"
                                    "<item type='BUTTON' name='ok' id='4' button_type='2' "
                                    "width='5' height='5'/>"));
    writeProject({"p0.tft", "p1.tft", "p2.tft", "p3.tft"}, {"a b.png"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string defines = text(out("DefineID.c"));
    const auto line = [](const std::string& name, int value) {
        std::string v = std::to_string(value);
        return "#define  " + name + std::string(60 - name.size(), ' ') + " " +
               std::string(10 - v.size(), ' ') + v + "\n\n";
    };
    EXPECT_THAT(defines, HasSubstr(line("_SCREEN_MAIN00201", 3)));
    EXPECT_THAT(defines, HasSubstr(line("_IMG_A0020B_PNG", 0)));
    const std::string button = line("_BTN_MAIN00201_OK", 4);
    const auto at = defines.find(button);
    ASSERT_NE(at, std::string::npos) << defines;
    EXPECT_EQ(defines.find(button, at + 1), std::string::npos);
}

TEST_F(Resources, ButtonsOfOneNameWithDifferentIdsClash) {
    folder_.write("main.tft", pageXml("main", "",
                                      "<item type='BUTTON' name='ok' id='4' button_type='2' "
                                      "width='5' height='5'/>"
                                      "<item type='BUTTON' name='ok' id='5' button_type='2' "
                                      "width='5' height='5'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.output, HasSubstr("[screen]main;[item]ok:main画面中多个控件的名字为ok..."));
}

TEST_F(Resources, ButtonsSwitchScreensAndUseCutGlobalPictures) {
    writeImage("sheet.png", solid(8, 8, QColor(255, 0, 0)));
    folder_.write("main.tft",
                  pageXml("main", "",
                          "<item type='BUTTON' name='go' id='1' button_type='0' switch='OTHER' "
                          "url_up='sheet.png' cut_up='1' cut_up_offset_x='2' "
                          "cut_up_offset_y='3' focus='0' width='4' height='4'/>"));
    folder_.write("other.tft", pageXml("other"));
    writeProject({"main.tft", "other.tft"}, {"sheet.png"});
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    const Bytes stream = screenRecord(0);
    const Bytes button = {0xEE, 0xB0, 0, 1, 0x10, 0, 0, 0, 0, 0, 4, 0, 4, 0xFF, 0xFF, 0,    0,   0,
                          0,    0,    0, 0, 2,    0, 3, 0, 0, 1, 0, 0, 0, 0xFF, 0xFC, 0xFF, 0xFF};
    EXPECT_NE(std::search(stream.begin(), stream.end(), button.begin(), button.end()),
              stream.end());
    EXPECT_EQ(out("demo.graidx").size(), 16u); // the global picture once, whole
    EXPECT_EQ(readLe(out("demo.graidx"), 7, 2), 8u);
}

TEST_F(Resources, MeterDialAndSliderCursorAreDrawnPictures) {
    folder_.write("main.tft",
                  pageXml("main", "",
                          "<item type='METER' name='m' id='2' width='60' height='60' "
                          "angle_start='135' angle_end='45' end_value='100' end_numerical='100'/>"
                          "<item type='SLIDER' name='s' id='3' width='100' height='20' "
                          "cursor_type='1' cursor_width='10' cursor_height='20' "
                          "mark_color='255;0;0'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 48u); // dial, slider rail, slider thumb
    EXPECT_EQ(readLe(index, 7, 2), 60u);
    EXPECT_EQ(readLe(index, 16 + 7, 2), 100u);
    EXPECT_EQ(readLe(index, 32 + 7, 2), 10u);
    const Bytes data = out("demo.gwb");
    // The dial's corner lies outside the round dial: transparent; its
    // centre is the background colour (black, stored as 1).
    EXPECT_EQ(readLe(data, 0, 2), 0u);
    EXPECT_EQ(readLe(data, (30 * 60 + 30) * 2, 2), 1u);
    // The round cursor: transparent corner, red middle.
    const std::size_t cursor = 60 * 60 * 2 + 100 * 20 * 2;
    EXPECT_EQ(readLe(data, cursor, 2), 0u);
    EXPECT_EQ(readLe(data, cursor + (10 * 10 + 5) * 2, 2), 0xF800u);
}

TEST_F(Resources, ScreenSourcesAreReproducibleWithTheSourceDateEpoch) {
    folder_.write("main.tft", pageXml("main", "bk_transparent='0' bk_color='255;0;0'",
                                      "<item type='LINE' pen_color='0;0;0' x1='5'/>"));
    writeProject({"main.tft"});
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    ASSERT_EQ(run().status, 0);
    std::map<std::string, Bytes> first;
    for (const auto& entry : fs::directory_iterator(folder_.path() / "output"))
        first[entry.path().filename().string()] = readBytes(entry.path());
    ASSERT_EQ(run().status, 0);
    ::unsetenv("SOURCE_DATE_EPOCH");
    for (const auto& [name, bytes] : first)
        EXPECT_EQ(out(name), bytes) << name;
    const std::string source = text(first.at("main.c"));
    EXPECT_THAT(source, HasSubstr("2023-11-14 22:13:20"));
    EXPECT_THAT(source, HasSubstr("#include \"DefineID.h\"\n\nvoid main()\n{\n"));
    // Code page 936: the comment of the background colour.
    EXPECT_THAT(source, HasSubstr("//\xC9\xE8\xD6\xC3\xCA\xD3\xCD\xBC\xB1\xB3\xBE\xB0\xC9\xAB\n"
                                  "SetBcolor(63488);\nGUI_CleanScreen();\n\n"));
    EXPECT_EQ(source.substr(source.size() - 2), "}\n");
}

TEST_F(Resources, GeneratedScreenSourceSendsTheScreensDrawingFrames) {
    const char* compiler = std::getenv("CC");
    const std::string cc = compiler != nullptr && *compiler ? compiler : "cc";
    if (std::system((cc + " --version > /dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "no host C compiler";
    folder_.write(
        "home.tft",
        pageXml("home", "bk_transparent='0' bk_color='0;128;255'",
                "<item type='RECTANGLE' fill_type='1' pen_color='255;0;0' xOffset='10' "
                "yOffset='20' width='100' height='50'/>"
                "<item type='RECTANGLE' fill_type='0' pen_color='1;2;3' width='5' height='6'/>"
                "<item type='ELLIPSE' fill_type='1' pen_color='9;9;9' width='7' height='8'/>"
                "<item type='ELLIPSE' fill_type='0' pen_color='9;9;9' width='7' height='8'/>"
                "<item type='CIRCLE' fill_type='0' pen_color='0;0;0' x='50' y='60' radius='9'/>"
                "<item type='CIRCLE' fill_type='1' pen_color='0;0;0' x='50' y='60' radius='9'/>"
                "<item type='LINE' pen_color='0;255;0' x0='1' y0='2' x1='300' y1='400'/>"
                "<item type='CURVE' pen_color='0;0;255' path='1,1'/>"
                "<item type='CURVE' pen_color='0;0;255' path='1,1,20,30,40,5'/>"
                "<item type='TEXT' text='中文&#10;\"q\"' show_bk='1' bk_color='1;1;1' "
                "width='100' height='40' font='2'/>"
                "<item type='TEXT' text='plain' show_bk='0' xOffset='3'/>"));
    writeProject({"home.tft"}, {}, {}, "home");
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    const fs::path output = folder_.path() / "output";
    // velmic's own DefineID.h brings in the driver declarations.
    ASSERT_TRUE(fs::exists(folder_.path() / "output" / "DefineID.h"));
    folder_.write("harness.c", "#include \"hmi_user_uart.h\"\n#include <stdio.h>\n"
                               "void home();\n"
                               "static void put(uint8_t b) { fputc(b, stdout); }\n"
                               "int main(void) { HMI_SetUartWrite(put); home(); return 0; }\n");
    const std::string driver = std::string(TFT_SOURCE_DIR) + "/data/hmi_driver";
    const std::string program = (folder_.path() / "screen").string();
    const std::string command = cc + " -std=c99 -Wall -Werror -I'" + driver + "' -I'" +
                                output.string() + "' '" + (output / "home.c").string() + "' '" +
                                driver + "/hmi_driver.c' '" + driver + "/hmi_user_uart.c' '" +
                                (folder_.path() / "harness.c").string() + "' -o '" + program +
                                "' && '" + program + "' > '" + program + ".out'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(readBytes(program + ".out"), screenRecord(0));
}

TEST_F(Resources, BackgroundPicturesFillTheScreen) {
    writeImage("bg.png", solid(8, 4, QColor(0, 0, 255)));
    folder_.write("anim.gif", gifFile(2, {5}));
    folder_.write("main.tft", pageXml("main", "bk_transparent='1' bk_image='bg.png'"));
    folder_.write("moving.tft", pageXml("moving", "bk_transparent='1' bk_image='anim.gif'"));
    folder_.write("broken.tft", pageXml("broken", "bk_transparent='1' bk_image='none.png'"));
    writeProject({"main.tft", "moving.tft", "broken.tft"});
    const RunResult r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.output, HasSubstr("broken背景图片设置错误..."));
    EXPECT_EQ(screenRecord(0), (Bytes{0xEE, 0x31, 0, 0, 0, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(screenRecord(1), (Bytes{0xEE, 0x80, 0, 0, 0, 0, 0, 1, 1, 0, 0xFF, 0xFC, 0xFF, 0xFF}));
    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 32u);
    EXPECT_EQ(readLe(index, 7, 2), 800u); // scaled to the screen
    EXPECT_EQ(readLe(index, 9, 2), 480u);
    EXPECT_EQ(readLe(out("demo.gwb"), 0, 2), 0x001Fu);
    const std::string source = text(out("main.c"));
    EXPECT_THAT(source, HasSubstr("{\n//\xC9\xE8\xD6\xC3\xCA\xD3\xCD\xBC\xB1\xB3\xBE\xB0\xCD\xBC"
                                  "\xC6\xAC\nDisFull_Image(0, 0);\n\n}\n"));
    EXPECT_THAT(text(out("moving.c")), HasSubstr("DisFlashImage(0,0, 1, 1, 0);\n\n}\n"));
    EXPECT_THAT(text(out("DefineID.c")), HasSubstr("#define  _IMG_MAIN "));
}

TEST_F(Resources, ControlPicturesAreCutToTheControl) {
    writeImage("back.png", solid(4, 4, QColor(255, 0, 0)));
    writeImage("fore.png", solid(4, 4, QColor(0, 255, 0)));
    folder_.write("main.tft",
                  pageXml("main", "",
                          "<item type='PROGRESS' name='p' id='6' xOffset='798' width='4' "
                          "height='2' show_bkg_style='2' bkg_image_path='back.png' "
                          "show_fore_style='1' fore_image_path='fore.png'/>"
                          "<item type='TEXT_DISPLAY' name='t' id='7' width='2' height='2' "
                          "show_bkg_style='2' bkg_image_path='back.png'/>"));
    writeProject({"main.tft"});
    const RunResult r = run();
    ASSERT_EQ(r.status, 0) << r.output;
    const Bytes stream = screenRecord(0);
    // Background 0 and foreground 1, each the 2 x 2 part on the screen.
    const Bytes progress = {0xEE, 0xB0, 0,    6,    0x12, 0x03, 0x1E, 0, 0,    0, 4, 0,
                            2,    2,    0x07, 0xE0, 0,    0,    1,    0, 0x1F, 0, 1};
    EXPECT_NE(std::search(stream.begin(), stream.end(), progress.begin(), progress.end()),
              stream.end());
    const Bytes index = out("demo.graidx");
    ASSERT_EQ(index.size(), 48u);
    EXPECT_EQ(readLe(index, 7, 2), 2u);
    EXPECT_EQ(readLe(index, 16 + 9, 2), 2u);
    EXPECT_EQ(readLe(out("demo.gwb"), 8, 2), 0x07E0u);
    const std::string defines = text(out("DefineID.c"));
    EXPECT_THAT(defines, HasSubstr("_IMG_MAIN_P_BK "));
    EXPECT_THAT(defines, HasSubstr("_IMG_MAIN_P_FORE "));
    EXPECT_THAT(defines, HasSubstr("_IMG_MAIN_T "));
}

TEST_F(Resources, ImageFilterMakesItsColourTransparent) {
    QImage two = solid(2, 1, QColor(255, 255, 255));
    two.setPixelColor(1, 0, QColor(255, 0, 0));
    writeImage("w.png", two);
    folder_.write("main.tft", pageXml("main", "",
                                      "<item type='IMAGE' name='f' url='w.png' filter='1' "
                                      "clr_low='255;255;255' width='2' height='1'/>"
                                      "<item type='IMAGE' name='n' url='w.png' width='2' "
                                      "height='1'/>"));
    writeProject({"main.tft"});
    ASSERT_EQ(run().status, 0);
    // Filtered and unfiltered are two pictures: the colour is part of the key.
    EXPECT_EQ(out("demo.gwb"), (Bytes{0x00, 0x00, 0x00, 0xF8, 0xFF, 0xFF, 0x00, 0xF8}));
}
