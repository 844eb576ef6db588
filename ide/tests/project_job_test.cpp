// The job word and its worker: jobs queue behind a running one, a later
// command replaces the pending command line, a failed compile ends the job.
#include "after_build.h"
#include "project_job.h"
#include "testing/test_support.h"

#include <condition_variable>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

using namespace tft::ide;
namespace fs = std::filesystem;

namespace {

// A compiler whose runs the test releases one by one.
class GatedCompiler {
public:
    CompilerRun operator()(const QString& line, const std::atomic<bool>&) {
        std::unique_lock<std::mutex> lock(mutex_);
        started_.push_back(line);
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_ >= int(started_.size()); });
        CompilerRun run;
        run.started = true;
        run.exitCode = line.contains("fail") ? 1 : 0;
        return run;
    }
    void waitStarted(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return int(started_.size()) >= count; });
    }
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++released_;
        changed_.notify_all();
    }
    QStringList started() {
        std::lock_guard<std::mutex> lock(mutex_);
        return started_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    QStringList started_;
    int released_ = 0;
};

struct Done {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<std::uint32_t, bool>> jobs;
    int simulators = 0;
    int finished = 0;
    void waitJobs(std::size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return jobs.size() >= n; });
    }
};

JobHooks hooksFor(Done& done) {
    JobHooks hooks;
    hooks.compilerFinished = [&](bool) {
        std::lock_guard<std::mutex> lock(done.mutex);
        ++done.finished;
    };
    hooks.runSimulator = [&] {
        std::lock_guard<std::mutex> lock(done.mutex);
        ++done.simulators;
    };
    hooks.jobDone = [&](std::uint32_t bits, bool ok) {
        std::lock_guard<std::mutex> lock(done.mutex);
        done.jobs.emplace_back(bits, ok);
        done.changed.notify_all();
    };
    return hooks;
}

} // namespace

TEST(ProjectJob, ACompileIssuedDuringAJobRunsAfterIt) {
    GatedCompiler compiler;
    Done done;
    ProjectJobWorker worker(hooksFor(done), std::ref(compiler));
    worker.start();
    EXPECT_EQ(worker.word(), job::Idle);
    ASSERT_TRUE(worker.submit("first", job::Compile | job::RunSimulator));
    compiler.waitStarted(1);
    EXPECT_TRUE(worker.busy());
    EXPECT_EQ(worker.word(), job::Idle); // set back before the work started
    // Two commands while the job runs: one pending job, the later line wins.
    EXPECT_TRUE(worker.submit("second", job::Compile));
    EXPECT_EQ(worker.word(), job::Compile);
    EXPECT_FALSE(worker.submit("third", job::Compile));
    compiler.release();
    compiler.waitStarted(2);
    compiler.release();
    done.waitJobs(2);
    EXPECT_EQ(compiler.started(), (QStringList{"first", "third"}));
    EXPECT_EQ(done.jobs[0].first, job::Compile | job::RunSimulator);
    EXPECT_EQ(done.simulators, 1);
    worker.stop();
    EXPECT_EQ(worker.word(), job::Stop);
    EXPECT_FALSE(worker.submit("late", job::Compile));
}

TEST(ProjectJob, AFailedCompileEndsTheJob) {
    GatedCompiler compiler;
    Done done;
    std::atomic<int> deviceSteps{0};
    JobHooks hooks = hooksFor(done);
    hooks.deviceSteps = [&](std::uint32_t) { ++deviceSteps; };
    ProjectJobWorker worker(std::move(hooks), std::ref(compiler));
    worker.start();
    compiler.release();
    ASSERT_TRUE(worker.submit("fail", job::Compile | job::RunSimulator));
    done.waitJobs(1);
    EXPECT_FALSE(done.jobs[0].second);
    EXPECT_EQ(done.simulators, 0);
    EXPECT_EQ(done.finished, 1); // the compiler-finished notice comes all the same
    compiler.release();
    ASSERT_TRUE(worker.submit("ok", job::Download));
    done.waitJobs(2);
    EXPECT_TRUE(done.jobs[1].second);
    EXPECT_EQ(deviceSteps.load(), 1);
}

