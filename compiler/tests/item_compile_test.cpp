// The item compilers in-process: frames byte for byte, C text word for word,
// checks and their messages.
#include "compiler/item_compilers.h"
#include "compiler/item_editor.h"
#include "compiler/item_registry.h"
#include "compiler/resource_store.h"
#include "fonttools/shipped_fonts.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace testsupport;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kTail = {0xFF, 0xFC, 0xFF, 0xFF};

Bytes frame(const Bytes& body) {
    Bytes f(body.size() + 5, 0xEE);
    std::copy(body.begin(), body.end(), f.begin() + 1);
    std::copy(kTail.begin(), kTail.end(), f.end() - 4);
    return f;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ItemCompile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tft::ensureItemKindsRegistered());
        tft::resetCurveCounter();
        tft::fonttools::setShippedFontFolder(QStringLiteral(TFT_APP_DIR "/fonts"));
    }
    // Compiles the items of a page named "main"; false when any failed.
    bool compile(const std::string& items) {
        page_ = tft::CItemEditor();
        bytes_.clear();
        text_.clear();
        EXPECT_TRUE(page_.loadText("<DrawPage name='main'>" + items + "</DrawPage>"));
        bool ok = true;
        for (const auto& item : page_.items()) {
            const auto* fn = tft::ItemRegistry::instance().compiler(item->kindName());
            EXPECT_NE(fn, nullptr);
            Bytes b = {0x55}; // compile functions start from empty bytes
            ok = (*fn)(*item, text_, b) && ok;
            bytes_.insert(bytes_.end(), b.begin(), b.end());
        }
        return ok;
    }

    tft::CItemEditor page_;
    Bytes bytes_;
    std::string text_;
    CapturedSink sink_;
};

} // namespace

TEST_F(ItemCompile, FilledRedRectangle) {
    ASSERT_TRUE(compile("<item type='RECTANGLE' fill_type='1' pen_color='255;0;0' xOffset='10' "
                        "yOffset='20' width='100' height='50'/>"));
    EXPECT_EQ(bytes_, concat({frame({0x41, 0xF8, 0x00}),
                              frame({0x55, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x6D, 0x00, 0x45})}));
    EXPECT_EQ(text_, "//画实心矩形 \nSetFcolor(63488);\nGUI_RectangleFill(10, 20, 109, 69);\n\n");
}

TEST_F(ItemCompile, DrawingKindsOutlinesAndUnknownFill) {
    ASSERT_TRUE(compile("<item type='ELLIPSE' fill_type='0' pen_color='0;0;255' xOffset='1' "
                        "yOffset='2' width='3' height='4'/>"
                        "<item type='CIRCLE' fill_type='1' pen_color='0;255;0' x='300' y='5' "
                        "radius='7'/>"
                        "<item type='RECTANGLE' fill_type='2' pen_color='0;0;0'/>"
                        "<item type='LINE' pen_color='255;255;255' x0='1' y0='2' x1='3' y1='4'/>"));
    EXPECT_EQ(bytes_, concat({frame({0x41, 0x00, 0x1F}), frame({0x56, 0, 1, 0, 2, 0, 3, 0, 5}),
                              frame({0x41, 0x07, 0xE0}), frame({0x53, 0x01, 0x2C, 0, 5, 0, 7}),
                              frame({0x41, 0, 0}), frame({0x41, 0xFF, 0xFF}),
                              frame({0x51, 0, 1, 0, 2, 0, 3, 0, 4})}));
    EXPECT_THAT(text_, HasSubstr("GUI_Ellipse(1, 2, 3, 5);\n\n"));
    EXPECT_THAT(text_, HasSubstr("GUI_CircleFill(300, 5, 7);\n\n"));
    EXPECT_THAT(text_, HasSubstr("//画空心矩形 \nSetFcolor(0);\n//画线"));
}

