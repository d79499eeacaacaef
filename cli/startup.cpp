#include "cli/startup.h"

#include "engine/rule_set_reader.h"
#include "shell/embedded_resource.h"
#include "shell/kalo_base.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"

namespace {

constexpr wchar_t kProgramName[] = L"KALOFitProbe";
constexpr int kLanguageArchiveId = 137;
constexpr wchar_t kArchiveType[] = L"ZIPRES";

// Looks the code up in the language list for its display name.
std::optional<std::wstring> DisplayNameOf(const CKALOBase& base, const std::wstring& code) {
    for (const LangPackInfo& pack : base.LanguageList()) {
        if (pack.code == code) return pack.displayName;
    }
    return std::nullopt;
}

}  // namespace

StartupResult StartServices(const StartupRequest& request) {
    StartupResult result;
    CKALOBase& base = CKALOBase::Instance();
    // The terminal owns standard output; the log keeps only its file.
    CCTLog::Instance().SetConsoleCopy(nullptr);
    SetDebugOutput(nullptr);
    // Without its data folder the program has nowhere to put its packs and
    // log: the message names the folder and the system's reason.
    if (!base.Init(kProgramName, false)) {
        result.error = base.BaseFolder().empty()
                           ? "Initializing the data folder failed: neither XDG_DATA_HOME nor HOME names a folder."
                           : "Initializing the data folder failed: cannot create " + WideToUtf8(base.BaseFolder()) +
                                 ": " + WideToUtf8(SystemErrorText(base.DataFolderError()));
        return result;
    }
    SetSettingsFilePath(request.settingsFile);
    CCTLog::Instance().SetMaxLevel(3);

    base.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
    if (!base.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName)) {
        result.error = "Initialize language failed! (" + WideToUtf8(base.LangConfig().ReleaseFailure()) + ")";
        return result;
    }

    std::wstring code;
    std::wstring displayName;
    if (request.language) {
        const auto name = DisplayNameOf(base, *request.language);
        if (!name) {
            result.badLanguage = true;
            result.error = "unknown language code: " + WideToUtf8(*request.language);
            return result;
        }
        code = *request.language;
        displayName = *name;
    } else if (PathExists(request.settingsFile)) {
        base.ReadSavedLanguage(request.settingsFile, code, displayName);
    }
    if (!base.SwitchLanguage(code, displayName, kProgramName, L"")) {
        base.LanguageFromUiLanguage(code, displayName);
        if (!base.SwitchLanguage(code, displayName, kProgramName, L"")) {
            result.error = "Software loading language initialization failed! (no usable pack in " +
                           WideToUtf8(base.CurrentLanguageFolder()) + ")";
            return result;
        }
    }
    ReleaseResourceFileToTemp(kBuiltInRuleSetId, kRuleSetFileName, kBuiltInRuleSetType);
    result.ok = true;
    result.language = code;
    return result;
}
