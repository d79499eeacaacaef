#include "shell/wide_format.h"

#include <algorithm>
#include <cwchar>

namespace {
// vswprintf reports truncation and encoding errors alike with -1 (glibc), or
// truncation with the length it would have needed (MinGW's C99 printf), so
// the buffer grows until the text fits, up to this bound; beyond it the
// formatting counts as failed.
constexpr size_t kMaximumLength = size_t{1} << 24;
}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    if (format == nullptr) return {};
    std::wstring buffer(256, L'\0');
    while (true) {
        va_list copy;
        va_copy(copy, args);
        const int written = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            buffer.resize(static_cast<size_t>(written));
            return buffer;
        }
        if (buffer.size() >= kMaximumLength) return {};
        const size_t needed = written >= 0 ? static_cast<size_t>(written) + 1 : buffer.size() * 4;
        buffer.resize(std::min(std::max(needed, buffer.size() * 2), kMaximumLength));
    }
}

std::wstring FormatWideVarargs(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}
