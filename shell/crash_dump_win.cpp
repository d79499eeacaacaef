// The Windows crash-dump handler: the process's unhandled-exception filter,
// writing a minidump with DbgHelp.
//
// The filter runs on the faulting thread, which may have overflowed its
// stack or hold the heap's lock, so the path is prepared at install time in
// fixed buffers and the dump is written by a fresh thread with a stack of its
// own while the faulting thread waits.

#include <windows.h>
#include <dbghelp.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <cwchar>

#include "shell/crash_dump.h"
#include "shell/crash_dump_text.h"
#include "shell/log.h"
#include "shell/safe_files_win.h"
#include "shell/scoped_handle_win.h"

using namespace crashdump;

namespace {

// Data segments, handle data, unloaded modules, private read-write memory,
// full memory information and thread information.
constexpr MINIDUMP_TYPE kDumpType = static_cast<MINIDUMP_TYPE>(
    MiniDumpWithDataSegs | MiniDumpWithHandleData | MiniDumpWithUnloadedModules |
    MiniDumpWithPrivateReadWriteMemory | MiniDumpWithFullMemoryInfo | MiniDumpWithThreadInfo);
static_assert(kDumpType == 0x1A25);

struct CrashState {
    wchar_t folder[MAX_PATH] = {};  // the crash-dump folder, ending with a separator
    size_t folderLength = 0;
    // Where the system will report a file of that folder to lie when no link
    // stands on the way (the data folder's parent as it really is, then the
    // names below it), ending with a separator.
    wchar_t finalFolder[MAX_PATH] = {};
    size_t finalFolderLength = 0;
    char namePrefix[32] = {};
    CCTLog* log = nullptr;
    std::atomic<int> dumping{0};
};
CrashState g_state;

CivilTime LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// folder + ASCII name into `out`; false when it does not fit.
bool BuildPath(wchar_t (&out)[MAX_PATH], std::string_view name) {
    if (g_state.folderLength + name.size() + 1 > MAX_PATH) return false;
    std::wmemcpy(out, g_state.folder, g_state.folderLength);
    for (size_t i = 0; i < name.size(); ++i) out[g_state.folderLength + i] = static_cast<unsigned char>(name[i]);
    out[g_state.folderLength + name.size()] = L'\0';
    return true;
}

// Whether the open file's final path is the dump folder's expected one
// followed by `name`. Stack buffers only.
bool IsInDumpFolder(HANDLE file, std::string_view name) {
    wchar_t actual[MAX_PATH + 64];
    wchar_t expected[MAX_PATH + 64];
    if (g_state.finalFolderLength == 0 || g_state.finalFolderLength + name.size() + 1 > std::size(expected) ||
        !FinalPathOf(file, actual, static_cast<DWORD>(std::size(actual)))) {
        return false;
    }
    std::wmemcpy(expected, g_state.finalFolder, g_state.finalFolderLength);
    for (size_t i = 0; i < name.size(); ++i) expected[g_state.finalFolderLength + i] = static_cast<unsigned char>(name[i]);
    expected[g_state.finalFolderLength + name.size()] = L'\0';
    return SamePath(actual, expected);
}

bool DeleteThroughHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

bool RenameThroughHandle(HANDLE file, const wchar_t* target) {
    alignas(FILE_RENAME_INFO) BYTE storage[sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(wchar_t)] = {};
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage);
    const size_t length = std::wcslen(target);
    if (length >= MAX_PATH) return false;
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(length * sizeof(wchar_t));
    std::wmemcpy(info->FileName, target, length);
    return SetFileInformationByHandle(file, FileRenameInfo, info, sizeof storage) != FALSE;
}

struct DumpRequest {
    EXCEPTION_POINTERS* exception = nullptr;
    DWORD faultingThread = 0;
    CivilTime time;
    bool fileMade = false;  // false: no folder or no file, so nothing to log
    bool written = false;
    DWORD error = 0;
};

