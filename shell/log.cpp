#include "shell/log.h"

#include <cstdarg>
#include <cstdlib>

#include "shell/platform.h"
#include "shell/text_convert.h"
#include "shell/wide_format.h"

CCTLog& CCTLog::Instance() {
    static CCTLog instance;
    return instance;
}

CCTLog::CCTLog() {
    // A developer's echo, not every user's: an ordinary run keeps its
    // standard output quiet.
#ifdef NDEBUG
    const char* echo = std::getenv("KALO_LOG_CONSOLE");
    if (echo != nullptr && *echo != '\0') console_.store(stdout, std::memory_order_relaxed);
#else
    console_.store(stdout, std::memory_order_relaxed);
#endif
}

CCTLog::~CCTLog() { Close(); }

bool CCTLog::OpenFile(const std::wstring& path) {
    CAppendFile::PlantedLink planted = CAppendFile::PlantedLink::None;
    bool opened = false;
    {
        std::lock_guard guard(lock_);
        if (file_.IsOpen()) return true;
        opened = file_.Open(path);
        planted = file_.LastPlantedLink();
        if (opened) {
            hasFile_.store(true, std::memory_order_relaxed);
            file_.Write("\n");
        }
    }
    // Said once the lock is free: the line goes into the file just opened,
    // or, when the link could not be replaced, to the console alone.
    if (planted != CAppendFile::PlantedLink::None) Log(LogLevel::Error, "CCTLog::OpenFile", PlantedLinkLine(planted), path.c_str());
    return opened;
}

bool CCTLog::HasFile() const { return hasFile_.load(std::memory_order_relaxed); }

void CCTLog::Close() {
    std::lock_guard guard(lock_);
    enabled_.store(false, std::memory_order_relaxed);
    hasFile_.store(false, std::memory_order_relaxed);
    file_.Close();
}

bool CCTLog::TryWriteLine(std::string_view line) {
    if (!IsEnabled() || !HasFile()) return false;
    // The C library's try-lock of a plain mutex answers "busy" to its own
    // holder as well, so a crash inside a log write skips the line.
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock() || !file_.IsOpen()) return false;
    return file_.Write(line);
}

std::wstring FormatLogTimestamp(const std::tm& t) {
    const int month = t.tm_mon + 1;
    const int year = t.tm_year + 1900;
    // The year is printed as year/10 followed by year%10, which reads as the
    // full year; every other field always shows two digits.
    return FormatWide(L"%d%d/%d%d/%d%d %d%d:%d%d:%d%d", month / 10, month % 10, t.tm_mday / 10,
                      t.tm_mday % 10, year / 10, year % 10, t.tm_hour / 10, t.tm_hour % 10,
                      t.tm_min / 10, t.tm_min % 10, t.tm_sec / 10, t.tm_sec % 10)
        .substr(0, 63);
}

void CCTLog::LogVarargs(uint32_t level, const char* tag, const wchar_t* format, ...) {
    if (!IsEnabled() || !HasFile() || MaxLevel() < level) return;

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ToLocalTime(now, local);
    std::wstring prefix = FormatLogTimestamp(local);
    prefix += L'|';
    prefix += GbkToWide(tag != nullptr ? tag : "");
    prefix += L'|';
    prefix += std::to_wstring(CurrentThreadId());
    prefix += L'\t';

    va_list args;
    va_start(args, format);
    const std::wstring message = FormatWideV(format, args);
    va_end(args);

    const std::string prefixUtf8 = WideToUtf8(prefix);
    std::string line = prefixUtf8 + WideToUtf8(message);
    line += '\n';
    std::FILE* console = console_.load(std::memory_order_relaxed);
    if (console != nullptr) std::fputs(prefixUtf8.c_str(), console);

    // The whole line is one write, under one lock: lines of other threads and
    // of other processes never mix with it. The console copy is best effort.
    std::lock_guard guard(lock_);
    if (!file_.IsOpen()) return;
    if (console != nullptr) {
        const std::string consoleCopy = WideToUtf8(message.substr(0, kLogConsoleMessageLimit));
        std::fputs(consoleCopy.c_str(), console);
        std::fputs("\n", console);
    }
    file_.Write(line);
}
