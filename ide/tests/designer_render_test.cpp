// The designer's drawing in parts: the panel canvas, the bitmap system fonts,
// the picture cache and the page painter's handling of pictures it cannot
// draw.
#include "command_lines.h"
#include "designer_render_support.h"
#include "page_document.h"
#include "page_painter.h"
#include "panel_canvas.h"
#include "panel_fonts.h"
#include "picture_cache.h"
#include "testing/test_support.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace tft::ide;

namespace {

int countColour(const PanelCanvas& canvas, std::uint16_t colour, QRect region = {}) {
    if (region.isNull())
        region = QRect(QPoint(0, 0), canvas.size());
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(canvas.image().constScanLine(y));
        for (int x = region.left(); x <= region.right(); ++x)
            n += row[x] == colour;
    }
    return n;
}

std::uint16_t at(const PanelCanvas& canvas, int x, int y) {
    return reinterpret_cast<const std::uint16_t*>(canvas.image().constScanLine(y))[x];
}

TEST(PanelCanvas, ShapesLandOnThePanelsPixels) {
    EXPECT_EQ(panelColour(0x0000FF), 0xF800); // red in the low byte
    EXPECT_EQ(panelColour(0xFFFFFF), 0xFFFF);
    PanelCanvas canvas(QSize(40, 30));
    // A line covers both ends and one pixel per step of its longer side.
    canvas.line(2, 3, 12, 7, 7);
    EXPECT_EQ(at(canvas, 2, 3), 7);
    EXPECT_EQ(at(canvas, 12, 7), 7);
    EXPECT_EQ(countColour(canvas, 7), 11);
    // Boxes are inclusive of both corners, in any order, and clipped.
    canvas.fill(0);
    canvas.fillRectangle(35, 25, 45, 35, 9);
    EXPECT_EQ(countColour(canvas, 9), 5 * 5);
    canvas.fill(0);
    canvas.rectangle(10, 10, 1, 1, 9);
    EXPECT_EQ(countColour(canvas, 9), 4 * 9);
    // A circle of radius r spans 2r + 1 pixels and is symmetric.
    canvas.fill(0);
    canvas.circle(20, 15, 6, 5);
    EXPECT_EQ(at(canvas, 14, 15), 5);
    EXPECT_EQ(at(canvas, 26, 15), 5);
    EXPECT_EQ(at(canvas, 20, 9), 5);
    EXPECT_EQ(at(canvas, 20, 21), 5);
    EXPECT_EQ(at(canvas, 20, 15), 0);
    canvas.fill(0);
    canvas.fillEllipse(5, 5, 25, 15, 3);
    EXPECT_EQ(at(canvas, 15, 10), 3);
    EXPECT_EQ(countColour(canvas, 3, QRect(0, 0, 15, 30)),
              countColour(canvas, 3, QRect(16, 0, 24, 30)));
    EXPECT_EQ(countColour(canvas, 3, QRect(0, 16, 40, 14)), 0);
}

TEST(PanelCanvas, KeyedPicturesLeaveTheKeyTransparent) {
    PanelCanvas canvas(QSize(8, 4));
    canvas.fill(0x1234);
    const std::vector<std::uint16_t> pixels = {0, 1, 2, 3, 4, 5, 0, 7};
    canvas.picture(pixels, 4, 2, -1, 1, 0, 0, 4, 2, true);
    EXPECT_EQ(at(canvas, 0, 1), 1); // the first column fell off the left edge
    EXPECT_EQ(at(canvas, 2, 1), 3);
    EXPECT_EQ(at(canvas, 0, 2), 5);
    EXPECT_EQ(at(canvas, 1, 2), 0x1234); // the key is not drawn
    canvas.picture(pixels, 4, 2, 4, 1, 1, 1, 3, 1, false);
    EXPECT_EQ(at(canvas, 5, 1), 0); // unkeyed: the key is drawn as black
    EXPECT_EQ(at(canvas, 6, 1), 7);
    EXPECT_EQ(at(canvas, 4, 2), 0x1234); // only one row cut
}

// A font folder with an 8x4 single-byte font (id 0) whose glyph n is the
// byte n in every row, and a 16x4 GB2312 companion (id 1) whose glyphs are
// full.
fs::path writeFonts(const fs::path& folder) {
    fs::create_directories(folder);
    std::ofstream(folder / "fonts.xml")
        << "<fonts>\n"
           "  <font id=\"0\" name=\"A\" type=\"2\" width=\"8\" height=\"4\" file=\"a.bin\"/>\n"
           "  <font id=\"1\" name=\"C\" type=\"0\" width=\"16\" height=\"4\" file=\"c.bin\"/>\n"
           "</fonts>\n";
    std::string a;
    for (int n = 0; n < 256; ++n)
        a.append(4, char(n));
    std::ofstream(folder / "a.bin", std::ios::binary) << a;
    std::ofstream(folder / "c.bin", std::ios::binary) << std::string(8178 * 8, '\xFF');
    return folder;
}

