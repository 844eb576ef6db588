// tessary without a window: the Modbus update and the master commands for
// production lines, printing the same progress lines as the update window.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// True when the arguments ask for batch mode (--update, --stop-master,
// --resume-master, --check).
bool isBatchCommand(const std::vector<std::string>& args);

// The window's own command line, after Qt took its options: an option left
// over is a usage error (returns 2, the usage on standard error); otherwise
// -1 and `files` holds the maps to open ("--" ends the options), `project` the
// project given with --project (the option is refused when `project` is null).
int checkWindowCommandLine(const std::vector<std::string>& args, std::vector<std::string>* files,
                           std::string* project = nullptr);
// Prints the message and the usage on standard error; returns 2.
int usageError(const std::string& message);
// --check MAP --project PROJECT: 0 no errors, 1 errors, 2 unreadable input.
int runCheck(const std::vector<std::string>& args);

// Runs the batch command; returns the exit code: 0 when everything succeeded,
// 1 when the update or the command failed, 2 for a bad command line.
int runBatch(const std::vector<std::string>& args);

} // namespace tessary
