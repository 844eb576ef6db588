#include "orvane_app.h"

#include "batch_build.h"
#include "batch_download_cli.h"
#include "command_lines.h"
#include "common/paths.h"
#include "main_frame.h"
#include "settings.h"
#include "splash.h"
#include "string_table.h"

#include <QApplication>
#include <QCoreApplication>
#include <iostream>
#include <memory>
#include <string>

namespace tft::ide {

namespace {

const char* kUsage =
    "usage: orvane [PROJECT.tftprj]\n"
    "       orvane --build PROJECT.tftprj [-l N]\n"
    "       orvane --render PROJECT.tftprj PAGE -o FILE.png\n"
    "       orvane --download PROJECT.tftprj --port DEVICE [--port DEVICE ...] ...\n"
    "       orvane --help | --version\n";

const char* kHelp =
    "orvane: the designer IDE of the TFT panel suite.\n"
    "\n"
    "  orvane [PROJECT.tftprj]             open the main window, on that project\n"
    "                                      (else on the most recent one)\n"
    "  orvane --build PROJECT.tftprj [-l N]\n"
    "                                      compile with velmic as the IDE does and add\n"
    "                                      the system font and keyboard packs and the\n"
    "                                      host driver sources; -l 0 Chinese, 1 English\n"
    "  orvane --render PROJECT.tftprj PAGE -o FILE.png\n"
    "                                      draw the page as the designer shows it,\n"
    "                                      without a window\n"
    "  orvane --download PROJECT.tftprj --port DEVICE [--port DEVICE ...]\n"
    "         [--baud N] [--only images,voices,fonts,screens,keyboard,modbus]\n"
    "         [--modbus FILE.mbm] [--force] [-l N]\n"
    "                                      compile once, then download to every port\n"
    "                                      at once; one result line per port\n"
    "  orvane --help                       this text\n"
    "  orvane --version                    the version\n"
    "\n"
    "Exit status:\n"
    "  0   the window closed, or the build succeeded\n"
    "  1   the build failed (or the compiler's own non-zero status)\n"
    "  2   a bad command line\n";

const char* kVersion = "0.1.0";

void setNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

int runBatch(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setNames();
    BatchBuild build;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--build" && i + 1 < argc) {
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
    if (build.project.empty()) {
        std::cerr << "orvane: --build needs a project\n" << kUsage;
        return 2;
    }
    build.appDir = applicationDir();
    currentStrings().load(languageFile(QString::fromStdString(build.appDir.string()),
                                       build.language == 1 ? kLanguageEnglish : kLanguageChinese));
    build.print = [](const std::string& line) { std::cout << line << std::endl; };
    return runBatchBuild(build);
}

} // namespace

void openAtStart(CMainFrame& frame, const QString& project) {
    if (!project.isEmpty() && frame.openProject(project))
        return;
    const QString recent = frame.recent().entries().value(0);
    if (!recent.isEmpty())
        frame.openProject(recent);
}

int runOrvane(int argc, char** argv) {
    QString project;
    bool batch = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (a == "--version") {
            std::cout << "orvane " << kVersion << "\n";
            return 0;
        }
        if (a == "--download")
            return runDownloadCommand(argc, argv);
        if (a == "--build" || a == "-l")
            batch = true;
    }
    if (batch)
        return runBatch(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!a.empty() && a[0] == '-') {
            std::cerr << "orvane: unexpected argument " << a << "\n" << kUsage;
            return 2;
        }
        if (!project.isEmpty()) {
            std::cerr << "orvane: one project at a time\n" << kUsage;
            return 2;
        }
        project = QString::fromLocal8Bit(argv[i]);
    }

    QApplication app(argc, argv);
    setNames();
    const QString appDir = QString::fromStdString(applicationDir().string());
    auto splash = std::make_unique<CSplashDlg>(appDir, QString::fromLatin1(kVersion));
    splash->show();
    std::unique_ptr<QSettings> store(openUserSettings());
    CMainFrame frame(appDir, store.get());
    openAtStart(frame, project);
    frame.showMaximized();
    splash->finish(&frame);
    return app.exec();
}

} // namespace tft::ide
