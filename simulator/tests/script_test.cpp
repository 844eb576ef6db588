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

TEST(Script, ParsesTheScreenAndTimingChecks) {
    const Script s = parseScript("compare home.png\n"
                                 "compare pics/home.png 1%\n"
                                 "compare home.png 0.25\n"
                                 "mask 620 60 170 24\n"
                                 "expect-any\n"
                                 "expect-none 500\n"
                                 "set-clock 2024-02-29 23:59:58\n");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.steps.size(), 7u);
    EXPECT_EQ(s.steps[0].kind, Kind::Compare);
    EXPECT_EQ(s.steps[0].file, "home.png");
    EXPECT_EQ(s.steps[0].tolerancePercent, 0.0);
    EXPECT_EQ(s.steps[1].tolerancePercent, 1.0);
    EXPECT_EQ(s.steps[2].tolerancePercent, 0.25);
    EXPECT_EQ(s.steps[3].kind, Kind::Mask);
    EXPECT_EQ(s.steps[3].x, 620);
    EXPECT_EQ(s.steps[3].y, 60);
    EXPECT_EQ(s.steps[3].width, 170);
    EXPECT_EQ(s.steps[3].height, 24);
    EXPECT_EQ(s.steps[4].kind, Kind::ExpectAny);
    EXPECT_EQ(s.steps[5].kind, Kind::ExpectNone);
    EXPECT_EQ(s.steps[5].ms, 500u);
    EXPECT_EQ(s.steps[6].kind, Kind::SetClock);
    // 2024-02-29 is day 19782 after 1970-01-01.
    EXPECT_EQ(s.steps[6].clockSeconds, 19782LL * 86400 + 23 * 3600 + 59 * 60 + 58);
}

TEST(Script, BadChecksNameTheirLine) {
    EXPECT_EQ(parseScript("compare\n").error,
              "line 1: compare needs FILE.png and an optional tolerance (0-100%)");
    EXPECT_EQ(parseScript("compare a.png 101%\n").error,
              "line 1: compare needs FILE.png and an optional tolerance (0-100%)");
    EXPECT_EQ(parseScript("compare a.png 1,5%\n").error,
              "line 1: compare needs FILE.png and an optional tolerance (0-100%)");
    EXPECT_EQ(parseScript("mask 1 2 0 4\n").error,
              "line 1: mask needs X Y W H (W and H at least 1)");
    EXPECT_EQ(parseScript("expect-any now\n").error, "line 1: expect-any takes nothing");
    EXPECT_EQ(parseScript("expect-none\n").error,
              "line 1: expect-none needs milliseconds (0-86400000)");
    for (const char* clock : {"set-clock 2023-02-29 10:00:00\n", "set-clock 1999-12-31 10:00:00\n",
                              "set-clock 2024-01-01 24:00:00\n", "set-clock 2024-1-01 10:00:00\n",
                              "set-clock 2024-01-01\n"})
        EXPECT_EQ(parseScript(clock).error,
                  "line 1: set-clock needs YYYY-MM-DD HH:MM:SS (years 2000-2099)")
            << clock;
}

TEST(Script, TestHeadersCutTheScriptIntoNamedCases) {
    const Script s = parseScript("send EE 04 FF FC FF FF\n"
                                 "#   test:  home screen  \n"
                                 "# a comment, not a test\n"
                                 "wait 10\n"
                                 "#test:second\n");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[1].kind, Kind::Test);
    EXPECT_EQ(s.steps[1].file, "home screen");
    EXPECT_EQ(s.steps[1].line, 2);
    EXPECT_EQ(s.steps[3].file, "second");
    EXPECT_EQ(parseScript("wait 1\n# test:\n").error, "line 2: a test needs a name");
}

TEST(Script, RefusesOverlongLinesAndBinaryData) {
    const std::string longest = "send" + std::string(kScriptLineLimit - 7, ' ') + " EE";
    ASSERT_EQ(longest.size(), kScriptLineLimit);
    EXPECT_TRUE(parseScript(longest + "\n").ok());
    EXPECT_EQ(parseScript("wait 1\n" + longest + " \n").error, "line 2: longer than 65536 bytes");
    EXPECT_EQ(parseScript("# " + std::string(kScriptLineLimit, 'x')).error,
              "line 1: longer than 65536 bytes");
    const std::string binary = "line 3: binary data, not script text";
    EXPECT_EQ(parseScript("wait 1\n\nsend EE\x01 FF\n").error, binary);
    EXPECT_EQ(parseScript(std::string("wait 1\n\n# \0 \n", 13)).error, binary);
    EXPECT_EQ(parseScript("wait 1\n\nscreenshot \xFF\xFE.png\n").error, binary);
    EXPECT_EQ(parseScript("wait 1\n\nscreenshot \xC0\xAF.png\n").error, binary); // over-long '/'
    EXPECT_EQ(parseScript("wait 1\n\nscreenshot \xE4\xB8.png\n").error, binary); // cut short
    EXPECT_EQ(parseScript("wait 1\n\nwait 1\r\r\n").error, binary);
    // UTF-8 names, tabs and CR LF line ends are text.
    const Script fine = parseScript("screenshot\t\xE4\xB8\xBB\xE9\xA1\xB5.png\r\n");
    ASSERT_TRUE(fine.ok()) << fine.error;
    EXPECT_EQ(fine.steps[0].file, "\xE4\xB8\xBB\xE9\xA1\xB5.png");
}

TEST(Script, CivilDatesRoundTrip) {
    for (std::int64_t days : {-1LL, 0LL, 59LL, 10956LL, 11016LL, 19782LL, 47481LL}) {
        int y = 0, m = 0, d = 0;
        civilFromDays(days, &y, &m, &d);
        EXPECT_EQ(daysFromCivil(y, m, d), days) << y << "-" << m << "-" << d;
    }
    EXPECT_EQ(daysFromCivil(2000, 1, 1), 10957);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
}
