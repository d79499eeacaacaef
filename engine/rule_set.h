#pragma once
// The loaded rule set: the lists and version texts of the "body" of a
// checkerconfig.json document. List entries are stored upper-cased (ASCII
// only); version texts are stored as written.

#include <array>
#include <string>
#include <vector>

using RuleList = std::vector<std::wstring>;

struct RuleSet {
    RuleList cpuGame;
    RuleList cpuVideo;
    RuleList gpuNvGame;
    RuleList gpuNvVideo;
    RuleList gpuAmdGame;
    RuleList gpuAmdVideo;
    RuleList gpuIntelGame;
    RuleList gpuIntelVideo;
    RuleList cpuIntelVideo;  // loaded and kept; no rule reads it
    RuleList cpuAmdVideo;    // loaded and kept; no rule reads it
    RuleList os;
    RuleList gpuGameLaptop;
    RuleList gpuGameLaptopQ8;
    RuleList gpuVideoLaptop;
    RuleList cpuGameBlackList;
    RuleList cpuVideoBlackList;
    RuleList cpuGameBlackListQ8;
    RuleList gpuGameBlackList;
    RuleList gpuVideoBlackList;
    RuleList gpuGameBlackListQ8;
    RuleList driverIntelBlackList;
    RuleList driverNvBlackList;
    RuleList driverAmdBlackList;
    RuleList driverIntelBlackListLaptop;
    RuleList driverNvBlackListLaptop;
    RuleList driverAmdBlackListLaptop;
    RuleList osBlackListQ8;

    std::wstring driverIntelMin;
    std::wstring driverNvMin;
    std::wstring driverAmdMin;
    std::wstring driverIntelMinLaptop;
    std::wstring driverNvMinLaptop;
    std::wstring driverAmdMinLaptop;

    RuleList gpuGameBlackListException;
    RuleList gpuGameBlackListExceptionQ8;
    RuleList gpuVideoBlackListException;
};

// Document keys, in the order they are loaded.
struct RuleListKey {
    const char* key;
    RuleList RuleSet::*list;
    // The shipped document carries it: a copy without it is no usable rule
    // set (the verdict would decide nothing), whatever else it holds.
    bool required;
};
struct RuleTextKey {
    const char* key;
    std::wstring RuleSet::*text;
};
extern const std::array<RuleListKey, 30> kRuleListKeys;
extern const std::array<RuleTextKey, 6> kRuleTextKeys;
