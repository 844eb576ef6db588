// Record an exchange once, replay it: the showcase runs on real time with a
// recording, a test host talks to it over the virtual port and touches come
// through the runner's standard input; the recording replays on virtual time
// and passes, and fails naming both frames once a control's default changed.
#include "simulator/script.h"
#include "testing/test_support.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path kShowcase = fs::path(TFT_SOURCE_DIR) / "examples" / "showcase";
constexpr int kPatienceMs = 10000; // an upper bound for a broken build, not a measurement

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string hex(const std::string& bytes) {
    std::string text;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        text += b;
    }
    return text;
}

// dunmere on real time: its standard input is ours to write touches into.
class Recorder {
public:
    explicit Recorder(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        const std::string path = std::string(TFT_APP_DIR) + "/dunmere";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(out[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1]})
                ::close(fd);
            std::vector<char*> argv{const_cast<char*>(path.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Recorder() {
        stop(SIGKILL);
        for (int fd : {input_, output_})
            if (fd >= 0)
                ::close(fd);
    }
    bool waitFor(const std::string& text) {
        while (output.find(text) == std::string::npos) {
            pollfd p{output_, POLLIN, 0};
            char buffer[512];
            if (::poll(&p, 1, kPatienceMs) <= 0)
                return false;
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            output.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    void type(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(input_, text.data(), text.size()), ssize_t(text.size()));
    }
    // The exit status, or -1 when a signal ended it.
    int stop(int signal) {
        if (pid_ <= 0)
            return -1;
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output;

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// The test host: the other end of the virtual port, opened as a program would.
class Host {
public:
    explicit Host(const fs::path& link) {
        fd_ = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ >= 0) {
            termios t{};
            ::tcgetattr(fd_, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Host() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open() const { return fd_ >= 0; }
    void send(const std::string& frame) {
        ASSERT_EQ(::write(fd_, frame.data(), frame.size()), ssize_t(frame.size()));
    }
    // Reads frames until each of `wanted` has come (in any order, others between).
    bool await(std::vector<std::string> wanted) {
        std::string frame;
        while (!wanted.empty()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, kPatienceMs) <= 0)
                return false;
            char b = 0;
            if (::read(fd_, &b, 1) != 1)
                return false;
            frame += b;
            if (frame.size() >= 4 && frame.compare(frame.size() - 4, 4, "\xFF\xFC\xFF\xFF") == 0) {
                seen += hex(frame) + "\n";
                for (auto it = wanted.begin(); it != wanted.end(); ++it)
                    if (frame.compare(0, it->size(), *it) == 0) {
                        wanted.erase(it);
                        break;
                    }
                frame.clear();
            }
        }
        return true;
    }
    std::string seen;

private:
    int fd_ = -1;
};

const std::string kHandshake("\xEE\x04\xFF\xFC\xFF\xFF", 6);
const std::string kHandshakeReply("\xEE\x55\xFF\xFC\xFF\xFF", 6);
const std::string kHomeScreen("\xEE\xB1\x01\x00\x00\xFF\xFC\xFF\xFF", 9);
const std::string kDrawingScreen("\xEE\xB1\x01\x00\x01\xFF\xFC\xFF\xFF", 9);
const std::string kShowControls("\xEE\xB1\x00\x00\x02\xFF\xFC\xFF\xFF", 9);
const std::string kControlsScreen("\xEE\xB1\x01\x00\x02\xFF\xFC\xFF\xFF", 9);
// GetControlValue of the progress bar "bar_right" (screen 2, control 8) and its answer's start.
const std::string kReadBar("\xEE\xB1\x11\x00\x02\x00\x08\xFF\xFC\xFF\xFF", 11);
const std::string kBarValue("\xEE\xB1\x11\x00\x02\x00\x08", 7);
// A touch on the toggle (control 7) at 680,150 and its latched report.
const std::string kToggleTouch("\xEE\x01\x02\xA8\x00\x96\xFF\xFC\xFF\xFF", 10);
const std::string kToggleOn("\xEE\xB1\x11\x00\x02\x00\x07\x10\x01\x01", 10);

class RecordReplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new testsupport::TempFolder;
        fs::copy(kShowcase, project(), fs::copy_options::recursive);
        build_ = testsupport::runProgram("orvane",
                                         {"--build", (project() / "showcase.tftprj").string()});
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(build_.status, 0) << build_.output; }

    static fs::path project() { return folder_->path() / "showcase"; }
    static std::string si() { return (project() / "output" / "showcase.si").string(); }
    static testsupport::RunResult replay(const fs::path& script) {
        return testsupport::runProgram("dunmere", {"--headless", si(), "--script", script.string()},
                                       {"QT_QPA_PLATFORM=offscreen"});
    }

    static testsupport::TempFolder* folder_;
    static testsupport::RunResult build_;
};

testsupport::TempFolder* RecordReplay::folder_ = nullptr;
testsupport::RunResult RecordReplay::build_;

} // namespace

TEST_F(RecordReplay, RecordedExchangeReplaysAndCatchesAChangedDefault) {
    const fs::path link = folder_->path() / "panel";
    const fs::path recording = folder_->path() / "exchange.txt";
    {
        Recorder dunmere(
            {"--headless", si(), "--pty", link.string(), "--record", recording.string()});
        ASSERT_TRUE(dunmere.waitFor("running")) << dunmere.output;
        Host host(link);
        ASSERT_TRUE(host.open());
        ASSERT_TRUE(host.await({kHomeScreen})) << host.seen;
        host.send(kHandshake);
        ASSERT_TRUE(host.await({kHandshakeReply})) << host.seen;
        host.send(kShowControls);
        ASSERT_TRUE(host.await({kControlsScreen})) << host.seen;
        host.send(kReadBar);
        ASSERT_TRUE(host.await({kBarValue})) << host.seen;
        dunmere.type("touch 680 150");
        ASSERT_TRUE(host.await({kToggleTouch})) << host.seen;
        dunmere.type("release");
        ASSERT_TRUE(host.await({kToggleOn})) << host.seen;
        EXPECT_EQ(dunmere.stop(SIGINT), 0) << dunmere.output;
    }
    const std::string script = readText(recording);
    EXPECT_NE(script.find("# project: " + si() + "\n"), std::string::npos) << script;
    EXPECT_NE(script.find("# rate: "), std::string::npos) << script;
    std::size_t at = 0;
    for (const char* line : {"\nsend EE 04 FF FC FF FF\n", "\nexpect EE 55 FF FC FF FF\n",
                             "\nsend EE B1 11 00 02 00 08 FF FC FF FF\n", "\ntouch 680 150\n",
                             "\nexpect EE 01 02 A8 00 96 FF FC FF FF\n"}) {
        at = script.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " missing or out of order in\n" << script;
    }
    EXPECT_NE(script.find("\nrelease\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\nwait "), std::string::npos) << script;

    auto run = replay(recording);
    EXPECT_EQ(run.status, 0) << run.output << script;

    // The progress bar's default value changes from 30 to 40; the recorded answer no longer holds.
    const fs::path page = project() / "controls.tft";
    std::string text = readText(page);
    const std::string before = "name=\"bar_right\" id=\"8\" value=\"30\"";
    const auto found = text.find(before);
    ASSERT_NE(found, std::string::npos);
    text.replace(found, before.size(), "name=\"bar_right\" id=\"8\" value=\"40\"");
    std::ofstream(page, std::ios::binary) << text;
    const auto rebuild =
        testsupport::runProgram("orvane", {"--build", (project() / "showcase.tftprj").string()});
    ASSERT_EQ(rebuild.status, 0) << rebuild.output;
    run = replay(recording);
    EXPECT_EQ(run.status, 1) << run.output;
    const auto expected = run.output.find("expected EE B1 11 00 02 00 08 ");
    const auto actual = run.output.find("actual   EE B1 11 00 02 00 08 ");
    ASSERT_NE(expected, std::string::npos) << run.output;
    ASSERT_NE(actual, std::string::npos) << run.output;
    auto lineAt = [&](std::size_t from) {
        return run.output.substr(from, run.output.find('\n', from) - from);
    };
    // Value 30 recorded, 40 now (type, then a 32-bit value).
    EXPECT_NE(lineAt(expected).find(" 00 00 00 1E FF FC FF FF"), std::string::npos) << run.output;
    EXPECT_NE(lineAt(actual).find(" 00 00 00 28 FF FC FF FF"), std::string::npos) << run.output;
}

TEST_F(RecordReplay, KilledRecordingIsAValidScriptUpToItsLastLine) {
    const fs::path link = folder_->path() / "panel_killed";
    const fs::path recording = folder_->path() / "killed.txt";
    fs::copy_file(kShowcase / "controls.tft", project() / "controls.tft",
                  fs::copy_options::overwrite_existing);
    const auto rebuild =
        testsupport::runProgram("orvane", {"--build", (project() / "showcase.tftprj").string()});
    ASSERT_EQ(rebuild.status, 0) << rebuild.output;
    {
        Recorder dunmere(
            {"--headless", si(), "--pty", link.string(), "--record", recording.string()});
        ASSERT_TRUE(dunmere.waitFor("running")) << dunmere.output;
        Host host(link);
        ASSERT_TRUE(host.open());
        ASSERT_TRUE(host.await({kHomeScreen})) << host.seen;
        host.send(kHandshake);
        ASSERT_TRUE(host.await({kHandshakeReply})) << host.seen;
        // Half a frame: it never reaches the recording as a line of its own.
        host.send(kReadBar.substr(0, 5));
        EXPECT_EQ(dunmere.stop(SIGKILL), -1);
    }
    const std::string script = readText(recording);
    ASSERT_FALSE(script.empty());
    EXPECT_EQ(script.back(), '\n');
    const tft::Script parsed = tft::parseScript(script);
    ASSERT_TRUE(parsed.ok()) << parsed.error << "\n" << script;
    const auto request = script.find("\nsend EE 04 FF FC FF FF\n");
    ASSERT_NE(request, std::string::npos) << script;
    EXPECT_NE(script.find("\nexpect EE 55 FF FC FF FF\n", request), std::string::npos) << script;
    EXPECT_EQ(script.find("EE B1 11"), std::string::npos) << script;
    const auto run = replay(recording);
    EXPECT_EQ(run.status, 0) << run.output << script;
}
