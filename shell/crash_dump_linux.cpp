// The Linux crash-dump handler: a signal handler for the fatal signals that
// writes an ELF core file of the process.
//
// A signal handler may run while the crashing thread holds any lock of the C
// library (the allocator's, stdio's, the time zone's), so everything it needs
// is prepared at install time in one mapping of our own, and the handler
// itself uses only system calls and the pure code of elf_core_writer_linux.h.
// The other threads are stopped and report their registers by signalling
// each one to save its own context, which needs no lock and no permission
// (a ptrace helper would need both, and containers often deny it).

#include <dirent.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/procfs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/ucontext.h>
#include <sys/uio.h>
#include <sys/user.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <cstring>
#include <new>
#include <type_traits>
#include <string>

#include "shell/crash_dump.h"
#include "shell/elf_core_writer_linux.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/text_util.h"

using namespace crashdump;

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

constexpr size_t kMapsTextBytes = 4u << 20;
constexpr size_t kMaxMappings = 16384;
constexpr size_t kMaxThreads = 512;
constexpr size_t kNoteBytes = 6u << 20;
constexpr size_t kCopyBytes = 1u << 20;
constexpr size_t kTaskListBytes = 64u << 10;
constexpr size_t kAuxvBytes = 4096;
constexpr size_t kAltStackBytes = 64u << 10;
// Enough for everything this program holds in memory many times over; a
// runaway heap does not turn into a dump that fills the disk.
constexpr uint64_t kMaxDumpedMemory = 256u << 20;
// How often, 1 ms apart, the writer looks whether every thread has saved its
// context; a thread that blocks the signal is then written without registers.
constexpr int kCaptureWaitRounds = 1000;

enum ThreadState : int32_t { kAsked = 1, kCaptured = 2, kGone = 3 };

struct ThreadRecord {
    std::atomic<int32_t> tid;
    std::atomic<int32_t> state;
    user_regs_struct regs;
    user_fpregs_struct fp;
    bool hasFp;
};

// Everything the handler works in, made once at install time.
struct CrashArena {
    char mapsText[kMapsTextBytes];
    MapEntry maps[kMaxMappings];
    Elf64_Phdr headers[kMaxMappings + 1];
    char notes[kNoteBytes];
    char copy[kCopyBytes];
    char taskList[kTaskListBytes];
    ThreadRecord threads[kMaxThreads];
    uint64_t stackPointers[kMaxThreads];
    char auxv[kAuxvBytes];
    size_t auxvSize;
    char altStack[kAltStackBytes];
};

struct HandlerState {
    CrashArena* arena = nullptr;
    char dataFolder[PATH_MAX] = {};
    char folderName[NAME_MAX + 1] = {};
    char namePrefix[32] = {};
    LocalOffsetTable offsets;
    CCTLog* log = nullptr;
    pid_t pid = 0;
    int captureSignal = 0;
    std::atomic<int> dumping{0};
    std::atomic<int> captureOpen{0};
    std::atomic<int32_t> threadCount{0};
    uint32_t parked = 0;  // futex word the stopped threads wait on; never changes
};

HandlerState g_state;

pid_t CurrentTid() { return static_cast<pid_t>(syscall(SYS_gettid)); }

uint64_t PageSize() { return static_cast<uint64_t>(sysconf(_SC_PAGESIZE)); }

// The whole of a /proc file, as far as it fits.
size_t ReadProcFile(const char* path, char* buffer, size_t capacity) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    size_t used = 0;
    while (used < capacity) {
        const ssize_t got = read(fd, buffer + used, capacity - used);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        used += static_cast<size_t>(got);
    }
    close(fd);
    return used;
}

