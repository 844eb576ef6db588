#include "batch_download_cli.h"

#include "batch_download.h"
#include "com_device_proxy.h"
#include "command_lines.h"
#include "common/paths.h"
#include "string_table.h"

#include <QCoreApplication>
#include <iostream>
#include <string>

namespace tft::ide {

const char* const kDownloadUsage =
    "       orvane --download PROJECT.tftprj --port DEVICE [--port DEVICE ...] [--baud N]\n"
    "              [--only images,voices,fonts,screens,keyboard,modbus] [--modbus FILE.mbm]\n"
    "              [--force] [-l N]\n";

int runDownloadCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    BatchDownload job;
    bool only = false;
    std::string error;
    for (int i = 1; i < argc && error.empty(); ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto number = [&](std::uint32_t* into) {
            try {
                *into = static_cast<std::uint32_t>(std::stoul(argv[++i]));
            } catch (...) {
                error = a + " needs a number";
            }
        };
        if (a == "--download" && hasValue) {
            job.project = argv[++i];
        } else if (a == "--port" && hasValue) {
            job.ports.push_back(argv[++i]);
        } else if (a == "--baud" && hasValue) {
            number(&job.baud);
        } else if (a == "-l" && hasValue) {
            std::uint32_t language = 0;
            number(&language);
            job.language = int(language);
        } else if (a == "--only" && hasValue) {
            std::string bad;
            only = true;
            if (!parseDownloadKinds(argv[++i], &job.bits, &bad))
                error = "--only: unknown kind '" + bad + "'";
        } else if (a == "--modbus" && hasValue) {
            job.modbus = argv[++i];
        } else if (a == "--force") {
            job.force = true;
        } else {
            error = "unexpected argument " + a;
        }
    }
    if (error.empty() && job.project.empty())
        error = "--download needs a project";
    if (error.empty() && job.ports.empty())
        error = "--download needs at least one --port";
    if (!only)
        job.bits = kBatchDefaultBits | (job.modbus.empty() ? 0u : 0x800u);
    if (error.empty() && (job.bits & 0x800) && job.modbus.empty())
        error = "--only modbus needs --modbus FILE.mbm";
    if (!error.empty()) {
        std::cerr << "orvane: " << error << "\nusage:\n" << kDownloadUsage;
        return 2;
    }
    job.appDir = applicationDir();
    currentStrings().load(languageFile(QString::fromStdString(job.appDir.string()),
                                       job.language == 1 ? kLanguageEnglish : kLanguageChinese));
    job.proxy = [](CSerialPort& port) { return std::make_unique<CComDeviceProxy>(&port); };
    job.print = [](const std::string& line) { std::cout << line << std::endl; };
    job.progress = [](const std::string& line) { std::cerr << line << std::endl; };
    return runBatchDownload(job);
}

} // namespace tft::ide
