// The designer against the panel: one page with every kind, compiled by
// velmic (through `orvane --build`, which adds the system fonts), run by
// `dunmere --headless` and shot; each kind's box of the designer's drawing
// must show what the simulator shows.
#include "designer_render_support.h"
#include "page_document.h"
#include "page_painter.h"
#include "testing/test_support.h"

#include <QDateTime>
#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using namespace tft::ide;

namespace {

// The clock the simulator is set to; the designer is given the same.
const QDateTime kClock(QDate(2026, 3, 14), QTime(15, 9, 26), Qt::UTC);

// The boxes of the kinds on the page below, by item name.
const std::map<std::string, QRect> kBoxes = {
    {"line", QRect(10, 10, 141, 51)},         {"curve", QRect(10, 70, 141, 51)},
    {"hollow_rect", QRect(160, 10, 100, 50)}, {"solid_rect", QRect(160, 70, 100, 50)},
    {"hollow_oval", QRect(270, 10, 100, 50)}, {"solid_oval", QRect(270, 70, 100, 50)},
    {"ring", QRect(389, 9, 63, 63)},          {"disc", QRect(399, 79, 43, 43)},
    {"text", QRect(460, 10, 150, 40)},        {"badge", QRect(620, 10, 96, 96)},
    {"photo_crop", QRect(720, 10, 80, 60)},   {"key", QRect(10, 130, 160, 56)},
    {"toggle_on", QRect(180, 130, 160, 56)},  {"entry", QRect(350, 130, 200, 40)},
    {"bar", QRect(560, 130, 200, 20)},        {"bar_up", QRect(770, 130, 20, 120)},
    {"level", QRect(10, 200, 260, 40)},       {"height", QRect(300, 200, 40, 200)},
    {"meter_bar", QRect(360, 200, 180, 180)}, {"meter_arrow", QRect(560, 260, 150, 150)},
    {"date", QRect(10, 250, 200, 16)},        {"date_time", QRect(10, 270, 200, 16)},
    {"weekday", QRect(10, 290, 280, 16)},     {"time", QRect(10, 310, 200, 16)},
    {"spinner", QRect(200, 400, 64, 64)},     {"trend", QRect(600, 420, 150, 50)},
};

const char* kItems = R"(
  <item type="LINE" name="line" id="1" pen_color="255;200;0" x0="10" y0="10" x1="150" y1="60"/>
  <item type="CURVE" name="curve" id="2" pen_color="0;200;255" path="10,70,60,120,110,70,150,120"/>
  <item type="RECTANGLE" name="hollow_rect" id="3" fill_type="0" pen_color="200;40;40" xOffset="160" yOffset="10" width="100" height="50"/>
  <item type="RECTANGLE" name="solid_rect" id="4" fill_type="1" pen_color="40;160;80" xOffset="160" yOffset="70" width="100" height="50"/>
  <item type="ELLIPSE" name="hollow_oval" id="5" fill_type="0" pen_color="80;120;240" xOffset="270" yOffset="10" width="100" height="50"/>
  <item type="ELLIPSE" name="solid_oval" id="6" fill_type="1" pen_color="120;160;240" xOffset="270" yOffset="70" width="100" height="50"/>
  <item type="CIRCLE" name="ring" id="7" fill_type="0" pen_color="160;40;160" x="420" y="40" radius="30"/>
  <item type="CIRCLE" name="disc" id="8" fill_type="1" pen_color="230;140;30" x="420" y="100" radius="20"/>
  <item type="TEXT" name="text" id="9" text="Text 文字 wraps in its box" font="1" xOffset="460" yOffset="10" width="150" height="40" show_bk="1" bk_color="60;0;60" fore_color="255;255;255" row_gap="1" col_gap="2"/>
  <item type="IMAGE" name="badge" id="10" url="art\badge.png" xOffset="620" yOffset="10" width="96" height="96"/>
  <item type="IMAGE" name="photo_crop" id="11" url="art/landscape.jpg" crop="1" xOffset="720" yOffset="10" width="120" height="60"/>
  <item type="BUTTON" name="key" id="12" button_type="2" key_type="0" key_code="1" url_up="art\btn_up.png" url_down="art\btn_down.png" xOffset="10" yOffset="130" width="160" height="56"/>
  <item type="BUTTON" name="toggle_on" id="13" button_type="1" init_state="1" url_up="art\btn_up.png" url_down="art\btn_down.png" xOffset="180" yOffset="130" width="160" height="56"/>
  <item type="TEXT_DISPLAY" name="entry" id="14" text="42 号" font="2" show_bkg_style="1" xOffset="350" yOffset="130" width="200" height="40" fore_color="0;0;0" bkg_color="255;255;200"/>
  <item type="PROGRESS" name="bar" id="15" value="40" max_value="100" progress_style="0" show_bkg_style="1" xOffset="560" yOffset="130" width="200" height="20" bkg_color="60;60;60" fore_color="80;200;120"/>
  <item type="PROGRESS" name="bar_up" id="16" value="75" max_value="100" progress_style="3" show_bkg_style="1" xOffset="770" yOffset="130" width="20" height="120" bkg_color="60;60;60" fore_color="240;80;80"/>
  <item type="SLIDER" name="level" id="17" value="25" end_value="100" direction="0" mark_count="10" mark_color="200;200;255" bkg_type="1" bkg_color="90;90;90" xOffset="10" yOffset="200" width="260" height="40" cursor_width="16" cursor_height="30" cursor_offset="5" left_space="8" right_space="8"/>
  <item type="SLIDER" name="height" id="18" value="70" end_value="100" direction="1" cursor_type="1" mark_color="255;200;120" xOffset="300" yOffset="200" width="40" height="200" cursor_width="30" cursor_height="16" cursor_offset="5"/>
  <item type="METER" name="meter_bar" id="19" value="30" start_value="0" end_value="100" angle_start="135" angle_end="405" bkg_color="40;20;20" show_bkg_color="1" show_scale="1" scale_width="4" scale_color="200;200;200" mark_count="10" mark_width="2" mark_color="255;255;255" show_numerical="1" numerical_font_size="12" numerical_color="255;255;255" start_numerical="0" end_numerical="100" pointer_type="0" pointer_color="255;80;80" pointer_center_color="220;220;220" xOffset="360" yOffset="200" width="180" height="180"/>
  <item type="METER" name="meter_arrow" id="20" value="85" start_value="0" end_value="100" angle_start="180" angle_end="0" clock_wise="0" mark_count="4" mark_width="1" mark_color="120;255;120" pointer_type="2" pointer_color="80;160;255" pointer_center_color="255;255;255" xOffset="560" yOffset="260" width="150" height="150"/>
  <item type="RTC" name="date" id="21" zone="0" format="0" font="1" xOffset="10" yOffset="250" width="200" height="16" fore_color="255;255;120"/>
  <item type="RTC" name="date_time" id="22" zone="8" format="1" font="1" xOffset="10" yOffset="270" width="200" height="16" fore_color="255;255;120"/>
  <item type="RTC" name="weekday" id="23" zone="-3.5" format="2" lang="1" font="1" xOffset="10" yOffset="290" width="280" height="16" fore_color="255;255;120"/>
  <item type="RTC" name="time" id="24" zone="0" format="3" font="1" xOffset="10" yOffset="310" width="200" height="16" fore_color="255;255;120"/>
  <item type="ANIMATION" name="spinner" id="25" frame_list="art\spinner.gif" auto_play="0" interval="100" xOffset="200" yOffset="400" width="64" height="64"/>
  <item type="GRAPH" name="trend" id="26" xOffset="600" yOffset="420" width="150" height="50" sample_count="150" sample_depth="1"/>
)";

