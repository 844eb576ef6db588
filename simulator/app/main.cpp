// dunmere: runs a compiled project as the panel would.
//   dunmere --headless FILE.si [--script FILE] [--pty LINK | --serial DEVICE --baud N]
//   dunmere --headless [FILE.si] --storage DIR --pty LINK   (a panel that takes downloads)
#include "../ui/main_window.h"
#include "../ui/single_instance.h"
#include "common/qt_translations.h"
#include "common/serial_port.h"
#include "simulator/download_setup.h"
#include "simulator/realtime_panel.h"
#include "simulator/script.h"
#include "simulator/virtual_panel.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Options {
    bool headless = false;
    std::string project;
    std::string script;
    std::string pty;
    std::string serial;
    std::string storage;
    std::uint32_t baud = 9600;
    std::string error;
};

const char* kUsage = "usage: dunmere [FILE.si | -p FILE.si]\n"
                     "       dunmere --headless FILE.si [--script FILE] [--pty LINK | "
                     "--serial DEVICE --baud N] [--storage DIR]\n";

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
            value(o.script);
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
    if (o.error.empty() && !o.script.empty() && (!o.pty.empty() || !o.serial.empty()))
        o.error = "a script runs on virtual time without a serial line";
    return o;
}

int runScriptFile(const Options& o) {
    std::ifstream in(o.script);
    if (!in) {
        std::cerr << "dunmere: cannot read " << o.script << "\n";
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    const tft::Script script = tft::parseScript(text.str());
    if (!script.ok()) {
        std::cerr << "dunmere: " << o.script << ": " << script.error << "\n";
        return 2;
    }
    std::string report;
    const int rc = tft::runScript(script, o.project, report);
    (rc == 0 ? std::cout : std::cerr) << report;
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
    panel.Start();
    std::cout << "running " << (o.project.empty() ? "a panel" : o.project) << " (stop with Ctrl+C)"
              << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    const bool stopped = panel.Stop();
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
    if (instance.handOver(project))
        return 0;
    tft::CDunmereDlg window;
    instance.listen([&window](const QString& path) { window.receiveProject(path); });
    window.resize(window.sizeHint());
    window.show();
    window.receiveProject(project); // the window takes the project's size
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    if (!o.error.empty()) {
        std::cerr << "dunmere: " << o.error << "\n" << kUsage;
        return 2;
    }
    if (!o.headless)
        return runWindow(argc, argv, o);
    if (o.project.empty() && (!o.script.empty() || (o.pty.empty() && o.serial.empty()))) {
        std::cerr << kUsage;
        return 2;
    }
    return o.script.empty() ? serve(o) : runScriptFile(o);
}
