#include "shell/platform.h"

#include <fcntl.h>
#include <limits.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <system_error>

#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "shell/wide_format.h"

std::filesystem::path ToFsPath(const std::wstring& path) {
    return std::filesystem::path(WideToUtf8(path));
}

std::wstring FromFsPath(const std::filesystem::path& path) { return Utf8ToWide(path.native()); }

namespace {

std::string Native(const std::wstring& path) { return WideToUtf8(path); }

// A real folder (no link) of the current user that nobody else may enter.
bool IsPrivateFolderOfCurrentUser(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

std::wstring TempFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
        if (IsPrivateFolderOfCurrentUser(runtime)) return JoinPath(Utf8ToWide(runtime), L"");
    }
    const std::string folder = "/tmp/kalofitprobe-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    // An existing entry must be our own real folder, not a link or another
    // user's folder; our own folder is tightened to 0700 if it was loosened.
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return {};
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return {};
    return Utf8ToWide(folder) + L"/";
}

std::wstring ProgramFilePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring{} : FromFsPath(path);
}

std::wstring ProgramFolder() {
    const std::wstring file = ProgramFilePath();
    const size_t slash = file.rfind(L'/');
    return slash == std::wstring::npos ? std::wstring{} : file.substr(0, slash);
}

std::wstring CurrentFolder() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::wstring{} : FromFsPath(path);
}

bool PathExists(const std::wstring& path) {
    struct stat info {};
    return !path.empty() && stat(Native(path).c_str(), &info) == 0;
}

bool QueryFileSize(const std::wstring& path, uint64_t& size) {
    // O_NONBLOCK: a pipe of that name must not hold the caller.
    const int fd = open(Native(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    if (ok) size = static_cast<uint64_t>(info.st_size);
    return ok;
}

bool CreateDirectoryTree(const std::wstring& path, bool openToEveryone) {
    if (path.empty()) return false;
    if (IsBelowLinkFreeRoot(path)) return EnsureFolder(path);
    if (PathExists(path)) return true;
    if (path.front() != L'/') {
        // Relative paths are resolved against the current folder, and the
        // open flag does not carry over to them.
        return CreateDirectoryTree(CurrentFolder() + L"/" + path, false);
    }
    std::wstring trimmed = path;
    if (trimmed.size() > 1 && trimmed.back() == L'/') trimmed.pop_back();
    const size_t slash = trimmed.rfind(L'/');
    if (slash == std::wstring::npos) return false;
    const std::wstring parent = trimmed.substr(0, slash + 1);
    if (!CreateDirectoryTree(parent, false)) return false;
    // openToEveryone: see the header; ordinary permissions on Linux.
    (void)openToEveryone;
    if (mkdir(Native(trimmed).c_str(), 0777) == 0) return true;
    const int error = errno;  // kept for the caller's message
    if (PathExists(trimmed)) return true;
    errno = error;
    return false;
}

bool GrantEveryoneFullAccess(const std::wstring& path) { return PathExists(path); }

bool ReadRegistryString(RegistryRoot root, const std::wstring& subKey,
                        const std::wstring& valueName, std::wstring& value, bool) {
    constexpr std::wstring_view kMachineEnvironment =
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const bool isEnvironmentKey = (root == RegistryRoot::CurrentUser && subKey == L"Environment") ||
                                  (root == RegistryRoot::LocalMachine && subKey == kMachineEnvironment);
    if (!isEnvironmentKey || valueName.empty()) return false;
    const char* text = std::getenv(WideToUtf8(valueName).c_str());
    if (text == nullptr) return false;
    const std::wstring wide = Utf8ToWide(text);
    // The registry read allows 520 bytes, the terminating zero included.
    if (wide.size() > 259) return false;
    value = wide;
    return true;
}

namespace {
std::atomic<std::FILE*> debugOutput{stderr};
}  // namespace

void SetDebugOutput(std::FILE* stream) { debugOutput.store(stream, std::memory_order_relaxed); }

void DebugPrintfVarargs(const wchar_t* format, ...) {
    std::FILE* stream = debugOutput.load(std::memory_order_relaxed);
    if (stream == nullptr) return;
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatWideV(format, args);
    va_end(args);
    std::fputs(WideToUtf8(text.substr(0, 255)).c_str(), stream);
}

int LastSystemError() { return errno; }

std::wstring SystemErrorText(int error) {
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which may not be the buffer.
    return Utf8ToWide(strerror_r(error, buffer, sizeof buffer));
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

void ToLocalTime(std::time_t time, std::tm& local) { localtime_r(&time, &local); }

void ReturnFreedLargeBlocks() { mallopt(M_MMAP_THRESHOLD, 256 * 1024); }