TEST(ProjectJob, StopEndsARunningCompiler) {
    testsupport::TempFolder dir;
    {
        std::ofstream script(dir.path() / "velmic");
        script << "#!/bin/sh\necho started\nexec cat\n"; // waits for input that never comes
    }
    fs::permissions(dir.path() / "velmic", fs::perms::owner_all);
    std::promise<void> started;
    JobHooks hooks;
    hooks.line = [&](const QString& line) {
        if (line == "started")
            started.set_value();
    };
    const QString app = QString::fromStdString(dir.path().string());
    auto compilerFn = [&](const QString& line, const std::atomic<bool>& stop) {
        return runCompiler(line, app, hooks.line, &stop);
    };
    ProjectJobWorker worker(hooks, compilerFn);
    worker.start();
    ASSERT_TRUE(worker.submit("velmic -p \"x\"", job::Compile));
    started.get_future().wait();
    worker.stop(); // returns only once the compiler is gone and the thread ended
    EXPECT_FALSE(worker.busy());
}

TEST(AfterBuild, AnEditedDriverFileSurvivesABuild) {
    testsupport::TempFolder dir;
    const fs::path output = dir.path() / "output";
    std::string error;
    ASSERT_TRUE(copyDriverFiles(TFT_APP_DIR, output, error)) << error;
    for (const QString& name : driverFileNames())
        EXPECT_TRUE(fs::exists(output / name.toStdString())) << name.toStdString();
    std::ofstream(output / "hmi_user_uart.c") << "/* mine */";
    fs::remove(output / "hmi_driver.h");
    ASSERT_TRUE(copyDriverFiles(TFT_APP_DIR, output, error)) << error;
    EXPECT_EQ(testsupport::readBytes(output / "hmi_user_uart.c"),
              std::vector<std::uint8_t>({'/', '*', ' ', 'm', 'i', 'n', 'e', ' ', '*', '/'}));
    EXPECT_EQ(testsupport::readBytes(output / "hmi_driver.h"),
              testsupport::readBytes(fs::path(TFT_APP_DIR) / "hmi_driver" / "hmi_driver.h"));
}

TEST(AfterBuild, AFontWhoseBitIsClearIsNeitherIndexedNorCounted) {
    testsupport::TempFolder dir;
    const fs::path app = TFT_APP_DIR;
    const PackReport all = writeSystemPacks(app, app / "DeviceInfo.xml", 0x3, dir.path() / "all");
    ASSERT_TRUE(all.ok) << all.lines.join('\n').toStdString();
    const PackReport one = writeSystemPacks(app, app / "DeviceInfo.xml", 0x2, dir.path() / "one");
    ASSERT_TRUE(one.ok);
    const auto indexAll = testsupport::readBytes(dir.path() / "all.fidx");
    const auto indexOne = testsupport::readBytes(dir.path() / "one.fidx");
    ASSERT_EQ(indexAll.size(), 16u);
    ASSERT_EQ(indexOne.size(), 8u);
    EXPECT_EQ(indexOne[0], 1); // font 1 only
    EXPECT_EQ(indexOne[4] | indexOne[5] << 8 | indexOne[6] << 16 | indexOne[7] << 24, 0);
    const auto dataAll = testsupport::readBytes(dir.path() / "all.fbin");
    const auto dataOne = testsupport::readBytes(dir.path() / "one.fbin");
    const std::size_t second = indexAll[12] | indexAll[13] << 8 | indexAll[14] << 16;
    EXPECT_EQ(std::vector<std::uint8_t>(dataAll.begin() + second, dataAll.end()), dataOne);
    EXPECT_TRUE(fs::exists(dir.path() / "one.sbin"));
}
