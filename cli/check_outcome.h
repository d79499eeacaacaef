#pragma once
// Everything the terminal front end prints about one finished check.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/check_types.h"

// What the check's download did.
struct DownloadSummary {
    bool tried = false;          // false with --no-download
    bool cacheUpdated = false;   // a new rule set replaced the cache
    std::wstring failure;        // "<step>: <cause>", empty when none
    bool serviceUnreachable = false;
};

struct CheckOutcome {
    CheckReport report;  // the rows' results and the displayed texts
    CheckResult cpuVideoResult = CheckResult::Unknown;
    std::array<CheckResult, 2> gpuVideoResult{CheckResult::Unknown, CheckResult::Unknown};
    CheckResult overallGameResult = CheckResult::Unknown;
    CheckResult overallVideoResult = CheckResult::Unknown;
    uint32_t steamVrResult = 0;
    int32_t usbResult = 0;
    uint32_t combinedResult = 0;
    std::vector<std::wstring> gpuNames;
    bool laptop = false;
    std::wstring ruleSetPath;  // the document the check used; empty when none
    DownloadSummary download;
};
