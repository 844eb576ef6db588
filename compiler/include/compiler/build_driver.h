// The velmic build: the command line, the language, the project load and the
// build steps, in the order the IDE and the panel rely on.
#pragma once

#include "compiler/identifiers.h"
#include "compiler/options.h"
#include "compiler/project.h"
#include "dorsalis/screen_info_store.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tft {

// The whole program: arguments after the program name, the application
// folder (lang/ and DeviceInfo.xml). Returns the exit code: 0 success, 1 the
// project could not be loaded or the build had errors (or an exception ended
// it), -1 a start-up failure (the command line).
int runVelmic(const std::vector<std::string>& args, const std::filesystem::path& appDir);

// The 12-byte device settings record of a project (little-endian).
std::array<std::uint8_t, kDeviceSettingsSize> deviceSettingsRecord(const IProject& project);

class BuildDriver {
public:
    BuildDriver(const IProject& project, const CompilerOptions& options, IScreenInfoStore& store);

    // Runs the build steps; true when no error was reported.
    bool build();

    // The output folder passed the safety checks and was prepared; only then
    // may the screen information be written into it.
    bool outputAccepted() const { return outputAccepted_; }
    // The output folder as a native path (valid once build() ran).
    const std::filesystem::path& outputPath() const { return outputPath_; }
    const IdentifierMap& identifiers() const { return identifiers_; }

private:
    bool prepareOutputDirectory();
    void compileStartup();
    bool screenNameUsable(const std::string& name);
    void registerScreens();
    void saveScreenInfo();
    void compileScreen(const IItemEditor& page);
    // Compiles one item with its kind's compile function, appending its bytes.
    // False (and the matching error reported) when the item fails.
    bool compileItem(IItemLite* item, std::vector<std::uint8_t>& bytes, std::string& cText,
                     int failureMessage, const std::string& prefix);

    const IProject& project_;
    const CompilerOptions& options_;
    IScreenInfoStore& store_;
    std::filesystem::path outputPath_;
    bool outputAccepted_ = false;
    IdentifierMap identifiers_;
    std::set<std::string> refused_; // screens whose names cannot be used
};

} // namespace tft
