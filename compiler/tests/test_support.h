// Helpers shared by the compiler tests: temporary project folders, running
// the real velmic program, and capturing the message sink in-process.
#pragma once

#include "compiler/build_action_manager.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("velmic_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

    void write(const std::string& relative, const std::string& text) const {
        const fs::path file = path_ / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

private:
    fs::path path_;
};

inline std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

struct RunResult {
    int status = -1; // the exit status as the shell sees it (0..255)
    std::string output;
};

// Runs build/app/velmic with `args`, collecting standard output.
inline RunResult runVelmic(const std::vector<std::string>& args) {
    const std::string program = std::string(TFT_APP_DIR) + "/velmic";
    int pipeFds[2];
    RunResult result;
    if (::pipe(pipeFds) != 0)
        return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 1);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Routes the process-wide sink into a temporary file for one test.
class CapturedSink {
public:
    CapturedSink() : file_(std::tmpfile()) {
        tft::CBuildActionManager::instance().reset();
        tft::CBuildActionManager::instance().setOutput(file_);
    }
    ~CapturedSink() {
        tft::CBuildActionManager::instance().setOutput(stdout);
        tft::CBuildActionManager::instance().reset();
        if (file_)
            std::fclose(file_);
    }
    std::string text() const {
        std::string out;
        if (!file_)
            return out;
        std::fflush(file_);
        std::rewind(file_);
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            out.append(buffer, got);
        std::fseek(file_, 0, SEEK_END);
        return out;
    }

private:
    std::FILE* file_;
};

// A project file text with the given pages and root attributes.
inline std::string projectXml(const std::string& attributes, const std::vector<std::string>& pages,
                              bool withWaves = true) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Orvane " + attributes + ">\n  <Pages>\n";
    for (const auto& page : pages)
        xml += "    <Page RelativePath=\"" + page + "\"/>\n";
    xml += "  </Pages>\n  <Images/>\n";
    if (withWaves)
        xml += "  <Waves/>\n";
    return xml + "</Orvane>\n";
}

inline std::string pageXml(const std::string& name, const std::string& extra = "",
                           const std::string& items = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DrawPage name=\"" + name + "\" " + extra +
           ">\n" + items + "</DrawPage>\n";
}

} // namespace testsupport