TEST_F(ItemCompile, CurvesOfOneAndThreePoints) {
    ASSERT_TRUE(compile("<item type='CURVE' pen_color='0;0;0' path='5,6'/>"
                        "<item type='CURVE' pen_color='0;0;0' path='1,2,3,4,5,6'/>"
                        "<item type='CURVE' pen_color='0;0;0' path='7,8,9,10'/>"));
    EXPECT_EQ(bytes_,
              concat({frame({0x41, 0, 0}), frame({0x50, 0, 5, 0, 6}), frame({0x41, 0, 0}),
                      frame({0x51, 0, 1, 0, 2, 0, 3, 0, 4}), frame({0x51, 0, 3, 0, 4, 0, 5, 0, 6}),
                      frame({0x41, 0, 0}), frame({0x51, 0, 7, 0, 8, 0, 9, 0, 10})}));
    EXPECT_EQ(text_,
              "//画折线\nSetFcolor(0);\nGUI_Dot(5, 6);\n"
              "//画折线\nSetFcolor(0);\nunsigned short usPointXY0[] = {1,2,3,4,5,6,};\n"
              "for(int nIndex0 = 0; nIndex0 < 2; ++nIndex0)\n{\n\tGUI_Line(usPointXY0[nIndex0*2], "
              "usPointXY0[nIndex0*2+1], usPointXY0[nIndex0*2+2], usPointXY0[nIndex0*2+3]);\n}\n"
              "//画折线\nSetFcolor(0);\nunsigned short usPointXY1[] = {7,8,9,10,};\n"
              "for(int nIndex1 = 0; nIndex1 < 1; ++nIndex1)\n{\n\tGUI_Line(usPointXY1[nIndex1*2], "
              "usPointXY1[nIndex1*2+1], usPointXY1[nIndex1*2+2], usPointXY1[nIndex1*2+3]);\n}\n");
}

TEST_F(ItemCompile, TextWithoutBackgroundInCodePage936WithCrLf) {
    ASSERT_TRUE(compile("<item type='TEXT' text='中&#10;A' fore_color='255;0;0' show_bk='0' "
                        "width='16' height='300' row_gap='1' col_gap='2' xOffset='3' yOffset='4' "
                        "font='5'/>"));
    EXPECT_EQ(bytes_, concat({frame({0x41, 0xF8, 0x00}), frame({0x45, 1, 0, 16, 0x01, 0x2C}),
                              frame({0x43, 1, 2}),
                              frame({0x20, 0, 3, 0, 4, 0, 5, 0xD6, 0xD0, 0x0D, 0x0A, 'A'})}));
    EXPECT_EQ(text_, "//文本显示\nSetFcolor(63488);\nSetFont_Region(1, 16,300);\n"
                     "SetTextSpace(1,2);\nDisText(3, 4, 0, 5, \"中\\nA\");\n\n");
}

TEST_F(ItemCompile, TextWithBackgroundAndQuotesStaysValidC) {
    ASSERT_TRUE(compile("<item type='TEXT' text='a\"b\\' bk_color='0;0;255' show_bk='1'/>"));
    EXPECT_EQ(Bytes(bytes_.begin() + 8, bytes_.begin() + 16), frame({0x42, 0x00, 0x1F}));
    EXPECT_THAT(text_, HasSubstr("SetBcolor(31);\n"));
    EXPECT_THAT(text_, HasSubstr("\"a\\\"b\\\\\");"));
}

TEST_F(ItemCompile, TextOutsideCodePage936FailsTheItem) {
    EXPECT_FALSE(compile("<item type='TEXT' text='&#x1F600;'/>"));
}

TEST_F(ItemCompile, TextDisplayWithAnOverlongTextSendsTheLengthModulo256) {
    const std::string text(300, 'x');
    ASSERT_TRUE(compile("<item type='TEXT_DISPLAY' name='td' id='7' text='" + text +
                        "' xOffset='-5' yOffset='6' width='40' height='20' font='3' "
                        "show_bkg_style='1' bkg_color='255;0;0' fore_color='0;0;255' "
                        "password='1' input_mode='2' text_type='1' text_len_max='9'/>"));
    EXPECT_THAT(sink_.text(), HasSubstr("[screen]main;[item]td:文本长度超过255个字节..."));
    Bytes expected{0xEE, 0xB0, 0, 7,    0x11, 0,    0,    0, 6, 0, 40, 0, 20, 3,
                   1,    0xF8, 0, 0xFF, 0xFF, 0x00, 0x1F, 1, 2, 1, 0,  9, 44};
    expected.insert(expected.end(), 44, 'x');
    expected.insert(expected.end(), kTail.begin(), kTail.end());
    EXPECT_EQ(bytes_, expected);
    EXPECT_EQ(text_, "//画文本显示器\n");
}

