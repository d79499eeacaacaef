// Unpacking the language archive into the data folder at every start.

#include <filesystem>

#include "lang/lang_config.h"
#include "shell/embedded_resource.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_util.h"
#include "shell/zip_archive.h"

namespace {

constexpr char kReleaseTag[] = "CLangConfig::ReleaseDefaultLangRes";

// The unpack root, a separator and the cleaned entry name, with every
// separator in the native form and runs of separators made single.
std::wstring UnpackDestination(const std::wstring& root, const std::wstring& name) {
    const std::wstring joined = root + kPathSeparator + name;
    std::wstring path;
    path.reserve(joined.size());
    for (const wchar_t c : joined) {
        if (IsSlashOrBackslash(c)) {
            if (!path.empty() && path.back() == kPathSeparator) continue;
            path += kPathSeparator;
        } else {
            path += c;
        }
    }
    return path;
}

// Cleaned names cannot climb out, but a file must also never land on the
// root itself; checked on the final path so that no later change to the
// cleaning can open a way out unnoticed.
bool IsSafeDestination(const std::wstring& root, const std::wstring& path, bool isFolder) {
    const std::filesystem::path relative =
        ToFsPath(path).lexically_normal().lexically_relative(ToFsPath(root).lexically_normal());
    if (relative.empty() || *relative.begin() == "..") return false;
    return isFolder || relative != ".";
}

}  // namespace

bool CLangConfig::ReleaseDefaultLangRes(int resourceId, const std::wstring& resourceType,
                                        const std::wstring& appName) {
    const auto archive = FindEmbeddedResource(resourceType, resourceId);
    if (!archive) {
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"unzip IDR_ZIP_LANG file failed(resource not found)");
        return false;
    }
    return ReleaseArchive(*archive, appName);
}

bool CLangConfig::ReleaseArchive(std::span<const std::byte> archive, const std::wstring& appName) {
    CZipArchive zip;
    // An archive that cannot be opened unpacks nothing, so it is a failure,
    // not a start with whatever an earlier run left on disk.
    if (const int opened = zip.Open(archive.data(), archive.size()); opened != kZipOk) {
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"unzip IDR_ZIP_LANG file failed(openzip, err=%d)", opened);
        releaseFailure_ = L"the language archive is damaged";
        return false;
    }
    const std::wstring root = UnpackRoot(appName);
    releaseFailure_.clear();
    CreateDirectoryTree(root, false);

    bool failed = false;
    for (int i = 0; i < zip.EntryCount() && !failed; ++i) {
        ZipEntry entry;
        if (const int read = zip.GetEntry(i, entry); read != kZipOk) {
            CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"unzip IDR_ZIP_LANG file failed(getzipitem, err=%d)", read);
            releaseFailure_ = L"the language archive is damaged";
            failed = true;
            continue;
        }
        const std::wstring destination = UnpackDestination(root, entry.name);
        CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"unzip file (src=%ls,dest=%ls)", entry.name.c_str(),
                               destination.c_str());
        const int unpacked = IsSafeDestination(root, destination, entry.isFolder)
                                 ? zip.UnpackToFile(i, destination)
                                 : static_cast<int>(kZipUnsafeName);
        if (unpacked != kZipOk) {
            const bool systemFailure = unpacked == kZipCreateFolderFailed || unpacked == kZipWriteFailed;
            releaseFailure_ = destination + L": " +
                              (systemFailure ? SystemErrorText(LastSystemError()) : L"damaged archive entry");
            CCTLog::Instance().Log(LogLevel::Error, kReleaseTag, L"unzip file failed(src=%ls,dest=%ls,err=%d)",
                                   entry.name.c_str(), destination.c_str(), unpacked);
            failed = true;
        }
    }
    zip.Close();
    if (failed) return false;

    // One locked read-change-write for every version, so concurrent starts
    // cannot drop each other's entries; unchanged versions write nothing.
    std::vector<ProfileValue> versions;
    for (const LangPackInfo& info : languageList_) versions.push_back({info.code, L"version", info.version});
    if (!versions.empty()) ProfileWriteStrings(versions, VersionIndexPath(appName));
    return true;
}
