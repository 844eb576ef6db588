#include "simulator/script.h"

#include <gtest/gtest.h>

using namespace tft;
using Kind = ScriptStep::Kind;

TEST(Script, ParsesEveryStep) {
    const Script s = parseScript("# start\n"
                                 "send EE 04 ff fc FF FF\n"
                                 "\n"
                                 "expect EE 55 FF FC FF FF\r\n"
                                 "touch 10 20\n"
                                 "release\n"
                                 "tap 400 240\n"
                                 "wait 250\n"
                                 "screenshot out/first.png\n");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.steps.size(), 7u);
    EXPECT_EQ(s.steps[0].kind, Kind::Send);
    EXPECT_EQ(s.steps[0].bytes, (std::vector<std::uint8_t>{0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF}));
    EXPECT_EQ(s.steps[0].line, 2);
    EXPECT_EQ(s.steps[1].kind, Kind::Expect);
    EXPECT_EQ(s.steps[1].line, 4);
    EXPECT_EQ(s.steps[2].kind, Kind::Touch);
    EXPECT_EQ(s.steps[2].y, 20);
    EXPECT_EQ(s.steps[3].kind, Kind::Release);
    EXPECT_EQ(s.steps[4].kind, Kind::Tap);
    EXPECT_EQ(s.steps[4].x, 400);
    EXPECT_EQ(s.steps[5].ms, 250u);
    EXPECT_EQ(s.steps[6].file, "out/first.png");
}

TEST(Script, MalformedLinesNameTheirLine) {
    EXPECT_EQ(parseScript("wait 10\nsend EE 4G\n").error, "line 2: '4G' is not a hex byte");
    EXPECT_EQ(parseScript("send 123\n").error, "line 1: '123' is not a hex byte");
    EXPECT_EQ(parseScript("send\n").error, "line 1: send needs hex bytes");
    EXPECT_EQ(parseScript("\n\ntouch 1\n").error, "line 3: touch needs X Y (0-65535)");
    EXPECT_EQ(parseScript("tap -1 5\n").error, "line 1: tap needs X Y (0-65535)");
    EXPECT_EQ(parseScript("wait soon\n").error, "line 1: wait needs milliseconds (0-86400000)");
    EXPECT_EQ(parseScript("release now\n").error, "line 1: release takes nothing");
    EXPECT_EQ(parseScript("screenshot\n").error, "line 1: screenshot needs one file name");
    EXPECT_EQ(parseScript("jump 3\n").error, "line 1: unknown step 'jump'");
}

TEST(Script, EmptyScriptHasNoSteps) {
    const Script s = parseScript("# nothing\n\n");
    EXPECT_TRUE(s.ok());
    EXPECT_TRUE(s.steps.empty());
}
