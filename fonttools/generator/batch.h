// Script entry of the generator: renders one character set into a glyph file
// without a window, with the shipped font that stands for --family (see
// fonttools/shipped_fonts.h), never an installed one.
#pragma once

#include <QStringList>

namespace tft::fonttools {

// True when the command line asks for batch mode.
bool isBatchCommandLine(int argc, char** argv);

// Runs with the arguments after the program name. Returns the exit code:
// 0 written, 1 generation or writing failed, 2 bad command line.
int runBatch(const QStringList& arguments);

} // namespace tft::fonttools
