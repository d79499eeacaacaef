#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <mutex>
#include <vector>

#include "shell/file_time_win.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/safe_files_policy.h"
#include "shell/safe_files_win.h"
#include "shell/scoped_handle_win.h"
#include "shell/text_util.h"

// Below a link-free root no junction, symbolic link or other reparse point is
// followed: each step is looked at before it is used and a reparse point
// where the program's own entry belongs is removed (the link itself, never
// what it points to) and replaced.
namespace safefiles {

// Folder names compare without regard to case and separator style.
std::wstring ComparablePath(const std::wstring& path) {
    std::wstring result;
    result.reserve(path.size());
    for (const wchar_t c : path) result.push_back(IsSlashOrBackslash(c) ? L'\\' : static_cast<wchar_t>(std::towlower(c)));
    return WithoutTrailingSeparators(std::move(result));
}
bool CanBeLinkFreeRoot(const std::wstring& folder) { return folder.size() >= 2 && folder[1] == L':'; }
bool IsPathSeparator(wchar_t c) { return IsSlashOrBackslash(c); }
size_t ShortestRootLength() { return 3; }
bool IsRootWithoutSeparator(std::wstring_view folder) {
    return folder.empty() || (folder.size() == 2 && folder[1] == L':');
}
uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace safefiles

namespace {

using namespace safefiles;

constexpr char kFolderTag[] = "EnsureFolder";
constexpr char kFileTag[] = "SafeFiles";
// FileRenameInfoEx (Windows 10 version 1607), which the SDK declares only for
// builds aimed at that version.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

// Every other process may read, write, rename and delete while we hold a
// file: an atomic replacement elsewhere must never fail on our handle.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Opens a folder as well as a file, and a reparse point as itself where the
// system can (Wine opens what a Unix link points to, which the final-path
// comparison then tells apart).
constexpr DWORD kAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

bool IsReparsePoint(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
bool IsMissingError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

CKernelHandle OpenAsItself(const std::wstring& path, DWORD access, DWORD disposition = OPEN_EXISTING) {
    return CKernelHandle(
        CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | kAsItself, nullptr));
}

struct HandleFacts {
    DWORD attributes = 0;
    DWORD links = 0;
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
std::optional<HandleFacts> FactsOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return HandleFacts{info.dwFileAttributes, info.nNumberOfLinks};
}

std::wstring FinalPathString(HANDLE handle) {
    std::vector<wchar_t> buffer(32768);
    if (!FinalPathOf(handle, buffer.data(), static_cast<DWORD>(buffer.size()))) return {};
    return buffer.data();
}

// The final paths of the link-free roots, found once each: a root's own
// ancestors may be links, so what lies below it is compared with where the
// root really is.
std::mutex& RootFinalsLock() {
    static std::mutex lock;
    return lock;
}
std::vector<std::pair<std::wstring, std::wstring>>& RootFinals() {
    static std::vector<std::pair<std::wstring, std::wstring>> finals;
    return finals;
}
std::wstring RootFinalPath(const std::wstring& root) {
    const std::wstring key = ComparablePath(root);
    std::lock_guard guard(RootFinalsLock());
    for (const auto& [spelling, final] : RootFinals()) {
        if (spelling == key) return final;
    }
    const CKernelHandle folder(CreateFileW(root.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return {};
    std::wstring final = ComparablePath(FinalPathString(folder.Get()));
    if (!final.empty()) RootFinals().emplace_back(key, final);
    return final;
}

bool DeleteThroughHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool SetRenameInfo(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, DWORD flags, HANDLE folder,
                   const std::wstring& name) {
    std::vector<BYTE> storage(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    // The flags share their place with ReplaceIfExists, which is all the
    // declaration shows below Windows 10 version 1607.
    std::memcpy(storage.data(), &flags, sizeof flags);
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    return SetFileInformationByHandle(file, infoClass, info, static_cast<DWORD>(storage.size())) != FALSE;
}

bool IsUnsupportedError(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Renames the open file over `target` through its own handle, which stays
// open. The new name is given relative to a handle on the target's folder,
// checked below a root, so that a folder swapped for a junction after the
// check cannot take the file elsewhere; a system that takes no such handle
// (Wine) gets the full path. POSIX semantics replace a target that readers
// hold open (they keep the old file); a system without them gets the
// classic rename, which such a reader blocks for a moment. Each replaces a
// link at the target, never what it points to.
bool RenameOver(HANDLE file, const SplitPath& target, bool guarded) {
    const auto folder = OpenAsItself(target.folder, FILE_TRAVERSE | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | SYNCHRONIZE);
    if (!folder) return false;
    if (guarded && !HandleIsAt(folder.Get(), target.folder)) {
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return false;
    }
    const std::wstring fullPath = JoinPath(target.folder, target.name);
    for (const HANDLE root : {folder.Get(), HANDLE{nullptr}}) {
        const std::wstring& name = root != nullptr ? target.name : fullPath;
        if (SetRenameInfo(file, kFileRenameInfoEx,
                          FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS, root, name)) {
            return true;
        }
        if (!IsUnsupportedError(GetLastError())) return false;
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (SetRenameInfo(file, FileRenameInfo, TRUE, root, name)) return true;
            const DWORD error = GetLastError();
            if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
            Sleep(5);
        }
        if (!IsUnsupportedError(GetLastError())) return false;
    }
    return false;
}

// A new, empty temporary file of ours beside `path`, checked to lie where it
// was asked for (a folder swapped for a link meanwhile is caught here).
CKernelHandle NewTemporaryBeside(const SplitPath& split, std::wstring& temporary, bool guarded) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = JoinPath(split.folder, NewTemporaryName(split.name));
        // CREATE_NEW never follows a link at the name. DELETE: the handle
        // itself renames the file over the target, and stays open under the
        // new name for a moment, where readers must not be kept out.
        auto file = OpenAsItself(temporary, GENERIC_WRITE | DELETE, CREATE_NEW);
        if (!file) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return {};
        }
        if (guarded && !HandleIsAt(file.Get(), temporary)) {
            DeleteThroughHandle(file.Get());  // ours, wherever it landed
            SetLastError(ERROR_CANT_ACCESS_FILE);
            return {};
        }
        return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return {};
}

// Removes what stands at `path` below a root in place of the program's own
// entry (a link, or a second name of someone else's file) without reaching
// what it points to. With `leaveFile` a new empty file of ours takes the
// name; otherwise the name ends free. False, with nothing touched, when that
// cannot be done safely.
bool ReplacePlantedEntry(const std::wstring& path, bool leaveFile) {
    const auto split = Split(path);
    if (!split) return false;
    {
        // Windows opens a reparse point as itself: its final path is its own
        // and deleting through the handle removes the link alone.
        const auto link = OpenAsItself(path, DELETE | FILE_READ_ATTRIBUTES);
        const auto facts = link ? FactsOf(link.Get()) : std::nullopt;
        if (facts && IsReparsePoint(facts->attributes)) {
            const std::wstring expected = ExpectedFinalPath(path);
            if (!expected.empty() && SamePath(FinalPathString(link.Get()).c_str(), expected.c_str())) {
                if (!DeleteThroughHandle(link.Get())) return false;
                return !leaveFile || ReplacePlantedEntry(path, true);
            }
        }
    }
    // Where the handle reaches the target instead (Wine), or for a second
    // name: a new file of ours is renamed over the name, which replaces the
    // name itself. The system refuses that over a folder, so a link to a
    // folder that cannot be opened as itself stays where it is.
    std::wstring temporary;
    const auto file = NewTemporaryBeside(*split, temporary, true);
    if (!file) return false;
    if (!RenameOver(file.Get(), *split, true) || !HandleIsAt(file.Get(), path)) {
        DeleteThroughHandle(file.Get());
        return false;
    }
    return leaveFile || DeleteThroughHandle(file.Get());
}

bool CreatePlainTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator > 2 && !CreatePlainTree(path.substr(0, separator))) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

enum class FolderLook { Ready, Missing, NotAFolder, Link, Failed };

FolderLook LookAtFolder(const std::wstring& path) {
    const auto folder = OpenAsItself(path, FILE_READ_ATTRIBUTES);
    if (!folder) return IsMissingError(GetLastError()) ? FolderLook::Missing : FolderLook::Failed;
    const auto facts = FactsOf(folder.Get());
    if (!facts) return FolderLook::Failed;
    if (IsReparsePoint(facts->attributes) || !HandleIsAt(folder.Get(), path)) return FolderLook::Link;
    return facts->IsFolder() ? FolderLook::Ready : FolderLook::NotAFolder;
}

// Makes `walked` a real folder of its parent (which is one), replacing a
// planted link when `create`. False with the reason in the last error.
bool PrepareStep(const std::wstring& walked, bool create) {
    bool existsUnseen = false;  // the name is taken but does not open: a dangling link
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        FolderLook look = LookAtFolder(walked);
        if (look == FolderLook::Missing && existsUnseen) look = FolderLook::Link;
        switch (look) {
            case FolderLook::Ready:
                return true;
            case FolderLook::Failed:
                return false;
            case FolderLook::NotAFolder:
                SetLastError(ERROR_DIRECTORY);
                return false;
            case FolderLook::Missing:
                if (!create) {
                    SetLastError(ERROR_PATH_NOT_FOUND);
                    return false;
                }
                if (!CreateDirectoryW(walked.c_str(), nullptr)) {
                    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
                    existsUnseen = true;
                }
                continue;
            case FolderLook::Link:
                if (!create) {
                    SetLastError(ERROR_CANT_ACCESS_FILE);
                    return false;
                }
                existsUnseen = false;
                if (!ReplacePlantedEntry(walked, false)) {
                    CCTLog::Instance().Log(LogLevel::Error, kFolderTag,
                                           L"a link planted where a folder belongs cannot be removed without reaching "
                                           L"its target; left as it is and not used: %ls",
                                           walked.c_str());
                    SetLastError(ERROR_CANT_ACCESS_FILE);
                    return false;
                }
                CCTLog::Instance().Log(LogLevel::Error, kFolderTag, L"removed a link planted where a folder belongs: %ls",
                                       walked.c_str());
                continue;
        }
    }
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
}

// Checks (and with create, makes) every folder from the root down to
// `folder`. Returns whether the folder is usable, and in `guarded` whether
// it lies below a root.
bool PrepareFolder(const std::wstring& rawFolder, bool create, bool& guarded) {
    const std::wstring folder = WithoutTrailingSeparators(rawFolder);
    const std::optional<std::wstring> root = LinkFreeRootOf(folder);
    guarded = root.has_value();
    if (!root) {
        if (create) return CreatePlainTree(folder);
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (create ? !CreatePlainTree(*root) : !PathExists(*root)) return false;
    std::wstring walked = *root;
    size_t start = root->size();
    while (start < folder.size()) {
        while (start < folder.size() && IsPathSeparator(folder[start])) ++start;
        size_t end = start;
        while (end < folder.size() && !IsPathSeparator(folder[end])) ++end;
        const std::wstring part = folder.substr(start, end - start);
        start = end;
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            SetLastError(ERROR_INVALID_NAME);
            return false;
        }
        walked = JoinPath(walked, part);
        if (!PrepareStep(walked, create)) return false;
    }
    return true;
}

std::optional<SplitPath> SplitOrFail(const std::wstring& path) {
    std::optional<SplitPath> split = Split(path);
    if (!split) SetLastError(ERROR_INVALID_NAME);
    return split;
}

}  // namespace

