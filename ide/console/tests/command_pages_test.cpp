#include "command_pages.h"
#include "common/hex_text.h"
#include "custom_commands.h"
#include "instruct_dictionary.h"
#include "testing/test_support.h"

#include <QFile>
#include <gtest/gtest.h>
#include <set>

using namespace tft;
using namespace tft::ide;

namespace {

std::string hex(const Frame& f) {
    return toHexText(f);
}

std::string build(const char* page, const char* button, QMap<QString, QString> texts = {},
                  QString* error = nullptr) {
    const CommandPageForm* p = commandPage(QString::fromLatin1(page));
    EXPECT_NE(p, nullptr) << page;
    if (!p)
        return {};
    QString why;
    const auto frames = buildFrames(*p, QString::fromUtf8(button), texts, &why);
    if (error)
        *error = why;
    std::string out;
    for (const Frame& f : frames)
        out += hex(f);
    return out;
}

TEST(CommandPages, EighteenPagesEveryButtonBuildsDescribedFrames) {
    InstructDictionary dictionary;
    ASSERT_TRUE(dictionary.load(std::string(TFT_SOURCE_DIR) + "/data/InstructConfig.xml"));
    ASSERT_EQ(commandPages().size(), 18u);
    std::set<QString> names;
    for (const CommandPageForm& page : commandPages()) {
        names.insert(page.className);
        ASSERT_FALSE(page.buttons.empty()) << page.className.toStdString();
        for (const PageButton& b : page.buttons) {
            QString error;
            const auto frames = buildFrames(page, b.label, {}, &error);
            ASSERT_FALSE(frames.empty()) << page.className.toStdString() << " "
                                         << b.label.toStdString() << " " << error.toStdString();
            for (const Frame& f : frames) {
                ASSERT_GE(f.size(), 6u);
                EXPECT_EQ(f.front(), 0xEE);
                EXPECT_EQ(std::vector<std::uint8_t>(f.end() - 4, f.end()),
                          (std::vector<std::uint8_t>{0xFF, 0xFC, 0xFF, 0xFF}));
                EXPECT_NE(dictionary.comment(f), "")
                    << "no comment for " << hex(f) << " of " << page.className.toStdString();
            }
        }
    }
    EXPECT_EQ(names.size(), 18u);
}

TEST(CommandPages, ParameterBytes) {
    EXPECT_EQ(build("CDebugScreenPage", "切换画面", {{"screen", "258"}}),
              "EE B1 00 01 02 FF FC FF FF ");
    EXPECT_EQ(build("CDebugSimpleShapePage", "画实心矩形",
                    {{"x0", "10"}, {"y0", "0x20"}, {"x1", "300"}, {"y1", "599"}}),
              "EE 55 00 0A 00 20 01 2C 02 57 FF FC FF FF ");
    EXPECT_EQ(build("CDebugSimpleShapePage", "设置前景色", {{"fg", "0x07E0"}}),
              "EE 41 07 E0 FF FC FF FF ");
    EXPECT_EQ(build("CDebugTextPage", "显示文字", {{"text", "A中"}, {"x", "1"}, {"y", "2"}}),
              "EE 20 00 01 00 02 00 01 41 D6 D0 FF FC FF FF ");
    EXPECT_EQ(build("CDebugMeterPage", "设置数值",
                    {{"screen", "0"}, {"control", "3"}, {"value", "70000"}}),
              "EE B1 10 00 00 00 03 00 01 11 70 FF FC FF FF ");
    EXPECT_EQ(build("CDebugPolyPage", "画折线"),
              "EE 63 00 00 64 00 64 00 C8 00 64 00 C8 00 C8 00 64 00 C8 00 64 00 64 FF FC FF FF ");
    EXPECT_EQ(build("CDebugPolyPage", "相对折线"), "EE 75 00 0A 00 0A 05 0A 0C 17 FF FC FF FF ");
    EXPECT_EQ(build("CDebugPolyPage", "波形"), "EE 59 00 64 00 96 00 46 FF FC FF FF ");
    EXPECT_EQ(build("CDebugAnimationPage", "设置帧", {{"frame", "2"}}),
              "EE B1 23 00 00 00 01 02 FF FC FF FF ");
    EXPECT_EQ(build("CDebugGraphPage", "添加数据"),
              "EE B1 32 00 00 00 01 00 00 05 10 20 30 40 50 FF FC FF FF ");
    EXPECT_EQ(build("CDebugRamRomPage", "写入"),
              "EE 7A 00 00 00 00 31 32 33 3A 3B 3C FF FC FF FF ");
    EXPECT_EQ(build("CDebugLayerPage", "图层复制", {{"src", "0"}, {"dst", "3"}}),
              "EE A4 00 03 00 00 FF FC FF FF ");
}

TEST(CommandPages, BaudRateCodesFollowTheRateList) {
    const char* expected[] = {"00", "01", "02", "03", "04", "05", "06",
                              "07", "0A", "0B", "0C", "08", "09"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(build("CDebugBasicInsPage", "波特率", {{"baud", QString::number(i)}}),
                  std::string("EE A0 ") + expected[i] + " FF FC FF FF ")
            << i;
    const CommandPageForm* p = commandPage(QStringLiteral("CDebugBasicInsPage"));
    ASSERT_NE(p, nullptr);
    for (const PageField& f : p->fields)
        if (f.key == QLatin1String("baud")) {
            EXPECT_EQ(f.choices.size(), 13);
            EXPECT_EQ(f.choices.value(3), QStringLiteral("9600"));
            EXPECT_EQ(f.initial, QStringLiteral("3"));
        }
}

TEST(CommandPages, ClockInBcdAndYearsOutsideTheCenturyRefused) {
    EXPECT_EQ(build("CDebugRTCPage", "设置时间",
                    {{"year", "2026"},
                     {"month", "12"},
                     {"day", "9"},
                     {"week", "3"},
                     {"hour", "23"},
                     {"minute", "59"},
                     {"second", "58"}}),
              "EE 81 58 59 23 09 03 12 26 FF FC FF FF ");
    for (const char* year : {"1999", "2100"}) {
        QString error;
        EXPECT_EQ(build("CDebugRTCPage", "设置时间", {{"year", year}}, &error), "");
        EXPECT_EQ(error, QLatin1String(kYearOutOfRange));
    }
    EXPECT_NE(build("CDebugRTCPage", "设置时间", {{"year", "2000"}}), "");
    EXPECT_NE(build("CDebugRTCPage", "设置时间", {{"year", "2099"}}), "");
    QString error;
    EXPECT_EQ(build("CDebugRTCPage", "设置时间", {{"hour", "24"}}, &error), "");
    EXPECT_EQ(error, QStringLiteral("hour"));
}

TEST(CommandPages, BadFieldsSendNothing) {
    QString error;
    EXPECT_EQ(build("CDebugScreenPage", "切换画面", {{"screen", "65536"}}, &error), "");
    EXPECT_EQ(error, QStringLiteral("screen"));
    EXPECT_EQ(build("CDebugSimpleShapePage", "画线", {{"x0", "ten"}}, &error), "");
    EXPECT_EQ(error, QStringLiteral("x0"));
    EXPECT_EQ(build("CDebugRamRomPage", "写入", {{"data", "31 3G"}}, &error), "");
    EXPECT_EQ(build("CDebugPolyPage", "画折线", {{"points", "1,2;3"}}, &error), "");
    EXPECT_EQ(build("CDebugScreenPage", "no such button", {}, &error), "");
    QString data;
    for (int i = 0; i < 1025; ++i)
        data += QStringLiteral("41 ");
    EXPECT_EQ(build("CDebugRamRomPage", "写入", {{"data", data}}, &error), "")
        << "more than 1024 bytes is refused";
    EXPECT_EQ(error, QStringLiteral("data"));
    data.chop(3);
    EXPECT_NE(build("CDebugRamRomPage", "写入", {{"data", data}}, &error), "");
}

// ---- the custom page's list

TEST(CustomCommands, HexTextWithBadTokensAndTheSizeLimit) {
    const CommandText t = parseCommandText(QStringLiteral(" EE 04 zz 0x1F 123 FF\tFC FF FF "));
    EXPECT_EQ(toHexText(t.bytes), "EE 04 00 1F 23 FF FC FF FF ");
    EXPECT_EQ(t.badTokens, QList<int>{2});
    EXPECT_FALSE(t.tooLong);

    QString many;
    for (int i = 0; i < 1024; ++i)
        many += QStringLiteral("AB ");
    EXPECT_EQ(parseCommandText(many).bytes.size(), 1024u);
    const CommandText over = parseCommandText(many + QStringLiteral("CD"));
    EXPECT_TRUE(over.tooLong) << "1025 bytes are refused, not cut";
    EXPECT_TRUE(over.bytes.empty());
}

TEST(CustomCommands, ExportThenImportKeepsRowsAndOrder) {
    testsupport::TempFolder dir;
    const QString file = QString::fromStdString((dir.path() / "list.ins").string());
    CustomCommandList list;
    list.rows().resize(23);
    list.rows()[0] = {true, QStringLiteral("EE 04 FF FC FF FF")};
    list.rows()[2] = {false, QStringLiteral("EE 01 FF FC FF FF")};
    list.rows()[22] = {true, QStringLiteral("EE B1 01 FF FC FF FF")};
    ASSERT_TRUE(list.save(file));
    const auto bytes = testsupport::readBytes(dir.path() / "list.ins");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("[Instrcut]"), std::string::npos) << text;
    EXPECT_NE(text.find("InsCount=23"), std::string::npos) << text;

    CustomCommandList back;
    ASSERT_TRUE(back.load(file));
    ASSERT_EQ(back.rows().size(), 23u);
    for (std::size_t i = 0; i < 23; ++i)
        EXPECT_EQ(back.rows()[i].text, list.rows()[i].text) << i;
    EXPECT_TRUE(back.rows()[2].checked) << "rows with text come checked";
    EXPECT_FALSE(back.rows()[1].checked);
}

TEST(CustomCommands, UnreadableFileGivesTwentyEmptyRows) {
    testsupport::TempFolder dir;
    CustomCommandList list;
    EXPECT_FALSE(list.load(QStringLiteral("/no/such/Instruct.ini")));
    EXPECT_EQ(list.rows().size(), 20u);
    dir.write("bad.ini", "[Instrcut]\nInsCount=lots\n0=EE 01\n");
    EXPECT_FALSE(list.load(QString::fromStdString((dir.path() / "bad.ini").string())));
    EXPECT_EQ(list.rows().size(), 20u);
    for (const CustomRow& r : list.rows())
        EXPECT_TRUE(r.text.isEmpty());
    dir.write("short.ini", "[Instrcut]\nInsCount=2\n0=EE 01 FF FC FF FF\n");
    EXPECT_TRUE(list.load(QString::fromStdString((dir.path() / "short.ini").string())));
    EXPECT_EQ(list.rows().size(), 20u) << "at least 20 rows";
    EXPECT_EQ(list.rows()[0].text, QStringLiteral("EE 01 FF FC FF FF"));
}

TEST(CustomCommands, StepRunAllAndLoopOrder) {
    CustomCommandList list;
    list.rows()[1] = {true, QStringLiteral("A")};
    list.rows()[3] = {false, QStringLiteral("B")};
    list.rows()[4] = {true, QStringLiteral("  ")};
    list.rows()[7] = {true, QStringLiteral("C")};
    std::vector<int> sent;
    const auto send = [&](int r) {
        sent.push_back(r);
        return true;
    };
    EXPECT_EQ(list.runAll(send), 2);
    EXPECT_EQ(sent, (std::vector<int>{1, 7}));
    sent.clear();
    EXPECT_EQ(list.step(0, send), 1) << "row 0 is empty: nothing sent, focus moves to 1";
    EXPECT_EQ(list.step(1, send), 7);
    EXPECT_EQ(list.step(7, send), 1) << "wraps";
    EXPECT_EQ(sent, (std::vector<int>{1, 7}));
    sent.clear();
    LoopSender loop(list);
    for (int i = 0; i < 5; ++i)
        loop.tick(send);
    EXPECT_EQ(sent, (std::vector<int>{1, 7, 1, 7, 1}));
    CustomCommandList none;
    LoopSender idle(none);
    EXPECT_EQ(idle.tick(send), -1);
}

} // namespace
