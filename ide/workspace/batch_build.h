// `orvane --build`: compiles a project with velmic as the IDE does, then puts
// beside the compiled screens what a panel and the simulator need as well:
// the system font pack, the system keyboard pack and the host driver sources.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tft::ide {

struct BatchBuild {
    std::filesystem::path project;                 // the .tftprj file
    int language = 0;                              // passed to velmic as -l
    std::filesystem::path appDir;                  // where velmic and the data folders are
    std::function<void(const std::string&)> print; // one line of output
};

// Returns 0 only when the compile and every step after it succeeded.
int runBatchBuild(const BatchBuild& build);

} // namespace tft::ide
