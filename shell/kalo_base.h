#pragma once
// The process-wide base environment: where the program keeps its data (the
// data folder, the log folder and today's log file, the crash-dump folder, the
// settings file), where the maker's other software lives, and the language
// configuration, through which it answers the toolkit's text look-ups.

#include <cstdint>
#include <string>
#include <vector>

#include "lang/lang_config.h"
#include "lang/lang_res.h"

inline constexpr wchar_t kDataFolderName[] = L"KALO Assistant 4";

// The program's data folder: the common application-data folder followed by
// "KALO Assistant 4"; empty when the platform names no such folder.
std::wstring DataFolderPath();

class CKALOBase : public ILangRes {
public:
    // The one object of the process, made on first use and never destroyed.
    static CKALOBase& Instance();

    // Knows the data folder but creates nothing. The program uses Instance();
    // tests make their own.
    CKALOBase();
    CKALOBase(const CKALOBase&) = delete;
    CKALOBase& operator=(const CKALOBase&) = delete;

    const wchar_t* GetLangText(const wchar_t* key) override;
    using ILangRes::GetLangText;
    ~CKALOBase() override = default;

    // Prepares the data, log and crash-dump folders, opens today's log and
    // removes logs older than three days, sets the settings path and looks up
    // the install and SDK folders. False only when the data folder is missing,
    // cannot be created and goOn is false.
    bool Init(const std::wstring& programName, bool goOn);

    // Language operations, forwarded to the language configuration.
    bool InitDefaultLangResByLangZip(int resourceId, const std::wstring& resourceType);
    bool ReleaseDefaultLangRes(int resourceId, const std::wstring& resourceType, const std::wstring& appName);
    bool SwitchLanguage(const std::wstring& code, const std::wstring& displayName, const std::wstring& appName,
                        const std::wstring& version);
    int ReadSavedLanguage(const std::wstring& settingsFile, std::wstring& code, std::wstring& displayName) const;
    int32_t LanguageFromUiLanguage(std::wstring& code, std::wstring& displayName) const;
    std::wstring LanguageCodeForIndex(int32_t index) const;
    const std::wstring& CurrentLanguageFolder() const { return langConfig_.CurrentLanguageFolder(); }
    const std::vector<LangPackInfo>& LanguageList() const { return langConfig_.LanguageList(); }
    CLangConfig& LangConfig() { return langConfig_; }
    const CLangConfig& LangConfig() const { return langConfig_; }

    // Writes one key of a settings file.
    bool WriteProfileValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path) const;

    const std::wstring& BaseFolder() const { return dataFolder_; }
    const std::wstring& InstallLocation() const { return installLocation_; }
    const std::wstring& TempDataFolder() const { return tempDataFolder_; }
    const std::wstring& LogFolder() const { return logFolder_; }  // ends with a separator
    const std::wstring& LogFilePath() const { return logFilePath_; }
    const std::wstring& CrashDumpFolder() const { return crashDumpFolder_; }
    const std::wstring& DataSettingsPath() const { return dataSettingsPath_; }
    const std::wstring& SdkFolder() const { return sdkFolder_; }
    const std::wstring& SdkServicePath() const { return sdkServicePath_; }
    // Why the data folder could not be made by Init (a system error code); 0
    // when it exists.
    int DataFolderError() const { return dataFolderError_; }
    // Nothing in the program changes it from 0 (Chinese for the service).
    int32_t UiLanguageIndex() const { return uiLanguageIndex_; }

private:
    void CreateOpenFolder(const std::wstring& folder) const;

    CLangConfig langConfig_;
    std::wstring installLocation_;
    std::wstring dataFolder_;
    std::wstring tempDataFolder_;
    std::wstring logFolder_;
    std::wstring logFilePath_;
    std::wstring crashDumpFolder_;
    std::wstring dataSettingsPath_;
    std::wstring sdkServicePath_;
    std::wstring sdkFolder_;
    int32_t uiLanguageIndex_ = 0;
    int dataFolderError_ = 0;
};
