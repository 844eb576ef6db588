// Items of all fifteen kinds: defaults, loading, saving, action lists.
#include "compiler/item_editor.h"
#include "compiler/item_registry.h"
#include "compiler/options.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace testsupport;
using tft::rgb;

namespace {

class Items : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tft::ensureItemKindsRegistered()); }

    // Loads one item from an element text.
    std::unique_ptr<tft::IItemLite> load(const std::string& element) {
        doc_.reset();
        EXPECT_TRUE(doc_.load_string(element.c_str()));
        const std::string kind = doc_.first_child().attribute("type").as_string();
        auto item = tft::ItemRegistry::instance().create(kind);
        EXPECT_NE(item, nullptr) << kind;
        if (item) {
            EXPECT_TRUE(item->load(doc_.first_child()));
        }
        return item;
    }

    template <class Item> const Item& as(const std::unique_ptr<tft::IItemLite>& item) {
        return *dynamic_cast<const Item*>(item.get());
    }

    pugi::xml_document doc_;
    CapturedSink sink_;
};

// Every attribute of a kind, saved and read back, through the text of a file.
std::string roundTrip(const tft::IItemLite& item) {
    pugi::xml_document doc;
    pugi::xml_node element = doc.append_child("item");
    item.save(element);
    std::ostringstream text;
    doc.save(text);
    return text.str();
}

} // namespace

TEST_F(Items, EveryKindIsRegisteredInOrderAndSecondRegistrationFails) {
    const auto& kinds = tft::ItemRegistry::kinds();
    EXPECT_STREQ(kinds.front(), "LINE");
    EXPECT_STREQ(kinds.back(), "GRAPH");
    for (const char* kind : kinds) {
        auto item = tft::ItemRegistry::instance().create(kind);
        ASSERT_NE(item, nullptr) << kind;
        EXPECT_EQ(item->kindName(), kind);
        EXPECT_NE(tft::ItemRegistry::instance().compiler(kind), nullptr);
    }
    EXPECT_EQ(tft::ItemRegistry::instance().create("ITEM"), nullptr);
    EXPECT_FALSE(tft::ItemRegistry::instance().registerFactory(
        "LINE", std::make_unique<tft::CItemLineFactory>()));
    tft::ItemRegistry fresh;
    EXPECT_TRUE(tft::registerItemKinds(fresh));
    EXPECT_FALSE(tft::registerItemKinds(fresh));
}

TEST_F(Items, MissingAttributesTakeTheirDefaults) {
    const auto line = load("<item type='LINE'/>");
    EXPECT_EQ(as<tft::CItemLine>(line).id(), 1);
    EXPECT_EQ(as<tft::CItemLine>(line).props().pen_width, 1);

    const auto display = load("<item type='TEXT_DISPLAY'/>");
    const auto& d = as<tft::CItemTextDisplay>(display).props();
    EXPECT_EQ(d.show_bkg_style, 1);
    EXPECT_EQ(d.fore_color, rgb(0, 0, 255));
    EXPECT_EQ(d.bkg_color, rgb(0, 255, 0));
    EXPECT_EQ(d.font, 6);
    EXPECT_EQ(d.width, 20);
    EXPECT_EQ(d.height, 20);

    const auto meter = load("<item type='METER'/>");
    const auto& m = as<tft::CItemMeter>(meter).props();
    EXPECT_EQ(m.numerical_font, "Arial");
    EXPECT_EQ(m.show_scale, 65280);
    EXPECT_EQ(m.mark_count, 10);
    EXPECT_EQ(m.sub_mark_color, rgb(0, 0, 255));
    EXPECT_EQ(m.pointer_center_color, rgb(192, 192, 192));

    const auto slider = load("<item type='SLIDER'/>");
    EXPECT_EQ(as<tft::CItemSlider>(slider).props().width, 200);
    EXPECT_EQ(as<tft::CItemSlider>(slider).props().height, 48);
    EXPECT_EQ(as<tft::CItemSlider>(slider).props().end_value, 100);

    const auto graph = load("<item type='GRAPH'/>");
    EXPECT_EQ(as<tft::CItemGraph>(graph).props().sample_count, 1024);
    const auto animation = load("<item type='ANIMATION'/>");
    EXPECT_EQ(as<tft::CItemAnimation>(animation).props().interval, 1000);
    const auto progress = load("<item type='PROGRESS'/>");
    EXPECT_EQ(as<tft::CItemProgress>(progress).props().max_value, 100);
    const auto button = load("<item type='BUTTON'/>");
    EXPECT_EQ(as<tft::CItemButton>(button).props().focus, 1);
    const auto text = load("<item type='TEXT'/>");
    EXPECT_EQ(as<tft::CItemText>(text).props().font, 1);
    EXPECT_EQ(as<tft::CItemText>(text).props().encode, 1);
}

