// velmic: compiles a panel project into the files the panel reads.
#include "common/paths.h"
#include "common/program_info.h"
#include "compiler/build_driver.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kHelp =
    "Usage: velmic -p PROJECT.tftprj [-o PAGE] [-l N]\n"
    "Compiles a panel project into its output folder: the screen information (.si),\n"
    "pictures and sounds (.gwb, .graidx, .pwi), the resource index (.tftres) and C sources.\n"
    "\n"
    "Options:\n"
    "  -p PROJECT.tftprj   the project to compile\n"
    "  -o PAGE             compile only this screen\n"
    "  -l N                message language: 0 Chinese (default), 1 English\n"
    "  -h, --help          print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0     the project compiled without errors\n"
    "  1     the build reported errors, or the project could not be read\n"
    "  255   a bad command line\n";

} // namespace

int main(int argc, char** argv) {
    if (const int status = tft::answerHelpOrVersion(argc, argv, "velmic", kHelp); status >= 0)
        return status;
    const std::filesystem::path appDir = tft::applicationDir();
    // Without the device catalogue every project's panel model looks unknown,
    // which would send the user after the project instead of the installation.
    const std::filesystem::path catalogue = appDir / "DeviceInfo.xml";
    std::error_code error;
    if (!std::filesystem::is_regular_file(catalogue, error)) {
        std::printf("velmic: the data file %s is missing; reinstall the suite\n",
                    catalogue.string().c_str());
        return 1;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    return tft::runVelmic(args, appDir);
}
