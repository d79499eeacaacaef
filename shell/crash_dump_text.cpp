#include "shell/crash_dump_text.h"

#include <cstring>

namespace crashdump {

CFixedText& CFixedText::Add(std::string_view text) {
    if (overflowed_ || capacity_ - length_ < text.size() + 1) {
        overflowed_ = true;
        return *this;
    }
    std::memcpy(buffer_ + length_, text.data(), text.size());
    length_ += text.size();
    return *this;
}

CFixedText& CFixedText::AddDecimal(int64_t value, int minDigits) {
    char digits[24];
    size_t count = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[sizeof digits - 1 - count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 || (count < static_cast<size_t>(minDigits) && count < 20));
    if (value < 0) digits[sizeof digits - 1 - count++] = '-';
    return Add({digits + sizeof digits - count, count});
}

const char* CFixedText::CString() {
    if (overflowed_) return nullptr;
    buffer_[length_] = '\0';  // Add always leaves room for it
    return buffer_;
}

void AppendDumpFileName(CFixedText& out, std::string_view prefix, const CivilTime& local) {
    out.Add(prefix)
        .AddDecimal(local.year)
        .AddDecimal(local.month, 2)
        .AddDecimal(local.day, 2)
        .AddDecimal(local.hour, 2)
        .AddDecimal(local.minute, 2)
        .Add(".dmp");
}

void AppendCrashLogLine(CFixedText& out, const CivilTime& local, uint32_t threadId, int dumpWritten, int error) {
    // The same stamp as FormatLogTimestamp, which allocates and so cannot
    // serve a signal handler.
    out.AddDecimal(local.month, 2).Add("/").AddDecimal(local.day, 2).Add("/").AddDecimal(local.year, 2);
    out.Add(" ").AddDecimal(local.hour, 2).Add(":").AddDecimal(local.minute, 2).Add(":");
    out.AddDecimal(local.second, 2).Add("|").Add(kCrashLogTag).Add("|").AddDecimal(threadId).Add("\t");
    out.Add("****exception(dump[bRet=").AddDecimal(dumpWritten).Add("\xEF\xBC\x8C" "err=").AddDecimal(error);
    out.Add("])\n");
}

}  // namespace crashdump
