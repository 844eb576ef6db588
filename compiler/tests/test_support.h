// Helpers shared by the compiler tests: temporary project folders, running
// the real velmic program, and capturing the message sink in-process.
#pragma once

#include "compiler/build_action_manager.h"
#include "testing/test_support.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

// Runs build/app/velmic with `args`, collecting standard output.
inline RunResult runVelmic(const std::vector<std::string>& args) {
    return runProgram("velmic", args, {}, false);
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