TEST_F(ItemCompile, TextDisplayChecks) {
    ASSERT_TRUE(compile("<item type='TEXT_DISPLAY' name='td' show_bkg_style='2'/>"
                        "<item type='TEXT_DISPLAY' name='gone' xOffset='-50' width='20'/>"));
    EXPECT_THAT(sink_.text(), HasSubstr("[screen]main;[item]td:消息显示器td未设背景图片..."));
    ASSERT_EQ(bytes_.size(), 27u + 4u); // the first still sent, the second off the screen
    EXPECT_EQ(bytes_[17], 0xFF);
    EXPECT_EQ(bytes_[18], 0xFF);
}

TEST_F(ItemCompile, IconImageProducesNoCommand) {
    ASSERT_TRUE(compile("<item type='IMAGE' url='pics/a.ico' width='10' height='10'/>"));
    EXPECT_TRUE(bytes_.empty());
    EXPECT_EQ(text_, "//图片显示\n//图片名: pics/a.ico\n");
}

TEST_F(ItemCompile, MissingPictureFailsTheImage) {
    EXPECT_FALSE(compile("<item type='IMAGE' name='i' url='none.png' width='10' height='10'/>"));
    EXPECT_THAT(sink_.text(), HasSubstr("[screen]main;[item]i:(5001)编译图片错误..."));
    EXPECT_THAT(sink_.text(), HasSubstr("[screen]main;[item]i:图片不存在..."));
}

TEST_F(ItemCompile, GraphRtcProgressAnimationBodies) {
    ASSERT_TRUE(compile(
        "<item type='GRAPH' id='2' xOffset='1' yOffset='2' width='300' height='4' "
        "sample_depth='2' sample_count='1000'/>"
        "<item type='RTC' id='3' zone='8.5' format='1' lang='2' font='4' fore_color='0;255;0' "
        "input='1' xOffset='1' yOffset='2' width='3' height='4'/>"
        "<item type='PROGRESS' id='4' xOffset='1' yOffset='2' width='3' height='4' "
        "show_bkg_style='1' bkg_color='255;0;0' show_fore_style='0' fore_color='0;0;255' "
        "progress_style='2' value='-1' min_value='0' max_value='70000'/>"));
    EXPECT_EQ(bytes_,
              concat({frame({0xB0, 0, 2, 0x18, 0, 1, 0, 2, 1, 0x2C, 0, 4, 0, 2, 0x03, 0xE8}),
                      frame({0xB0, 0, 3, 0x17, 0, 1, 0, 2, 0, 3, 0, 4, 17, 1, 2, 4, 0x07, 0xE0, 1}),
                      frame({0xB0, 0,    4,    0x12, 0,    1, 0, 2,    0,    3,    0,   4,
                             1,    0xF8, 0,    0xFF, 0xFF, 0, 0, 0x1F, 0xFF, 0xFF, 2,   0xFF,
                             0xFF, 0xFF, 0xFF, 0,    0,    0, 0, 0,    1,    0x11, 0x70})}));
    EXPECT_EQ(text_, "//曲线\n//显示RTC时间\n");
}

TEST_F(ItemCompile, ButtonActions) {
    ASSERT_TRUE(
        compile("<item type='BUTTON' name='k1' id='9' button_type='2' key_type='0' "
                "key_code='A' focus='1' xOffset='1' yOffset='2' width='30' height='40'/>"
                "<item type='BUTTON' name='k2' id='10' button_type='2' key_type='4' focus='0' "
                "width='1' height='1'/>"
                "<item type='BUTTON' name='off' id='11' button_type='2' key_code='AB' "
                "xOffset='-1' width='1' height='1'/>"));
    EXPECT_EQ(bytes_,
              concat({frame({0xB0, 0, 9, 0x10, 0,    1, 0, 2, 0, 30, 0,   40, 0xFF, 0xFF, 0,
                             0,    0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 2,  'A', 0,  0,    0,    1}),
                      frame({0xB0, 0, 10, 0x10, 0,    0, 0, 0, 0, 1, 0,  1, 0xFF, 0xFF, 0,
                             0,    0, 0,  0xFF, 0xFF, 0, 0, 0, 0, 2, 27, 0, 0,    0,    0})}));
    EXPECT_EQ(sink_.text(), "");
}