TEST(PanelFonts, TextIsLaidOutAsThePanelDoes) {
    testsupport::TempFolder folder;
    PanelFonts fonts;
    QString error;
    ASSERT_TRUE(
        fonts.load(QString::fromStdString(writeFonts(folder.path()).string()), 0xFFFFFFFF, &error))
        << error.toStdString();
    PanelCanvas canvas(QSize(64, 16));
    PanelTextStyle style;
    style.colour = 0; // black is drawn as the darkest colour that is not the key
    style.wrap = true;
    style.boxWidth = 24;
    style.boxHeight = 12;
    style.charGap = 1;
    // Glyph '@' (0x40) is the second column in every row.
    fonts.draw(canvas, 0, "@@@@", 2, 1, style);
    EXPECT_EQ(at(canvas, 3, 1), 1);
    EXPECT_EQ(at(canvas, 12, 1), 1); // 8 wide plus the gap
    EXPECT_EQ(at(canvas, 21, 1), 0); // a third would pass the 24-pixel box:
    EXPECT_EQ(at(canvas, 3, 5), 1);  // it wraps to the next line
    EXPECT_EQ(at(canvas, 12, 8), 1);
    EXPECT_EQ(countColour(canvas, 1), 4 * 4);
    // CR LF breaks the line; a two-byte character takes the companion font.
    canvas.fill(0);
    style.charGap = 0;
    style.boxWidth = 64;
    fonts.draw(canvas, 0, "@\r\n\xB0\xA1", 0, 0, style);
    EXPECT_EQ(countColour(canvas, 1, QRect(0, 0, 64, 4)), 4);
    EXPECT_EQ(countColour(canvas, 1, QRect(0, 4, 64, 4)), 16 * 4);
    // A font the panel model does not hold draws nothing.
    PanelFonts only;
    ASSERT_TRUE(only.load(QString::fromStdString(folder.path().string()), 0x2, &error));
    canvas.fill(0);
    only.draw(canvas, 0, "@", 0, 0, style);
    EXPECT_EQ(countColour(canvas, 1), 0);
}

TEST(PanelFonts, TextReachesThePanelInCodePage936) {
    EXPECT_EQ(panelBytes("a\nb"), "a\r\nb");
    EXPECT_EQ(panelBytes("文"), "\xCE\xC4");
    // A character the code page lacks is left out, not the whole text.
    EXPECT_EQ(panelBytes("a\xF0\x9F\x98\x80z"), "az");
}

void writePng(const fs::path& file, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}

TEST(PictureCache, KeptWhileTheFileIsTheSameAndRedoneWhenItChanges) {
    render_test::ensureGuiApplication();
    testsupport::TempFolder folder;
    const fs::path file = folder.path() / "p.png";
    writePng(file, QSize(10, 10), QColor(255, 0, 0));
    PictureCache cache;
    const PictureRequestKey key{QString::fromStdString(file.string()), QSize(20, 10), false, {}};
    const auto first = cache.picture(key);
    ASSERT_TRUE(first->ok);
    EXPECT_EQ(first->width, 20);
    EXPECT_EQ(first->frames.at(0).at(0), 0xF800);
    // Unchanged: neither converted nor hashed again.
    EXPECT_EQ(cache.picture(key), first);
    EXPECT_EQ(cache.conversions(), 1);
    EXPECT_EQ(cache.digests(), 1);
    // Another size is another picture.
    EXPECT_EQ(cache.picture({key.file, QSize(5, 5), false, {}})->width, 5);
    EXPECT_EQ(cache.conversions(), 2);
    // Touched without a change: hashed once, kept.
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
    EXPECT_EQ(cache.picture(key), first);
    EXPECT_EQ(cache.conversions(), 2);
    EXPECT_EQ(cache.digests(), 3);
    // The same size and time, another content: drawn anew at the next use.
    const auto stamp = fs::last_write_time(file);
    writePng(file, QSize(10, 10), QColor(0, 0, 255));
    fs::last_write_time(file, stamp + std::chrono::seconds(1));
    const auto edited = cache.picture(key);
    EXPECT_EQ(edited->frames.at(0).at(0), 0x001F);
    EXPECT_EQ(cache.conversions(), 3);
    // A file that does not decode, and one that is gone.
    std::ofstream(file, std::ios::binary) << "not a picture";
    EXPECT_FALSE(cache.picture(key)->ok);
    fs::remove(file);
    EXPECT_FALSE(cache.picture(key)->ok);
}

