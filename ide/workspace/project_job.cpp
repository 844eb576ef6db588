#include "project_job.h"

#include <chrono>

namespace tft::ide {

ProjectJobWorker::ProjectJobWorker(JobHooks hooks, CompilerFunction compiler)
    : hooks_(std::move(hooks)), compiler_(std::move(compiler)) {}

ProjectJobWorker::~ProjectJobWorker() {
    stop();
}

void ProjectJobWorker::start() {
    if (thread_.joinable())
        return;
    word_ = job::Idle;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void ProjectJobWorker::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        word_ = job::Stop;
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool ProjectJobWorker::submit(const QString& commandLine, std::uint32_t bits) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (word_ == job::Stop)
            return false;
        pending_ = commandLine;
        if (word_ != job::Idle)
            return false;
        word_ = bits;
    }
    wake_.notify_all();
    return true;
}

void ProjectJobWorker::run() {
    for (;;) {
        std::uint32_t bits;
        QString commandLine;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(50),
                           [this] { return word_ != job::Idle; });
            bits = word_;
            if (bits == job::Stop)
                return;
            if (bits == job::Idle) {
                lock.unlock();
                if (hooks_.idle)
                    hooks_.idle();
                continue;
            }
            busy_ = true;
            commandLine = pending_;
            word_ = job::Idle; // from here on a new command waits as the pending job
        }
        runJob(bits, commandLine);
        busy_ = false;
    }
}

void ProjectJobWorker::runJob(std::uint32_t bits, const QString& commandLine) {
    bool ok = true;
    // Every job starts on an empty output pane (a download without a compile too).
    if (hooks_.clearOutput)
        hooks_.clearOutput();
    if (bits & job::Compile) {
        const CompilerRun run = compiler_(commandLine, stopping_);
        ok = run.succeeded();
        if (hooks_.compilerFinished)
            hooks_.compilerFinished(ok);
        if (ok && hooks_.afterSuccessfulCompile)
            hooks_.afterSuccessfulCompile();
    }
    if (ok && !stopping_) {
        const std::uint32_t device = bits & ~(job::Compile | job::RunSimulator | job::SecondNotice);
        if (device != 0 && hooks_.deviceSteps)
            hooks_.deviceSteps(device);
        if ((bits & job::RunSimulator) && hooks_.runSimulator)
            hooks_.runSimulator();
        if ((bits & job::SecondNotice) && hooks_.secondNotice)
            hooks_.secondNotice();
    }
    if (hooks_.jobDone)
        hooks_.jobDone(bits, ok);
}

} // namespace tft::ide
