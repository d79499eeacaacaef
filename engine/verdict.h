#pragma once
// The compatibility verdict: turns the rule set and the probed facts into
// per-component results, driver flags and the overall game and video
// verdicts. It reads no file and asks no system; the two questions that reach
// the machine (is it a laptop, is SteamVR installed) are handed in, so every
// rule can be exercised with a table of machines.
//
// The rules are the vendor's, quirks included, because users and the
// vendor's support staff compare our verdicts with the rule set they publish.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/adapter_selection.h"
#include "engine/check_types.h"
#include "engine/driver_rules.h"
#include "engine/match_and_set.h"
#include "engine/probes/probes.h"
#include "engine/rule_set.h"

// Every result a check produces.
struct VerdictResults {
    CheckResult cpuGameResult = CheckResult::Unknown;
    CheckResult cpuVideoResult = CheckResult::Unknown;
    std::array<CheckResult, 2> gpuGameResult{CheckResult::Unknown, CheckResult::Unknown};
    std::array<CheckResult, 2> gpuVideoResult{CheckResult::Unknown, CheckResult::Unknown};
    CheckResult memoryResult = CheckResult::Unknown;
    CheckResult osResult = CheckResult::Unknown;
    CheckResult overallGameResult = CheckResult::Unknown;
    CheckResult overallVideoResult = CheckResult::Unknown;
    uint32_t steamVrResult = 0;  // 2 found, 1 not found
    int32_t usbResult = 0;       // 2 with at least one qualifying port, else 1
    int32_t driverFlags = 0;     // bit 0: first adapter's driver fails; bit 1: second's
};

// What the probes found, with the settings' test overrides already applied.
struct ProbedFacts {
    // Upper-case names of every accepted adapter; its size is the adapter
    // count, which may exceed the two slots below.
    std::vector<std::wstring> gpuNames;
    HardwareInventory display;     // gpuName and driverVersion as reported
    HardwareInventory normalized;  // gpuName upper-cased; driverVersion in rule notation where known
    SystemFacts system;            // caption after "testos"
    std::wstring cpuBrand;         // after "testcpu"
};

// The facts of one check: the adapter probe's selection, the system probe
// and the processor brand, each already through its overrides.
ProbedFacts CombineFacts(AdapterSelection adapters, SystemFacts system, std::wstring cpuBrand);

// The two questions the verdict asks the machine while it runs.
struct VerdictQuestions {
    LaptopQuestion isLaptop;                 // asked afresh at each use
    std::function<bool()> isSteamVrInstalled;  // asked once, last
};

struct Verdict {
    VerdictResults results;
    HardwareInventory display;     // the facts completed with the texts shown to the user
    HardwareInventory normalized;  // with the upper-case processor text added
};

// The whole classification, step by step in the vendor's order.
Verdict ClassifyMachine(const RuleSet& rules, const ProbedFacts& facts, const VerdictQuestions& questions);

// GeForce GTX or GT of the 400 to 700 series, read from the digit at a fixed
// distance after "GEFORCE GTX" / "GEFORCE GT "; a name that ends before that
// digit is not old.
bool IsOldGeForce(std::wstring_view name);

// Intel graphics too weak for the video tier, judged from the two characters
// that follow the product name; characters missing at the end of the name
// read as no digit.
bool IsWeakIntelGraphics(std::wstring_view name);

// On a laptop the laptop lists raise adapters to Pass; the blacklists that
// run afterwards can lower them again.
void ApplyLaptopLists(const RuleSet& rules, const std::vector<std::wstring>& gpuNames, VerdictResults& results);

// "%ls(%d)" of caption and address width, and "%lldGB", cut like the
// 1,024-character buffers the window code was written for.
std::wstring FormatOsText(const std::wstring& caption, int32_t addressWidth);
std::wstring FormatMemoryText(int64_t gigabytes);