class DesignerAgainstPanel : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        render_test::ensureGuiApplication();
        folder_ = new testsupport::TempFolder;
        const fs::path dir = folder_->path();
        render_test::writeProject(dir, "kinds", kItems);
        const auto build =
            testsupport::runProgram("orvane", {"--build", (dir / "render.tftprj").string()});
        ASSERT_EQ(build.status, 0) << build.output;
        // The clock is set, then the screen shown again so that it is drawn
        // with that time; the panel's clock runs on, so the shot may be a
        // second later.
        folder_->write("shot.txt", "send EE 04 FF FC FF FF\nexpect EE 55 FF FC FF FF\n" +
                                       render_test::kFullBacklight +
                                       render_test::setClockStep(kClock) +
                                       "wait 500\nsend EE B1 00 00 00 FF FC FF FF\nwait 30\n" +
                                       "screenshot " + (dir / "panel.png").string() + "\n");
        const auto run =
            testsupport::runProgram("dunmere",
                                    {"--headless", (dir / "output" / "render.si").string(),
                                     "--script", (dir / "shot.txt").string()},
                                    {"QT_QPA_PLATFORM=offscreen", "TZ=UTC"});
        ASSERT_EQ(run.status, 0) << run.output;
        panel_ = new QImage(QString::fromStdString((dir / "panel.png").string()));

        PageDocument page;
        ASSERT_TRUE(page.load((dir / "kinds.tft").string()));
        page.setScreenSize(QSize(800, 480));
        RenderContext context;
        context.projectDir = QString::fromStdString(dir.string()) + "/";
        context.appDir = QStringLiteral(TFT_APP_DIR);
        for (int second = 0; second < 2; ++second) {
            context.clock = kClock.addSecs(second);
            PagePainter painter(context);
            designer_[second] = new QImage(painter.renderPage(page));
        }
    }
    static void TearDownTestSuite() {
        delete panel_;
        delete designer_[0];
        delete designer_[1];
        delete folder_;
    }

    // Differing pixels in the box of `name` (the better of the two clock
    // readings, which differ only in clock texts).
    static int differences(const std::string& name) {
        const QRect box = kBoxes.at(name);
        return std::min(render_test::differingPixels(*panel_, *designer_[0], box),
                        render_test::differingPixels(*panel_, *designer_[1], box));
    }

