#pragma once
// The program's one logger: time-stamped, tagged lines appended to today's log
// file. A message is written only when its level is at most the maximum
// level, which start-up raises from kLogLimitAtStart to kLogLimitRunning.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

#include "shell/safe_files.h"
#include "shell/wide_format.h"

// The levels in use; a line's level is written into no file, it only decides
// whether the line is written.
enum class LogLevel : uint32_t {
    Error = 0,     // a failure: always written once the file is open
    Progress = 2,  // how far the program got: after start-up
};
// The maximum level before start-up (failures only) and after it.
inline constexpr uint32_t kLogLimitAtStart = 1;
inline constexpr uint32_t kLogLimitRunning = 3;

class CCTLog {
public:
    static CCTLog& Instance();

    virtual ~CCTLog();
    CCTLog(const CCTLog&) = delete;
    CCTLog& operator=(const CCTLog&) = delete;

    // tag: code page 936 text, by convention "Class::Operation".
    // format: a wide printf format; caller data belongs in the arguments, never
    // in the format itself.
    template <typename... Args>
    void Log(LogLevel level, const char* tag, const wchar_t* format, Args... args) {
        CheckPrintfArguments<Args...>();
        LogVarargs(static_cast<uint32_t>(level), tag, format, args...);
    }
    void LogVarargs(uint32_t level, const char* tag, const wchar_t* format, ...);

    void SetMaxLevel(uint32_t level) { maxLevel_.store(level, std::memory_order_relaxed); }
    uint32_t MaxLevel() const { return maxLevel_.load(std::memory_order_relaxed); }

    // Opens the file for appending and writes one line break first. Used once
    // by the base environment; false leaves the logger without a file.
    bool OpenFile(const std::wstring& path);
    bool HasFile() const;
    void SetEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }
    bool IsEnabled() const { return enabled_.load(std::memory_order_relaxed); }
    // Closes the file and disables the logger (process exit, and tests).
    void Close();
    // For the crash handler, which may run while this thread or another holds
    // the lock and must not allocate: appends one finished line (stamp, tag,
    // thread and all) only when the lock is free at once, never waiting.
    // False when it is taken, or the logger is off or has no file.
    bool TryWriteLine(std::string_view line);

    // Where the console copy of each line goes: standard output in a debug
    // build or when the environment variable KALO_LOG_CONSOLE is set (not
    // empty), nowhere otherwise; null drops it (a terminal front end that
    // prints its own result there).
    void SetConsoleCopy(std::FILE* stream) { console_.store(stream, std::memory_order_relaxed); }

private:
    CCTLog();

    // One write per line: other processes append to the same file.
    CAppendFile file_;  // guarded by lock_
    std::atomic<bool> hasFile_{false};
    std::atomic<std::FILE*> console_{nullptr};
    std::atomic<bool> enabled_{false};
    std::atomic<uint32_t> maxLevel_{kLogLimitAtStart};
    mutable std::mutex lock_;
};

// "MM/DD/YYYY hh:mm:ss" from local broken-down time.
std::wstring FormatLogTimestamp(const std::tm& local);

// The standard-output copy of a message keeps this many characters.
inline constexpr size_t kLogConsoleMessageLimit = 1023;
