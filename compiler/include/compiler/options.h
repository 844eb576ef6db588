// The command line of velmic: -p project, -o screen, -l language. Options
// start with "-" or "--", the letter is compared without regard to case, and
// one value follows each option as the next argument.
#pragma once

#include <string>
#include <vector>

namespace tft {

struct CompilerOptions {
    std::string projectPath;   // empty when -p was not given
    int language = 0;          // 1 English, anything else Chinese
    bool singleScreen = false; // -o given
    std::string screenName;    // lower-cased
};

struct OptionsResult {
    bool ok = false;
    CompilerOptions options;
    std::string problem; // the offending argument, for diagnostics
};

// `args` are the arguments after the program name.
OptionsResult parseCommandLine(const std::vector<std::string>& args);

// ASCII lower case; other bytes (UTF-8 sequences) unchanged.
std::string asciiLower(std::string text);
std::string asciiUpper(std::string text);
// Equality without regard to ASCII case.
bool equalsNoCase(const std::string& a, const std::string& b);

} // namespace tft
