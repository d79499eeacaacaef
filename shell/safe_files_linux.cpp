#include "shell/safe_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files_policy.h"
#include "shell/text_convert.h"

namespace safefiles {

std::wstring ComparablePath(const std::wstring& path) { return WithoutTrailingSeparators(path); }
bool CanBeLinkFreeRoot(const std::wstring& folder) { return !folder.empty() && folder.front() == L'/'; }
bool IsPathSeparator(wchar_t c) { return c == L'/'; }
size_t ShortestRootLength() { return 1; }
bool IsRootWithoutSeparator(std::wstring_view folder) { return folder.empty(); }
uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }
bool IsProcessRunning(uint32_t processId) {
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;  // EPERM: it runs as another user
}

}  // namespace safefiles

namespace {

using namespace safefiles;

constexpr char kFolderTag[] = "EnsureFolder";

// Owns one descriptor.
class CFd {
public:
    CFd() = default;
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() { Reset(); }
    CFd(CFd&& other) noexcept : fd_(other.Release()) {}
    CFd& operator=(CFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.Release();
        }
        return *this;
    }
    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset() {
        if (fd_ >= 0) {
            const int saved = errno;
            close(fd_);
            errno = saved;
        }
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// The components of `relative`; nothing when one of them climbs out.
std::optional<std::vector<std::string>> Components(std::string_view relative) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string_view::npos) end = relative.size();
        const std::string_view part = relative.substr(start, end - start);
        if (part == "..") return std::nullopt;
        if (!part.empty() && part != ".") parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

bool IsLinkAt(int folder, const char* name) {
    struct stat info {};
    return fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// Creates a folder tree the ordinary way, following links: used for a root
// and for paths the program does not own.
bool CreatePlainTree(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CreatePlainTree(path.substr(0, slash))) return false;
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

// One step down from `folder` into `name`, which must be a real folder.
// With create, a missing folder is made and a link in its place is removed
// first; without it, a link fails with ELOOP.
CFd OpenChildFolder(int folder, const std::string& name, bool create, const std::string& pathForLog) {
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        const int fd = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) return CFd(fd);
        const int error = errno;
        if (!create) return {};
        if (error == ENOENT) {
            if (mkdirat(folder, name.c_str(), 0777) != 0 && errno != EEXIST) return {};
            continue;
        }
        if ((error == ELOOP || error == ENOTDIR) && IsLinkAt(folder, name.c_str())) {
            if (unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT) return {};
            CCTLog::Instance().Log(LogLevel::Error, kFolderTag, L"removed a link planted where a folder belongs: %ls",
                                   Utf8ToWide(pathForLog).c_str());
            continue;
        }
        errno = error;
        return {};
    }
    errno = ELOOP;
    return {};
}

// An open folder, and whether it lies below a link-free root (so that what
// is opened in it must not be a link either).
struct COpenFolder {
    CFd fd;
    bool guarded = false;
    bool IsOpen() const { return fd.IsOpen(); }
    int Get() const { return fd.Get(); }
};

// The folder as a descriptor; below a link-free root every step is checked.
COpenFolder OpenFolder(const std::wstring& rawPath, bool create) {
    const std::wstring widePath = WithoutTrailingSeparators(rawPath);
    const std::string path = WideToUtf8(widePath);
    const std::optional<std::wstring> wideRoot = LinkFreeRootOf(widePath);
    if (!wideRoot) {
        if (create && !CreatePlainTree(path)) return {};
        return {CFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), false};
    }
    const std::string root = WideToUtf8(*wideRoot);
    if (create && !CreatePlainTree(root)) return {};
    CFd folder(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) return {};
    const auto parts = Components(std::string_view(path).substr(root.size()));
    if (!parts) {
        errno = EINVAL;
        return {};
    }
    std::string walked = root;
    for (const std::string& part : *parts) {
        walked += '/';
        walked += part;
        CFd child = OpenChildFolder(folder.Get(), part, create, walked);
        if (!child.IsOpen()) return {};
        folder = std::move(child);
    }
    return {std::move(folder), true};
}

// The folder and name of a path, in the system's bytes; nothing (EINVAL)
// for a path that names no file.
struct NativeSplit {
    std::wstring folder;
    std::string name;
};
std::optional<NativeSplit> SplitOrFail(const std::wstring& path) {
    std::optional<SplitPath> split = Split(path);
    if (!split) {
        errno = EINVAL;
        return std::nullopt;
    }
    return NativeSplit{std::move(split->folder), WideToUtf8(split->name)};
}

