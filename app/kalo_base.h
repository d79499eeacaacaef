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
#include "shell/crash_dump.h"

// The program's data folder: the common application-data folder followed by
// "KALO Assistant 4"; empty when the platform names no such folder.
std::wstring DataFolderPath();
// Where the crash-dump handler writes: "crashDumps" below the data folder,
// dumps named after the program.
CrashDumpPlace ProgramCrashDumpPlace();

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

    // The language configuration: packs, the current language, the list.
    CLangConfig& LangConfig() { return langConfig_; }
    const CLangConfig& LangConfig() const { return langConfig_; }

    const std::wstring& BaseFolder() const { return dataFolder_; }
    // The install, temporary-twin and SDK paths are recorded as the base
    // environment always has, for the maker's other software; nothing in this
    // program reads them but the tests of their look-up order.
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
    // Whether Init refused a data folder that is a link (IsUsableDataFolder).
    bool DataFolderIsLink() const { return dataFolderIsLink_; }
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
    bool dataFolderIsLink_ = false;
};
