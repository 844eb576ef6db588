// Helpers the module tests share: temporary folders, whole-file reads and
// running the suite's real programs from the application folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, named after the running
// test and the process, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    // Writes `text` to a file below the folder, creating its folders.
    void write(const std::string& relative, const std::string& text) const;

private:
    fs::path path_;
};

std::vector<std::uint8_t> readBytes(const fs::path& file);

// The little-endian number of `width` bytes at `at` (bounds-checked).
std::uint32_t readLe(const std::vector<std::uint8_t>& bytes, std::size_t at, int width);

struct RunResult {
    int status = -1;    // the exit status as a shell sees it (0..255); -1 killed or not run
    std::string output; // what the program printed
};

// Runs `program` (a path, or a name in the application folder) with `args`,
// no shell involved, and collects its standard output (with its standard
// error unless `withStandardError` is false).
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {},
                     bool withStandardError = true);

// A program of the application folder running until it is stopped (or the
// object goes); its standard output and error are read as they come.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::vector<std::string>& args);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads until `text` was printed; false when the program ended first.
    // The deadline only keeps a broken build from hanging a test.
    bool waitFor(const std::string& text, int deadlineSeconds = 20);
    // Stops the program as Ctrl+C would; its exit status (-1 when killed).
    int stop();

    std::string output;

private:
    int pid_ = -1;
    int out_ = -1;
};

} // namespace testsupport