TEST(PagePainter, PicturesThatCannotBeDrawnShowAPlaceholderWithTheirPath) {
    render_test::ensureGuiApplication();
    testsupport::TempFolder folder;
    std::ofstream(folder.path() / "broken.png", std::ios::binary) << "\x89PNG broken";
    PageDocument page;
    ASSERT_TRUE(page.loadText(
        "<DrawPage name=\"p\" bk_transparent=\"0\" bk_color=\"0;0;0\">"
        "<item type=\"IMAGE\" name=\"a\" id=\"1\" url=\"broken.png\" xOffset=\"10\" yOffset=\"10\" "
        "width=\"200\" height=\"60\"/>"
        "<item type=\"IMAGE\" name=\"b\" id=\"2\" url=\"missing.png\" xOffset=\"10\" "
        "yOffset=\"100\" "
        "width=\"200\" height=\"60\"/>"
        "<item type=\"IMAGE\" name=\"c\" id=\"3\" url=\"../outside.png\" xOffset=\"10\" "
        "yOffset=\"200\" width=\"200\" height=\"60\"/>"
        "<item type=\"METER\" name=\"m\" id=\"4\" show_bkg_style=\"2\" "
        "bkg_image_path=\"broken.png\" xOffset=\"220\" yOffset=\"10\" width=\"90\" "
        "height=\"90\"/>"
        "</DrawPage>"));
    page.setScreenSize(QSize(320, 280));
    RenderContext context;
    context.projectDir = QString::fromStdString(folder.path().string());
    context.appDir = QStringLiteral(TFT_APP_DIR);
    PagePainter painter(context);
    const PanelCanvas& canvas = painter.renderCanvas(page);
    for (int top : {10, 100, 200}) {
        // The frame and the cross in magenta, and the path in the panel's font.
        EXPECT_EQ(at(canvas, 10, top), 0xF81F);
        EXPECT_EQ(at(canvas, 209, top + 59), 0xF81F);
        EXPECT_GT(countColour(canvas, 0xFFFF, QRect(12, top + 2, 100, 12)), 20);
    }
    // A meter's dial is drawn without the picture, and marked.
    EXPECT_EQ(at(canvas, 220, 10), 0xF81F);
    EXPECT_EQ(at(canvas, 309, 99), 0xF81F);
    ASSERT_EQ(painter.problems().size(), 4u);
    EXPECT_TRUE(painter.problems()[3].startsWith("broken.png: "));
    // Kept dials remember the failure: the next paint marks it again.
    painter.renderCanvas(page);
    EXPECT_EQ(painter.problems().size(), 4u);
    EXPECT_TRUE(painter.problems()[0].startsWith("broken.png: "));
    EXPECT_TRUE(painter.problems()[1].startsWith("missing.png: "));
    EXPECT_TRUE(painter.problems()[2].startsWith("../outside.png: "));
}

TEST(PagePainter, BackgroundsAndHiddenShapes) {
    render_test::ensureGuiApplication();
    testsupport::TempFolder folder;
    writePng(folder.path() / "bg.png", QSize(4, 4), QColor(0, 255, 0));
    PageDocument page;
    ASSERT_TRUE(page.loadText("<DrawPage name=\"p\" bk_transparent=\"1\" bk_color=\"0;0;0\" "
                              "bk_image=\"bg.png\">"
                              "<item type=\"RECTANGLE\" name=\"r\" id=\"1\" fill_type=\"1\" "
                              "pen_color=\"255;0;0\" xOffset=\"0\" yOffset=\"0\" width=\"5\" "
                              "height=\"5\"/></DrawPage>"));
    page.setScreenSize(QSize(20, 10));
    RenderContext context;
    context.projectDir = QString::fromStdString(folder.path().string());
    context.appDir = QStringLiteral(TFT_APP_DIR);
    PagePainter painter(context);
    // The picture stretched over the screen, the shape over it.
    EXPECT_EQ(countColour(painter.renderCanvas(page), 0x07E0), 20 * 10 - 25);
    page.shapes().front()->setState(2); // hidden
    EXPECT_EQ(countColour(painter.renderCanvas(page), 0x07E0), 20 * 10);
    ASSERT_TRUE(page.setPageProperty("bk_transparent", "0"));
    ASSERT_TRUE(page.setPageProperty("bk_color", "0;0;255"));
    EXPECT_EQ(at(painter.renderCanvas(page), 3, 3), 0x001F);
    // The image a painter shows is the canvas at 8 bits a channel.
    QImage shown(20, 10, QImage::Format_RGB32);
    QPainter p(&shown);
    painter.paintPage(p, page);
    p.end();
    EXPECT_EQ(shown.pixel(3, 3), qRgb(0, 0, 255));
}

} // namespace