protected:
    static testsupport::TempFolder* folder_;
    static QImage* panel_;
    static QImage* designer_[2];
};

testsupport::TempFolder* DesignerAgainstPanel::folder_ = nullptr;
QImage* DesignerAgainstPanel::panel_ = nullptr;
QImage* DesignerAgainstPanel::designer_[2] = {};

// Every pixel of each kind's box as the simulator shows it.
void expectSame(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        EXPECT_EQ(DesignerAgainstPanel::differences(name), 0) << name;
}

TEST_F(DesignerAgainstPanel, LinesCurvesBoxesEllipsesAndCircles) {
    ASSERT_FALSE(panel_->isNull());
    expectSame({"line", "curve", "hollow_rect", "solid_rect", "hollow_oval", "solid_oval", "ring",
                "disc"});
}

TEST_F(DesignerAgainstPanel, TextWithTheSystemFonts) {
    expectSame({"text"});
}

TEST_F(DesignerAgainstPanel, PicturesScaledCroppedAndTransparent) {
    expectSame({"badge", "photo_crop"});
}

TEST_F(DesignerAgainstPanel, ButtonsShowTheirUpOrDownPicture) {
    expectSame({"key", "toggle_on"});
}

TEST_F(DesignerAgainstPanel, TextDisplaysAndProgressBars) {
    expectSame({"entry", "bar", "bar_up"});
}

TEST_F(DesignerAgainstPanel, SlidersWithRailAndThumb) {
    expectSame({"level", "height"});
}

TEST_F(DesignerAgainstPanel, MetersWithDialAndNeedle) {
    expectSame({"meter_bar", "meter_arrow"});
}

TEST_F(DesignerAgainstPanel, ClocksInTheFourFormats) {
    expectSame({"date", "date_time", "weekday", "time"});
}

TEST_F(DesignerAgainstPanel, AnimationsAndGraphs) {
    expectSame({"spinner", "trend"});
}

} // namespace
