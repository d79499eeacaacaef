#include "shell/embedded_resource.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "shell/log.h"
#include "shell/platform.h"

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool WriteWholeFile(const std::wstring& path, std::span<const std::byte> bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(ToFsPath(path).c_str(), "wb"));
    if (!file) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}
}  // namespace

std::wstring ReleaseResourceFileToTemp(int resourceId, const std::wstring& fileName,
                                       const std::wstring& resourceType) {
    const std::wstring folder = TempFolder();
    if (folder.empty()) {
        CCTLog::Instance().Log(0, "ReleaseResourceFileToTemp", L"release %ls failed!", fileName.c_str());
        return {};
    }
    const std::wstring path = folder + fileName;
    std::error_code error;
    if (std::filesystem::exists(ToFsPath(path), error) && !std::filesystem::remove(ToFsPath(path), error)) {
        CCTLog::Instance().Log(0, "ReleaseResourceFileToTemp", L"delete file fialed: %ls", path.c_str());
        return {};
    }
    const auto bytes = FindEmbeddedResource(resourceType, resourceId);
    if (!bytes || !WriteWholeFile(path, *bytes)) {
        CCTLog::Instance().Log(0, "ReleaseResourceFileToTemp", L"release %ls failed!", fileName.c_str());
    }
    return path;
}