bool WriteAllAt(int fd, const void* data, size_t size, uint64_t offset) {
    const char* bytes = static_cast<const char*>(data);
    while (size != 0) {
        const ssize_t written = pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
    return true;
}

void CopyContext(const ucontext_t* context, ThreadRecord& record) {
    record.regs = user_regs_struct{};
    record.hasFp = false;
#if defined(__x86_64__)
    const greg_t* g = context->uc_mcontext.gregs;
    user_regs_struct& r = record.regs;
    r.r8 = g[REG_R8];   r.r9 = g[REG_R9];   r.r10 = g[REG_R10]; r.r11 = g[REG_R11];
    r.r12 = g[REG_R12]; r.r13 = g[REG_R13]; r.r14 = g[REG_R14]; r.r15 = g[REG_R15];
    r.rdi = g[REG_RDI]; r.rsi = g[REG_RSI]; r.rbp = g[REG_RBP]; r.rbx = g[REG_RBX];
    r.rdx = g[REG_RDX]; r.rax = g[REG_RAX]; r.rcx = g[REG_RCX]; r.rsp = g[REG_RSP];
    r.rip = g[REG_RIP];
    r.eflags = g[REG_EFL];
    r.orig_rax = static_cast<unsigned long long>(-1);
    r.cs = static_cast<uint64_t>(g[REG_CSGSFS]) & 0xffff;
    r.ss = 0x2b;  // the user data segment of every 64-bit process
    // The signal does not change the thread pointer, and the C library keeps
    // the thread control block's own address in its first word.
    uint64_t threadPointer = 0;
    asm volatile("mov %%fs:0, %0" : "=r"(threadPointer));
    r.fs_base = threadPointer;
    if (context->uc_mcontext.fpregs != nullptr) {
        static_assert(sizeof(user_fpregs_struct) == sizeof(*context->uc_mcontext.fpregs));
        std::memcpy(&record.fp, context->uc_mcontext.fpregs, sizeof record.fp);
        record.hasFp = true;
    }
#else
    (void)context;  // other processors: threads are listed without registers
#endif
}

uint64_t StackPointerOf(const ThreadRecord& record) {
#if defined(__x86_64__)
    return record.regs.rsp;
#else
    (void)record;
    return 0;
#endif
}

// Runs on every other thread while the dump is written: saves the thread's
// context and keeps it stopped until the process ends.
void SaveThreadContext(int, siginfo_t*, void* context) {
    if (g_state.captureOpen.load(std::memory_order_acquire) == 0) return;
    const pid_t self = CurrentTid();
    const int32_t count = g_state.threadCount.load(std::memory_order_acquire);
    for (int32_t i = 1; i < count; ++i) {
        ThreadRecord& record = g_state.arena->threads[i];
        if (record.tid.load(std::memory_order_relaxed) != self) continue;
        if (record.state.load(std::memory_order_acquire) != kAsked) break;
        CopyContext(static_cast<const ucontext_t*>(context), record);
        record.state.store(kCaptured, std::memory_order_release);
        break;
    }
    for (;;) syscall(SYS_futex, &g_state.parked, FUTEX_WAIT_PRIVATE, 0u, nullptr, nullptr, 0);
}

struct LinuxDirent64 {
    uint64_t ino;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// Lists the other threads into records 1.. and has each save its context.
void StopOtherThreads(CrashArena& arena, pid_t self) {
    int32_t count = 1;
    const int fd = open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        for (;;) {
            const long got = syscall(SYS_getdents64, fd, arena.taskList, sizeof arena.taskList);
            if (got <= 0) break;
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const LinuxDirent64*>(arena.taskList + at);
                at += entry->length;
                const DecimalScan tid = ScanLeadingDecimal(entry->name);
                if (!tid.HasDigits() || entry->name[tid.length] != '\0') continue;  // "." and ".."
                if (static_cast<pid_t>(tid.magnitude) == self || count == static_cast<int32_t>(kMaxThreads)) continue;
                ThreadRecord& record = arena.threads[count++];
                record.tid.store(static_cast<int32_t>(tid.magnitude), std::memory_order_relaxed);
                record.state.store(kAsked, std::memory_order_relaxed);
                record.hasFp = false;
                record.regs = user_regs_struct{};
            }
        }
        close(fd);
    }
    g_state.threadCount.store(count, std::memory_order_release);
    g_state.captureOpen.store(1, std::memory_order_release);
    for (int32_t i = 1; i < count; ++i) {
        ThreadRecord& record = arena.threads[i];
        if (syscall(SYS_tgkill, g_state.pid, record.tid.load(), g_state.captureSignal) != 0) {
            record.state.store(kGone, std::memory_order_relaxed);  // ended since the listing
        }
    }
    for (int round = 0; round < kCaptureWaitRounds; ++round) {
        bool waiting = false;
        for (int32_t i = 1; i < count; ++i) waiting = waiting || arena.threads[i].state.load() == kAsked;
        if (!waiting) break;
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
}

elf_prstatus ThreadStatus(const ThreadRecord& record, int signal, const siginfo_t* info) {
    elf_prstatus status{};
    status.pr_pid = record.tid.load(std::memory_order_relaxed);
    status.pr_ppid = getppid();
    status.pr_pgrp = getpgrp();
    status.pr_sid = getsid(0);
    // Every thread carries the signal, as in the kernel's own dumps: gdb
    // takes the process's signal from the last status it reads.
    status.pr_cursig = static_cast<short>(signal);
    status.pr_info.si_signo = signal;
    status.pr_info.si_code = info != nullptr ? info->si_code : 0;
    status.pr_info.si_errno = info != nullptr ? info->si_errno : 0;
    static_assert(sizeof status.pr_reg == sizeof record.regs);
    std::memcpy(&status.pr_reg, &record.regs, sizeof status.pr_reg);
    status.pr_fpvalid = record.hasFp ? 1 : 0;
    return status;
}

elf_prpsinfo ProcessInfo() {
    elf_prpsinfo info{};
    info.pr_sname = 'R';
    info.pr_pid = g_state.pid;
    info.pr_ppid = getppid();
    info.pr_pgrp = getpgrp();
    info.pr_sid = getsid(0);
    info.pr_uid = getuid();
    info.pr_gid = getgid();
    size_t size = ReadProcFile("/proc/self/comm", info.pr_fname, sizeof info.pr_fname - 1);
    if (size != 0 && info.pr_fname[size - 1] == '\n') info.pr_fname[size - 1] = '\0';
    size = ReadProcFile("/proc/self/cmdline", info.pr_psargs, sizeof info.pr_psargs - 1);
    for (size_t i = 0; i + 1 < size; ++i) {
        if (info.pr_psargs[i] == '\0') info.pr_psargs[i] = ' ';
    }
    return info;
}

// All notes: the crashing thread's status first (gdb takes the first thread
// as the one that received the signal), the process notes, then every other
// thread. 0 when they do not fit.
size_t BuildNotes(CrashArena& arena, size_t mapCount, std::string_view text, int signal, const siginfo_t* info) {
    size_t used = 0;
    bool fits = true;
    const auto add = [&](uint32_t type, const void* content, size_t size) {
        const size_t next = fits ? AppendCoreNote(arena.notes, kNoteBytes, used, type, content, size) : 0;
        fits = next != 0;
        used = next;
    };
    const elf_prstatus crashing = ThreadStatus(arena.threads[0], signal, info);
    add(NT_PRSTATUS, &crashing, sizeof crashing);
    const elf_prpsinfo process = ProcessInfo();
    add(NT_PRPSINFO, &process, sizeof process);
    siginfo_t fault{};
    if (info != nullptr) fault = *info;
    fault.si_signo = signal;
    add(NT_SIGINFO, &fault, sizeof fault);
    add(NT_AUXV, arena.auxv, arena.auxvSize);
    // The file list goes into the copy buffer, free until memory is copied.
    const size_t fileSize = BuildFileNoteContent(arena.maps, mapCount, text, PageSize(), arena.copy, kCopyBytes);
    if (fileSize != 0) add(NT_FILE, arena.copy, fileSize);
    if (arena.threads[0].hasFp) add(NT_PRFPREG, &arena.threads[0].fp, sizeof arena.threads[0].fp);
    const int32_t count = g_state.threadCount.load();
    for (int32_t i = 1; i < count; ++i) {
        const ThreadRecord& record = arena.threads[i];
        if (record.state.load(std::memory_order_acquire) == kGone) continue;
        const elf_prstatus status = ThreadStatus(record, signal, nullptr);
        add(NT_PRSTATUS, &status, sizeof status);
        if (record.hasFp) add(NT_PRFPREG, &record.fp, sizeof record.fp);
    }
    return used;
}

bool IsZeroPage(const char* page, size_t size) {
    uint64_t bits = 0;
    for (size_t i = 0; i < size; i += sizeof bits) {
        uint64_t word;
        std::memcpy(&word, page + i, sizeof word);
        bits |= word;
    }
    return bits == 0;
}

// Writes the pages that hold anything; pages of zeros stay holes in the file.
bool WriteNonZeroPages(int fd, const char* bytes, size_t size, uint64_t offset, uint64_t pageSize) {
    size_t at = 0;
    while (at < size) {
        if (IsZeroPage(bytes + at, pageSize)) {
            at += pageSize;
            continue;
        }
        size_t end = at + pageSize;
        while (end < size && !IsZeroPage(bytes + end, pageSize)) end += pageSize;
        if (!WriteAllAt(fd, bytes + at, end - at, offset + at)) return false;
        at = end;
    }
    return true;
}

// Copies one mapping into the file through the copy buffer. A page that
// cannot be read (a file cut short under a mapping, a guard page) stays
// zero; only a failing write fails.
bool CopyMapping(int fd, const MapEntry& map, uint64_t offset, char* buffer, uint64_t pageSize) {
    uint64_t done = 0;
    while (done < map.Size()) {
        const size_t chunk = static_cast<size_t>(map.Size() - done < kCopyBytes ? map.Size() - done : kCopyBytes);
        iovec local{buffer, chunk};
        iovec remote{reinterpret_cast<void*>(map.start + done), chunk};
        const ssize_t got = process_vm_readv(g_state.pid, &local, 1, &remote, 1, 0);
        if (got < 0 && (errno == ENOSYS || errno == EPERM)) {
            // Without the call, the kernel copies straight from our memory
            // and reports an unreadable page as EFAULT rather than a fault;
            // the rest of such a chunk then stays zero.
            if (!WriteAllAt(fd, reinterpret_cast<const void*>(map.start + done), chunk, offset + done) &&
                errno != EFAULT) {
                return false;
            }
            done += chunk;
            continue;
        }
        const size_t read = got > 0 ? static_cast<size_t>(got) / pageSize * pageSize : 0;
        if (!WriteNonZeroPages(fd, buffer, read, offset + done, pageSize)) return false;
        done += read == chunk ? read : read + pageSize;
    }
    return true;
}

// Writes the core file; false with errno when a write fails.
bool WriteCore(int fd, int signal, const siginfo_t* info, const ucontext_t* context) {
    CrashArena& arena = *g_state.arena;
    const uint64_t pageSize = PageSize();
    const pid_t self = CurrentTid();

    ThreadRecord& crashing = arena.threads[0];
    crashing.tid.store(self, std::memory_order_relaxed);
    if (context != nullptr) CopyContext(context, crashing);
    StopOtherThreads(arena, self);

    size_t textSize = ReadProcFile("/proc/self/smaps", arena.mapsText, kMapsTextBytes);
    if (textSize == 0) textSize = ReadProcFile("/proc/self/maps", arena.mapsText, kMapsTextBytes);
    const std::string_view text(arena.mapsText, textSize);
    const size_t mapCount = ParseMappings(text, arena.maps, kMaxMappings);

    const int32_t threadCount = g_state.threadCount.load();
    size_t stackCount = 0;
    for (int32_t i = 0; i < threadCount; ++i) {
        const uint64_t sp = StackPointerOf(arena.threads[i]);
        if (sp != 0) arena.stackPointers[stackCount++] = sp;
    }
    DumpBudget budget;
    budget.maxBytes = kMaxDumpedMemory;
    budget.excludeBegin = reinterpret_cast<uint64_t>(&arena);
    budget.excludeEnd = budget.excludeBegin + sizeof(CrashArena);
    ChooseDumpedMappings(arena.maps, mapCount, text, arena.stackPointers, stackCount, budget);

    const size_t noteSize = BuildNotes(arena, mapCount, text, signal, info);
    if (noteSize == 0) {
        errno = ENOBUFS;
        return false;
    }
    Elf64_Ehdr header;
    const uint64_t fileSize = LayOutCore(arena.maps, mapCount, noteSize, pageSize, header, arena.headers);
    if (!WriteAllAt(fd, &header, sizeof header, 0) ||
        !WriteAllAt(fd, arena.headers, (mapCount + 1) * sizeof(Elf64_Phdr), header.e_phoff) ||
        !WriteAllAt(fd, arena.notes, noteSize, arena.headers[0].p_offset)) {
        return false;
    }
    for (size_t i = 0; i < mapCount; ++i) {
        if (!arena.maps[i].dump) continue;
        if (!CopyMapping(fd, arena.maps[i], arena.headers[i + 1].p_offset, arena.copy, pageSize)) return false;
    }
    return ftruncate(fd, static_cast<off_t>(fileSize)) == 0 && fdatasync(fd) == 0;
}

CivilTime LocalNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return LocalCivilTime(g_state.offsets, now.tv_sec);
}

