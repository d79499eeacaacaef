#include "shell/safe_files.h"

#include "shell/log.h"
#include "shell/platform.h"

// The platform halves (safe_files_linux.cpp, safe_files_win.cpp) open, read
// and replace; what a refusal is called and how it is logged is shared.
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
        CCTLog::Instance().Log(0, tag != nullptr ? tag : kReadTag, L"file refused (%ls): %ls",
                               DescribeReadFailure(result, maxBytes).c_str(), path.c_str());
    }
    return std::nullopt;
}