namespace safefiles {

bool IsProcessRunning(uint32_t processId) {
    const auto process = CKernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // access denied: it runs
    DWORD code = 0;
    return GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
}

}  // namespace safefiles

namespace {

void RemoveStaleTemporariesIn(const std::wstring& folder, const std::wstring& name, bool guarded) {
    const std::wstring prefix = TemporaryPrefix(name);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    WIN32_FIND_DATAW found{};
    const CFindHandle find(FindFirstFileW(JoinPath(folder, prefix + L"*").c_str(), &found));
    if (!find) return;
    std::vector<std::wstring> candidates;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
            TemporaryWriterId(found.cFileName, prefix)) {
            candidates.emplace_back(found.cFileName);
        }
    } while (FindNextFileW(find.Get(), &found));
    for (const std::wstring& entry : candidates) {
        const std::wstring path = JoinPath(folder, entry);
        const auto file = OpenAsItself(path, DELETE | FILE_READ_ATTRIBUTES);
        FILE_BASIC_INFO basic{};
        const auto facts = file ? FactsOf(file.Get()) : std::nullopt;
        if (!facts || facts->IsFolder() || !GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic)) {
            continue;
        }
        // The change time, which no writer can set: a writer dates the file
        // it writes only after its rename, but a copy of the file's times
        // must not make a live temporary file look old either.
        FILETIME changed{static_cast<DWORD>(basic.ChangeTime.LowPart), static_cast<DWORD>(basic.ChangeTime.HighPart)};
        if (!IsStaleTemporary(entry, prefix, UnixSecondsOf(changed), UnixSecondsOf(now))) continue;
        if (guarded ? HandleIsAt(file.Get(), path) : !IsReparsePoint(facts->attributes)) DeleteThroughHandle(file.Get());
    }
}

