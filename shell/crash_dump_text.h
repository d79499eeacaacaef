#pragma once
// The crash dump's file name and log line, shared by the platform halves of
// the handler (crash_dump_linux.cpp, crash_dump_win.cpp). A crash handler may
// run with the heap or a lock of the C library in any state, so nothing here
// allocates or locks: every function writes into a buffer its caller owns.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace crashdump {

struct CivilTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Text assembled into a caller's buffer; once something does not fit the
// text is marked overflowed and stays as it was.
class CFixedText {
public:
    CFixedText(char* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    CFixedText& Add(std::string_view text);
    CFixedText& AddDecimal(int64_t value, int minDigits = 1);
    std::string_view View() const { return {buffer_, length_}; }
    // The text with a terminating NUL (which View leaves out); null on overflow.
    const char* CString();
    bool Overflowed() const { return overflowed_; }

private:
    char* buffer_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflowed_ = false;
};

inline constexpr char kCrashLogTag[] = "VRUnHandledExceptionFilter";

// The prefix + year (all its digits) + month, day, hour and minute (two
// digits each) + ".dmp".
void AppendDumpFileName(CFixedText& out, std::string_view prefix, const CivilTime& local);
// One log line as the logger writes it: "MM/DD/YYYY hh:mm:ss|tag|thread<TAB>"
// and the outcome "****exception(dump[bRet=%d，err=%d])", ending in a line break.
void AppendCrashLogLine(CFixedText& out, const CivilTime& local, uint32_t threadId, int dumpWritten, int error);

}  // namespace crashdump
