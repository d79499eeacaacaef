#pragma once
// Machines and rule sets for the verdict tests, built the way a check builds
// them: rule sets are parsed from JSON documents by the program's own loader,
// and adapters go through the real adapter selection (vendor filter, trailing
// space, upper-casing).

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "engine/verdict.h"

inline constexpr CheckResult P = CheckResult::Pass;
inline constexpr CheckResult F = CheckResult::Fail;
inline constexpr CheckResult U = CheckResult::Unknown;

inline constexpr int64_t kGiB = int64_t{1} << 30;

// The rule set the program carries (resource "JSON" 102).
const RuleSet& ShippedRuleSet();
// A rule set loaded from `{"body": <body>}`.
RuleSet RuleSetFromBody(const char* body);

// One video controller as the platform reports it.
struct Controller {
    const wchar_t* description;
    const wchar_t* driverVersion;
};

struct Machine {
    const wchar_t* cpuBrand = L"";
    const wchar_t* osCaption = L"";
    int32_t addressWidth = 64;
    int64_t memoryBytes = 0;
    std::vector<Controller> controllers = {};
    int32_t usbPortCount = 1;
};

ProbedFacts FactsOf(const Machine& machine);
Verdict Classify(const RuleSet& rules, const Machine& machine, bool laptop, bool steamVr = false);

// The results a row expects, in the order a reader checks them.
struct Expected {
    CheckResult cpuGame, cpuVideo;
    CheckResult gpu0Game, gpu0Video;
    CheckResult gpu1Game, gpu1Video;
    CheckResult memory, os;
    CheckResult overallGame, overallVideo;
    int32_t driverFlags;
};

// Compares every field and names the ones that differ.
void ExpectResults(const VerdictResults& actual, const Expected& expected);

std::ostream& operator<<(std::ostream& out, CheckResult result);
