#include "shell/wide_format.h"

#include <cwchar>

namespace {
// vswprintf reports truncation and encoding errors alike with -1, so the
// buffer grows up to this bound and then the formatting counts as failed.
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
        if (written >= 0) {
            buffer.resize(static_cast<size_t>(written));
            return buffer;
        }
        if (buffer.size() >= kMaximumLength) return {};
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring FormatWideVarargs(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}
