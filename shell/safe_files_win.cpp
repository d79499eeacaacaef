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
// FileRenameInfoEx (Windows 10 version 1607), which the SDK declares only for
// builds aimed at that version.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

bool IsReparsePoint(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes the link itself: a link to a folder goes with RemoveDirectory, a
// link to a file with DeleteFile; neither touches the target.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(path.c_str()) != FALSE
                                                        : DeleteFileW(path.c_str()) != FALSE;
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
        bool ready = false;
        for (int attempt = 0; attempt < kLinkRetries && !ready; ++attempt) {
            const DWORD attributes = GetFileAttributesW(walked.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) {
                if (!create) return false;
                if (!CreateDirectoryW(walked.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
                continue;
            }
            if (IsReparsePoint(attributes)) {
                if (!create) {
                    SetLastError(ERROR_CANT_ACCESS_FILE);
                    return false;
                }
                if (!RemoveLink(walked, attributes)) return false;
                CCTLog::Instance().Log(LogLevel::Error, kFolderTag, L"removed a link planted where a folder belongs: %ls",
                                       walked.c_str());
                continue;
            }
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                SetLastError(ERROR_DIRECTORY);
                return false;
            }
            ready = true;
        }
        if (!ready) return false;
    }
    return true;
}

std::optional<SplitPath> SplitOrFail(const std::wstring& path) {
    std::optional<SplitPath> split = Split(path);
    if (!split) SetLastError(ERROR_INVALID_NAME);
    return split;
}

// Every other process may read, write, rename and delete while we hold a
// file: an atomic replacement elsewhere must never fail on our handle.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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



void RemoveStaleTemporariesIn(const std::wstring& folder, const std::wstring& name) {
    const std::wstring prefix = TemporaryPrefix(name);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    WIN32_FIND_DATAW found{};
    const CFindHandle find(FindFirstFileW(JoinPath(folder, prefix + L"*").c_str(), &found));
    if (!find) return;
    std::vector<std::wstring> stale;
    do {
        // The creation time, not the modification time: a writer may date
        // the new file back while it is still writing.
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
            IsStaleTemporary(found.cFileName, prefix, UnixSecondsOf(found.ftCreationTime), UnixSecondsOf(now))) {
            stale.emplace_back(found.cFileName);
        }
    } while (FindNextFileW(find.Get(), &found));
    for (const std::wstring& entry : stale) DeleteFileW(JoinPath(folder, entry).c_str());
}


// Renames the open temporary file over the target. POSIX semantics replace a
// target that readers hold open (they keep the old file); a system without
// them gets the classic rename, which such a reader blocks for a moment.
bool RenameOver(CKernelHandle& file, const std::wstring& temporary, const std::wstring& target) {
    std::vector<BYTE> storage(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    // The flags share their place with ReplaceIfExists, which is all the
    // declaration shows below Windows 10 version 1607.
    const DWORD flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    std::memcpy(storage.data(), &flags, sizeof flags);
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), info->FileName);
    if (SetFileInformationByHandle(file.Get(), kFileRenameInfoEx, info, static_cast<DWORD>(storage.size()))) {
        return true;
    }
    const DWORD posixError = GetLastError();
    if (posixError != ERROR_INVALID_PARAMETER && posixError != ERROR_NOT_SUPPORTED &&
        posixError != ERROR_INVALID_FUNCTION && posixError != ERROR_CALL_NOT_IMPLEMENTED) {
        SetLastError(posixError);
        return false;
    }
    // MOVEFILE_REPLACE_EXISTING replaces a link at the target, not what it
    // points to. The file is closed first, so that nothing of ours holds it.
    file.Reset();
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
        Sleep(5);
    }
    return false;
}