// The file `name` in `folder`, opened with `flags`; never through a link
// when the folder lies below a link-free root.
int OpenInFolder(int folder, const std::string& name, int flags, bool guarded, mode_t mode = 0644) {
    return openat(folder, name.c_str(), flags | O_CLOEXEC | (guarded ? O_NOFOLLOW : 0), mode);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void RemoveStaleTemporariesIn(int folder, const std::string& name) {
    const int listing = dup(folder);
    if (listing < 0) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(listing), &closedir);
    if (!dir) {
        close(listing);
        return;
    }
    const std::wstring prefix = TemporaryPrefix(Utf8ToWide(name));
    const std::string narrowPrefix = WideToUtf8(prefix);
    const int64_t now = time(nullptr);
    std::vector<std::string> stale;
    while (const dirent* item = readdir(dir.get())) {
        if (std::strncmp(item->d_name, narrowPrefix.c_str(), narrowPrefix.size()) != 0) continue;
        // The change time, not the modification time: a writer may date the
        // new file back (a pack gets its archive time) while it still writes.
        struct stat info {};
        if (fstatat(folder, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (IsStaleTemporary(Utf8ToWide(item->d_name), prefix, info.st_ctime, now)) stale.emplace_back(item->d_name);
    }
    for (const std::string& entry : stale) unlinkat(folder, entry.c_str(), 0);
}

bool ReplaceIn(int folder, const std::string& name, std::string_view bytes, const ReplaceFileOptions& options) {
    std::string temporary;
    CFd file;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file.IsOpen(); ++attempt) {
        temporary = WideToUtf8(NewTemporaryName(Utf8ToWide(name)));
        file = CFd(openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!file.IsOpen() && errno != EEXIST) return false;
    }
    if (!file.IsOpen()) return false;
    // On disk before the rename, so that a power cut cannot leave the name
    // on an empty file.
    const bool written = WriteAll(file.Get(), bytes) && fsync(file.Get()) == 0;
    if (written && renameat(folder, temporary.c_str(), folder, name.c_str()) == 0) {
        // Dated only under its own name: a temporary file always carries the
        // time it was written.
        if (options.modified) {
            const timespec times[2] = {{0, UTIME_OMIT}, {*options.modified, 0}};
            futimens(file.Get(), times);  // a file without its time is still the right file
        }
        return true;
    }
    const int error = errno;
    unlinkat(folder, temporary.c_str(), 0);
    errno = error;
    return false;
}

// True when `name` in `folder` is a regular file holding exactly `bytes`.
bool HoldsExactly(int folder, const std::string& name, std::string_view bytes, bool guarded) {
    const CFd file(OpenInFolder(folder, name, O_RDONLY | O_NONBLOCK, guarded));
    struct stat info {};
    if (!file.IsOpen() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (static_cast<uint64_t>(info.st_size) != bytes.size()) return false;
    std::string buffer(64 * 1024, '\0');
    size_t compared = 0;
    while (true) {
        const ssize_t got = read(file.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return compared == bytes.size();
        if (compared + static_cast<size_t>(got) > bytes.size()) return false;
        if (bytes.compare(compared, static_cast<size_t>(got), buffer.data(), static_cast<size_t>(got)) != 0) {
            return false;
        }
        compared += static_cast<size_t>(got);
    }
}

}  // namespace

bool EnsureFolder(const std::wstring& folder) { return OpenFolder(folder, true).IsOpen(); }

bool IsUsableDataFolder(const std::wstring& folder) {
    struct stat info {};
    return stat(WideToUtf8(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FileReadResult ReadFileBounded(const std::wstring& path, size_t maxBytes) {
    FileReadResult result;
    const auto split = SplitOrFail(path);
    if (!split) {
        result.status = FileReadStatus::Unreadable;
        result.error = errno;
        return result;
    }
    const bool guarded = IsBelowLinkFreeRoot(path);
    // O_NONBLOCK: opening a pipe must not wait for a writer. Outside the
    // program's own folders no component is checked, so the file opens in
    // one call: the system's files (sysfs attributes by the hundred) cost
    // two system calls less each.
    CFd file;
    if (guarded) {
        const COpenFolder folder = OpenFolder(split->folder, false);
        if (folder.IsOpen()) file = CFd(OpenInFolder(folder.Get(), split->name, O_RDONLY | O_NONBLOCK, true));
    } else {
        file = CFd(open(WideToUtf8(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    }
    if (!file.IsOpen()) {
        result.error = errno;
        if (result.error == ENOENT || (!guarded && result.error == ENOTDIR)) {
            result.status = FileReadStatus::Missing;
        } else if (result.error == ELOOP || (guarded && result.error == ENOTDIR)) {
            result.status = FileReadStatus::NotRegular;
            result.isLink = result.error == ELOOP;
        } else {
            result.status = FileReadStatus::Unreadable;
        }
        return result;
    }
    struct stat info {};
    if (fstat(file.Get(), &info) != 0) {
        result.status = FileReadStatus::Unreadable;
        result.error = errno;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = FileReadStatus::NotRegular;
        return result;
    }
    // A second name of someone else's file below a root is a link as well:
    // its content must not pass for the program's own.
    if (guarded && info.st_nlink > 1) {
        result.status = FileReadStatus::NotRegular;
        result.isLink = true;
        return result;
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    return ReadToEnd(
        [&file](char* buffer, size_t size) -> int64_t {
            ssize_t got = 0;
            while ((got = read(file.Get(), buffer, size)) < 0 && errno == EINTR) {
            }
            return got;
        },
        maxBytes);
}

bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ReplaceFileOptions& options) {
    const auto split = SplitOrFail(path);
    if (!split) return false;
    const COpenFolder folder = OpenFolder(split->folder, false);
    return folder.IsOpen() && ReplaceIn(folder.Get(), split->name, bytes, options);
}

ReplaceOutcome ReplaceFileIfDifferent(const std::wstring& path, std::string_view bytes,
                                      const ReplaceFileOptions& options) {
    const auto split = SplitOrFail(path);
    if (!split) return ReplaceOutcome::Failed;
    const COpenFolder folder = OpenFolder(split->folder, false);
    if (!folder.IsOpen()) return ReplaceOutcome::Failed;
    RemoveStaleTemporariesIn(folder.Get(), split->name);
    if (HoldsExactly(folder.Get(), split->name, bytes, folder.guarded)) return ReplaceOutcome::Unchanged;
    return ReplaceIn(folder.Get(), split->name, bytes, options) ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed;
}

void RemoveStaleTemporaryFiles(const std::wstring& path) {
    const auto split = SplitOrFail(path);
    if (!split) return;
    const COpenFolder folder = OpenFolder(split->folder, false);
    if (folder.IsOpen()) RemoveStaleTemporariesIn(folder.Get(), split->name);
}

bool RemoveRegularFile(const std::wstring& folderPath, const std::wstring& name) {
    if (name.empty() || name.find(L'/') != std::wstring::npos || name == L"." || name == L"..") return false;
    const COpenFolder folder = OpenFolder(folderPath, false);
    if (!folder.IsOpen()) return false;
    const std::string native = WideToUtf8(name);
    struct stat info {};
    if (fstatat(folder.Get(), native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_nlink != 1) {
        return false;
    }
    return unlinkat(folder.Get(), native.c_str(), 0) == 0;
}

CFileLock::CFileLock(const std::wstring& lockFilePath) {
    const auto split = SplitOrFail(lockFilePath);
    if (!split) return;
    const COpenFolder folder = OpenFolder(split->folder, false);
    if (!folder.IsOpen()) return;
    const bool guarded = folder.guarded;
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        CFd file(OpenInFolder(folder.Get(), split->name, O_RDWR | O_CREAT | O_NONBLOCK, guarded));
        if (!file.IsOpen()) {
            if (errno != ELOOP || unlinkat(folder.Get(), split->name.c_str(), 0) != 0) return;
            continue;
        }
        struct stat info {};
        if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
        if (guarded && info.st_nlink > 1) {
            // A second name of another file: the lock is taken on one of ours.
            if (unlinkat(folder.Get(), split->name.c_str(), 0) != 0) return;
            continue;
        }
        int locked = -1;
        while ((locked = flock(file.Get(), LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) return;
        handle_ = file.Release();
        return;
    }
}

CFileLock::~CFileLock() {
    if (handle_ >= 0) close(static_cast<int>(handle_));  // closing releases the lock
}

bool CAppendFile::Open(const std::wstring& path) {
    Close();
    plantedLink_ = PlantedLink::None;
    const auto split = SplitOrFail(path);
    if (!split) return false;
    const COpenFolder folder = OpenFolder(split->folder, false);
    if (!folder.IsOpen()) return false;
    const bool guarded = folder.guarded;
    for (int attempt = 0; attempt < kLinkRetries; ++attempt) {
        CFd file(OpenInFolder(folder.Get(), split->name, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK, guarded));
        if (!file.IsOpen()) {
            // A link where the file belongs: replaced by a file of our own.
            if (errno != ELOOP || !IsLinkAt(folder.Get(), split->name.c_str()) ||
                unlinkat(folder.Get(), split->name.c_str(), 0) != 0) {
                return false;
            }
            plantedLink_ = PlantedLink::Replaced;
            continue;
        }
        struct stat info {};
        if (fstat(file.Get(), &info) != 0) return false;
        if (!S_ISREG(info.st_mode)) {
            errno = EINVAL;
            return false;
        }
        if (guarded && info.st_nlink > 1) {
            // A second name of another file: our name goes, the file stays,
            // and a file of our own takes the name.
            if (unlinkat(folder.Get(), split->name.c_str(), 0) != 0) return false;
            plantedLink_ = PlantedLink::Replaced;
            continue;
        }
        handle_ = file.Release();
        return true;
    }
    return false;
}

bool CAppendFile::Write(std::string_view bytes) {
    return handle_ >= 0 && WriteAll(static_cast<int>(handle_), bytes);
}

void CAppendFile::Close() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
    handle_ = -1;
}