TEST_F(ItemCompile, ButtonChecks) {
    compile("<item type='BUTTON' name='k' id='9' button_type='2' key_type='0' key_code='AB' "
            "width='5' height='5'/>"
            "<item type='BUTTON' name='s' id='11' button_type='0' switch='' width='5' height='5'/>"
            "<item type='BUTTON' name='t' id='12' button_type='0' switch='nowhere' width='5' "
            "height='5'/>");
    const std::string out = sink_.text();
    EXPECT_THAT(out, HasSubstr("[screen]main;[item]k:开关k的按键码只支持一个字符..."));
    EXPECT_THAT(out, HasSubstr("[screen]main;[item]s:开关s画面切换的目标画面为空..."));
    EXPECT_THAT(out, HasSubstr("[screen]main;[item]t:开关t的画面切换的目标画面不存在..."));
}

TEST_F(ItemCompile, TwoButtonsOfOneNameWithDifferentIdsClash) {
    ASSERT_TRUE(compile("<item type='BUTTON' name='twin' id='1' button_type='2'/>"
                        "<item type='BUTTON' name='twin' id='1' button_type='2'/>"));
    EXPECT_EQ(sink_.text(), "");
    compile("<item type='BUTTON' name='twin' id='2' button_type='2'/>");
    EXPECT_THAT(sink_.text(),
                HasSubstr("[screen]main;[item]twin:main画面中多个控件的名字为twin..."));
    EXPECT_EQ(tft::CBuildActionManager::instance().errorCount(), 1);
}

TEST_F(ItemCompile, StateButtonStoresItsActionsAsACommandBlock) {
    ASSERT_TRUE(compile("<item type='BUTTON' name='st' id='5' button_type='1' init_state='1' "
                        "button_style='3' width='5' height='5' action=\"&lt;a&gt;&lt;item "
                        "type='LINE' pen_color='0;0;0' "
                        "x0='1'/&gt;&lt;/a&gt;\"/>"));
    ASSERT_EQ(bytes_.size(), 35u);
    const std::uint16_t block = std::uint16_t(bytes_[26] << 8 | bytes_[27]);
    EXPECT_NE(block, 0xFFFF);
    EXPECT_EQ(bytes_[25], 1);
    EXPECT_EQ(bytes_[28], 1);
    EXPECT_EQ(bytes_[29], 3);
    EXPECT_EQ(sink_.text(), "");
}

TEST_F(ItemCompile, MeterAndSliderChecks) {
    EXPECT_FALSE(compile("<item type='METER' name='m' width='0'/>"));
    EXPECT_THAT(sink_.text(), HasSubstr("[screen]main;[item]m:仪表宽度不能为0..."));
    compile("<item type='SLIDER' name='sl' width='100' height='20' cursor_width='10' "
            "cursor_height='21'/>");
    EXPECT_THAT(sink_.text(),
                HasSubstr("[screen]main;[item]sl:游标大小或位置超出滑块的控件边界范围..."));
    // The slider is still sent, without a cursor picture.
    ASSERT_EQ(bytes_.size(), 41u);
    EXPECT_EQ(bytes_[35], 0xFF);
    EXPECT_EQ(bytes_[36], 0xFF);
}

TEST_F(ItemCompile, PartOnScreenFollowsTheProjectScreen) {
    // Without a project nothing is clipped but the left and top edges.
    const tft::OnScreen left = tft::onScreen(-10, 5, 30, 20);
    EXPECT_TRUE(left.visible);
    EXPECT_EQ(left.left, 0);
    EXPECT_EQ(left.width, 20);
    EXPECT_EQ(left.cutLeft, 10);
    EXPECT_FALSE(tft::onScreen(-30, 5, 30, 20).visible);
    EXPECT_FALSE(tft::onScreen(0, 0, 0, 20).visible);
}
