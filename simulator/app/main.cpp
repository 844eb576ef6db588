// dunmere: runs a compiled project as the panel would.
//   dunmere [--record FILE] [FILE.si]
//   dunmere --headless FILE.si [--record FILE] [--pty LINK | --serial DEVICE --baud N]
//   dunmere --headless FILE.si --script FILE [--script FILE ...] [--junit FILE] [--quiet]
//   dunmere --headless [FILE.si] --storage DIR --pty LINK   (a panel that takes downloads)
#include "../ui/main_window.h"
#include "../ui/single_instance.h"
#include "common/program_info.h"
#include "common/qt_translations.h"
#include "common/serial_port.h"
#include "simulator/download_setup.h"
#include "simulator/live_input.h"
#include "simulator/realtime_panel.h"
#include "simulator/script_runner.h"
#include "simulator/virtual_panel.h"

#include <QApplication>
#include <QSaveFile>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

struct Options {
    bool headless = false;
    std::string project;
    std::vector<std::string> scripts;
    std::string junit;
    bool quiet = false;
    std::string record;
    std::string pty;
    std::string serial;
    std::string storage;
    std::uint32_t baud = 9600;
    std::string error;
};

const char* kUsage =
    "usage: dunmere [--record FILE] [FILE.si | -p FILE.si]\n"
    "       dunmere --headless FILE.si [--record FILE] [--pty LINK | --serial DEVICE --baud N]\n"
    "               [--storage DIR]\n"
    "       dunmere --headless FILE.si --script FILE [--script FILE ...] [--junit FILE] "
    "[--quiet]\n";

const char* kHelp =
    "Usage: dunmere [--record FILE] [FILE.si | -p FILE.si]\n"
    "  or:  dunmere --headless FILE.si [--record FILE] [--pty LINK | --serial DEVICE --baud N]\n"
    "  or:  dunmere --headless FILE.si --script FILE [--script FILE ...] [--junit FILE]\n"
    "               [--quiet]\n"
    "Runs a compiled panel project (.si) as the panel would: in a window, or headless.\n"
    "A second start hands its project to the window already running.\n"
    "\n"
    "Options:\n"
    "  -p FILE.si          the project to run (as the IDE starts the simulator)\n"
    "  --headless          run without a window\n"
    "  --script FILE       run a script of steps on virtual time (headless only);\n"
    "                      several scripts share one start-up\n"
    "  --junit FILE        write a JUnit XML report of the scripts' test cases\n"
    "  --quiet             print only failures\n"
    "  --record FILE       write the exchange and the touches as a script while they\n"
    "                      happen (window, or headless on a serial line)\n"
    "  --pty LINK          create a pseudo-terminal and link its path at LINK\n"
    "  --serial DEVICE     bridge the real serial port DEVICE\n"
    "  --baud N            the port's rate until the panel changes it (default 9600)\n"
    "  --storage DIR       where the panel keeps resource downloads it receives on its\n"
    "                      line (default ~/.local/share/Pellisor/Dunmere/storage);\n"
    "                      without FILE.si it runs the set stored there, or starts blank\n"
    "  -h, --help          print this help and exit\n"
    "  --version           print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0   the window closed, the serial line was stopped with Ctrl+C, or every\n"
    "      expectation of the script held\n"
    "  1   an expectation of the script failed\n"
    "  2   a bad command line, script or project\n";

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc)
                o.error = a + " needs a value";
            else
                into = argv[++i];
        };
        if (a == "--headless") {
            o.headless = true;
        } else if (a == "--script") {
            o.scripts.emplace_back();
            value(o.scripts.back());
        } else if (a == "--junit") {
            value(o.junit);
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--record") {
            value(o.record);
        } else if (a == "--pty") {
            value(o.pty);
        } else if (a == "--serial") {
            value(o.serial);
        } else if (a == "--storage") {
            value(o.storage);
        } else if (a == "--baud") {
            std::string text;
            value(text);
            try {
                o.baud = static_cast<std::uint32_t>(std::stoul(text));
            } catch (...) {
                o.error = "--baud needs a number";
            }
        } else if (a == "-p" && !o.project.empty()) {
            o.error = "more than one project given";
        } else if (a == "-p") { // the form the IDE starts the simulator with
            value(o.project);
        } else if (!a.empty() && a[0] == '-') {
            o.error = "unknown option " + a;
        } else if (o.project.empty()) {
            o.project = a;
        } else {
            o.error = "more than one project given";
        }
        if (!o.error.empty())
            break;
    }
    if (o.error.empty() && !o.pty.empty() && !o.serial.empty())
        o.error = "--pty and --serial exclude each other";
    if (o.error.empty() && !o.scripts.empty() && (!o.pty.empty() || !o.serial.empty()))
        o.error = "a script runs on virtual time without a serial line";
    if (o.error.empty() && !o.scripts.empty() && !o.record.empty())
        o.error = "--record records on real time, not while a script runs";
    if (o.error.empty() && o.scripts.empty() && (!o.junit.empty() || o.quiet))
        o.error = "--junit and --quiet go with --script";
    return o;
}

