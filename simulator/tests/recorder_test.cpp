// Recording an exchange as a script: frames cut at their tail, waits on the
// 10 ms tick without drift, touches, long frames and the traffic log.
#include "simulator/recorder.h"
#include "simulator/script.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace tft;

namespace {

struct Recording {
    std::vector<std::string> lines;
    ScriptRecorder recorder{[this](const std::string& line) {
        lines.push_back(line);
        return true;
    }};
    std::string text() const {
        std::string all;
        for (const std::string& l : lines)
            all += l;
        return all;
    }
};

const std::vector<std::uint8_t> kHandshake = {0xEE, 0x04, 0xFF, 0xFC, 0xFF, 0xFF};
const std::vector<std::uint8_t> kReply = {0xEE, 0x55, 0xFF, 0xFC, 0xFF, 0xFF};

} // namespace

TEST(ScriptRecorder, WritesFramesTouchesAndWaitsAsScriptLines) {
    Recording r;
    // The handshake arrives in two blocks; the line is written with its tail.
    r.recorder.Host(kHandshake.data(), 3, 1234);
    EXPECT_TRUE(r.lines.empty());
    r.recorder.Host(kHandshake.data() + 3, 3, 1236);
    r.recorder.Panel(kReply.data(), kReply.size(), 1238);
    r.recorder.Touch(true, 120, 228, 1504);
    r.recorder.Touch(true, 120, 228, 1510); // no movement, no line
    r.recorder.Touch(true, 130, 228, 1516);
    r.recorder.Touch(false, 0, 0, 1626);
    r.recorder.Touch(false, 0, 0, 1700); // already lifted
    EXPECT_EQ(r.text(), "wait 1240\n"
                        "send EE 04 FF FC FF FF\n"
                        "expect EE 55 FF FC FF FF\n"
                        "wait 260\n"
                        "touch 120 228\n"
                        "wait 20\n"
                        "touch 130 228\n"
                        "wait 110\n"
                        "release\n");
    // The waits add up to the rounded time of the last event: no drift.
    const Script s = parseScript(r.text());
    ASSERT_TRUE(s.ok()) << s.error;
    std::uint32_t total = 0;
    for (const ScriptStep& step : s.steps)
        total += step.kind == ScriptStep::Kind::Wait ? step.ms : 0;
    EXPECT_EQ(total, 1630u);
}

TEST(ScriptRecorder, BytesBeforeAHeadAndUnendedBytesAreKept) {
    Recording r;
    const std::vector<std::uint8_t> block = {0x00, 0x11, 0xEE, 0x04, 0xFF, 0xFC,
                                             0xFF, 0xFF, 0xEE, 0x55, 0xFF};
    r.recorder.Host(block.data(), block.size(), 0);
    EXPECT_EQ(r.text(), "send 00 11 EE 04 FF FC FF FF\n");
    r.recorder.Panel(kReply.data(), 2, 0); // cut off by the end of the recording
    r.recorder.Finish();
    EXPECT_EQ(r.text(), "send 00 11 EE 04 FF FC FF FF\nsend EE 55 FF\nexpect EE 55\n");
}

TEST(ScriptRecorder, LongFramesAreSplitIntoLinesTheParserTakes) {
    Recording r;
    std::vector<std::uint8_t> frame(40004, 0xAB);
    const std::uint8_t tail[4] = {0xFF, 0xFC, 0xFF, 0xFF};
    std::copy(std::begin(tail), std::end(tail), frame.end() - 4);
    r.recorder.Host(frame.data(), frame.size(), 0);
    // Garbage that never ends a frame does not pile up either.
    const std::vector<std::uint8_t> garbage(ScriptRecorder::kBytesPerLine + 5, 0x42);
    r.recorder.Panel(garbage.data(), garbage.size(), 0);
    ASSERT_EQ(r.lines.size(), 4u);
    r.recorder.Finish();
    const Script s = parseScript(r.text());
    ASSERT_TRUE(s.ok()) << s.error;
    std::vector<std::uint8_t> sent, expected;
    for (const ScriptStep& step : s.steps) {
        auto& into = step.kind == ScriptStep::Kind::Send ? sent : expected;
        into.insert(into.end(), step.bytes.begin(), step.bytes.end());
    }
    EXPECT_EQ(sent, frame);
    EXPECT_EQ(expected, garbage);
}

TEST(ScriptRecorder, ASinkThatFailsStopsTheRecording) {
    int calls = 0;
    ScriptRecorder recorder([&calls](const std::string&) {
        ++calls;
        return false;
    });
    recorder.Host(kHandshake.data(), kHandshake.size(), 0);
    recorder.Panel(kReply.data(), kReply.size(), 0);
    EXPECT_TRUE(recorder.Failed());
    EXPECT_EQ(calls, 1);
}

TEST(ScriptRecorder, HeaderNamesProjectDateInUtcAndRate) {
    const auto date = std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
    const std::string header = scriptHeader("out/show\ncase.si", date, 115200);
    EXPECT_NE(header.find("# project: out/show case.si\n"), std::string::npos) << header;
    EXPECT_NE(header.find("# date: 2023-11-14 22:13:20 UTC\n"), std::string::npos) << header;
    EXPECT_NE(header.find("# rate: 115200\n"), std::string::npos) << header;
    std::istringstream lines(header);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line[0], '#') << line;
}

TEST(ScriptRecorder, TrafficLogRowsBecomeAScript) {
    TrafficLog log;
    const auto t0 = TrafficLog::Clock::now();
    log.Log(TrafficLog::Direction::Received, kHandshake.data(), kHandshake.size(), t0);
    log.Log(TrafficLog::Direction::Sent, kReply.data(), kReply.size(),
            t0 + std::chrono::milliseconds(4));
    log.Log(TrafficLog::Direction::Received, kHandshake.data(), kHandshake.size(),
            t0 + std::chrono::milliseconds(2503));
    EXPECT_EQ(scriptFromLog(log.Rows(), "# header\n"), "# header\n"
                                                       "send EE 04 FF FC FF FF\n"
                                                       "expect EE 55 FF FC FF FF\n"
                                                       "wait 2500\n"
                                                       "send EE 04 FF FC FF FF\n");
    EXPECT_EQ(scriptFromLog({}, "# header\n"), "# header\n");
}