TEST_F(Items, WrongTypesFallBackWithoutDisturbingOtherAttributes) {
    const auto item = load("<item type='RECTANGLE' id='seven' xOffset='1.5' yOffset='30' "
                           "pen_color='red' width='99999999999' height='-4'/>");
    const auto& r = as<tft::CItemRectangle>(item);
    EXPECT_EQ(r.id(), 1);
    EXPECT_EQ(r.props().xOffset, 0);
    EXPECT_EQ(r.props().yOffset, 30);
    EXPECT_EQ(r.props().pen_color, 0u);
    EXPECT_EQ(r.props().width, 0);
    EXPECT_EQ(r.props().height, -4);
}

TEST_F(Items, RealAttributesKeptAsIntegers) {
    const auto animation = load("<item type='ANIMATION' auto_play='1.000000'/>");
    EXPECT_EQ(as<tft::CItemAnimation>(animation).props().auto_play, 1);
    const auto graph = load("<item type='GRAPH' sample_count='512.9'/>");
    EXPECT_EQ(as<tft::CItemGraph>(graph).props().sample_count, 512);
    const auto huge = load("<item type='GRAPH' sample_count='1e12'/>");
    EXPECT_EQ(as<tft::CItemGraph>(huge).props().sample_count, 1024);
    const auto rtc = load("<item type='RTC' zone='-5.5'/>");
    EXPECT_EQ(as<tft::CItemRTC>(rtc).props().zone, -5.5);
}

TEST_F(Items, CurvePointsComeFromPath) {
    const auto curve = load("<item type='CURVE' path='10,20;30 40,x,70000,-3,9'/>");
    EXPECT_EQ(as<tft::CItemCurve>(curve).props().points,
              (std::vector<std::uint16_t>{10, 20, 30, 40, 65535, 0}));
    EXPECT_TRUE(tft::parsePointList("").empty());
    EXPECT_TRUE(tft::parsePointList("5").empty());
}

