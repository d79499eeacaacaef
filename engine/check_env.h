#pragma once
// The check engine: one object per check. It loads the rule set, gathers the
// machine's facts through the probes, applies the settings' test overrides
// and hands everything to the verdict (verdict.h), keeping the results for
// the windows and the terminal front end to read.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter_selection.h"
#include "engine/check_types.h"
#include "engine/probes/probes.h"
#include "engine/probes/steam_helper.h"
#include "engine/rule_set.h"
#include "engine/verdict.h"

class CCheckEnv {
public:
    // Uses the running machine's probes and Steam installation.
    explicit CCheckEnv(std::wstring ruleSetPath);
    // Uses the given probes and Steam helper, which must outlive this object.
    CCheckEnv(std::wstring ruleSetPath, IHardwareProbes& probes, CSteamHelper& steam);
    ~CCheckEnv();
    CCheckEnv(const CCheckEnv&) = delete;
    CCheckEnv& operator=(const CCheckEnv&) = delete;

    // Chooses the rule-set file (download cache, program folder, temporary
    // folder) and loads it; an unusable file leaves the rule set empty.
    void ReadFromJsonFile();
    // Enumerates the graphics adapters and applies the adapter overrides:
    // 0 when the enumeration ran, 1 when it could not (the probe logs why).
    int32_t ProbeGraphicsAdapters();
    // The whole check after the adapter probe: rule set, system facts,
    // classification, drivers and SteamVR.
    void Work();

    // What the main window renders.
    CheckReport Report() const;

    const VerdictResults& Results() const { return results_; }
    int32_t DriverFlags() const { return results_.driverFlags; }
    const std::vector<std::wstring>& GpuNames() const { return adapters_.gpuNames; }
    const HardwareInventory& Display() const { return display_; }
    const HardwareInventory& Normalized() const { return normalized_; }
    const RuleSet& Rules() const { return rules_; }
    // The download cache path handed in.
    const std::wstring& RuleSetPath() const { return ruleSetPath_; }
    // The rule-set file actually loaded; empty when none could be.
    const std::wstring& RuleSetFileUsed() const { return ruleSetFileUsed_; }
    // The last answer the verdict got to "is this a laptop?" (it asks at
    // every use, and the last use decides the laptop lists).
    bool LaptopAnswer() const { return laptopAnswer_; }

private:
    bool IsSteamVrInstalled();

    std::unique_ptr<IHardwareProbes> ownedProbes_;
    std::unique_ptr<CSteamHelper> ownedSteam_;
    IHardwareProbes& probes_;
    CSteamHelper& steam_;

    VerdictResults results_;
    AdapterSelection adapters_;  // what the adapter probe chose, before the verdict
    HardwareInventory display_;
    HardwareInventory normalized_;
    RuleSet rules_;
    std::wstring ruleSetPath_;
    std::wstring ruleSetFileUsed_;
    bool laptopAnswer_ = false;
};
