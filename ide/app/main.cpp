// orvane: the designer IDE. For now its batch entry:
//   orvane --build PROJECT.tftprj [-l N]
#include "../workspace/batch_build.h"
#include "common/paths.h"

#include <QCoreApplication>
#include <iostream>
#include <string>

namespace {

const char* kUsage = "usage: orvane --build PROJECT.tftprj [-l N]\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tft::BatchBuild build;
    bool batch = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--build" && i + 1 < argc) {
            batch = true;
            build.project = argv[++i];
        } else if (a == "-l" && i + 1 < argc) {
            try {
                build.language = std::stoi(argv[++i]);
            } catch (...) {
                std::cerr << "orvane: -l needs a number\n" << kUsage;
                return 2;
            }
        } else {
            std::cerr << "orvane: unexpected argument " << a << "\n" << kUsage;
            return 2;
        }
    }
    if (!batch) {
        std::cerr << "orvane: the designer window is not built yet\n" << kUsage;
        return 2;
    }
    build.appDir = tft::applicationDir();
    build.print = [](const std::string& line) { std::cout << line << std::endl; };
    return tft::runBatchBuild(build);
}