bool ReplaceIn(const SplitPath& split, std::string_view bytes, const ReplaceFileOptions& options, bool guarded) {
    std::wstring temporary;
    const CKernelHandle file = NewTemporaryBeside(split, temporary, guarded);
    if (!file) return false;
    // On disk before the rename, so that a power cut cannot leave the name
    // on an empty file.
    bool done = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) &&
                RenameOver(file.Get(), split, guarded);
    const DWORD error = GetLastError();
    if (done && options.modified) {
        // Dated only under its own name: a temporary file always carries the
        // time it was written, for every sweep that looks at it.
        const FILETIME modified = FileTimeOfUnixSeconds(*options.modified);
        SetFileTime(file.Get(), nullptr, nullptr, &modified);  // a file without its time is still the right file
    }
    if (!done) DeleteThroughHandle(file.Get());
    SetLastError(error);
    return done;
}

}  // namespace

bool EnsureFolder(const std::wstring& folder) {
    bool guarded = false;
    return PrepareFolder(folder, true, guarded);
}

FileReadResult ReadFileBounded(const std::wstring& path, size_t maxBytes) {
    FileReadResult result;
    const auto split = SplitOrFail(path);
    if (!split) {
        result.status = FileReadStatus::Unreadable;
        result.error = static_cast<int>(GetLastError());
        return result;
    }
    bool guarded = false;
    if (!PrepareFolder(split->folder, false, guarded)) {
        const DWORD error = GetLastError();
        result.error = static_cast<int>(error);
        result.status = error == ERROR_CANT_ACCESS_FILE || error == ERROR_DIRECTORY ? FileReadStatus::NotRegular
                                                                                    : FileReadStatus::Missing;
        result.isLink = error == ERROR_CANT_ACCESS_FILE;
        if (!guarded && error == ERROR_DIRECTORY) result.status = FileReadStatus::Missing;
        return result;
    }
    // Below a root the file is opened as itself and must be found where it
    // was asked for; elsewhere links are the user's and are followed. A pipe
    // or device name does not name a disk file and is refused either way.
    const auto file = guarded ? OpenAsItself(path, GENERIC_READ)
                              : CKernelHandle(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        result.error = static_cast<int>(error);
        result.status = IsMissingError(error) ? FileReadStatus::Missing : FileReadStatus::Unreadable;
        return result;
    }
    const auto facts = FactsOf(file.Get());
    if (!facts || facts->IsFolder()) {
        result.status = FileReadStatus::NotRegular;
        return result;
    }
    if (guarded && !HandleIsAt(file.Get(), path)) {
        result.status = FileReadStatus::NotRegular;
        result.isLink = true;
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    return ReadToEnd(
        [&file](char* buffer, size_t size) -> int64_t {
            DWORD got = 0;
            if (!ReadFile(file.Get(), buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
            return got;
        },
        maxBytes);
}

bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ReplaceFileOptions& options) {
    const auto split = SplitOrFail(path);
    bool guarded = false;
    return split && PrepareFolder(split->folder, false, guarded) && ReplaceIn(*split, bytes, options, guarded);
}

ReplaceOutcome ReplaceFileIfDifferent(const std::wstring& path, std::string_view bytes,
                                      const ReplaceFileOptions& options) {
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return ReplaceOutcome::Failed;
    RemoveStaleTemporariesIn(split->folder, split->name, guarded);
    const FileReadResult current = ReadFileBounded(path, bytes.size());
    if (current.ok() && current.bytes == bytes) return ReplaceOutcome::Unchanged;
    return ReplaceIn(*split, bytes, options, guarded) ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed;
}

void RemoveStaleTemporaryFiles(const std::wstring& path) {
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (split && PrepareFolder(split->folder, false, guarded)) RemoveStaleTemporariesIn(split->folder, split->name, guarded);
}

bool RemoveRegularFile(const std::wstring& folder, const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos || name == L"." || name == L"..") {
        return false;
    }
    bool guarded = false;
    if (!PrepareFolder(folder, false, guarded)) return false;
    const std::wstring path = JoinPath(folder, name);
    // Deleted through the handle that was checked, so that what goes is
    // what was looked at: a file with one name, reached through no link.
    const auto file = OpenAsItself(path, DELETE | FILE_READ_ATTRIBUTES);
    const auto facts = file ? FactsOf(file.Get()) : std::nullopt;
    if (!facts || facts->IsFolder() || IsReparsePoint(facts->attributes) || facts->links != 1) return false;
    if (guarded && !HandleIsAt(file.Get(), path)) return false;
    return DeleteThroughHandle(file.Get());
}

namespace {

// Opens or creates the regular file `path` in a prepared folder; below a root
// a link or a second name of another file at the path is replaced by a new
// file of ours first (logged), and what cannot be replaced safely fails.
CKernelHandle OpenOwnFile(const std::wstring& path, DWORD access, bool guarded, CAppendFile::PlantedLink& planted) {
    if (!guarded) {
        auto file = CKernelHandle(
            CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const auto facts = file ? FactsOf(file.Get()) : std::nullopt;
        if (file && (!facts || facts->IsFolder())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return {};
        }
        return file;
    }
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        auto file = OpenAsItself(path, access);
        if (!file && IsMissingError(GetLastError())) {
            // CREATE_NEW, not OPEN_ALWAYS: a dangling link at the name must
            // not create its target.
            file = OpenAsItself(path, access, CREATE_NEW);
            if (!file && GetLastError() == ERROR_FILE_EXISTS) file = OpenAsItself(path, access);  // made meanwhile
        }
        const DWORD openError = GetLastError();
        const auto facts = file ? FactsOf(file.Get()) : std::nullopt;
        if (file && facts && !IsReparsePoint(facts->attributes) && facts->IsFolder()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return {};
        }
        if (file && facts && HandleIsAt(file.Get(), path)) return file;
        if (!file && !IsMissingError(openError)) {
            SetLastError(openError);
            return {};
        }
        file.Reset();
        if (!ReplacePlantedEntry(path, true)) {
            planted = CAppendFile::PlantedLink::Refused;
            SetLastError(ERROR_CANT_ACCESS_FILE);
            return {};
        }
        planted = CAppendFile::PlantedLink::Replaced;
    }
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return {};
}

void LogPlantedLink(CAppendFile::PlantedLink planted, const std::wstring& path) {
    if (planted == CAppendFile::PlantedLink::None) return;
    CCTLog::Instance().Log(LogLevel::Error, kFileTag, PlantedLinkLine(planted), path.c_str());
}

// Appends from several processes may overwrite each other where the system
// does not make them atomic (Wine); a lock on one byte far past any content
// orders the writers without keeping a reader from the file.
constexpr DWORD kAppendLockOffsetHigh = 0x7FFFFFFF;

}  // namespace

CFileLock::CFileLock(const std::wstring& lockFilePath) {
    const auto split = SplitOrFail(lockFilePath);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return;
    auto planted = CAppendFile::PlantedLink::None;
    auto file = OpenOwnFile(lockFilePath, GENERIC_READ | GENERIC_WRITE, guarded, planted);
    LogPlantedLink(planted, lockFilePath);
    if (!file) return;
    // Locks belong to a handle, so two threads of one process exclude each
    // other as two processes do.
    OVERLAPPED whole{};
    if (!LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) return;
    handle_ = reinterpret_cast<intptr_t>(file.Release());
}

CFileLock::~CFileLock() {
    if (handle_ >= 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));  // closing releases the lock
}

