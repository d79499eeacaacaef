#include "shell/thread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace {

// A worker that runs until released (or asked to stop), then returns a code.
class GatedWorker : public CCTThread {
public:
    uint32_t Run() override {
        std::unique_lock lock(mutex_);
        ++runs_;
        released_.wait(lock, [&] { return open_ || IsStopRequested(); });
        open_ = false;
        return 7;
    }
    void Release() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        released_.notify_all();
    }
    int Runs() {
        std::lock_guard lock(mutex_);
        return runs_;
    }

protected:
    void WakeForStop() override {
        std::lock_guard lock(mutex_);
        released_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool open_ = false;
    int runs_ = 0;
};

void WaitUntilFinished(const CCTThread& thread) {
    while (thread.IsRunning()) std::this_thread::yield();
}

TEST(CCTThread, StartOnARunningThreadStartsNothing) {
    GatedWorker worker;
    EXPECT_FALSE(worker.WasStarted());
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.WasStarted());
    EXPECT_FALSE(worker.Start());
    worker.Release();
    worker.Stop();
    EXPECT_EQ(worker.Runs(), 1);
    EXPECT_EQ(worker.ExitCode(), 7u);
}

TEST(CCTThread, StartOnAFinishedThreadRunsAgain) {
    GatedWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Release();
    WaitUntilFinished(worker);
    EXPECT_TRUE(worker.HasThread()) << "a finished thread is held until released";
    ASSERT_TRUE(worker.Start());
    worker.Release();
    worker.Stop();
    EXPECT_EQ(worker.Runs(), 2);
    EXPECT_FALSE(worker.HasThread());
}

TEST(CCTThread, StopEndsAWaitingRunAndReleasesTheThread) {
    GatedWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.HasThread());
    worker.Stop();  // nothing to stop: harmless
}

TEST(CCTThread, RequestStopWakesTheRunWithoutReleasingTheThread) {
    GatedWorker worker;
    worker.RequestStop();  // no thread yet: nothing happens
    ASSERT_TRUE(worker.Start());
    worker.RequestStop();
    WaitUntilFinished(worker);  // woken: the run ends without Release()
    EXPECT_TRUE(worker.HasThread()) << "joined later, by its owner";
    worker.Wait();
    EXPECT_FALSE(worker.HasThread());
    EXPECT_EQ(worker.ExitCode(), 7u);
}

class ThrowingWorker : public CCTThread {
public:
    uint32_t Run() override { throw std::runtime_error("worker failure"); }
};

TEST(CCTThread, AnEscapingExceptionEndsTheThreadWithCodeZero) {
    ThrowingWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.Stop();
    EXPECT_EQ(worker.ExitCode(), 0u);
}

class AutoStartWorker : public CCTThread {
public:
    AutoStartWorker() : CCTThread(true), ready_(42) { StartIfAutoStart(); }
    uint32_t Run() override { return static_cast<uint32_t>(ready_); }
    ~AutoStartWorker() override { Stop(); }

private:
    int ready_;
};

TEST(CCTThread, AutoStartRunsOnTheCompleteObject) {
    AutoStartWorker worker;
    WaitUntilFinished(worker);
    EXPECT_TRUE(worker.WasStarted());
    EXPECT_EQ(worker.ExitCode(), 42u);
}

}  // namespace
