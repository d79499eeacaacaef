#include "app/startup.h"

#include "app/built_in_rule_set.h"
#include "app/kalo_base.h"
#include "app/program_identity.h"
#include "lang/language_choice.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/running_marker.h"
#include "shell/text_convert.h"

namespace {

// Looks the code up in the language list for its display name.
std::optional<std::wstring> DisplayNameOf(const CLangConfig& languages, const std::wstring& code) {
    for (const LangPackInfo& pack : languages.LanguageList()) {
        if (pack.code == code) return pack.displayName;
    }
    return std::nullopt;
}

StartupResult Failed(StartupResult result, startup::StartupMessage message, std::string error) {
    result.message = message;
    result.error = std::move(error);
    return result;
}

}  // namespace

StartupResult StartServices(const StartupRequest& request) {
    StartupResult result;
    MarkProgramRunning();
    std::wstring code;
    std::wstring displayName;
    // Read first: the messages below speak the saved choice's language.
    result.messageLanguage = ReadSavedLanguage(request.settingsFile, code, displayName);

    CKALOBase& base = CKALOBase::Instance();
    // Without its data folder the program has nowhere to put its packs and
    // log: the line names the folder and the system's reason.
    if (!base.Init(kProgramName, false)) {
        return Failed(result, startup::StartupMessage::DataFolderFailed,
                      base.BaseFolder().empty()
                          ? "Initializing the data folder failed: neither XDG_DATA_HOME nor HOME names a folder."
                      : base.DataFolderIsLink()
                          ? "Initializing the data folder failed: " + WideToUtf8(DataFolderPath()) +
                                " is a link or no real folder, which any user may have planted; it is not used."
                          : "Initializing the data folder failed: cannot create " + WideToUtf8(base.BaseFolder()) +
                                ": " + WideToUtf8(SystemErrorText(base.DataFolderError())));
    }
    SetSettingsFilePath(request.settingsFile);
    CCTLog::Instance().SetMaxLevel(kLogLimitRunning);
    if (request.onLogOpen) request.onLogOpen();

    CLangConfig& languages = base.LangConfig();
    languages.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
    if (!languages.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName)) {
        return Failed(result, startup::StartupMessage::LanguageSetupFailed,
                      "Initialize language failed! (" + WideToUtf8(languages.ReleaseFailure()) + ")");
    }

    if (request.language) {
        const auto name = DisplayNameOf(languages, *request.language);
        if (!name) {
            result.badLanguage = true;
            result.error = "unknown language code: " + WideToUtf8(*request.language);
            return result;
        }
        code = *request.language;
        displayName = *name;
    }
    if (!languages.SwitchLanguage(code, displayName, kProgramName, L"")) {
        LanguageFromUiLanguage(code, displayName);
        if (!languages.SwitchLanguage(code, displayName, kProgramName, L"")) {
            return Failed(result, startup::StartupMessage::LanguageLoadFailed,
                          "Software loading language initialization failed! (no usable pack in " +
                              WideToUtf8(languages.CurrentLanguageFolder()) + ")");
        }
    }
    // The last-resort copy for the check and the minimum-requirements window.
    ReleaseBuiltInRuleSet();
    result.ok = true;
    result.language = code;
    return result;
}

int StartupMessageLanguage(const std::wstring& settingsFile) {
    std::wstring code;
    std::wstring displayName;
    return ReadSavedLanguage(settingsFile, code, displayName);
}
