// kalofitprobe: the windowed program. Brings the process-wide services up in
// their fixed order, ends with a message when an essential one fails, and
// otherwise runs the main window until the user closes it. The exit code is
// 0 on every path but two: no display to show a window on, and a window
// layout that cannot be built (the window base ends the process then).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/kalo_base.h"
#include "app/settings_location.h"
#include "app/startup.h"
#include "remote/config_service.h"
#include "shell/crash_dump.h"
#include "shell/log.h"
#include "shell/text_convert.h"
#include "ui/base/embedded_fonts.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"
#include "ui/windows/main_window.h"
#include "ui/windows/vr_msg_wnd.h"

namespace {

constexpr int kNoDisplayExitCode = 1;

int ShowStartupMessage(startup::StartupMessage message, int messageLanguage) {
    const startup::StartupMessageTexts texts = startup::TextsOf(message, messageLanguage);
    // Also for a terminal that started the program, and for the log (which
    // is not open yet when the data folder failed).
    std::fprintf(stderr, "kalofitprobe: %s\n", WideToUtf8(texts.text).c_str());
    CCTLog::Instance().Log(LogLevel::Error, "StartupMessage", L"%ls", texts.text);
    ui::ShowMessageBox(nullptr, texts.caption, texts.text, texts.confirm, texts.cancel, ui::kMessageBoxOk);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, so that a fault anywhere after leaves a dump.
    InstallCrashDumpHandler(ProgramCrashDumpPlace());
    // Another configuration service (a test service, a mirror), as for the
    // terminal check.
    if (const char* url = std::getenv("KALO_CONFIG_SERVICE_URL"); url != nullptr && *url != '\0') {
        SetConfigServiceBaseUrl(url);
    }

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

    const StartupResult started =
        StartServices({ProgramSettingsFile(), std::nullopt, [host] { ui::RegisterEmbeddedFonts(*host); }});
    if (!started.ok) return ShowStartupMessage(*started.message, started.messageLanguage);
    CKALOBase& base = CKALOBase::Instance();
    ui::InitLang([&base](const std::wstring& key) { return base.GetLangText(key); });

    auto mainWindow = std::make_unique<ui::MainWindow>();
    if (mainWindow->Create(nullptr, L"", ui::kStylePopupDialog, 0)) {
        mainWindow->CenterWindow();
        mainWindow->ShowWindow(true);
        host->RunMessageLoop();
    }
    mainWindow.reset();
    return 0;
}
