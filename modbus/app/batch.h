// tessary without a window: the Modbus update and the master commands for
// production lines, printing the same progress lines as the update window.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// True when the arguments ask for batch mode (--update, --stop-master,
// --resume-master).
bool isBatchCommand(const std::vector<std::string>& args);

// Runs the batch command; returns the exit code: 0 when everything succeeded,
// 1 when the update or the command failed, 2 for a bad command line.
int runBatch(const std::vector<std::string>& args);

} // namespace tessary
