// Checking a Modbus map of 10,000 rows against a project of 200 pages with
// 12 controls each: the project read once (reported on its own), then the
// check of every row. The figure is the check's median against 100 ms, and
// the load plus check against the same limit.
#include "compiler/device_catalogue.h"
#include "modbus/project_check.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
constexpr int kPages = 200;
constexpr int kControlsPerPage = 12;
constexpr std::size_t kRows = 10000;
constexpr double kLimitMs = 100.0;

const char* const kKinds[] = {"SLIDER", "PROGRESS", "METER", "BUTTON", "TEXT_DISPLAY", "RTC"};

fs::path writeProject() {
    const fs::path folder =
        fs::temp_directory_path() / ("modbus_check_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream project(folder / "big.tftprj");
    project << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Orvane Name=\"big\" "
               "OutputDirectory=\"output\\\" StartupPage=\"p0\" DeviceType=\"3\">\n<Pages>\n";
    for (int p = 0; p < kPages; ++p) {
        const std::string name = "p" + std::to_string(p);
        project << "<Page RelativePath=\"" << name << ".tft\"/>\n";
        std::ofstream page(folder / (name + ".tft"));
        page << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DrawPage name=\"" << name << "\">\n";
        for (int c = 0; c < kControlsPerPage; ++c)
            page << "<item type=\"" << kKinds[c % 6] << "\" name=\"c" << c << "\" id=\"" << c + 1
                 << "\" xOffset=\"" << c * 20 << "\" yOffset=\"0\" width=\"18\" height=\"30\"/>\n";
        page << "</DrawPage>\n";
    }
    project << "</Pages>\n<Images/>\n<Waves/>\n</Orvane>\n";
    return folder;
}

std::vector<tessary::MapRow> rows() {
    std::mt19937 random(7);
    std::vector<tessary::MapRow> out(kRows);
    for (auto& row : out) {
        row.screenId = static_cast<std::uint16_t>(random() % (kPages + 10));
        row.controlId = static_cast<std::uint16_t>(random() % (kControlsPerPage + 3));
    }
    return out;
}

double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void CheckMap(benchmark::State& state) {
    static const fs::path folder = writeProject();
    static const auto catalogue =
        tft::DeviceCatalogue::load(fs::path(TFT_APP_DIR) / "DeviceInfo.xml");
    const auto map = rows();
    std::vector<double> loads, checks;
    std::size_t problems = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        tessary::ProjectIndex index;
        std::string error;
        if (!index.load((folder / "big.tftprj").string(), catalogue, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const auto loaded = std::chrono::steady_clock::now();
        problems = tessary::checkMap(map, index).size();
        const auto checked = std::chrono::steady_clock::now();
        loads.push_back(ms(loaded - start));
        checks.push_back(ms(checked - loaded));
    }
    std::sort(loads.begin(), loads.end());
    std::sort(checks.begin(), checks.end());
    const double load = loads[loads.size() / 2], check = checks[checks.size() / 2];
    state.counters["check_ms"] = check;
    state.counters["load_ms"] = load;
    state.counters["problems"] = static_cast<double>(problems);
    std::printf("check of %zu rows: %.2f ms = %.3f of the %.0f ms limit; with the project read: "
                "%.2f ms = %.3f of it\n",
                kRows, check, check / kLimitMs, kLimitMs, load + check, (load + check) / kLimitMs);
}

} // namespace

BENCHMARK(CheckMap)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK_MAIN();