TEST_F(Items, SavedItemsReadBackWithEveryAttribute) {
    // One element per kind with every attribute away from its default.
    const std::vector<std::string> elements = {
        "<item type='LINE' name='l' id='3' text='t' pen_color='1;2;3' pen_width='4' x0='5' "
        "y0='6' x1='7' y1='8'/>",
        "<item type='CURVE' name='c' id='4' path='1,2,3,4' pen_color='9;9;9'/>",
        "<item type='RECTANGLE' name='r' fill_type='1' pen_color='255;0;0' pen_width='2' "
        "xOffset='10' yOffset='20' width='100' height='50'/>",
        "<item type='ELLIPSE' name='e' fill_type='1' pen_color='0;255;0' pen_width='3' "
        "xOffset='1' yOffset='2' width='3' height='4'/>",
        "<item type='CIRCLE' name='o' fill_type='1' pen_color='0;0;1' pen_width='5' x='6' y='7' "
        "radius='8'/>",
        "<item type='TEXT' name='x' text='两行&#10;text' font='2' encode='3' xOffset='4' "
        "yOffset='5' width='6' height='7' row_gap='8' col_gap='9' bk_color='1;1;1' "
        "fore_color='2;2;2' show_bk='1'/>",
        "<item type='IMAGE' name='i' transparency='1' crop='1' filter='2' clr_low='3;4;5' "
        "url='pics\\a b.png' xOffset='1' yOffset='2' width='3' height='4'/>",
        "<item type='BUTTON' name='b' url_up='u.png' cut_up='1' cut_up_offset_x='2' "
        "cut_up_offset_y='3' url_down='d.png' cut_down='1' cut_down_offset_x='4' "
        "cut_down_offset_y='5' button_type='2' init_state='1' button_style='3' key_type='1' "
        "key_code='A' switch='main' focus='0' action='' xOffset='1' yOffset='2' width='3' "
        "height='4'/>",
        "<item type='TEXT_DISPLAY' name='d' show_bkg_style='2' fore_color='1;2;3' "
        "bkg_color='4;5;6' bkg_image_path='bg.png' font='3' xOffset='1' yOffset='2' "
        "width='30' height='40' input_mode='1' text_type='2' password='1' text_len_max='9'/>",
        "<item type='PROGRESS' name='p' xOffset='1' yOffset='2' width='3' height='4' "
        "show_bkg_style='2' bkg_color='1;1;1' bkg_image_path='b.png' show_fore_style='1' "
        "fore_color='2;2;2' fore_image_path='f.png' progress_style='1' value='5' "
        "min_value='-5' max_value='50'/>",
        "<item type='METER' name='m' xOffset='1' yOffset='2' width='3' height='4' "
        "meter_type='1' value='2' start_value='3' end_value='4' show_bkg_style='0' "
        "bkg_image_path='m.png' angle_start='10' angle_end='350' clock_wise='1' "
        "show_numerical='0' numerical_font='Sans' numerical_font_size='12' "
        "start_numerical='1' end_numerical='9' numerical_color='1;2;3' bkg_color='4;5;6' "
        "show_bkg_color='0' scale_color='7;8;9' show_scale='1' scale_width='3' "
        "mark_count='4' mark_width='5' mark_color='6;6;6' show_sub_mark='0' "
        "sub_mark_count='7' sub_mark_width='8' sub_mark_color='9;9;9' pointer_type='2' "
        "pointer_color='1;1;1' pointer_center_color='2;2;2'/>",
        "<item type='SLIDER' name='s' xOffset='1' yOffset='2' width='3' height='4' value='5' "
        "start_value='6' end_value='7' input='1' direction='1' mark_type='2' mark_count='3' "
        "mark_color='1;2;3' show_value='0' left_space='4' right_space='5' bkg_type='1' "
        "bkg_color='3;2;1' bkg_image_path='s.png' cursor_direction='1' cursor_type='2' "
        "cursor_offset='3' cursor_width='4' cursor_height='5' cursor_image_path='c.png'/>",
        "<item type='RTC' name='t' zone='8.5' format='1' lang='1' font='2' xOffset='1' "
        "yOffset='2' width='3' height='4' fore_color='5;6;7' input='1'/>",
        "<item type='ANIMATION' name='a' auto_play='1' interval='250' repeat_count='3' "
        "frame_list='a.gif' xOffset='1' yOffset='2' width='3' height='4'/>",
        "<item type='GRAPH' name='g' sample_count='256' sample_depth='2' xOffset='1' "
        "yOffset='2' width='3' height='4'/>",
    };
    ASSERT_EQ(elements.size(), 15u);
    for (const std::string& element : elements) {
        SCOPED_TRACE(element);
        const auto item = load(element);
        ASSERT_NE(item, nullptr);
        const std::string saved = roundTrip(*item);
        // Every attribute written in the element appears in the saved text
        // with the same value...
        pugi::xml_document original;
        ASSERT_TRUE(original.load_string(element.c_str()));
        pugi::xml_document written;
        ASSERT_TRUE(written.load_string(saved.c_str()));
        for (pugi::xml_attribute a : original.first_child().attributes()) {
            const std::string expected = a.name() == std::string("type")
                                             ? tft::asciiUpper(a.value())
                                             : std::string(a.value());
            EXPECT_EQ(written.first_child().attribute(a.name()).value(), expected) << a.name();
        }
        // ...and reading the saved text back gives the same text again.
        const auto again = load(saved);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(roundTrip(*again), saved);
    }
}

