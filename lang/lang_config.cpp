#include "lang/lang_config.h"

#include <optional>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/safe_files.h"

namespace {

constexpr char kLoadTag[] = "CLangConfig::LoadLangRes";

std::wstring Join(std::initializer_list<std::wstring> parts) {
    std::wstring path;
    for (const std::wstring& part : parts) {
        if (!path.empty()) path += kPathSeparator;
        path += part;
    }
    return path;
}

}  // namespace

LangFolderNames LangFolderNamesFor(const std::wstring& appName) {
    // The maker's sibling programs each have their own names; this program
    // knows only its own, and every other name gets the generic root.
    if (appName == L"KALOFitProbe") return {L"KALOFitProbeLang", L"fitprobe", L"lang.ini"};
    return {L"lang", L"fitprobe", L"lang.ini"};
}

CLangConfig::CLangConfig(std::wstring baseFolder) : baseFolder_(std::move(baseFolder)) {}

std::wstring CLangConfig::UnpackRoot(const std::wstring& appName) const {
    return Join({baseFolder_, LangFolderNamesFor(appName).rootFolder});
}

std::wstring CLangConfig::VersionIndexPath(const std::wstring& appName) const {
    const LangFolderNames names = LangFolderNamesFor(appName);
    return Join({baseFolder_, names.rootFolder, names.versionIndex});
}

bool CLangConfig::LoadLangRes(const std::wstring& code, const std::wstring& appName) {
    texts_.clear();
    const LangFolderNames names = LangFolderNamesFor(appName);
    currentLanguageFolder_ = Join({baseFolder_, names.rootFolder, code, names.productFolder});
    const std::wstring file = Join({currentLanguageFolder_, appName + L".lang"});

    if (!PathExists(file)) {
        CCTLog::Instance().Log(LogLevel::Error, kLoadTag, L"file not found; file:%ls", file.c_str());
        return false;
    }
    // A pack that is no regular file, or absurdly large, is no pack.
    const FileReadResult bytes = ReadFileBounded(file, kLanguagePackLimit);
    std::optional<LangTextTable> table;
    if (bytes.ok()) table = ParseLangPack(std::as_bytes(std::span(bytes.bytes.data(), bytes.bytes.size())));
    if (!table) {
        CCTLog::Instance().Log(LogLevel::Error, kLoadTag, L"load file failed; file:%ls", file.c_str());
        return false;
    }
    if (table->empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kLoadTag, L"file content is empty; file:%ls", file.c_str());
        return false;
    }
    texts_ = std::move(*table);
    return true;
}

bool CLangConfig::SwitchLanguage(const std::wstring& code, const std::wstring& displayName,
                                 const std::wstring& appName, const std::wstring& version) {
    if (code.empty()) return false;
    currentCode_ = code;
    currentDisplayName_ = displayName;
    if (!LoadLangRes(code, appName)) return false;
    if (!version.empty()) ProfileWriteString(code, L"version", version, VersionIndexPath(appName));
    return true;
}

const wchar_t* CLangConfig::GetLangText(const wchar_t* key) const {
    if (key == nullptr) return L"";
    const auto found = texts_.find(key);
    return found == texts_.end() ? L"" : found->second.c_str();
}
