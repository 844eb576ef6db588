// Compiling a project of 30 screens and 120 pictures (800 x 480 PNG
// backgrounds and 80 x 40 button pictures) with velmic, process start and
// every output file included, against the floor of decoding the same files
// with QImageReader alone. Prints the ratio and velmic's peak memory.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kScreens = 30;
constexpr int kButtonsPerScreen = 3;

double bestCompile = 0;
double bestDecode = 0;
long peakKiB = 0;

void keepBest(double& best, double seconds) {
    best = best == 0 ? seconds : std::min(best, seconds);
}

// Pictures with gradients and noise so that they do not compress to nothing.
QImage picture(int w, int h, int seed) {
    QImage image(w, h, QImage::Format_RGB32);
    unsigned state = 2654435761u * unsigned(seed + 1);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            state = state * 1103515245u + 12345u;
            row[x] = qRgb((x * 255 / w + seed * 7) & 0xFF, (y * 255 / h) & 0xFF,
                          int(state >> 24) & 0x3F);
        }
    }
    return image;
}

struct Project {
    QTemporaryDir dir;
    std::vector<std::string> pictures;
    std::string file;

    Project() {
        const std::string root = dir.path().toStdString();
        std::string pages;
        for (int s = 0; s < kScreens; ++s) {
            const std::string bg = "bg" + std::to_string(s) + ".png";
            picture(800, 480, s).save(QString::fromStdString(root + "/" + bg));
            pictures.push_back(root + "/" + bg);
            std::string items;
            for (int b = 0; b < kButtonsPerScreen; ++b) {
                const std::string name =
                    "btn" + std::to_string(s) + "_" + std::to_string(b) + ".png";
                picture(80, 40, 1000 + s * 10 + b).save(QString::fromStdString(root + "/" + name));
                pictures.push_back(root + "/" + name);
                items += "<item type='BUTTON' name='b" + std::to_string(b) + "' id='" +
                         std::to_string(b + 1) + "' button_type='2' url_up='" + name +
                         "' xOffset='" + std::to_string(100 * b) +
                         "' yOffset='10' width='80' height='40'/>";
            }
            const std::string page = "s" + std::to_string(s) + ".tft";
            std::ofstream(root + "/" + page)
                << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DrawPage name=\"s" << s
                << "\" bk_transparent=\"1\" bk_image=\"" << bg << "\">" << items << "</DrawPage>\n";
            pages += "<Page RelativePath=\"" + page + "\"/>";
        }
        file = root + "/bench.tftprj";
        std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Orvane Name=\"bench\" "
                               "DeviceType=\"3\" StartupPage=\"s0\"><Pages>"
                            << pages << "</Pages><Images/><Waves/></Orvane>\n";
    }
};

Project& project() {
    static Project p;
    return p;
}

// Runs velmic; its peak resident size in KiB, or -1 when it failed.
long runVelmic(const std::string& file) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        ::execl(VELMIC_PATH, VELMIC_PATH, "-p", file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void VelmicCompile(benchmark::State& state) {
    const Project& p = project();
    for (auto _ : state) {
        const auto start = Clock::now();
        const long kib = runVelmic(p.file);
        if (kib < 0) {
            state.SkipWithError("velmic failed");
            return;
        }
        keepBest(bestCompile, std::chrono::duration<double>(Clock::now() - start).count());
        peakKiB = std::max(peakKiB, kib);
    }
    state.counters["peak_MiB"] = double(peakKiB) / 1024.0;
    state.counters["pictures"] = double(p.pictures.size());
}

void DecodeOnly(benchmark::State& state) {
    const Project& p = project();
    for (auto _ : state) {
        const auto start = Clock::now();
        std::size_t pixels = 0;
        for (const auto& file : p.pictures) {
            QImageReader reader(QString::fromStdString(file));
            const QImage image = reader.read();
            pixels += std::size_t(image.width()) * std::size_t(image.height());
        }
        benchmark::DoNotOptimize(pixels);
        keepBest(bestDecode, std::chrono::duration<double>(Clock::now() - start).count());
    }
}

BENCHMARK(VelmicCompile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(DecodeOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bestCompile > 0 && bestDecode > 0)
        std::printf("compile / decode-only: %.3f s / %.3f s = %.2fx (target at most 1.5x); "
                    "velmic peak memory %.1f MiB (target under 300)\n",
                    bestCompile, bestDecode, bestCompile / bestDecode, double(peakKiB) / 1024.0);
    return 0;
}
