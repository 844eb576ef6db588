// The job word `ProjectJob` and the worker thread that serves it. 0 stops the
// thread, 1 is idle, any other value is a job made of bits. The user-interface
// thread fills the pending command line and stores the word; the worker takes
// both, sets the word back to 1 and runs the job, so a command given while a
// job runs waits as the one pending job (a later command replaces the pending
// command line).
#pragma once

#include "compiler_runner.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tft::ide {

namespace job {
enum : std::uint32_t {
    Stop = 0,
    Idle = 1,
    Compile = 0x2,
    Images = 0x4,
    Voices = 0x8,
    Fonts = 0x10,
    SyncDisplay = 0x20,
    SingleImage = 0x40,
    ScreenConfig = 0x80,
    Keyboard = 0x100,
    RunSimulator = 0x200,
    SecondNotice = 0x400,
    ModbusMap = 0x800,
    Download = Compile | Images | Voices | ScreenConfig, // 0x8E
};
} // namespace job

// What the worker calls, all on the worker thread; the shell forwards them to
// its own thread.
struct JobHooks {
    std::function<void()> clearOutput;
    LineSink line;
    // After the compiler ran (whatever its result).
    std::function<void(bool succeeded)> compilerFinished;
    // After a successful compile, before any other bit: the system packs.
    std::function<void()> afterSuccessfulCompile;
    // The device steps of a job (download, display synchronisation); the
    // device link fills this in.
    std::function<void(std::uint32_t bits)> deviceSteps;
    std::function<void()> runSimulator;
    std::function<void()> secondNotice;
    std::function<void(std::uint32_t bits, bool succeeded)> jobDone;
    // Called about every 50 ms while idle (the device link polls its port).
    std::function<void()> idle;
};

using CompilerFunction =
    std::function<CompilerRun(const QString& commandLine, const std::atomic<bool>& stop)>;

class ProjectJobWorker {
public:
    // `compiler` runs one command line (the real compiler runner by default).
    ProjectJobWorker(JobHooks hooks, CompilerFunction compiler);
    ~ProjectJobWorker();
    ProjectJobWorker(const ProjectJobWorker&) = delete;
    ProjectJobWorker& operator=(const ProjectJobWorker&) = delete;

    void start();
    // Stores 0 and waits for the thread. A running compiler is stopped.
    void stop();

    // Fills the pending command line and, when the word is idle, stores
    // `bits` as the job. False when a job was already pending: its bits stay
    // and it takes this command line.
    bool submit(const QString& commandLine, std::uint32_t bits);

    std::uint32_t word() const { return word_.load(); }
    bool busy() const { return busy_.load(); }

private:
    void run();
    void runJob(std::uint32_t bits, const QString& commandLine);

    JobHooks hooks_;
    CompilerFunction compiler_;
    std::thread thread_;
    std::mutex mutex_; // guards pending_ and the stores of word_
    std::condition_variable wake_;
    QString pending_;
    std::atomic<std::uint32_t> word_{job::Idle};
    std::atomic<bool> busy_{false};
    std::atomic<bool> stopping_{false};
};

} // namespace tft::ide
