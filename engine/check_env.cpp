#include "engine/check_env.h"

#include <utility>

#include "engine/adapter_selection.h"
#include "engine/rule_set_reader.h"
#include "shell/log.h"

CCheckEnv::CCheckEnv(std::wstring ruleSetPath)
    : ownedProbes_(CreateHardwareProbes()),
      ownedSteam_(std::make_unique<CSteamHelper>()),
      probes_(*ownedProbes_),
      steam_(*ownedSteam_),
      ruleSetPath_(std::move(ruleSetPath)) {}

CCheckEnv::CCheckEnv(std::wstring ruleSetPath, IHardwareProbes& probes, CSteamHelper& steam)
    : probes_(probes), steam_(steam), ruleSetPath_(std::move(ruleSetPath)) {}

CCheckEnv::~CCheckEnv() = default;

void CCheckEnv::ReadFromJsonFile() {
    // Each list must hold exactly the document's entries, however often this
    // runs.
    rules_ = RuleSet{};
    ruleSetFileUsed_ = ReadRuleSet(RuleSetCandidatesFromSystem(ruleSetPath_), rules_);
}

int32_t CCheckEnv::ProbeGraphicsAdapters() {
    std::vector<VideoControllerInfo> controllers;
    if (!probes_.EnumerateVideoControllers(controllers)) return 1;
    adapters_ = SelectAdapters(controllers, ReadTestOverrides());
    return 0;
}

void CCheckEnv::Work() {
    ReadFromJsonFile();
    CCTLog::Instance().Log(LogLevel::Progress, "CCheckEnv::Work", L"Start work...");

    const TestOverrides overrides = ReadTestOverrides();
    SystemFacts system = probes_.ProbeSystem();
    system.osCaption = ApplyOsOverride(system.osCaption, overrides);
    const ProbedFacts facts =
        CombineFacts(adapters_, std::move(system), ApplyCpuOverride(probes_.GetCpuBrand(), overrides));

    const VerdictQuestions questions{
        [this] { return laptopAnswer_ = IsLaptop(probes_); },
        [this] { return IsSteamVrInstalled(); },
    };
    Verdict verdict = ClassifyMachine(rules_, facts, questions);
    results_ = verdict.results;
    display_ = std::move(verdict.display);
    normalized_ = std::move(verdict.normalized);
}

CheckReport CCheckEnv::Report() const {
    CheckReport report;
    report.cpuGameResult = results_.cpuGameResult;
    report.gpuGameResult = results_.gpuGameResult;
    report.memoryResult = results_.memoryResult;
    report.osResult = results_.osResult;
    report.display = display_;
    report.driverFlags = results_.driverFlags;
    return report;
}

bool CCheckEnv::IsSteamVrInstalled() {
    if (steam_.IsStandaloneSteamVRInstalled()) return true;
    return steam_.IsSteamInstalled() && steam_.IsSteamAppInstalled(kSteamVrAppId);
}