int runScripts(const Options& o) {
    std::vector<tft::ScriptResult> results;
    std::string out, err;
    int rc = tft::runScriptFiles(o.scripts, o.project, o.quiet, out, err, &results);
    std::cout << out << std::flush;
    std::cerr << err;
    if (!o.junit.empty()) {
        const std::string xml = tft::junitReport(results);
        QSaveFile file(QString::fromStdString(o.junit));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(xml.data(), qint64(xml.size())) != qint64(xml.size()) || !file.commit()) {
            std::cerr << "dunmere: cannot write " << o.junit << "\n";
            rc = 2;
        }
    }
    return rc;
}

int serve(const Options& o) {
    // Signals are taken by sigwait below, not by whichever thread they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    tft::RealtimePanel panel;
    std::string error;
    const std::string storage = tft::downloadStorage(o.storage, o.project, &error);
    if (storage.empty() || (!o.project.empty() && !panel.Open(o.project, &error))) {
        std::cerr << "dunmere: " << error << "\n";
        return 2;
    }
    panel.SetRate(o.baud); // until the project or the host sets another
    std::unique_ptr<tft::Line> line;
    if (!o.pty.empty())
        line = tft::PtyLine::Create(o.pty, &error);
    else if (!o.serial.empty())
        line = tft::PortLine::Open(o.serial, o.baud, &error);
    if ((!o.pty.empty() || !o.serial.empty()) && !line) {
        std::cerr << "dunmere: " << error << "\n";
        return 2;
    }
    if (line) {
        line = tft::receiveDownloads(std::move(line), storage, o.project, panel);
        std::cout << "serial line: " << line->Describe() << std::endl;
        panel.SetLineFailureHandler([](const std::string& why) {
            std::cerr << "dunmere: serial line lost: " << why << " (the panel keeps running)"
                      << std::endl;
        });
        panel.SetRateHandler(
            [](std::uint32_t rate) { std::cout << "serial line rate: " << rate << std::endl; });
        panel.Attach(std::move(line));
    }
    if (!o.record.empty() && !panel.Record(o.record, o.project, &error)) {
        std::cerr << "dunmere: " << error << "\n";
        return 2;
    }
    panel.Start();
    // Touches typed or piped on standard input, one step per line.
    tft::LiveInput input(STDIN_FILENO, panel.Device(), [](const std::string& why) {
        std::cerr << "dunmere: input: " << why << std::endl;
    });
    std::cout << "running " << (o.project.empty() ? "a panel" : o.project) << " (stop with Ctrl+C)"
              << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    const bool stopped = panel.Stop();
    panel.StopRecording();
    std::cout << "stopped" << (stopped ? "" : " (the core did not end in time)") << std::endl;
    return 0;
}

int runWindow(int argc, char** argv, const Options& o) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pellisor"));
    QApplication::setApplicationName(QStringLiteral("Dunmere"));
    tft::installQtTranslations();
    const QString project = QString::fromStdString(o.project);
    tft::SingleInstance instance(tft::SingleInstance::defaultName());
    if (instance.handOver(project)) {
        if (!o.record.empty())
            std::cerr << "dunmere: a running window took the project; --record needs the "
                         "window to be the only one\n";
        return o.record.empty() ? 0 : 2;
    }
    tft::CDunmereDlg window;
    instance.listen([&window](const QString& path) { window.receiveProject(path); });
    window.resize(window.sizeHint());
    window.show();
    window.receiveProject(project); // the window takes the project's size
    std::string error;
    if (!o.record.empty() && !window.panel().Record(o.record, o.project, &error)) {
        std::cerr << "dunmere: " << error << "\n";
        return 2;
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (const int status = tft::answerHelpOrVersion(argc, argv, "dunmere", kHelp); status >= 0)
        return status;
    const Options o = parse(argc, argv);
    if (!o.error.empty()) {
        std::cerr << "dunmere: " << o.error << "\n" << kUsage;
        return 2;
    }
    if (!o.headless)
        return runWindow(argc, argv, o);
    if (o.project.empty() && (!o.scripts.empty() || (o.pty.empty() && o.serial.empty()))) {
        std::cerr << kUsage;
        return 2;
    }
    return o.scripts.empty() ? serve(o) : runScripts(o);
}
