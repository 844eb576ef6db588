#include "common/frame.h"
#include "core/command_table.h"
#include "instruct_dictionary.h"

#include <gtest/gtest.h>

using namespace tft;
using namespace tft::ide;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string kShipped = std::string(TFT_SOURCE_DIR) + "/data/InstructConfig.xml";

const InstructDictionary& shipped() {
    static InstructDictionary d = [] {
        InstructDictionary x;
        std::string error;
        EXPECT_TRUE(x.load(kShipped, &error)) << error;
        return x;
    }();
    return d;
}

Bytes frame(std::uint8_t code, Bytes params) {
    FrameBuilder b(code);
    b.bytes(params.data(), params.size());
    return b.finish();
}

// The frame length a command always has, or 0 when its length varies.
std::size_t fixedFrameLength(const nimbrel::ParameterLayout& p, std::size_t head) {
    if (p.optionalBytes != 0 || p.groupBytes != 0 || p.openEnded)
        return 0;
    return head + p.fixedBytes + 4;
}

TEST(OneCommandTable, EveryCoreCommandHasAnEntryOfTheSameLength) {
    const nimbrel::CommandList host = nimbrel::hostCommands();
    ASSERT_GT(host.count, 50u);
    for (std::size_t i = 0; i < host.count; ++i) {
        const nimbrel::CommandEntry& c = host.items[i];
        const InstructEntry* e = shipped().find(c.code);
        ASSERT_NE(e, nullptr) << "no dictionary entry for command 0x" << std::hex << int(c.code)
                              << " " << c.name;
        EXPECT_FALSE(e->comment.empty()) << std::hex << int(c.code);
        if (c.code == 0xB1)
            continue; // described by its sub-commands
        EXPECT_EQ(std::size_t(e->length), fixedFrameLength(c.parameters, 2))
            << "length of command 0x" << std::hex << int(c.code) << " " << c.name;
    }
    const InstructEntry* b1 = shipped().find(0xB1);
    ASSERT_NE(b1, nullptr);
    ASSERT_TRUE(b1->hasSubs);
    EXPECT_EQ(b1->subIndex, 2);
    const nimbrel::CommandList subs = nimbrel::controlCommands();
    for (std::size_t i = 0; i < subs.count; ++i) {
        const nimbrel::CommandEntry& c = subs.items[i];
        const InstructSub* found = nullptr;
        for (const InstructSub& s : b1->subs)
            if (s.id == c.code)
                found = &s;
        ASSERT_NE(found, nullptr) << "no entry for B1 sub-command 0x" << std::hex << int(c.code);
        EXPECT_EQ(std::size_t(found->length), fixedFrameLength(c.parameters, 3))
            << "length of B1 0x" << std::hex << int(c.code) << " " << c.name;
    }
}

TEST(OneCommandTable, EveryFrameThePanelSendsHasAnEntry) {
    const std::pair<int, int> frames[] = {
        {0x01, 0},    {0x03, 0},    {0x04, 0},    {0x05, 0}, {0x55, 0}, {0x86, 0}, {0xA5, 0},
        {0xB1, 0x01}, {0xB1, 0x11}, {0xB1, 0x26}, {0xF4, 0}, {0xF7, 0}, {0xFE, 0}};
    for (auto [code, sub] : frames) {
        ASSERT_STRNE(nimbrel::panelFrameName(std::uint8_t(code), std::uint8_t(sub)), "");
        const InstructEntry* e = shipped().find(code, true);
        ASSERT_NE(e, nullptr) << std::hex << code;
        if (e->hasSubs) {
            bool found = false;
            for (const InstructSub& s : e->subs)
                found = found || s.id == sub;
            EXPECT_TRUE(found) << std::hex << code << " " << sub;
        }
    }
}

TEST(Dictionary, CommentsWithParameters) {
    EXPECT_EQ(shipped().comment(frame(0x41, {0xF8, 0x00})), "设置前景色：颜色=0xF800");
    EXPECT_EQ(shipped().comment(frame(0x51, {0, 10, 0, 20, 1, 0x2C, 0, 200})),
              "画线：X0=10，Y0=20，X1=300，Y1=200");
    EXPECT_EQ(shipped().comment(frame(0xB1, {0x10, 0, 1, 0, 3, 0, 0, 0, 60})),
              "设置控件数值：画面=1，控件=3");
    EXPECT_EQ(shipped().comment(frame(0x81, {0x30, 0x45, 0x12, 0x09, 0x03, 0x12, 0x26})),
              "设置RTC时间：30秒45分12时，09日，星期03，12月，26年");
    EXPECT_EQ(shipped().comment(frame(0x44, {0x12, 0x34})), "设置透明色：透明色1=0x1234")
        << "an optional parameter left out ends the comment";
}

