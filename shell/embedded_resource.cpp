#include "shell/embedded_resource.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"

namespace {
constexpr char kReleaseTag[] = "ReleaseResourceFileToTemp";

// Something that is neither a file nor a link holds the name (a folder):
// it cannot be replaced.
bool IsOccupiedByNonFile(const std::wstring& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(ToFsPath(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_symlink(status);
}
}  // namespace

std::wstring ReleaseResourceFileToTemp(int resourceId, const std::wstring& fileName,
                                       const std::wstring& resourceType) {
    const std::wstring folder = TempFolder();
    if (folder.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"release %ls failed!", fileName.c_str());
        return {};
    }
    const std::wstring path = folder + fileName;
    if (IsOccupiedByNonFile(path)) {
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"delete file fialed: %ls", path.c_str());
        return {};
    }
    // Replaced in one step, never written through a link planted at the
    // name; an identical copy from an earlier start is left as it is.
    const auto bytes = FindEmbeddedResource(resourceType, resourceId);
    const std::string_view text =
        bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string_view{};
    if (!bytes || ReplaceFileIfDifferent(path, text) == ReplaceOutcome::Failed) {
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"release %ls failed!", fileName.c_str());
    }
    return path;
}
