#pragma once
// What the two platform halves of the safe-file layer (safe_files_linux.cpp,
// safe_files_win.cpp) share: the link-free roots, how a path splits into
// folder and name, the temporary files' names and when one is stale, and the
// bounded read loop. Defined once in safe_files.cpp; the halves add only the
// system calls. Nothing outside the layer includes it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/safe_files.h"

namespace safefiles {

// A link found where the program's own entry belongs is replaced this many
// times before the operation gives up (another process may keep planting).
inline constexpr int kLinkRetries = 3;
// Names tried for a new temporary file before the write gives up.
inline constexpr int kTemporaryNameAttempts = 8;
// A temporary file this much older than its folder's clock is stale whoever
// wrote it.
inline constexpr int64_t kStaleTemporaryAge = 60 * 60;
// The largest process id a temporary file's name may carry: the positive
// range of a 32-bit id, which holds every process id of either system.
inline constexpr uint64_t kMaxWriterId = 0x7FFFFFFF;

// --- Given by the platform half ---------------------------------------------

// The form in which two spellings of one folder compare equal: as it is on
// Linux; lower case with backslashes on Windows. No trailing separators.
std::wstring ComparablePath(const std::wstring& path);
// Whether a folder may become a link-free root: an absolute path on Linux,
// a drive path on Windows.
bool CanBeLinkFreeRoot(const std::wstring& folder);
// '/' on Linux; '\' and '/' on Windows.
bool IsPathSeparator(wchar_t c);
// The length of the shortest root with its separator: 1 for "/", 3 for "C:\".
size_t ShortestRootLength();
// Whether a folder spelled without its last separator is a root: "" on
// Linux, "" or a drive ("C:") on Windows.
bool IsRootWithoutSeparator(std::wstring_view folder);
uint32_t CurrentProcessId();
bool IsProcessRunning(uint32_t processId);

// --- Shared -----------------------------------------------------------------

// The path without separators at its end, a root keeping its own.
std::wstring WithoutTrailingSeparators(std::wstring path);

// The longest link-free root that `path` lies below (or is), as it was given;
// nothing when it lies below none.
std::optional<std::wstring> LinkFreeRootOf(const std::wstring& path);

struct SplitPath {
    std::wstring folder;  // "." for a bare name; a root keeps its separator
    std::wstring name;
};
// Nothing for an empty path or one that ends with a separator.
std::optional<SplitPath> Split(const std::wstring& path);

// ".<name>.": every temporary file of one target starts so.
std::wstring TemporaryPrefix(const std::wstring& name);
// ".<name>.<process id>.<eight random letters>": the id tells whether its
// writer still runs.
std::wstring NewTemporaryName(const std::wstring& name);
// The writer's process id in a temporary file's name; nothing for a name
// that is not one of the target's temporary files.
std::optional<uint32_t> TemporaryWriterId(std::wstring_view entry, std::wstring_view prefix);
// A temporary file of the target whose writer is gone, or that is older than
// kStaleTemporaryAge by `changed` (a time its writer cannot set back).
bool IsStaleTemporary(std::wstring_view entry, std::wstring_view prefix, int64_t changed, int64_t now);

// One read of at most `size` bytes into `buffer`: the count, 0 at the end,
// negative on failure with the system's error left for LastSystemError.
using ReadChunk = std::function<int64_t(char* buffer, size_t size)>;
// Reads to the end, never holding more than maxBytes: Ok with the bytes,
// TooLarge past maxBytes, Unreadable (with the error) on failure.
FileReadResult ReadToEnd(const ReadChunk& read, size_t maxBytes);

}  // namespace safefiles