bool ReplaceIn(const std::wstring& folder, const std::wstring& name, std::string_view bytes,
               const ReplaceFileOptions& options) {
    std::wstring temporary;
    CKernelHandle file;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file; ++attempt) {
        temporary = JoinPath(folder, NewTemporaryName(name));
        // DELETE: the handle itself renames the file over the target.
        file = CKernelHandle(CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (!file) return false;
    bool done = WriteAll(file.Get(), bytes);
    if (done && options.modified) {
        const FILETIME modified = FileTimeOfUnixSeconds(*options.modified);
        SetFileTime(file.Get(), nullptr, nullptr, &modified);  // a file without its time is still the right file
    }
    // On disk before the rename, so that a power cut cannot leave the name
    // on an empty file.
    done = done && FlushFileBuffers(file.Get()) && RenameOver(file, temporary, JoinPath(folder, name));
    const DWORD error = GetLastError();
    file.Reset();
    if (!done) DeleteFileW(temporary.c_str());
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
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        result.error = static_cast<int>(error);
        result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileReadStatus::Missing
                                                                                       : FileReadStatus::Unreadable;
        return result;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || (guarded && IsReparsePoint(attributes))) {
        result.status = FileReadStatus::NotRegular;
        result.isLink = guarded && IsReparsePoint(attributes);
        return result;
    }
    // A link below a root is opened as itself and refused above; a pipe or
    // device name does not name a disk file and is refused below.
    const auto file = CKernelHandle(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | (guarded ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                                        nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        result.error = static_cast<int>(error);
        result.status = error == ERROR_FILE_NOT_FOUND ? FileReadStatus::Missing : FileReadStatus::Unreadable;
        return result;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        (guarded && IsReparsePoint(info.dwFileAttributes))) {
        result.status = FileReadStatus::NotRegular;
        return result;
    }
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
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
    return split && PrepareFolder(split->folder, false, guarded) && ReplaceIn(split->folder, split->name, bytes, options);
}

ReplaceOutcome ReplaceFileIfDifferent(const std::wstring& path, std::string_view bytes,
                                      const ReplaceFileOptions& options) {
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return ReplaceOutcome::Failed;
    RemoveStaleTemporariesIn(split->folder, split->name);
    const FileReadResult current = ReadFileBounded(path, bytes.size());
    if (current.ok() && current.bytes == bytes) return ReplaceOutcome::Unchanged;
    return ReplaceIn(split->folder, split->name, bytes, options) ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed;
}

void RemoveStaleTemporaryFiles(const std::wstring& path) {
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (split && PrepareFolder(split->folder, false, guarded)) RemoveStaleTemporariesIn(split->folder, split->name);
}

bool RemoveRegularFile(const std::wstring& folder, const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos || name == L"." || name == L"..") {
        return false;
    }
    bool guarded = false;
    if (!PrepareFolder(folder, false, guarded)) return false;
    const std::wstring path = JoinPath(folder, name);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return false;
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

namespace {

// Opens or creates the regular file `path` in a prepared folder; below a root
// a link in its place is removed first and a new file made.
CKernelHandle OpenOwnFile(const std::wstring& path, DWORD access, bool guarded) {
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        auto file = CKernelHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | (guarded ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr));
        if (!file) return file;
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return {};
        }
        if (!guarded || !IsReparsePoint(info.dwFileAttributes)) return file;
        file.Reset();
        if (!DeleteFileW(path.c_str())) return {};
    }
    return {};
}

}  // namespace

CFileLock::CFileLock(const std::wstring& lockFilePath) {
    const auto split = SplitOrFail(lockFilePath);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return;
    auto file = OpenOwnFile(lockFilePath, GENERIC_READ | GENERIC_WRITE, guarded);
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
    const auto split = SplitOrFail(path);
    bool guarded = false;
    if (!split || !PrepareFolder(split->folder, false, guarded)) return false;
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end,
    // decided by the system at the moment of the write.
    auto file = OpenOwnFile(path, FILE_APPEND_DATA | SYNCHRONIZE, guarded);
    if (!file) return false;
    handle_ = reinterpret_cast<intptr_t>(file.Release());
    return true;
}

bool CAppendFile::Write(std::string_view bytes) {
    if (handle_ < 0) return false;
    if (bytes.size() > MAXDWORD) return false;
    // One WriteFile for the whole line, so lines of other writers never
    // come between its parts.
    DWORD written = 0;
    return WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

void CAppendFile::Close() {
    if (handle_ >= 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}
