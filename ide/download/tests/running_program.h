// dunmere running until stopped, its output read as it comes.
#pragma once

#include <chrono>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace downloadtest {

class RunningProgram {
public:
    explicit RunningProgram(const std::vector<std::string>& args) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        const std::string path = std::string(TFT_APP_DIR) + "/dunmere";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], 1);
            ::dup2(fds[1], 2);
            ::close(fds[0]);
            ::close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(path.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~RunningProgram() {
        if (pid_ > 0) {
            ::kill(pid_, SIGINT);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }
    // Reads until `text` was printed; the deadline only keeps a broken build
    // from hanging.
    bool waitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (output.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            struct pollfd p {
                out_, POLLIN, 0
            };
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[512];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            output.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    std::string output;

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

} // namespace downloadtest
