// The simulated panel's download side fed host bytes: sessions, headers,
// packets, replacement pictures and index requests in any order. The first
// byte splits the input into two feeds with a time gap between them.
#include "simulator/download_receiver.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A storage folder holding a small set, so replacement pictures find records.
fs::path storage() {
    static const fs::path dir = [] {
        const fs::path d =
            fs::temp_directory_path() / ("download_fuzz_" + std::to_string(::getpid()));
        fs::create_directories(d);
        const std::uint8_t record[16] = {1, 0, 4, 0x10, 0, 0xB0, 0, 4, 0, 4, 0, 32, 0, 0, 0, 1};
        std::ofstream(d / "panel.graidx", std::ios::binary)
            .write(reinterpret_cast<const char*>(record), sizeof record);
        std::ofstream(d / "panel.gwb", std::ios::binary) << std::string(64, '\0');
        std::ofstream(d / "panel.si", std::ios::binary) << std::string(8, '\0');
        return d;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    tft::DownloadReceiver::Options options;
    options.storage = storage();
    options.block = 256;
    options.maxFileBytes = 4096;
    tft::DownloadReceiver receiver(options);
    std::vector<std::uint8_t> toCore, toHost;
    const std::size_t split = std::min<std::size_t>(data[0], size - 1);
    receiver.Feed(data + 1, split, 0, toCore, toHost);
    receiver.Feed(data + 1 + split, size - 1 - split, split * 100, toCore, toHost);
    receiver.Poll(1000000);
    return 0;
}
