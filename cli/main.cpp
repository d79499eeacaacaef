// kalofitprobe-cli: runs one compatibility check in a terminal and prints the
// result page as text, or as one JSON object for scripts and fleet tools.

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "app/check_env_thread.h"
#include "app/check_helper.h"
#include "app/kalo_base.h"
#include "app/settings_location.h"
#include "app/startup.h"
#include "cli/options.h"
#include "cli/report_output.h"
#include "remote/config_service.h"
#include "shell/crash_dump.h"
#include "shell/ini_text.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace {

constexpr int kExitFailed = 1;

CheckOutcome OutcomeOf(const CCheckHelper& helper) {
    CheckOutcome outcome;
    const CCheckEnv* env = helper.CurrentEnv();
    if (env == nullptr) return outcome;
    const VerdictResults& results = env->Results();
    outcome.report = env->Report();
    outcome.cpuVideoResult = results.cpuVideoResult;
    outcome.gpuVideoResult = results.gpuVideoResult;
    outcome.overallGameResult = results.overallGameResult;
    outcome.overallVideoResult = results.overallVideoResult;
    outcome.steamVrResult = results.steamVrResult;
    outcome.usbResult = results.usbResult;
    outcome.combinedResult = helper.LastCombinedResult();
    outcome.gpuNames = env->GpuNames();
    outcome.laptop = env->LaptopAnswer();
    outcome.ruleSetPath = env->RuleSetFileUsed();
    const DownloadReport& download = helper.LastDownload();
    outcome.download = {download.tried, download.CacheUpdated(), download.failure, download.serviceUnreachable};
    return outcome;
}

// Runs the check on its worker thread, as the window does. False when the
// worker could not start or ended without handing over a finished check.
bool RunCheckOnWorker() {
    std::atomic<bool> done{false};
    CheckEnvThread worker;
    worker.Start([&done] { done.store(true); });
    if (!worker.HasThread()) return false;
    worker.Wait();
    return done.load();
}

// An explicitly named settings file that cannot be used is worth one line:
// the check then runs without its overrides.
void WarnAboutSettingsFile(const std::wstring& path) {
    const FileReadResult read = ReadFileBounded(path, kSettingsFileLimit);
    if (read.ok() && DecodeIniFile(read.bytes)) return;
    const std::string why = read.ok() ? kIniNotTextReason : WideToUtf8(DescribeReadFailure(read, kSettingsFileLimit));
    std::fprintf(stderr, "kalofitprobe-cli: settings file %s: %s; going on without it\n", WideToUtf8(path).c_str(),
                 why.c_str());
}

// The text form says on standard error when no newer rule set came and
// which one decided instead.
void ReportDownload(const CheckOutcome& outcome) {
    const DownloadSummary& download = outcome.download;
    if (!download.tried || download.cacheUpdated) return;
    const std::string ruleSet = outcome.ruleSetPath.empty() ? "none" : WideToUtf8(outcome.ruleSetPath);
    std::fprintf(stderr, "kalofitprobe-cli: %s (%s); rule set used: %s\n",
                 download.serviceUnreachable ? "the configuration service could not be reached"
                                             : "the configuration service gave no newer rule set",
                 WideToUtf8(download.failure).c_str(), ruleSet.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, so that a fault anywhere after leaves a dump.
    InstallCrashDumpHandler(ProgramCrashDumpPlace());
    const CliParseResult parsed = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "kalofitprobe-cli: %s\n\n%s", parsed.error.c_str(), kCliUsage);
        return kExitUsage;
    }
    const CliOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kalofitprobe-cli %s\n", KALO_VERSION);
        return 0;
    }

    // Tests and vendor staff may point a build at another service.
    if (const char* url = std::getenv("KALO_CONFIG_SERVICE_URL"); url != nullptr && *url != '\0') {
        SetConfigServiceBaseUrl(url);
    }

    if (options.settingsFile) WarnAboutSettingsFile(*options.settingsFile);
    // The terminal owns standard output; the log keeps only its file.
    CCTLog::Instance().SetConsoleCopy(nullptr);
    SetDebugOutput(nullptr);
    const StartupResult started =
        StartServices({options.settingsFile.value_or(ProgramSettingsFile()), options.language, nullptr});
    if (!started.ok) {
        std::fprintf(stderr, "kalofitprobe-cli: %s\n", started.error.c_str());
        return started.badLanguage ? kExitUsage : kExitFailed;
    }

    CCheckHelper& helper = CCheckHelper::Instance();
    helper.SetDownloadEnabled(!options.noDownload);
    if (!RunCheckOnWorker()) {
        std::fprintf(stderr, "kalofitprobe-cli: the check could not run: its worker thread did not start\n");
        return kExitFailed;
    }
    if (!helper.LastCheckFailure().empty()) {
        std::fprintf(stderr, "kalofitprobe-cli: the check could not finish: %s\n",
                     WideToUtf8(helper.LastCheckFailure()).c_str());
        return kExitFailed;
    }

    const CheckOutcome outcome = OutcomeOf(helper);
    const TextLookup text = [](const wchar_t* key) { return std::wstring(CKALOBase::Instance().GetLangText(key)); };
    if (options.json) {
        std::fputs(WriteJson(OutcomeToJson(outcome, text, started.language)).c_str(), stdout);
    } else {
        ReportDownload(outcome);
        std::fputs(FormatOutcomeText(outcome, text).c_str(), stdout);
    }
    return 0;
}
