// The command line of `orvane --download`.
#pragma once

namespace tft::ide {

// orvane --download PROJECT.tftprj --port DEVICE [--port DEVICE ...] [--baud N]
//        [--only images,voices,fonts,screens,keyboard,modbus] [--modbus FILE.mbm]
//        [--force] [-l N]
// Prints one result line per port on standard output and everything else on
// standard error; 0 only when every port succeeded, 2 on a bad command line.
int runDownloadCommand(int argc, char** argv);

extern const char* const kDownloadUsage;

} // namespace tft::ide