struct DumpOutcome {
    bool fileMade = false;  // false: no folder or no file, so nothing to log
    bool written = false;
    int error = 0;
};

DumpOutcome WriteDumpFile(int signal, const siginfo_t* info, const ucontext_t* context) {
    DumpOutcome outcome;
    char name[64];
    CFixedText finalName(name, sizeof name);
    AppendDumpFileName(finalName, g_state.namePrefix, LocalNow());
    char temporary[96];
    CFixedText partName(temporary, sizeof temporary);
    partName.Add(finalName.View()).Add(".").AddDecimal(g_state.pid).Add(".partial");
    if (finalName.CString() == nullptr || partName.CString() == nullptr) return outcome;

    // The data folder is where the program's own folders begin: below it no
    // link is followed.
    const int data = open(g_state.dataFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (data < 0) return outcome;
    const int folder = openat(data, g_state.folderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(data);
    if (folder < 0) return outcome;
    constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(folder, temporary, kCreate, 0600);
    if (fd < 0 && errno == EEXIST && unlinkat(folder, temporary, 0) == 0) fd = openat(folder, temporary, kCreate, 0600);
    if (fd < 0) {
        close(folder);
        return outcome;
    }
    outcome.fileMade = true;
    outcome.written = WriteCore(fd, signal, info, context);
    if (!outcome.written) outcome.error = errno;
    close(fd);
    // Only a finished dump takes the name, replacing an earlier one of the
    // same minute whole.
    if (outcome.written && renameat(folder, temporary, folder, name) != 0) {
        outcome.written = false;
        outcome.error = errno;
    }
    if (!outcome.written) unlinkat(folder, temporary, 0);
    close(folder);
    return outcome;
}

void LogOutcome(const DumpOutcome& outcome) {
    char line[256];
    CFixedText text(line, sizeof line);
    AppendCrashLogLine(text, LocalNow(), static_cast<uint32_t>(CurrentTid()), outcome.written ? 1 : 0, outcome.error);
    // Skipped when any thread holds the logger's lock, this one included:
    // waiting could last for ever.
    if (!text.Overflowed() && g_state.log != nullptr) g_state.log->TryWriteLine(text.View());
}

// The fatal-signal filter: dump, log, then the default action.
void VRUnHandledExceptionFilter(int signal, siginfo_t* info, void* context) {
    if (g_state.dumping.exchange(1) != 0) {
        // Another thread is writing the dump; the process ends when it is
        // done. This thread is stopped and saved there like the others.
        for (;;) pause();
    }
    const DumpOutcome outcome = WriteDumpFile(signal, info, static_cast<const ucontext_t*>(context));
    if (outcome.fileMade) LogOutcome(outcome);

    // Pending until the handler returns, then the default action ends the
    // process with this signal, whether it came from a fault or from kill.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    syscall(SYS_tgkill, g_state.pid, CurrentTid(), signal);
}

// A real-time signal nothing else in the program uses.
int CaptureSignal() { return SIGRTMAX - 4; }

void UseAlternateStack(CrashArena& arena) {
    // A stack overflow leaves no room to run the handler on the thread's own
    // stack. A larger stack already set (by a sanitizer) stays.
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0 &&
        current.ss_size >= kAltStackBytes) {
        return;
    }
    stack_t stack{};
    stack.ss_sp = arena.altStack;
    stack.ss_size = kAltStackBytes;
    sigaltstack(&stack, nullptr);
}

}  // namespace