bool CAppendFile::Open(const std::wstring& path) {
    Close();
    plantedLink_ = PlantedLink::None;
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return false;
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end,
    // decided by the system at the moment of the write. FILE_READ_DATA only
    // lets the handle take the append lock.
    auto file = OpenOwnFile(path, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE, guarded, plantedLink_);
    if (!file) return false;
    handle_ = reinterpret_cast<intptr_t>(file.Release());
    return true;
}

bool CAppendFile::Write(std::string_view bytes) {
    if (handle_ < 0) return false;
    if (bytes.size() > MAXDWORD) return false;
    const auto file = reinterpret_cast<HANDLE>(handle_);
    OVERLAPPED lockPlace{};
    lockPlace.OffsetHigh = kAppendLockOffsetHigh;
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockPlace) != FALSE;
    // One WriteFile for the whole line, so lines of other writers never
    // come between its parts.
    DWORD written = 0;
    const bool done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                      written == bytes.size();
    if (locked) UnlockFileEx(file, 0, 1, 0, &lockPlace);
    return done;
}

void CAppendFile::Close() {
    if (handle_ >= 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

bool IsUsableDataFolder(const std::wstring& folder) {
    const auto handle = OpenAsItself(WithoutTrailingSeparators(folder), FILE_READ_ATTRIBUTES);
    return handle && IsPlainFolderHandle(handle.Get(), WithoutTrailingSeparators(folder));
}

std::wstring ExpectedFinalPath(const std::wstring& path) {
    const std::optional<std::wstring> root = LinkFreeRootOf(path);
    if (!root) return {};
    std::wstring expected = RootFinalPath(*root);
    if (expected.empty()) return {};
    size_t start = root->size();
    while (start < path.size()) {
        while (start < path.size() && IsPathSeparator(path[start])) ++start;
        size_t end = start;
        while (end < path.size() && !IsPathSeparator(path[end])) ++end;
        const std::wstring part = path.substr(start, end - start);
        start = end;
        if (part.empty() || part == L".") continue;
        if (part == L"..") return {};
        expected += L'\\';
        expected += part;
    }
    return ComparablePath(expected);
}

bool FinalPathOf(HANDLE handle, wchar_t* buffer, DWORD size) {
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= size) return false;
    static constexpr wchar_t kUnc[] = L"\\\\?\\UNC\\";
    static constexpr wchar_t kLocal[] = L"\\\\?\\";
    if (std::wcsncmp(buffer, kUnc, 8) == 0) {
        // "\\?\UNC\server\share" is "\\server\share".
        std::wmemmove(buffer + 2, buffer + 8, length - 8 + 1);
    } else if (std::wcsncmp(buffer, kLocal, 4) == 0) {
        std::wmemmove(buffer, buffer + 4, length - 4 + 1);
    }
    return true;
}

bool SamePath(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const bool endA = *a == L'\0' || (IsSlashOrBackslash(*a) && a[1] == L'\0');
        const bool endB = *b == L'\0' || (IsSlashOrBackslash(*b) && b[1] == L'\0');
        if (endA || endB) return endA && endB;
        if (IsSlashOrBackslash(*a) && IsSlashOrBackslash(*b)) continue;
        if (std::towlower(*a) != std::towlower(*b)) return false;
    }
}

bool HandleIsAt(HANDLE handle, const std::wstring& path) {
    const auto facts = FactsOf(handle);
    if (!facts || IsReparsePoint(facts->attributes) || (!facts->IsFolder() && facts->links != 1)) return false;
    const std::wstring expected = ExpectedFinalPath(path);
    return !expected.empty() && SamePath(FinalPathString(handle).c_str(), expected.c_str());
}

bool IsPlainFolderHandle(HANDLE folder, const std::wstring& path) {
    const auto facts = FactsOf(folder);
    const auto split = Split(WithoutTrailingSeparators(path));
    if (!facts || !facts->IsFolder() || IsReparsePoint(facts->attributes) || !split) return false;
    // The parent as it really is (its own ancestors may be links, the
    // machine's business); the folder must be its child of that name.
    const CKernelHandle parent(CreateFileW(split->folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!parent) return false;
    const std::wstring expected = JoinPath(FinalPathString(parent.Get()), split->name);
    return SamePath(FinalPathString(folder).c_str(), expected.c_str());
}