TEST_F(Items, SavedDefaultsWriteEveryAttributeOfTheKind) {
    const auto meter = load("<item type='METER'/>");
    pugi::xml_document doc;
    pugi::xml_node element = doc.append_child("item");
    meter->save(element);
    // type, name, id, text and the 34 attributes of a meter.
    EXPECT_EQ(std::distance(element.attributes_begin(), element.attributes_end()), 4 + 34);
    EXPECT_STREQ(element.attribute("pointer_center_color").value(), "192;192;192");
}

TEST_F(Items, MessagePrefixNamesScreenAndItem) {
    tft::CItemEditor page;
    ASSERT_TRUE(page.loadText("<DrawPage name='main'><item type='line' name='l1'/></DrawPage>"));
    ASSERT_EQ(page.items().size(), 1u);
    EXPECT_EQ(page.items()[0]->kindName(), "LINE");
    EXPECT_EQ(page.items()[0]->messagePrefix(), "[screen]main;[item]l1:");
    EXPECT_EQ(page.items()[0]->page(), &page);
}

TEST_F(Items, ActionLists) {
    tft::ItemList list;
    EXPECT_TRUE(tft::parseActionList("", list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(tft::parseActionList("not <xml", list));
    EXPECT_TRUE(list.empty());
    ASSERT_TRUE(tft::parseActionList(
        "<a><item type='rectangle' name='r'/><other/><item type='LINE'/></a>", list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->kindName(), "RECTANGLE");
    EXPECT_FALSE(tft::parseActionList("<a><item type='UNKNOWNTYPE'/></a>", list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(tft::parseActionList("<a><item/></a>", list));
    EXPECT_FALSE(tft::parseActionList("<a><item type=''/></a>", list));
    EXPECT_FALSE(tft::parseActionList("<a><item type='wheel'/></a>", list));
}

TEST_F(Items, ButtonActionsAreParsedAtLoad) {
    const auto good = load("<item type='BUTTON' button_type='1' "
                           "action=\"&lt;a&gt;&lt;item type='LINE'/&gt;&lt;/a&gt;\"/>");
    EXPECT_TRUE(as<tft::CItemButton>(good).actionsValid());
    EXPECT_EQ(as<tft::CItemButton>(good).actions().size(), 1u);
    const auto bad = load("<item type='BUTTON' action=\"&lt;a&gt;&lt;item/&gt;&lt;/a&gt;\"/>");
    EXPECT_FALSE(as<tft::CItemButton>(bad).actionsValid());
    EXPECT_TRUE(as<tft::CItemButton>(bad).actions().empty());
}

TEST_F(Items, DeeplyNestedButtonActionsStopAtTheDepthLimit) {
    // Each level is a button whose action holds the next level, escaped once more.
    std::string action = "<a><item type='LINE'/></a>";
    const auto escape = [](const std::string& in) {
        std::string out;
        for (char c : in) {
            if (c == '<')
                out += "&lt;";
            else if (c == '>')
                out += "&gt;";
            else if (c == '&')
                out += "&amp;";
            else if (c == '"')
                out += "&quot;";
            else
                out += c;
        }
        return out;
    };
    for (int level = 0; level < tft::kMaxActionDepth + 2; ++level)
        action = "<a><item type='BUTTON' action=\"" + escape(action) + "\"/></a>";
    tft::ItemList list;
    EXPECT_TRUE(tft::parseActionList(action, list));
    ASSERT_EQ(list.size(), 1u);
    // Somewhere below the limit a button gave up its actions.
    const tft::IItemLite* item = list[0].get();
    int depth = 0;
    while (auto* button = dynamic_cast<const tft::CItemButton*>(item)) {
        if (!button->actionsValid())
            break;
        ASSERT_FALSE(button->actions().empty());
        item = button->actions()[0].get();
        ++depth;
    }
    EXPECT_LT(depth, tft::kMaxActionDepth + 2);
    EXPECT_NE(dynamic_cast<const tft::CItemButton*>(item), nullptr);
}