bool InstallCrashDumpHandler(const CrashDumpPlace& place) {
    if (g_state.arena != nullptr) return true;
    if (place.dataFolder.empty() || place.folderName.empty()) return false;
    const std::string folderBytes = ToFsPath(place.dataFolder).string();
    const std::string nameBytes = ToFsPath(place.folderName).string();
    if (folderBytes.size() >= sizeof g_state.dataFolder || nameBytes.size() >= sizeof g_state.folderName ||
        place.fileNamePrefix.size() >= sizeof g_state.namePrefix) {
        return false;
    }

    void* memory = mmap(nullptr, sizeof(CrashArena), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED) return false;
    madvise(memory, sizeof(CrashArena), MADV_DONTDUMP);  // the kernel's own dumps skip it too
    // The fresh mapping's zero pages are the arena's initial state (every
    // member starts at zero). Constructing it would write megabytes and fault
    // every page in at each start; an aggregate lives in the mapping as it is.
    static_assert(std::is_aggregate_v<CrashArena>);
    CrashArena* arena = std::launder(reinterpret_cast<CrashArena*>(memory));
    arena->auxvSize = ReadProcFile("/proc/self/auxv", arena->auxv, kAuxvBytes);

    std::memcpy(g_state.dataFolder, folderBytes.c_str(), folderBytes.size() + 1);
    std::memcpy(g_state.folderName, nameBytes.c_str(), nameBytes.size() + 1);
    std::memcpy(g_state.namePrefix, place.fileNamePrefix.c_str(), place.fileNamePrefix.size() + 1);
    g_state.offsets = BuildLocalOffsetTable(std::time(nullptr), 400 * 86400);
    g_state.log = &CCTLog::Instance();  // made now: its first use takes a lock
    g_state.pid = getpid();
    g_state.captureSignal = CaptureSignal();
    g_state.arena = arena;
    UseAlternateStack(*arena);

    struct sigaction capture {};
    capture.sa_sigaction = SaveThreadContext;
    capture.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    sigfillset(&capture.sa_mask);
    if (sigaction(g_state.captureSignal, &capture, nullptr) != 0) return false;

    struct sigaction fatal {};
    fatal.sa_sigaction = VRUnHandledExceptionFilter;
    fatal.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A fault inside the handler itself then ends the process at once
    // instead of entering it again.
    sigemptyset(&fatal.sa_mask);
    for (const int signal : kFatalSignals) sigaddset(&fatal.sa_mask, signal);
    bool installed = true;
    for (const int signal : kFatalSignals) installed = sigaction(signal, &fatal, nullptr) == 0 && installed;
    return installed;
}

CCrashDumpThreadScope::CCrashDumpThreadScope() {
    if (g_state.arena == nullptr) return;  // no handler to run
    // A larger stack already set (by a sanitizer) stays.
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0 &&
        current.ss_size >= kAltStackBytes) {
        return;
    }
    void* memory = mmap(nullptr, kAltStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kAltStackBytes;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(memory, kAltStackBytes);
        return;
    }
    stack_ = memory;
}

CCrashDumpThreadScope::~CCrashDumpThreadScope() {
    if (stack_ == nullptr) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    munmap(stack_, kAltStackBytes);
}
