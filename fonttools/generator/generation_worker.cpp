#include "generation_worker.h"

#include <chrono>

namespace tft::fonttools {

namespace {
constexpr std::chrono::milliseconds kIdleNap{50};
} // namespace

GenerationResult runGeneration(const GenerationJob& job, const ProgressFn& progress) {
    GenerationResult result;
    result.path = job.path;
    if (!job.layout.valid()) {
        result.message = QStringLiteral("invalid cell size");
        return result;
    }
    const std::vector<std::uint8_t> bytes =
        renderCharset(job.font, job.charset, job.layout, progress);
    result.ok = writeFileAtomically(job.path, bytes, &result.message);
    return result;
}

GenerationRunner::GenerationRunner(QObject* parent) : QObject(parent) {
    // The dialog's thread collects progress and results on a timer: nothing
    // but the mutex-guarded state crosses between the threads.
    collector_.setInterval(kIdleNap);
    connect(&collector_, &QTimer::timeout, this, &GenerationRunner::deliver);
}

GenerationRunner::~GenerationRunner() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    if (thread_.joinable()) {
        thread_.join(); // a running generation finishes first
    }
}

void GenerationRunner::request(const GenerationJob& job) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(job);
        ++pending_;
        if (!thread_.joinable()) {
            thread_ = std::thread(&GenerationRunner::work, this);
        }
    }
    collector_.start();
}

bool GenerationRunner::busy() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return pending_ > 0;
}

void GenerationRunner::work() {
    for (;;) {
        GenerationJob job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopping_) {
                return;
            }
            if (jobs_.empty()) {
                // Idle: look again shortly. A plain mutex and a short nap keep
                // the hand-over visible to the thread sanitizer, which misses
                // condition-variable waits on this toolchain.
                lock.unlock();
                std::this_thread::sleep_for(kIdleNap);
                continue;
            }
            job = jobs_.front();
            jobs_.pop_front();
            latestProgress_ = 0;
        }
        GenerationResult result = runGeneration(job, [this](int percent) {
            const std::lock_guard<std::mutex> lock(mutex_);
            latestProgress_ = percent;
        });
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            latestProgress_ = 100;
            results_.push_back(std::move(result));
        }
    }
}

void GenerationRunner::deliver() {
    int percent = -1;
    std::deque<GenerationResult> done;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::swap(percent, latestProgress_);
        done.swap(results_);
        pending_ -= static_cast<int>(done.size());
        if (pending_ == 0) {
            collector_.stop();
        }
    }
    if (percent >= 0) {
        emit progress(percent);
    }
    for (const GenerationResult& result : done) {
        emit finished(result.ok, result.path, result.message);
    }
}

} // namespace tft::fonttools
