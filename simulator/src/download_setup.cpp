#include "simulator/download_setup.h"

#include "simulator/download_receiver.h"
#include "simulator/realtime_panel.h"

#include <cstdlib>
#include <iostream>
#include <system_error>

namespace tft {

namespace fs = std::filesystem;

std::string downloadStorage(const std::string& given, const std::string& project,
                            std::string* error) {
    fs::path folder = given;
    if (folder.empty()) {
        const char* data = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        if (data && *data)
            folder = fs::path(data);
        else if (home && *home)
            folder = fs::path(home) / ".local" / "share";
        else
            folder = fs::temp_directory_path();
        folder /= "Pellisor/Dunmere/storage";
    }
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
        *error = "cannot use " + folder.string() + " as the download storage";
        return {};
    }
    if (!project.empty()) {
        const fs::path projectFolder =
            fs::weakly_canonical(fs::absolute(project).parent_path(), ec);
        if (fs::weakly_canonical(fs::absolute(folder), ec) == projectFolder) {
            *error =
                "the download storage must not be the project's output folder: " + folder.string();
            return {};
        }
    }
    return folder.string();
}

std::unique_ptr<Line> receiveDownloads(std::unique_ptr<Line> line, const std::string& storage,
                                       const std::string& project, RealtimePanel& panel) {
    DownloadReceiver::Options options;
    options.storage = storage;
    auto wrapped = std::make_unique<DownloadLine>(std::move(line), options);
    DownloadReceiver& receiver = wrapped->Receiver();
    std::string error;
    if (!project.empty()) {
        receiver.SetHeldSet(project);
    } else if (receiver.HasStoredSet()) {
        const std::string si = receiver.StoredBase().string() + ".si";
        if (panel.Open(si, &error))
            std::cout << "loaded " << si << std::endl;
        else
            std::cerr << "dunmere: " << error << std::endl;
    } else {
        std::cout << "a blank panel, waiting for a download into " << storage << std::endl;
    }
    receiver.SetLoadHandler([&panel](const fs::path& si) {
        std::string why;
        if (panel.Open(si, &why))
            std::cout << "received a download, running " << si.string() << std::endl;
        else
            std::cerr << "dunmere: " << why << std::endl;
    });
    receiver.SetReportHandler(
        [](const std::string& why) { std::cerr << "dunmere: download: " << why << std::endl; });
    return wrapped;
}

} // namespace tft
