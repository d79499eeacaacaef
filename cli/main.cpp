// kalofitprobe-cli: runs one compatibility check in a terminal and prints the
// result page as text, or as one JSON object for scripts and fleet tools.

#include <cstdio>
#include <cstdlib>
#include <future>
#include <iostream>

#include "cli/options.h"
#include "cli/report_output.h"
#include "cli/startup.h"
#include "engine/adapter_selection.h"
#include "engine/check_env_thread.h"
#include "engine/check_helper.h"
#include "remote/config_service.h"
#include "shell/kalo_base.h"

namespace {

constexpr int kExitStartupFailed = 1;

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
    outcome.laptop = IsLaptop(*CreateHardwareProbes());
    outcome.ruleSetPath = env->RuleSetFileUsed();
    return outcome;
}

// Runs the check on its worker thread, as the window does, and waits for the
// completion callback.
void RunCheckOnWorker() {
    std::promise<void> done;
    CheckEnvThread worker;
    worker.Start([&done] { done.set_value(); });
    done.get_future().wait();
    worker.Stop();
}

}  // namespace

int main(int argc, char** argv) {
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

    const StartupResult started = StartServices({options.settingsFile.value_or(DefaultSettingsFile()), options.language});
    if (!started.ok) {
        std::fprintf(stderr, "kalofitprobe-cli: %s\n", started.error.c_str());
        return started.badLanguage ? kExitUsage : kExitStartupFailed;
    }

    CCheckHelper& helper = CCheckHelper::Instance();
    helper.SetDownloadEnabled(!options.noDownload);
    RunCheckOnWorker();

    const CheckOutcome outcome = OutcomeOf(helper);
    const TextLookup text = [](const wchar_t* key) { return std::wstring(CKALOBase::Instance().GetLangText(key)); };
    if (options.json) {
        std::fputs(WriteJson(OutcomeToJson(outcome, text, started.language)).c_str(), stdout);
    } else {
        std::fputs(FormatOutcomeText(outcome, text).c_str(), stdout);
    }
    return 0;
}
