#pragma once
// The crash-dump handler. When a fault or an abort ends the process, the
// handler writes a snapshot of the whole process (every thread with its
// registers, the fault, the loaded files, the writable memory) to
// "<prefix><year><month><day><hour><minute>.dmp" in the crash-dump folder
// of the data folder, logs the outcome at level 0 under the tag
// "VRUnHandledExceptionFilter", and lets the system's default handling end the
// process, so that its exit status still names the cause.
//
// No crash-dump folder at the time of the crash: no dump and no log line.
// Two crashes within one minute leave one file: the later dump replaces the
// earlier one whole (it is written under a temporary name and renamed), so a
// dump file is never half written. On Linux the snapshot is an ELF core file
// that `gdb <program> <dump>` opens; on Windows a minidump.

#include <string>

struct CrashDumpPlace {
    std::wstring dataFolder;     // where the program's own folders begin: below it no link is followed
    std::wstring folderName;     // the crash-dump folder in it
    std::string fileNamePrefix;  // ASCII, before the date in the dump's name
};

// Installs the handler for the process; the first step of start-up, before
// any other service and before other threads exist. It takes the place now
// but creates nothing (the base environment makes the folder later). False
// when no handler could be installed (no data folder, a place too long to
// keep, or the system refused); true also on a second call.
bool InstallCrashDumpHandler(const CrashDumpPlace& place);

// What the handler needs to run on the calling thread after a stack overflow,
// held for the owner's life: on Linux an alternate signal stack of the
// thread's own (the main thread gets one from InstallCrashDumpHandler); on
// Windows nothing, since the dump is written from a thread of its own. Every
// thread the program starts holds one for its whole run; without an
// installed handler it does nothing.
class CCrashDumpThreadScope {
public:
    CCrashDumpThreadScope();
    ~CCrashDumpThreadScope();
    CCrashDumpThreadScope(const CCrashDumpThreadScope&) = delete;
    CCrashDumpThreadScope& operator=(const CCrashDumpThreadScope&) = delete;

private:
    void* stack_ = nullptr;
};
