#pragma once
// Base class of the program's worker threads.
//
// Stopping is cooperative: a thread cannot be killed safely (it could hold the
// logger's lock, or a half-written cache file), so Stop() raises a flag that
// Run() may poll through IsStopRequested(), wakes a Run() that waits
// (WakeForStop), then waits for Run() to return. Every Run() in the program
// is bounded (network time-outs), and the workers that download cancel the
// download when woken, so the wait is short.

#include <atomic>
#include <cstdint>
#include <thread>

class CCTThread {
public:
    // With autoStart the most-derived constructor must call StartIfAutoStart()
    // as its last statement, so that Run() never sees a half-built object.
    explicit CCTThread(bool autoStart = false) : autoStart_(autoStart) {}
    // Waits for a still-running thread; owners normally Stop() or let the
    // thread finish before destroying a derived object.
    virtual ~CCTThread();
    CCTThread(const CCTThread&) = delete;
    CCTThread& operator=(const CCTThread&) = delete;

    // The thread's body; its result is the thread's exit code. An exception
    // that escapes it ends the thread with exit code 0.
    virtual uint32_t Run() = 0;

    // False when the thread is still running. Otherwise releases a finished
    // thread and starts a new one. A thread that cannot be created leaves no
    // thread behind and still answers true.
    virtual bool Start();
    // Asks Run() to stop, waits for it, and releases the thread:
    // RequestStop(), then the wait.
    virtual void Stop();
    // Asks Run() to stop and wakes it, without waiting, so that an owner can
    // let the worker wind down while it closes, and Stop() or Wait() later.
    // Nothing happens without a thread. Called by the thread that owns the
    // object, like Start() and Stop().
    void RequestStop();
    // Waits for Run() to return on its own, then releases the thread.
    void Wait();

    bool IsRunning() const { return running_.load(std::memory_order_acquire); }
    bool HasThread() const { return thread_.joinable(); }
    bool WasStarted() const { return started_; }
    uint32_t ExitCode() const { return exitCode_.load(std::memory_order_acquire); }

protected:
    void StartIfAutoStart();
    bool IsStopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    // Called by RequestStop() (and so by Stop()) after the stop request is
    // raised, on the owner's thread, while Run() may be running:
    // a Run() that sleeps on a condition wakes it here (taking the lock that
    // guards the condition, so the wake-up cannot be lost).
    virtual void WakeForStop() {}

private:
    void Trampoline();

    std::thread thread_;
    bool started_ = false;
    bool autoStart_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<uint32_t> exitCode_{0};
};
