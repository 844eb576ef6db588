// --help and --version for every program, answered before a window or a
// display is needed (the man pages are made from this output at build time).
// TFT_VERSION comes from the build, set on each program's target.
#pragma once

#include <cstdio>
#include <cstring>

#ifndef TFT_VERSION
#error "TFT_VERSION must be defined by the build for programs that answer --version"
#endif

namespace tft {

// The argument that asks for help ("--help", "-h") or the version ("--version"),
// looked for up to a "--" that ends the options; 'h', 'v' or 0 when none.
inline char infoRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return 0;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return 'h';
        if (std::strcmp(argv[i], "--version") == 0)
            return 'v';
    }
    return 0;
}

// Prints "<program> <version>" when asked; returns the exit status (0), or -1
// when the command line does not ask for the version.
inline int answerVersion(int argc, char** argv, const char* program) {
    if (infoRequest(argc, argv) != 'v')
        return -1;
    std::printf("%s %s\n", program, TFT_VERSION);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Prints `help` or the version when asked; returns the exit status, or -1
// when the command line asks for neither.
inline int answerHelpOrVersion(int argc, char** argv, const char* program, const char* help) {
    if (infoRequest(argc, argv) == 'h') {
        std::fputs(help, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return answerVersion(argc, argv, program);
}

} // namespace tft