void WriteDump(DumpRequest& request) {
    char nameBuffer[64];
    CFixedText name(nameBuffer, sizeof nameBuffer);
    AppendDumpFileName(name, g_state.namePrefix, request.time);
    char partBuffer[96];
    CFixedText part(partBuffer, sizeof partBuffer);
    part.Add(name.View()).Add(".").AddDecimal(GetCurrentProcessId()).Add(".partial");
    wchar_t finalPath[MAX_PATH];
    wchar_t partPath[MAX_PATH];
    if (name.Overflowed() || part.Overflowed() || !BuildPath(finalPath, name.View()) ||
        !BuildPath(partPath, part.View())) {
        return;
    }
    {
        // CREATE_NEW never follows a link at the name; a folder swapped for
        // a link, whenever that was done, shows in the new file's final path,
        // and the process's memory is then not written there.
        const CKernelHandle file(CreateFileW(partPath, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) return;
        request.fileMade = true;
        if (!IsInDumpFolder(file.Get(), part.View())) {
            DeleteThroughHandle(file.Get());
            request.error = ERROR_CANT_ACCESS_FILE;
            return;
        }
        MINIDUMP_EXCEPTION_INFORMATION info{};
        info.ThreadId = request.faultingThread;
        info.ExceptionPointers = request.exception;
        info.ClientPointers = FALSE;  // the record lies in this process's own memory
        request.written = MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), kDumpType,
                                            request.exception != nullptr ? &info : nullptr, nullptr, nullptr) != FALSE;
        request.error = GetLastError();
        request.written = request.written && FlushFileBuffers(file.Get()) != FALSE;
        // Only a finished dump takes the name, replacing an earlier one of
        // the same minute whole; renamed and, when unfinished, deleted
        // through the checked handle, never by its path again.
        if (request.written && !RenameThroughHandle(file.Get(), finalPath)) {
            request.written = false;
            request.error = GetLastError();
        }
        if (!request.written) DeleteThroughHandle(file.Get());
    }
}

DWORD WINAPI DumpThread(void* parameter) {
    WriteDump(*static_cast<DumpRequest*>(parameter));
    return 0;
}

void LogOutcome(const DumpRequest& request) {
    char line[256];
    CFixedText text(line, sizeof line);
    AppendCrashLogLine(text, LocalNow(), request.faultingThread, request.written ? 1 : 0,
                       static_cast<int>(request.error));
    // Skipped when any thread holds the logger's lock, this one included:
    // waiting could last for ever.
    if (!text.Overflowed() && g_state.log != nullptr) g_state.log->TryWriteLine(text.View());
}

LONG WINAPI VRUnHandledExceptionFilter(EXCEPTION_POINTERS* exception) {
    if (g_state.dumping.exchange(1) != 0) {
        // Another thread is writing the dump; the process ends when it is
        // done. This thread is captured there like the others.
        for (;;) Sleep(INFINITE);
    }
    DumpRequest request;
    request.exception = exception;
    request.faultingThread = GetCurrentThreadId();
    request.time = LocalNow();
    // A stack overflow leaves this thread no room for DbgHelp; a thread of
    // its own has a whole stack. Should none start, the dump is tried here.
    const CKernelHandle writer(CreateThread(nullptr, 0, &DumpThread, &request, 0, nullptr));
    if (writer) {
        WaitForSingleObject(writer.Get(), INFINITE);
    } else {
        WriteDump(request);
    }
    if (request.fileMade) LogOutcome(request);
    return EXCEPTION_CONTINUE_SEARCH;
}

// abort() (and std::terminate through it) ends the process by the C
// runtime's own path, which no exception filter sees: the same dump, without
// exception information, then the runtime's default ending.
void OnAbort(int) {
    VRUnHandledExceptionFilter(nullptr);
    std::signal(SIGABRT, SIG_DFL);
}

}  // namespace

bool InstallCrashDumpHandler(const CrashDumpPlace& place) {
    static bool installed = false;
    if (installed) return true;
    if (place.dataFolder.empty() || place.folderName.empty()) return false;
    const std::wstring folder = place.dataFolder + L"\\" + place.folderName + L"\\";
    if (folder.size() >= MAX_PATH || place.fileNamePrefix.size() >= sizeof g_state.namePrefix) return false;
    std::memcpy(g_state.namePrefix, place.fileNamePrefix.c_str(), place.fileNamePrefix.size() + 1);
    std::wmemcpy(g_state.folder, folder.c_str(), folder.size() + 1);
    g_state.folderLength = folder.size();
    // The data folder's parent is the machine's; the data folder and the
    // dump folder below it must be what they are called.
    const size_t cut = place.dataFolder.find_last_of(L"\\/");
    if (cut != std::wstring::npos) {
        const CKernelHandle parent(CreateFileW(place.dataFolder.substr(0, cut).c_str(), FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        wchar_t parentFinal[MAX_PATH];
        if (parent && FinalPathOf(parent.Get(), parentFinal, MAX_PATH)) {
            const std::wstring expected =
                std::wstring(parentFinal) + place.dataFolder.substr(cut) + L"\\" + place.folderName + L"\\";
            if (expected.size() < MAX_PATH) {
                std::wmemcpy(g_state.finalFolder, expected.c_str(), expected.size() + 1);
                g_state.finalFolderLength = expected.size();
            }
        }
    }
    g_state.log = &CCTLog::Instance();  // made now: its first use takes a lock
    SetUnhandledExceptionFilter(&VRUnHandledExceptionFilter);
    std::signal(SIGABRT, &OnAbort);
    installed = true;
    return true;
}

// The dump is written from a thread of its own, which a stack overflow on
// the crashing thread does not reach.
CCrashDumpThreadScope::CCrashDumpThreadScope() = default;
CCrashDumpThreadScope::~CCrashDumpThreadScope() = default;
