// A program that crashes on purpose, for the crash-dump tests: it starts as
// the real program does (crash handler first, then the base environment with
// its folders and log, below $XDG_DATA_HOME; on Windows below ProgramData), starts worker threads that spin,
// wait and sleep, and then crashes in the way its argument names. It is built
// without sanitizers, so that its faults reach the handler as faults.

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "app/kalo_base.h"
#include "app/program_identity.h"
#include "shell/crash_dump.h"
#include "shell/platform.h"
#include "shell/thread.h"

namespace {

int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;
volatile int g_seven = 7;  // 1 / x compiles to a comparison, not a division
std::atomic<bool> g_workersReady[3];

[[gnu::noinline]] void CrashByNullWrite() { *g_nowhere = 1; }
[[gnu::noinline]] void CrashByAbort() { std::abort(); }
[[gnu::noinline]] int CrashByDivision() { return g_seven / g_zero; }

// Recurses until the thread's stack runs out (long before the depth the
// compiler cannot see through); each frame takes 16 KiB.
volatile int g_deepest = 1 << 30;
[[gnu::noinline]] int CrashByStackOverflow(int depth) {
    volatile char frame[16384];
    frame[0] = static_cast<char>(depth);
    return depth < g_deepest ? CrashByStackOverflow(depth + 1) + frame[0] : frame[0];
}

// A worker the way the program starts its own.
class CRecursingWorker : public CCTThread {
public:
    uint32_t Run() override { return static_cast<uint32_t>(CrashByStackOverflow(0)); }
};

void StartWorkers(std::vector<std::thread>& workers) {
    static std::mutex lock;
    static std::condition_variable never;
    workers.emplace_back([] {
        volatile unsigned long spins = 0;
        g_workersReady[0] = true;
        for (;;) spins = spins + 1;
    });
    workers.emplace_back([] {
        std::unique_lock guard(lock);
        g_workersReady[1] = true;
        never.wait(guard, [] { return false; });
    });
    workers.emplace_back([] {
        g_workersReady[2] = true;
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    });
    for (auto& ready : g_workersReady) {
        while (!ready) std::this_thread::yield();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
#ifndef _WIN32
    // The system's own core file is not what the tests look at.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#endif
    if (!InstallCrashDumpHandler(ProgramCrashDumpPlace())) return 3;
    SetDebugOutput(nullptr);
    CKALOBase& base = CKALOBase::Instance();
    if (!base.Init(kProgramName, false)) return 4;

    std::vector<std::thread> workers;
    StartWorkers(workers);
    const std::string mode = argv[1];
    if (mode == "null-write-in-thread" || mode == "no-dump-folder") {
        if (mode == "no-dump-folder") std::filesystem::remove_all(ToFsPath(base.CrashDumpFolder()));
        std::thread crasher(CrashByNullWrite);
        crasher.join();
    } else if (mode == "abort") {
        CrashByAbort();
    } else if (mode == "divide-by-zero") {
        return CrashByDivision();
    } else if (mode == "stack-overflow-in-worker") {
        CRecursingWorker worker;
        worker.Start();
        worker.Wait();
    }
    return 5;  // no crash happened
}
