// The command vocabulary tools read, held against what the dispatcher does.
#include "core/command_table.h"
#include "core_fixture.h"

#include <set>
#include <string>

namespace coretest {
namespace {

using CommandTable = CoreTest;

// Dispatches a frame directly and tells whether it reached the hardware layer
// or the host (the composition it asks for is not counted).
bool hasEffect(CoreTest& test, const Bytes& body) {
    recording::hw().log.clear();
    recording::hw().sent.clear();
    const Bytes f = frame(body);
    nimbrel::dispatch(f.data(), f.size());
    (void)test;
    return !recording::hw().log.empty() || !recording::hw().sent.empty();
}

TEST_F(CommandTable, CodesOutsideTheTableAreIgnored) {
    const Bytes parameters(24, 0x11);
    for (int code = 0; code < 256; ++code) {
        if (nimbrel::findHostCommand(static_cast<std::uint8_t>(code)))
            continue;
        Bytes body{static_cast<std::uint8_t>(code)};
        append(body, parameters);
        EXPECT_FALSE(hasEffect(*this, body)) << std::hex << code;
    }
}

TEST_F(CommandTable, CommandsShortOfTheirFixedParametersDoNothing) {
    const nimbrel::CommandList list = nimbrel::hostCommands();
    for (std::size_t i = 0; i < list.count; ++i) {
        const nimbrel::CommandEntry& c = list.items[i];
        if (c.parameters.fixedBytes == 0)
            continue;
        Bytes body{c.code};
        body.resize(c.parameters.fixedBytes, 0x01); // one byte short
        EXPECT_FALSE(hasEffect(*this, body)) << c.name;
    }
}

TEST_F(CommandTable, RepliesAndDrawingFollowTheTable) {
    // A command with exactly its fixed bytes (and one group) runs.
    for (const auto& [code, parameters] :
         std::vector<std::pair<std::uint8_t, Bytes>>{{0x04, {}},
                                                     {0x02, {0, 0, 1, 0, 1}},
                                                     {0x51, {0, 1, 0, 1, 0, 9, 0, 9}},
                                                     {0x63, {0, 0, 1, 0, 1}},
                                                     {0x75, {0, 5, 0, 5, 1, 1}},
                                                     {0xA5, {}},
                                                     {0xFE, {}}}) {
        const nimbrel::CommandEntry* entry = nimbrel::findHostCommand(code);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(nimbrel::parametersFit(entry->parameters, parameters.size())) << entry->name;
        Bytes body{code};
        append(body, parameters);
        EXPECT_TRUE(hasEffect(*this, body)) << entry->name;
    }
}

TEST_F(CommandTable, NamesAreUniqueAndCodesListedOnce) {
    std::set<std::string> names;
    std::set<int> codes;
    const nimbrel::CommandList list = nimbrel::hostCommands();
    EXPECT_EQ(list.count, 64u);
    for (std::size_t i = 0; i < list.count; ++i) {
        const nimbrel::CommandEntry& c = list.items[i];
        EXPECT_TRUE(codes.insert(c.code).second);
        EXPECT_EQ(nimbrel::findHostCommand(c.code), &c);
        if (std::string(c.name).empty())
            EXPECT_TRUE(c.code == 0x79 || c.code == 0x89) << std::hex << int(c.code);
        else
            EXPECT_TRUE(names.insert(c.name).second) << c.name;
    }
    EXPECT_EQ(nimbrel::findHostCommand(0x03), nullptr);
    EXPECT_STREQ(nimbrel::findHostCommand(0x55)->name, "FillRectangles");
    EXPECT_STREQ(nimbrel::findControlCommand(0x11)->name, "GetControlValue");
    EXPECT_EQ(nimbrel::findControlCommand(0x12), nullptr);
    EXPECT_EQ(nimbrel::controlCommands().count, 16u);
}

TEST_F(CommandTable, ParameterLayouts) {
    const auto fits = [](std::uint8_t code, std::size_t bytes) {
        return nimbrel::parametersFit(nimbrel::findHostCommand(code)->parameters, bytes);
    };
    EXPECT_TRUE(fits(0x51, 8) && fits(0x51, 16) && fits(0x51, 0));
    EXPECT_FALSE(fits(0x51, 9));
    EXPECT_TRUE(fits(0x44, 2) && fits(0x44, 4));
    EXPECT_FALSE(fits(0x44, 3) || fits(0x44, 6) || fits(0x44, 1));
    EXPECT_TRUE(fits(0x20, 6) && fits(0x20, 100));
    EXPECT_FALSE(fits(0x20, 5));
    EXPECT_TRUE(fits(0x63, 1) && fits(0x63, 9));
    EXPECT_FALSE(fits(0x63, 8));
    EXPECT_TRUE(fits(0xA5, 0) && fits(0xA5, 3));
    EXPECT_FALSE(fits(0xA5, 4));
    EXPECT_TRUE(fits(0x04, 0));
    EXPECT_FALSE(fits(0x04, 1));
    const auto& graphData = nimbrel::findControlCommand(0x32)->parameters;
    EXPECT_TRUE(nimbrel::parametersFit(graphData, 7) && nimbrel::parametersFit(graphData, 30));
    EXPECT_FALSE(nimbrel::parametersFit(graphData, 6));
}

TEST_F(CommandTable, PanelFrameNames) {
    EXPECT_STREQ(nimbrel::panelFrameName(0x55, 0xFF), "HandshakeReply");
    EXPECT_STREQ(nimbrel::panelFrameName(0xB1, 0x11), "ControlValueReport");
    EXPECT_STREQ(nimbrel::panelFrameName(0xB1, 0x01), "ScreenReport");
    EXPECT_STREQ(nimbrel::panelFrameName(0xB1, 0x77), "ControlReport");
    EXPECT_STREQ(nimbrel::panelFrameName(0x99, 0x00), "");
}

} // namespace
} // namespace coretest
