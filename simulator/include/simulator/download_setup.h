// Puts a download receiver between a panel and its host line.
#pragma once

#include "simulator/bridge.h"

#include <memory>
#include <string>

namespace tft {

class RealtimePanel;

// The folder received downloads are kept in: `given`, or the per-user data
// folder. It is created when missing; the folder of the running project is
// refused (received files never replace a project's compiled output).
// Empty with a reason on failure.
std::string downloadStorage(const std::string& given, const std::string& project,
                            std::string* error);

// Wraps `line` so the panel takes downloads into `storage` and runs what it
// received once the host closes the download. Without a project the panel
// starts on the set stored earlier, or blank. Prints what it loads.
std::unique_ptr<Line> receiveDownloads(std::unique_ptr<Line> line, const std::string& storage,
                                       const std::string& project, RealtimePanel& panel);

} // namespace tft
