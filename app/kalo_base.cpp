#include "app/kalo_base.h"

#include <cerrno>
#include <ctime>

#include "app/install_paths.h"
#include "app/program_identity.h"
#include "lang/language_choice.h"
#include "shell/app_data.h"
#include "shell/log.h"
#include "shell/old_logs.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "shell/wide_format.h"

namespace {

constexpr char kInitTag[] = "CKALOBase::Init";

std::wstring Below(const std::wstring& folder, const wchar_t* name) { return folder + kPathSeparator + name; }

}  // namespace

std::wstring DataFolderPath() {
    const std::wstring common = CommonAppDataFolder();
    return common.empty() ? std::wstring{} : Below(common, kDataFolderName);
}

CrashDumpPlace ProgramCrashDumpPlace() { return {DataFolderPath(), kCrashDumpFolderName, WideToUtf8(kProgramName)}; }

CKALOBase& CKALOBase::Instance() {
    static CKALOBase* const instance = new CKALOBase();
    return *instance;
}

CKALOBase::CKALOBase() : langConfig_(DataFolderPath()) {}

const wchar_t* CKALOBase::GetLangText(const wchar_t* key) { return langConfig_.GetLangText(key); }

void CKALOBase::CreateOpenFolder(const std::wstring& folder) const {
    // Also for a folder that exists: a link planted in its place is replaced.
    if (CreateDirectoryTree(folder, true)) return;
    CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"Couldn't create directory[%ls]", folder.c_str());
}

bool CKALOBase::Init(const std::wstring& programName, bool goOn) {
    dataFolder_ = DataFolderPath();
    dataFolderError_ = 0;
    dataFolderIsLink_ = false;
    if (dataFolder_.empty() || (!PathExists(dataFolder_) && !CreateDirectoryTree(dataFolder_, true))) {
        dataFolderError_ = dataFolder_.empty() ? ENOENT : LastSystemError();
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"Couldn't create directory[%ls]", dataFolder_.c_str());
        if (!goOn) return false;
        // Without any data folder every path below would start at the root
        // of the file system; there is nothing sensible left to prepare.
        if (dataFolder_.empty()) return true;
    }
    if (!IsUsableDataFolder(dataFolder_)) {
        // Any user may have put a link where the folder belongs before the
        // first run; nothing is written there, whoever runs the program.
        dataFolderIsLink_ = true;
        CCTLog::Instance().Log(LogLevel::Error, kInitTag, L"the data folder is a link or no real folder, not used: %ls",
                               dataFolder_.c_str());
        if (!goOn) return false;
        dataFolder_.clear();
        return true;
    }
    // From here on nothing below the program's own folders is opened through
    // a link, whoever planted it.
    AddLinkFreeRoot(dataFolder_);

    // The temporary twin holds nothing; a missing temporary folder must not
    // turn it into a folder below the current one.
    if (const std::wstring temp = TempFolder(); !temp.empty()) {
        AddLinkFreeRoot(temp);
        tempDataFolder_ = temp + kDataFolderName;
        CreateDirectoryTree(tempDataFolder_, false);
    }

    if (installLocation_.empty()) installLocation_ = LookUpInstallLocation();

    logFolder_ = Below(dataFolder_, L"Logs") + kPathSeparator;
    CreateOpenFolder(logFolder_);

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ToLocalTime(now, local);
    const std::wstring logName = FormatWide(L"%ls-%04d%02d%02d%ls", programName.c_str(), local.tm_year + 1900,
                                            local.tm_mon + 1, local.tm_mday, L".log");
    logFilePath_ = JoinPath(logFolder_, logName);

    RemoveOldLogs(logFolder_, static_cast<int64_t>(now));

    CCTLog& log = CCTLog::Instance();
    if (!log.HasFile()) log.OpenFile(logFilePath_);
    log.SetEnabled(true);  // also without a file: the logger then stays silent

    crashDumpFolder_ = Below(dataFolder_, kCrashDumpFolderName);
    CreateOpenFolder(crashDumpFolder_);

    dataSettingsPath_ = Below(dataFolder_, L"config.ini");
    SetSettingsFilePath(dataSettingsPath_);

    sdkFolder_ = LookUpSdkFolder(dataFolder_);
    if (sdkFolder_.empty()) DebugPrintf(L"error: sdk not found\n");
    sdkServicePath_ = FormatWide(L"%ls%lcbin%lc%ls", sdkFolder_.c_str(), kPathSeparator, kPathSeparator,
                                 L"KaloSDKService.exe");
    return true;
}
