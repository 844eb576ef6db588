#include "batch_download.h"

#include "batch_build.h"
#include "command_lines.h"
#include "common/serial_port.h"
#include "download_worker.h"
#include "firmware_info.h"
#include "font_config.h"
#include "open_project.h"
#include "string_table.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

namespace tft::ide {

namespace {

constexpr std::uint32_t kDownloadReadMs = 1000;

struct Kind {
    const char* word;
    std::uint32_t bit;
};
const Kind kKinds[] = {{"images", 0x4},   {"voices", 0x8},     {"fonts", 0x10},
                       {"screens", 0x80}, {"keyboard", 0x100}, {"modbus", 0x800}};

// The port's time-outs as the IDE sets them on connecting.
CommTimeouts linkTimeouts() {
    CommTimeouts t;
    t.ReadIntervalTimeout = 10;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 100;
    t.WriteTotalTimeoutMultiplier = 100;
    t.WriteTotalTimeoutConstant = 100;
    return t;
}

} // namespace

bool parseDownloadKinds(const std::string& list, std::uint32_t* bits, std::string* bad) {
    std::uint32_t out = 0;
    std::stringstream words(list);
    std::string word;
    while (std::getline(words, word, ',')) {
        const auto k = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](const Kind& kind) { return word == kind.word; });
        if (k == std::end(kKinds)) {
            *bad = word;
            return false;
        }
        out |= k->bit;
    }
    if (out == 0) {
        *bad = list;
        return false;
    }
    *bits = out;
    return true;
}

bool askDeviceType(CSerialPort& port, std::uint16_t* type) {
    static const std::uint8_t request[] = {0xEE, 0xFE, 0xFF, 0xFC, 0xFF, 0xFF};
    port.Purge(PURGE_RXCLEAR | PURGE_TXCLEAR);
    if (port.Write(request, sizeof request) != sizeof request)
        return false;
    std::vector<std::uint8_t> reply;
    // At most ten reads of the 100 ms time-out; the reply is 14 bytes.
    for (int tries = 0; tries < 10; ++tries) {
        std::uint8_t buffer[64];
        const std::size_t n = port.Read(buffer, sizeof buffer);
        reply.insert(reply.end(), buffer, buffer + n);
        static const std::uint8_t tail[] = {0xFF, 0xFC, 0xFF, 0xFF};
        const auto end = std::search(reply.begin(), reply.end(), std::begin(tail), std::end(tail));
        if (end == reply.end())
            continue;
        const auto head = std::find(reply.begin(), end, 0xEE);
        if (end - head >= 2 && head[1] == 0xFE) {
            *type = FirmwareInfo::decode(&*head, std::size_t(end + 4 - head)).deviceType;
            return true;
        }
        reply.erase(reply.begin(), end + 4);
    }
    return false;
}

int runBatchDownload(const BatchDownload& job) {
    std::mutex printLock;
    const auto print = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(printLock);
        job.print(line);
    };
    const auto note = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(printLock);
        if (job.progress)
            job.progress(line);
    };
    BatchBuild build;
    build.project = job.project;
    build.language = job.language;
    build.appDir = job.appDir;
    build.print = note;
    if (const int built = runBatchBuild(build); built != 0)
        return built;

    const DeviceCatalogue devices = DeviceCatalogue::load(catalogueFile(job.appDir));
    ProjectWorkspace workspace(devices);
    if (const Outcome opened = workspace.open(QString::fromStdString(job.project.string()));
        !opened.ok) {
        note(opened.message.toStdString());
        return 1;
    }
    const std::string base = workspace.outputBase().toStdString();
    DownloadFiles files = compiledFiles(base);
    files.modbus = job.modbus;

    std::vector<char> succeeded(job.ports.size(), 0);
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < job.ports.size(); ++i) {
        workers.emplace_back([&, i] {
            const std::string name = job.ports[i];
            const auto say = [&](const std::string& line) { note(name + ": " + line); };
            const auto result = [&](const std::string& line) { print(name + ": " + line); };
            CSerialPort port;
            try {
                port.Open(name, job.baud);
            } catch (const CSerialException& e) {
                result("failed: " + e.GetErrorMessage());
                return;
            }
            port.SetTimeouts(linkTimeouts());
            port.Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
            std::uint16_t type = 0;
            if (!askDeviceType(port, &type)) {
                result("failed: no panel answered");
                return;
            }
            const std::unique_ptr<IDeviceProxy> proxy = job.proxy(port);
            DownloadLink link;
            link.com = proxy.get();
            link.deviceType = type;
            const CommTimeouts saved = port.GetTimeouts();
            link.comTimeouts = [&port, saved](bool downloading) {
                CommTimeouts t = saved;
                if (downloading)
                    t.ReadTotalTimeoutConstant = kDownloadReadMs;
                port.SetTimeouts(t);
            };
            DownloadOutput out;
            out.line = [&](const QString& line) { say(line.toStdString()); };
            int shown = -1;
            out.progress = [&](int percent) {
                // Every tenth, so parallel ports stay readable.
                if (percent >= 0 && percent / 10 != shown / 10)
                    say(std::to_string(percent) + "%");
                shown = percent;
            };
            out.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
            DownloadWorker worker(link, out);
            bool force = job.force;
            ImageDigests digests;
            succeeded[i] = worker.Run(job.bits, files, force, digests) ? 1 : 0;
            result(succeeded[i] ? "ok" : "failed");
        });
    }
    for (std::thread& t : workers)
        t.join();
    return std::all_of(succeeded.begin(), succeeded.end(), [](char ok) { return ok != 0; }) ? 0 : 1;
}

} // namespace tft::ide
