#include <windows.h>

#include <climits>

#include "shell/text_convert.h"

// UTF-8 and wide text convert the same on every platform (text_convert.cpp);
// code page 936 is the system's.
namespace {
constexpr UINT kGbkCodePage = 936;
}  // namespace

std::string WideToGbk(std::wstring_view wide) {
    wide = wide.substr(0, wide.find(L'\0'));
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int length = static_cast<int>(wide.size());
    // A character without a GBK form fails the whole text, as the Linux side
    // does; the system would otherwise put a question mark in its place.
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault) return {};
    std::string gbk(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, gbk.data(), bytes, nullptr, &usedDefault) != bytes ||
        usedDefault) {
        return {};
    }
    return gbk;
}

std::wstring GbkToWide(std::string_view gbk) {
    gbk = gbk.substr(0, gbk.find('\0'));
    if (gbk.empty() || gbk.size() > INT_MAX) return {};
    const int length = static_cast<int>(gbk.size());
    const int characters = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), length, nullptr, 0);
    if (characters <= 0) return {};
    std::wstring wide(static_cast<size_t>(characters), L'\0');
    if (MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), length, wide.data(), characters) !=
        characters) {
        return {};
    }
    return wide;
}
