#include "shell/safe_files.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <mutex>
#include <random>
#include <vector>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files_policy.h"
#include "shell/text_util.h"

// The platform halves (safe_files_linux.cpp, safe_files_win.cpp) open, read
// and replace; the policy around their system calls (which folders are
// guarded, how temporary files are named and swept, how far a read goes,
// what a refusal is called and how it is logged) is kept here.
namespace {
constexpr char kReadTag[] = "ReadFileBounded";
}  // namespace

std::wstring DescribeReadFailure(const FileReadResult& result, size_t maxBytes) {
    switch (result.status) {
        case FileReadStatus::Ok: return L"read";
        case FileReadStatus::Missing: return L"not found";
        case FileReadStatus::NotRegular: return L"not a regular file";
        case FileReadStatus::TooLarge: return L"larger than " + std::to_wstring(maxBytes) + L" bytes";
        case FileReadStatus::Unreadable: return SystemErrorText(result.error);
    }
    return L"unreadable";
}

std::optional<std::string> ReadFileOrLog(const std::wstring& path, size_t maxBytes, const char* tag) {
    FileReadResult result = ReadFileBounded(path, maxBytes);
    if (result.ok()) return std::move(result.bytes);
    if (result.status != FileReadStatus::Missing) {
        CCTLog::Instance().Log(LogLevel::Error, tag != nullptr ? tag : kReadTag, L"file refused (%ls): %ls",
                               DescribeReadFailure(result, maxBytes).c_str(), path.c_str());
    }
    return std::nullopt;
}

const wchar_t* PlantedLinkLine(CAppendFile::PlantedLink planted) {
    return planted == CAppendFile::PlantedLink::Replaced
               ? L"replaced a link planted where a file belongs: %ls"
               : L"a link planted where a file belongs cannot be replaced without reaching its target; not used: %ls";
}

namespace safefiles {

namespace {

struct LinkFreeRoot {
    std::wstring spelling;  // as given, without trailing separators
    std::wstring key;       // ComparablePath of it
};

std::mutex& RootsLock() {
    static std::mutex lock;
    return lock;
}
std::vector<LinkFreeRoot>& Roots() {
    static std::vector<LinkFreeRoot> roots;
    return roots;
}

// Letters for temporary names from the system's random source; a source
// that fails still gives a name, which the exclusive creation keeps unique.
std::wstring RandomSuffix() {
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    uint64_t bits = 0;
    try {
        std::random_device device;
        bits = (static_cast<uint64_t>(device()) << 32) | device();
    } catch (const std::exception&) {
        bits = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               reinterpret_cast<uintptr_t>(&bits);
    }
    std::wstring suffix;
    for (int i = 0; i < 8; ++i, bits >>= 8) suffix += kLetters[(bits & 0xFF) % (std::size(kLetters) - 1)];
    return suffix;
}

}  // namespace

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > ShortestRootLength() && IsPathSeparator(path.back())) path.pop_back();
    return path;
}

std::optional<std::wstring> LinkFreeRootOf(const std::wstring& path) {
    const std::wstring key = ComparablePath(path);
    std::lock_guard guard(RootsLock());
    const LinkFreeRoot* best = nullptr;
    for (const LinkFreeRoot& root : Roots()) {
        const bool below = key == root.key ||
                           (key.size() > root.key.size() && key.compare(0, root.key.size(), root.key) == 0 &&
                            (root.key.back() == kPathSeparator || key[root.key.size()] == kPathSeparator));
        if (below && (best == nullptr || root.spelling.size() > best->spelling.size())) best = &root;
    }
    if (best == nullptr) return std::nullopt;
    return best->spelling;
}

std::optional<SplitPath> Split(const std::wstring& path) {
    size_t separator = path.size();
    while (separator > 0 && !IsPathSeparator(path[separator - 1])) --separator;
    if (path.empty() || separator == path.size()) return std::nullopt;
    if (separator == 0) return SplitPath{L".", path};
    // A folder that is a root keeps its separator: "/" and "C:\".
    const std::wstring_view folder = std::wstring_view(path).substr(0, separator - 1);
    return SplitPath{path.substr(0, IsRootWithoutSeparator(folder) ? separator : separator - 1), path.substr(separator)};
}

std::wstring TemporaryPrefix(const std::wstring& name) { return L"." + name + L"."; }

std::wstring NewTemporaryName(const std::wstring& name) {
    return TemporaryPrefix(name) + std::to_wstring(CurrentProcessId()) + L"." + RandomSuffix();
}

std::optional<uint32_t> TemporaryWriterId(std::wstring_view entry, std::wstring_view prefix) {
    if (entry.substr(0, prefix.size()) != prefix) return std::nullopt;
    const std::wstring_view rest = entry.substr(prefix.size());
    const size_t dot = rest.find(L'.');
    if (dot == 0 || dot == std::wstring_view::npos) return std::nullopt;
    uint64_t id = 0;
    for (const wchar_t c : rest.substr(0, dot)) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        id = id * 10 + static_cast<uint64_t>(c - L'0');
        if (id > kMaxWriterId) return std::nullopt;
    }
    if (id == 0) return std::nullopt;  // no process has it
    return static_cast<uint32_t>(id);
}

bool IsStaleTemporary(std::wstring_view entry, std::wstring_view prefix, int64_t changed, int64_t now) {
    const std::optional<uint32_t> writer = TemporaryWriterId(entry, prefix);
    if (!writer) return false;
    // The writer's liveness decides first: a live writer may have dated its
    // file back. The age only catches a later process that reuses the id.
    if (*writer != CurrentProcessId() && !IsProcessRunning(*writer)) return true;
    return now - changed > kStaleTemporaryAge;
}

FileReadResult ReadToEnd(const ReadChunk& read, size_t maxBytes) {
    FileReadResult result;
    std::string bytes;
    char buffer[16384];
    while (true) {
        const int64_t got = read(buffer, sizeof buffer);
        if (got < 0) {
            result.status = FileReadStatus::Unreadable;
            result.error = LastSystemError();
            return result;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<size_t>(got) > maxBytes) {
            result.status = FileReadStatus::TooLarge;
            return result;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    result.status = FileReadStatus::Ok;
    result.bytes = std::move(bytes);
    return result;
}

}  // namespace safefiles

void AddLinkFreeRoot(const std::wstring& folder) {
    std::wstring root = safefiles::WithoutTrailingSeparators(folder);
    if (!safefiles::CanBeLinkFreeRoot(root)) return;
    std::wstring key = safefiles::ComparablePath(root);
    std::lock_guard guard(safefiles::RootsLock());
    std::vector<safefiles::LinkFreeRoot>& roots = safefiles::Roots();
    const auto same = [&](const safefiles::LinkFreeRoot& other) { return other.key == key; };
    if (std::none_of(roots.begin(), roots.end(), same)) roots.push_back({std::move(root), std::move(key)});
}

void ClearLinkFreeRoots() {
    std::lock_guard guard(safefiles::RootsLock());
    safefiles::Roots().clear();
}

bool IsBelowLinkFreeRoot(const std::wstring& path) { return safefiles::LinkFreeRootOf(path).has_value(); }