TEST(Dictionary, FramesItDoesNotDescribe) {
    EXPECT_EQ(shipped().comment(frame(0xC7, {})), "") << "no entry";
    EXPECT_EQ(shipped().comment(Bytes{0xEE, 0x04, 0xFF, 0xFC}), "");
    EXPECT_EQ(shipped().comment(Bytes{0x00, 0x04, 0xFF, 0xFC, 0xFF, 0xFF}), "");
    EXPECT_EQ(shipped().comment(Bytes{0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFE}), "");
    EXPECT_EQ(shipped().comment(frame(0xB1, {0x77})), "") << "unknown sub-command";
    EXPECT_EQ(shipped().comment(frame(0xB1, {})), "") << "no sub-command byte at all";
}

TEST(Dictionary, LengthMustMatchAndTextRunsToTheTail) {
    InstructDictionary d;
    ASSERT_TRUE(d.loadText(R"(<InstructConfig>
      <Instruct ID="0x60" Length="9" Comment="nine" SubInstruct="0">
        <Param Length="3" ParamType="0" Content=" v=%u"/>
      </Instruct>
      <Instruct ID="0x20" Length="0" Comment="text" SubInstruct="0">
        <Param Length="1" ParamType="0" Content=" font=%d"/>
        <Param Length="0" ParamType="1" Content=" [%s]"/>
      </Instruct>
      <Instruct ID="0x21" Length="0" Comment="bad" SubInstruct="0">
        <Param Length="2" ParamType="0" Content=" %s%n"/>
        <Param Length="6" ParamType="0" Content=" six=%d 100%%"/>
      </Instruct>
    </InstructConfig>)"));
    EXPECT_EQ(d.comment(frame(0x60, {1, 2, 3})), "nine v=66051");
    EXPECT_EQ(d.comment(frame(0x60, {1, 2, 3, 4, 5})), "") << "Length 9 does not fit 11 bytes";
    EXPECT_EQ(d.comment(frame(0x20, {5, 'H', 'i', 0xC4, 0xE3})), "text font=5 [Hi你]");
    EXPECT_EQ(d.comment(frame(0x20, {5})), "text font=5 []");
    // A format that would read the wrong argument is shown as written.
    EXPECT_EQ(d.comment(frame(0x21, {0, 1, 1, 2, 3, 4, 5, 6})), "bad %s%n six=0 100%");
}

TEST(Dictionary, ReceivedFramesPreferTheirOwnEntries) {
    const Bytes hello{0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};
    EXPECT_EQ(shipped().comment(hello, true), "握手应答");
    EXPECT_EQ(shipped().comment(hello, false), "画实心矩形") << "as a command, 55 draws";
    EXPECT_EQ(shipped().comment(frame(0xB1, {0x01, 0x00, 0x02}), true), "当前画面：画面=2");
    EXPECT_EQ(shipped().comment(frame(0x41, {0x00, 0x1F}), true), "设置前景色：颜色=0x001F")
        << "falls back to the commands";
}

TEST(Dictionary, MissingOrBrokenFileLeavesItEmpty) {
    InstructDictionary d;
    std::string error;
    EXPECT_FALSE(d.load("/no/such/InstructConfig.xml", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(d.entries().empty());
    EXPECT_FALSE(d.loadText("<InstructConfig><Instruct ID=", &error));
    EXPECT_NE(error.find("offset"), std::string::npos);
    EXPECT_EQ(d.comment(frame(0x04, {})), "");
}

TEST(Dictionary, NumberFormats) {
    EXPECT_EQ(formatParam("%04X", 0x1F), "001F");
    EXPECT_EQ(formatParam("[%-4d]", 7), "[7   ]");
    EXPECT_EQ(formatParam("%x", 255), "ff");
    EXPECT_EQ(formatParam("%5u", 42), "   42");
    EXPECT_EQ(formatParam("%d%d", 1), "%d%d");
    EXPECT_EQ(formatParam("plain", 1), "plain");
    EXPECT_EQ(formatText("<%s>", "ab"), "<ab>");
    EXPECT_EQ(formatText("<%d>", "ab"), "<%d>");
}

} // namespace
