#pragma once
// The language component: the language list read from the archive's index,
// the unpacking of the packs into the data folder, and the key-to-text table
// of the loaded pack. All of it runs on the user-interface thread; nothing
// here is locked.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lang/lang_pack.h"

// One entry of the language list.
struct LangPackInfo {
    std::wstring code;         // two lower-case letters, also the pack's folder name
    std::wstring displayName;  // shown in the language box
    std::wstring version;      // the pack version, four dotted numbers
    int32_t rank = 0;          // place in the list, ascending
};

// Results of CLangConfig::ParseDefaultLangConfig.
inline constexpr int kLangIndexParsed = 0;
inline constexpr int kLangIndexNotObject = 244;
inline constexpr int kLangIndexNotJson = 245;

inline constexpr wchar_t kLangIndexFileName[] = L"defaultlangconfig.json";

// The names the language files take for an application.
struct LangFolderNames {
    std::wstring rootFolder;     // unpack root below the data folder
    std::wstring productFolder;  // sub-folder of each language folder
    std::wstring versionIndex;   // INI file of pack versions in the root folder
};
LangFolderNames LangFolderNamesFor(const std::wstring& appName);

class CLangConfig {
public:
    // baseFolder: the program's data folder; nothing is created here.
    explicit CLangConfig(std::wstring baseFolder);

    // Reads the index of the archive resource into the language list. The
    // caller ignores the result: a missing or broken index only leaves the
    // list empty.
    bool InitDefaultLangResByLangZip(int resourceId, const std::wstring& resourceType);
    // The same over archive bytes at hand.
    bool ReadIndexFromArchive(std::span<const std::byte> archive);
    // Appends the index's languages to the list and sorts it by rank.
    // kLangIndexParsed, kLangIndexNotObject or kLangIndexNotJson.
    int ParseDefaultLangConfig(std::string_view text);

    // Unpacks the archive resource below the data folder, replacing what is
    // there, then records each listed pack's version in the version index.
    // False stops the start-up.
    bool ReleaseDefaultLangRes(int resourceId, const std::wstring& resourceType, const std::wstring& appName);
    // The same over archive bytes at hand.
    bool ReleaseArchive(std::span<const std::byte> archive, const std::wstring& appName);
    // After a failed release: the path that could not be written and the
    // system's reason, for the start-up message.
    const std::wstring& ReleaseFailure() const { return releaseFailure_; }

    // Loads the pack of `code` into the text table. True when it loaded and
    // holds at least one entry; otherwise the table stays empty.
    bool LoadLangRes(const std::wstring& code, const std::wstring& appName);
    // Makes `code` the current language and loads its pack; a non-empty
    // version is recorded in the version index. An empty code changes nothing.
    bool SwitchLanguage(const std::wstring& code, const std::wstring& displayName,
                        const std::wstring& appName, const std::wstring& version);

    // Empty text (never null) for an absent key; valid until the next load.
    const wchar_t* GetLangText(const wchar_t* key) const;

    const std::wstring& BaseFolder() const { return baseFolder_; }
    const std::wstring& CurrentCode() const { return currentCode_; }
    const std::wstring& CurrentDisplayName() const { return currentDisplayName_; }
    const std::wstring& CurrentLanguageFolder() const { return currentLanguageFolder_; }
    const std::vector<LangPackInfo>& LanguageList() const { return languageList_; }

    // Where the archive is unpacked, and the version index in it.
    std::wstring UnpackRoot(const std::wstring& appName) const;
    std::wstring VersionIndexPath(const std::wstring& appName) const;

private:
    std::wstring baseFolder_;
    std::wstring currentCode_ = L"cn";
    std::wstring currentDisplayName_ = L"\u7B80\u4F53\u4E2D\u6587";  // 简体中文
    std::wstring currentLanguageFolder_;
    LangTextTable texts_;
    std::vector<LangPackInfo> languageList_;
    std::wstring releaseFailure_;
};
