#include "shell/thread.h"

#include <system_error>

#include "shell/crash_dump.h"

CCTThread::~CCTThread() {
    if (thread_.joinable()) thread_.join();
}

bool CCTThread::Start() {
    if (thread_.joinable() && IsRunning()) return false;
    if (thread_.joinable()) thread_.join();  // finished: releases at once
    started_ = true;
    stopRequested_.store(false, std::memory_order_release);
    exitCode_.store(0, std::memory_order_release);
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread(&CCTThread::Trampoline, this);
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
    }
    return true;
}

void CCTThread::Stop() {
    if (!thread_.joinable()) return;
    RequestStop();
    thread_.join();
}

void CCTThread::RequestStop() {
    if (!thread_.joinable()) return;
    stopRequested_.store(true, std::memory_order_release);
    WakeForStop();
}

void CCTThread::Wait() {
    if (thread_.joinable()) thread_.join();
}

void CCTThread::StartIfAutoStart() {
    if (autoStart_) Start();
}

void CCTThread::Trampoline() {
    // A fatal fault here, a stack overflow too, still leaves a crash dump.
    const CCrashDumpThreadScope crashDumps;
    uint32_t code = 0;
    try {
        code = Run();
    } catch (...) {
        code = 0;  // a worker's failure must never reach the crash handler
    }
    exitCode_.store(code, std::memory_order_release);
    running_.store(false, std::memory_order_release);
}
