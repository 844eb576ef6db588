// orvane: the designer IDE.
//   orvane [PROJECT.tftprj]        the main window, on that project
//   orvane --build PROJECT.tftprj [-l N]
//   orvane --help | --version
#include "batch_build.h"
#include "command_lines.h"
#include "common/paths.h"
#include "string_table.h"

#include <QCoreApplication>
#include <iostream>
#include <string>

namespace {

const char* kUsage = "usage: orvane [PROJECT.tftprj]\n"
                     "       orvane --build PROJECT.tftprj [-l N]\n"
                     "       orvane --help | --version\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tft::ide::BatchBuild build;
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
    const QString appDir = QString::fromStdString(build.appDir.string());
    tft::ide::currentStrings().load(tft::ide::languageFile(
        appDir, build.language == 1 ? tft::ide::kLanguageEnglish : tft::ide::kLanguageChinese));
    build.print = [](const std::string& line) { std::cout << line << std::endl; };
    return tft::ide::runBatchBuild(build);
}
