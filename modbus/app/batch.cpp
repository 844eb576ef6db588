#include "batch.h"

#include "modbus/serial_update.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace tessary {

namespace {

const char* const kUsage =
    "usage: tessary [FILE.mbm ...]\n"
    "       tessary --help\n"
    "       tessary --update --port DEVICE [--baud N] [--address 201..210] [--folder DIR]\n"
    "               [--map FILE.mbm] [--images] [--touch] [--fonts] [--keyboard]\n"
    "       tessary --stop-master|--resume-master --port DEVICE [--baud N]\n"
    "       tessary [--project PROJECT.tftprj] [FILE.mbm ...]\n"
    "       tessary --check MAP.mbm --project PROJECT.tftprj\n"
    "With --folder and none of --images, --touch, --fonts, --keyboard, the images and the\n"
    "touch configuration go, as in the update window.\n"
    "--project attaches a project to the maps opened: its screens and controls are offered\n"
    "by name and every row is checked against them.\n"
    "--check prints one line per problem of the map (\"row N: ...\"; warnings say so).\n"
    "Exit codes: 0 success (--check: no errors), 1 the update failed (--check: errors\n"
    "found), 2 a bad command line or, for --check, a map or project that cannot be read.\n";

const std::uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Prints every line as it comes; a progress line that replaces the last one is
// printed as a new line, and only when its text changes.
class PrintingLog : public IUpdateLog {
public:
    void clear() override {}
    void append(const std::string& line) override { print(line); }
    void replaceLast(const std::string& line) override {
        if (line != last_)
            print(line);
    }

private:
    void print(const std::string& line) {
        std::cout << line << std::endl;
        last_ = line;
    }
    std::string last_;
};

} // namespace

int usageError(const std::string& message) {
    std::cerr << "tessary: " << message << "\n" << kUsage;
    return 2;
}

namespace {

bool parseNumber(const std::string& text, long* value) {
    if (text.empty() || text.size() > 9)
        return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    *value = v;
    return true;
}

} // namespace

int checkWindowCommandLine(const std::vector<std::string>& args, std::vector<std::string>* files,
                           std::string* project) {
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--project") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError("--project needs a project file");
            if (project)
                *project = args[++i];
            else
                return usageError("unknown argument: " + a);
        } else if (options && a.size() > 1 && a[0] == '-') {
            return usageError("unknown argument: " + a);
        } else {
            files->push_back(a);
        }
    }
    return -1;
}

bool isBatchCommand(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--update" || a == "--stop-master" || a == "--resume-master" || a == "--check")
            return true;
    return false;
}

int runBatch(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--check")
            return runCheck(args);
    enum class Command { None, Update, Stop, Resume } command = Command::None;
    UpdateRequest request;
    bool haveFolder = false;
    bool anyContent = false;
    bool images = false, touch = false, fonts = false, keyboard = false;
    std::string map;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--update" || a == "--stop-master" || a == "--resume-master") {
            const Command c = a == "--update"        ? Command::Update
                              : a == "--stop-master" ? Command::Stop
                                                     : Command::Resume;
            if (command != Command::None && command != c)
                return usageError("give only one of --update, --stop-master, --resume-master");
            command = c;
        } else if (a == "--port") {
            if (!value(&request.port) || request.port.empty())
                return usageError("--port needs a device");
        } else if (a == "--baud") {
            long n = 0;
            if (!value(&v) || !parseNumber(v, &n))
                return usageError("--baud needs a number");
            bool offered = false;
            for (auto b : kBauds)
                offered = offered || b == static_cast<std::uint32_t>(n);
            if (!offered)
                return usageError("baud rate " + v +
                                  " is not one of 1200 2400 4800 9600 19200 38400 57600 115200");
            request.baud = static_cast<std::uint32_t>(n);
        } else if (a == "--address") {
            long n = 0;
            if (!value(&v) || !parseNumber(v, &n) || n < 201 || n > 210)
                return usageError("--address needs a device address from 201 to 210");
            request.address = static_cast<std::uint8_t>(n);
        } else if (a == "--folder") {
            std::string folder;
            if (!value(&folder))
                return usageError("--folder needs a folder");
            std::error_code ec;
            if (!std::filesystem::is_directory(folder, ec))
                return usageError("no such folder: " + folder);
            request.selection.folder = folder;
            haveFolder = true;
        } else if (a == "--map") {
            if (!value(&map))
                return usageError("--map needs a .mbm file");
            std::error_code ec;
            if (!std::filesystem::is_regular_file(map, ec))
                return usageError("no such map file: " + map);
        } else if (a == "--images") {
            images = anyContent = true;
        } else if (a == "--touch") {
            touch = anyContent = true;
        } else if (a == "--fonts") {
            fonts = anyContent = true;
        } else if (a == "--keyboard") {
            keyboard = anyContent = true;
        } else {
            return usageError("unknown argument: " + a);
        }
    }
    if (command == Command::None)
        return usageError("no command");
    if (request.port.empty())
        return usageError("--port is required");

    if (command != Command::Update) {
        if (haveFolder || anyContent || !map.empty())
            return usageError("the master commands take only --port and --baud");
        PrintingLog log;
        return runMasterCommand(request.port, request.baud, command == Command::Stop, log) ? 0 : 1;
    }

    if (anyContent && !haveFolder)
        return usageError("--images, --touch, --fonts and --keyboard need --folder");
    SlotSelection& sel = request.selection;
    sel.images = anyContent ? images : haveFolder;
    sel.touch = anyContent ? touch : haveFolder;
    sel.fonts = fonts;
    sel.keyboard = keyboard;
    sel.modbus = !map.empty();
    sel.mapFile = map;

    bool anything = false;
    for (const auto& slot : buildSlotList(sel)) {
        std::error_code ec;
        anything = anything || (!slot.empty() && std::filesystem::file_size(slot, ec) > 0 && !ec);
    }
    if (!anything) {
        std::cerr << "tessary: 没有可发送的文件。\n";
        return 1;
    }

    PrintingLog log;
    int sent = 0;
    const bool ok = runSerialUpdate(request, log, nullptr, &sent);
    return ok && sent > 0 ? 0 : 1;
}

} // namespace tessary
