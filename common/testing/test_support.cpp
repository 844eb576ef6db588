#include "testing/test_support.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

TempFolder::TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test =
        info ? std::string(info->test_suite_name()) + "_" + info->name() : std::string("test");
    path_ = fs::temp_directory_path() / ("tft_" + std::to_string(::getpid()) + "_" + test);
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void TempFolder::write(const std::string& relative, const std::string& text) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

std::uint32_t readLe(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | bytes.at(at + std::size_t(i));
    return v;
}

namespace {

// In a forked child: becomes `path` with `args`, or ends with 127.
[[noreturn]] void execProgram(const std::string& path, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
}

std::string programPath(const std::string& program) {
    return program.find('/') == std::string::npos ? std::string(TFT_APP_DIR) + "/" + program
                                                  : program;
}

} // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, bool withStandardError) {
    const std::string path = programPath(program);
    RunResult result;
    int fds[2];
    if (::pipe(fds) != 0)
        return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], 1);
        if (withStandardError)
            ::dup2(fds[1], 2);
        ::close(fds[0]);
        ::close(fds[1]);
        for (const std::string& assignment : environment)
            ::putenv(const_cast<char*>(assignment.c_str()));
        execProgram(path, args);
    }
    ::close(fds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(got));
    ::close(fds[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child)
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const std::string path = programPath(program);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], 1);
        ::dup2(fds[1], 2);
        ::close(fds[0]);
        ::close(fds[1]);
        execProgram(path, args);
    }
    ::close(fds[1]);
    out_ = fds[0];
}

RunningProgram::~RunningProgram() {
    stop();
    if (out_ >= 0)
        ::close(out_);
}

bool RunningProgram::waitFor(const std::string& text, int deadlineSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    while (output.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        struct pollfd p {
            out_, POLLIN, 0
        };
        if (out_ < 0 || left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[512];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

int RunningProgram::stop() {
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, SIGINT);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(out_, buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(n));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testsupport
