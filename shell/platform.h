#pragma once
// Small operating-system services used across the program. Each has one
// implementation per platform (platform_linux.cpp, platform_win.cpp).

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "shell/wide_format.h"

#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

// Paths are wide text everywhere; this turns one into the native form.
std::filesystem::path ToFsPath(const std::wstring& path);
std::wstring FromFsPath(const std::filesystem::path& path);

// Joins a folder and a name, inserting a separator only when needed.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The user's private temporary folder, ending with a separator; empty when no
// safe folder is available. On Linux: $XDG_RUNTIME_DIR when it is a real
// folder owned by the user without group or other permissions, else
// /tmp/kalofitprobe-<uid> made with mode 0700 and checked the same way, since
// a shared folder would let another user plant files that this program trusts.
std::wstring TempFolder();

std::wstring ProgramFilePath();
// Folder holding the program file, without a trailing separator.
std::wstring ProgramFolder();
std::wstring CurrentFolder();

bool PathExists(const std::wstring& path);
// Opens the existing regular file for reading and asks its size.
bool QueryFileSize(const std::wstring& path, uint64_t& size);

// Creates the folder and its missing parents. With openToEveryone the last
// folder is made writable for every user on Windows; on Linux the program's
// data lives in a per-user folder, so folders get ordinary permissions there.
// Below the program's own folders a planted link is replaced by a real
// folder (see shell/safe_files.h).
bool CreateDirectoryTree(const std::wstring& path, bool openToEveryone);
// Gives every user full control of the path (Windows); a no-op that succeeds
// on Linux, where nothing is opened up.
bool GrantEveryoneFullAccess(const std::wstring& path);

enum class RegistryRoot { CurrentUser, LocalMachine };
// Reads a plain string value of at most 259 characters. On Linux the two
// "Environment" keys read the process environment variable of the same name;
// every other key reads as absent.
bool ReadRegistryString(RegistryRoot root, const std::wstring& subKey,
                        const std::wstring& valueName, std::wstring& value,
                        bool use64BitView = false);

// Formats into 256 characters (255 kept) and sends the text to the debugger
// output (standard error on Linux).
void DebugPrintfVarargs(const wchar_t* format, ...);
template <typename... Args>
void DebugPrintf(const wchar_t* format, Args... args) {
    CheckPrintfArguments<Args...>();
    DebugPrintfVarargs(format, args...);
}
// Where DebugPrintf writes on Linux (standard error by default); null drops
// the messages, for a terminal front end whose streams belong to its output.
void SetDebugOutput(std::FILE* stream);

// The calling thread's last system error code (errno, GetLastError) and its
// text, for messages that must say why an operation failed.
int LastSystemError();
std::wstring SystemErrorText(int error);

uint32_t CurrentThreadId();
void ToLocalTime(std::time_t time, std::tm& local);

// Large blocks (a decoded bitmap) go back to the system when freed. glibc
// otherwise raises its mapping threshold past the first large block freed
// and keeps later ones in its heap after they are freed; the Windows heap
// already gives such blocks back, so there it does nothing. For a program
// that lets go of window-sized images.
void ReturnFreedLargeBlocks();
