// kalofitprobe: the windowed program. Brings the process-wide services up in
// their fixed order, ends with a message when an essential one fails, and
// otherwise runs the main window until the user closes it. The exit code is
// 0 on every path but two: no display to show a window on, and a window
// layout that cannot be built (the window base ends the process then).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "remote/config_service.h"
#include "shell/crash_dump.h"
#include "shell/embedded_resource.h"
#include "shell/kalo_base.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/settings_location.h"
#include "shell/startup_messages.h"
#include "shell/text_convert.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"
#include "ui/windows/main_window.h"
#include "ui/windows/vr_msg_wnd.h"

namespace {

constexpr wchar_t kProgramName[] = L"KALOFitProbe";
constexpr wchar_t kArchiveType[] = L"ZIPRES";
constexpr int kLanguageArchiveId = 137;
constexpr int kNoDisplayExitCode = 1;
// The layouts name this family; the embedded faces draw it.
constexpr wchar_t kLayoutFontFamily[] = L"思源黑体 CN Regular";

int ShowStartupMessage(startup::StartupMessage message, int messageLanguage) {
    const startup::StartupMessageTexts texts = startup::TextsOf(message, messageLanguage);
    // Also for a terminal that started the program, and for the log (which
    // is not open yet when the data folder failed).
    std::fprintf(stderr, "kalofitprobe: %s\n", WideToUtf8(texts.text).c_str());
    CCTLog::Instance().Log(0, "StartupMessage", L"%ls", texts.text);
    ui::ShowMessageBox(nullptr, texts.caption, texts.text, texts.confirm, texts.cancel, ui::kMessageBoxOk);
    return 0;
}

// The loader's result: 0 registered, 1 no such resource, 4 empty, 5 refused
// (2 and 3, a resource that cannot be loaded or locked, do not occur where
// resources are plain bytes in the program).
int RegisterEmbeddedFont(ui::IHost& host, int id) {
    const auto font = FindEmbeddedResource(L"FONTRES", id);
    if (!font) return 1;
    if (font->empty()) return 4;
    const std::wstring face = host.RegisterPrivateFont(*font);
    if (face.empty()) return 5;
    host.AliasFontFamily(kLayoutFontFamily, face);
    return 0;
}

// The Regular face, and the Bold one beside it so that bold text is not
// smeared by synthesis. A missing or refused font leaves the system's fonts
// to draw; start-up goes on either way.
void RegisterEmbeddedFonts(ui::IHost& host) {
    for (const int id : {102, 103}) {
        if (const int result = RegisterEmbeddedFont(host, id); result != 0) {
            CCTLog::Instance().Log(0, "LoadFontResource", L"font resource %d not registered (result %d)", id, result);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, so that a fault anywhere after leaves a dump.
    InstallCrashDumpHandler();
    // Another configuration service (a test service, a mirror), as for the
    // terminal check.
    if (const char* url = std::getenv("KALO_CONFIG_SERVICE_URL"); url != nullptr && *url != '\0') {
        SetConfigServiceBaseUrl(url);
    }
    const std::wstring settingsFile = ProgramSettingsFile();
    std::wstring languageCode;
    std::wstring languageNick;
    int messageLanguage = 1;
    CKALOBase& base = CKALOBase::Instance();
    if (PathExists(settingsFile)) messageLanguage = base.ReadSavedLanguage(settingsFile, languageCode, languageNick);

    // The window thread's platform set-up: a display to show windows on.
    std::string noDisplay;
    ui::IHost* host = ui::TryCreatePlatformHost(argc, argv, noDisplay);
    if (host == nullptr) {
        std::fprintf(stderr,
                     "kalofitprobe: %s. The windowed check needs a graphical session; "
                     "run kalofitprobe-cli for the check in a terminal.\n",
                     noDisplay.c_str());
        return kNoDisplayExitCode;
    }

    if (!base.Init(kProgramName, false)) {
        return ShowStartupMessage(startup::StartupMessage::DataFolderFailed, messageLanguage);
    }
    SetSettingsFilePath(settingsFile);
    CCTLog::Instance().SetMaxLevel(3);
    RegisterEmbeddedFonts(*host);

    base.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
    if (!base.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName)) {
        return ShowStartupMessage(startup::StartupMessage::LanguageSetupFailed, messageLanguage);
    }
    if (!base.SwitchLanguage(languageCode, languageNick, kProgramName, L"")) {
        base.LanguageFromUiLanguage(languageCode, languageNick);
        if (!base.SwitchLanguage(languageCode, languageNick, kProgramName, L"")) {
            return ShowStartupMessage(startup::StartupMessage::LanguageLoadFailed, messageLanguage);
        }
    }
    ui::InitLang(base.CurrentLanguageFolder(), [&base](const std::wstring& key) { return base.GetLangText(key); });

    auto mainWindow = std::make_unique<ui::MainWindow>();
    if (mainWindow->Create(nullptr, L"", ui::kStylePopupDialog, 0)) {
        mainWindow->CenterWindow();
        mainWindow->ShowWindow(true);
        host->RunMessageLoop();
    }
    mainWindow.reset();
    return 0;
}