namespace {

TEST(RenderCommandLine, ReadsProjectPageAndOutput) {
    RenderCommand c;
    QString error;
    ASSERT_TRUE(parseRenderCommand({"--render", "a b.tftprj", "home", "-o", "x.png"}, c, error));
    EXPECT_EQ(c.project, "a b.tftprj");
    EXPECT_EQ(c.page, "home");
    EXPECT_EQ(c.output, "x.png");
    ASSERT_TRUE(parseRenderCommand({"-o", "x.png", "--render", "p.tftprj", "home"}, c, error));
    EXPECT_EQ(c.output, "x.png");
    for (const QStringList& bad :
         {QStringList{"--render", "p.tftprj", "home"}, QStringList{"--render", "p.tftprj", "-o"},
          QStringList{"--render", "p.tftprj", "-o", "x.png"},
          QStringList{"--render", "p.tftprj", "a", "b", "-o", "x.png"},
          QStringList{"--render", "p.tftprj", "home", "-o", "x.png", "--zoom"}}) {
        EXPECT_FALSE(parseRenderCommand(bad, c, error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(isRenderCommand({"p.tftprj", "--render"}));
    EXPECT_FALSE(isRenderCommand({"--build", "p.tftprj"}));
}

TEST(RenderCommandLine, TheRealProgramRefusesWhatItCannotDraw) {
    testsupport::TempFolder folder;
    const std::string project = std::string(TFT_SOURCE_DIR) + "/examples/showcase/showcase.tftprj";
    const std::string out = (folder.path() / "x.png").string();
    EXPECT_EQ(testsupport::runProgram("orvane", {"--render", project}).status, 2);
    const auto noPage =
        testsupport::runProgram("orvane", {"--render", project, "nowhere", "-o", out});
    EXPECT_EQ(noPage.status, 1);
    EXPECT_NE(noPage.output.find("nowhere"), std::string::npos) << noPage.output;
    EXPECT_EQ(
        testsupport::runProgram(
            "orvane", {"--render", (folder.path() / "none.tftprj").string(), "home", "-o", out})
            .status,
        1);
    EXPECT_FALSE(fs::exists(out));
    // The page name is compared without regard to case, as the compiler does.
    ASSERT_EQ(testsupport::runProgram("orvane", {"--render", project, "HOME", "-o", out}).status,
              0);
    EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(800, 480));
    const auto help = testsupport::runProgram("orvane", {"--help"});
    EXPECT_NE(help.output.find("--render PROJECT.tftprj PAGE -o FILE.png"), std::string::npos);
}

} // namespace

namespace {

// A 2x1 GIF89a: pixel 0 red, pixel 1 transparent (colour index 1).
const unsigned char kTransparentGif[] = {
    'G',  'I',  'F',  '8',  '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, // screen, 2-colour table
    0xFF, 0,    0,    0,    0,   0,                           // red, black
    0x21, 0xF9, 4,    0x01, 0,   0,   1, 0,                   // index 1 transparent
    0x2C, 0,    0,    0,    0,   2,   0, 1, 0, 0,             // the image
    2,    2,    0x44, 0x0A, 0,   0x3B};                       // LZW: 0, 1; end

TEST(PagePainter, WholeScreensAndKeyedAnimatedPictures) {
    render_test::ensureGuiApplication();
    testsupport::TempFolder folder;
    std::ofstream(folder.path() / "dot.gif", std::ios::binary)
        .write(reinterpret_cast<const char*>(kTransparentGif), sizeof kTransparentGif);
    PageDocument page;
    ASSERT_TRUE(page.loadText(
        "<DrawPage name=\"p\" bk_transparent=\"0\" bk_color=\"0;0;255\">"
        "<item type=\"RECTANGLE\" name=\"r\" id=\"1\" fill_type=\"1\" pen_color=\"0;255;0\" "
        "xOffset=\"900\" yOffset=\"580\" width=\"10\" height=\"10\"/>"
        "<item type=\"IMAGE\" name=\"g\" id=\"2\" url=\"dot.gif\" xOffset=\"0\" yOffset=\"0\" "
        "width=\"2\" height=\"1\"/></DrawPage>"));
    page.setScreenSize(QSize(1024, 600));
    RenderContext context;
    context.projectDir = QString::fromStdString(folder.path().string());
    context.appDir = QStringLiteral(TFT_APP_DIR);
    PagePainter painter(context);
    const PanelCanvas& canvas = painter.renderCanvas(page);
    // A wide screen is drawn to its right edge, past 800 pixels.
    EXPECT_EQ(at(canvas, 905, 585), 0x07E0);
    // A GIF's transparent pixels show the page under them, in page order.
    EXPECT_EQ(at(canvas, 0, 0), 0xF800);
    EXPECT_EQ(at(canvas, 1, 0), 0x001F);
}

} // namespace
