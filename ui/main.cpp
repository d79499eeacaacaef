// kalofitprobe: the windowed program. Brings the process-wide services up in
// their fixed order, ends with a message when an essential one fails, and
// otherwise runs the main window until the user closes it. The exit code is
// 0 on every path but two: no display to show a window on, and a window
// layout that cannot be built (the window base ends the process then).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/kalo_base.h"
#include "app/program_identity.h"
#include "app/settings_location.h"
#include "app/startup.h"
#include "remote/config_service.h"
#include "shell/crash_dump.h"
#include "shell/log.h"
#include "shell/platform.h"
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
    // The window's large images are let go of when no longer shown.
    ReturnFreedLargeBlocks();
    // Another configuration service (a test service, a mirror), as for the
    // terminal check.
    if (const char* url = std::getenv("KALO_CONFIG_SERVICE_URL"); url != nullptr && *url != '\0') {
        SetConfigServiceBaseUrl(url);
    }

    // A display to show windows on; without one, a line for the terminal.
    std::string noDisplay;
    ui::IHost* host = ui::TryCreatePlatformHost(argc, argv, noDisplay);
    if (host == nullptr) {
        std::fprintf(stderr,
                     "kalofitprobe: %s. The windowed check needs a graphical session; "
                     "run kalofitprobe-cli for the check in a terminal.\n",
                     noDisplay.c_str());
        return kNoDisplayExitCode;
    }
    // Decoded on another core meanwhile, the first frame's large images.
    if (ui::CSkinResources* skin = ui::SharedSkin(kArchiveType, kSkinArchiveId)) {
        skin->Prefetch(ui::MainWindow::FirstFrameImages());
    }
    // The embedded faces first: every message from here on is drawn in them.
    const std::vector<std::wstring> fontFailures = ui::RegisterEmbeddedFonts(*host);
    const std::wstring settingsFile = ProgramSettingsFile();

    // The window thread's platform set-up; its failure is the first message.
    if (!host->BeginWindowThread()) {
        return ShowStartupMessage(startup::StartupMessage::PlatformInitFailed, StartupMessageLanguage(settingsFile));
    }
    const StartupResult started =
        StartServices({settingsFile, std::nullopt, [&fontFailures] { ui::LogEmbeddedFontFailures(fontFailures); }});
    if (!started.ok) {
        const int code = ShowStartupMessage(*started.message, started.messageLanguage);
        host->EndWindowThread();
        return code;
    }
    CKALOBase& base = CKALOBase::Instance();
    ui::InitLang([&base](const std::wstring& key) { return base.GetLangText(key); });

    auto mainWindow = std::make_unique<ui::MainWindow>();
    if (mainWindow->Create(nullptr, L"", ui::kStylePopupDialog, 0)) {
        mainWindow->CenterWindow();
        mainWindow->ShowWindow(true);
        host->RunMessageLoop();
    }
    host->EndWindowThread();
    mainWindow.reset();
    return 0;
}
