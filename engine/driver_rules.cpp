#include "engine/driver_rules.h"

#include <algorithm>
#include <limits>

#include "engine/match_and_set.h"
#include "engine/matching.h"
#include "shell/text_util.h"

namespace {

int32_t ClampToInt32(int64_t value) {
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(value, kMin, kMax));
}

// The version rule: a minimum compared part by part, then a blacklist of
// version fragments that fails whatever the minimum said.
CheckResult JudgeByVersion(const RuleList& blacklist, const std::wstring& minimum, std::wstring_view driverVersion) {
    CheckResult result = CheckResult::Unknown;
    if (!minimum.empty()) {
        result = CompareVersions(driverVersion, minimum) >= 0 ? CheckResult::Pass : CheckResult::Fail;
    }
    // Entries are stored upper-cased like every rule entry, so the version is
    // matched in the same form.
    MatchAnyAndSet(result, blacklist, UpperAscii(driverVersion), CheckResult::Fail);
    return result;
}

CheckResult JudgeNvidiaByVersion(const RuleSet& rules, std::wstring_view driverVersion, const LaptopQuestion& isLaptop) {
    const bool laptop = isLaptop();
    return JudgeByVersion(laptop ? rules.driverNvBlackListLaptop : rules.driverNvBlackList,
                          laptop ? rules.driverNvMinLaptop : rules.driverNvMin, driverVersion);
}

CheckResult EvaluateNvidiaDriver(const RuleSet& rules, std::wstring_view driverVersion, const LaptopQuestion& isLaptop) {
    const std::wstring& minimum = isLaptop() ? rules.driverNvMinLaptop : rules.driverNvMin;
    int32_t threshold = kBuiltInNvidiaMinimum;
    if (!minimum.empty()) {
        // A minimum written as a version ("471.11"), or one that is no number,
        // is compared part by part instead of as a release number.
        if (Contains(minimum, L".")) return JudgeNvidiaByVersion(rules, driverVersion, isLaptop);
        threshold = DecimalValue(minimum);
        if (threshold == 0) return JudgeNvidiaByVersion(rules, driverVersion, isLaptop);
    }

    const int32_t number = NvidiaDriverNumber(driverVersion);
    if (number == 0) return CheckResult::Unknown;
    CheckResult result = number >= threshold ? CheckResult::Pass : CheckResult::Fail;

    const RuleList& blacklist = isLaptop() ? rules.driverNvBlackListLaptop : rules.driverNvBlackList;
    for (const std::wstring& entry : blacklist) {
        if (entry.empty()) continue;
        const int32_t banned = Contains(entry, L".") ? NvidiaDriverNumber(entry) : DecimalValue(entry);
        if (banned == number) {
            result = CheckResult::Fail;
            break;
        }
    }
    return result;
}

}  // namespace

int32_t DecimalValue(std::wstring_view text) { return LeadingInt32(text); }

std::vector<std::wstring_view> SplitVersion(std::wstring_view text) {
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    for (size_t dot = text.find(L'.'); dot != std::wstring_view::npos; dot = text.find(L'.', start)) {
        parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

int32_t NvidiaDriverNumber(std::wstring_view text) {
    const std::vector<std::wstring_view> parts = SplitVersion(text);
    if (parts.size() < 2) return 0;
    const int64_t branch = DecimalValue(parts[parts.size() - 2]) % 10;
    return ClampToInt32(branch * 10000 + DecimalValue(parts.back()));
}

int CompareVersions(std::wstring_view a, std::wstring_view b) {
    const std::vector<std::wstring_view> left = SplitVersion(a);
    const std::vector<std::wstring_view> right = SplitVersion(b);
    const size_t count = std::min(left.size(), right.size());
    const size_t leftStart = left.size() - count;
    const size_t rightStart = right.size() - count;
    for (size_t i = 0; i < count; ++i) {
        const int32_t x = DecimalValue(left[leftStart + i]);
        const int32_t y = DecimalValue(right[rightStart + i]);
        if (x != y) return x > y ? 1 : -1;
    }
    return 0;
}

CheckResult EvaluateDriver(const RuleSet& rules, std::wstring_view name, std::wstring_view driverVersion,
                           const LaptopQuestion& isLaptop) {
    const std::wstring upper = UpperAscii(name);
    if (Contains(upper, L"NVIDIA")) return EvaluateNvidiaDriver(rules, driverVersion, isLaptop);
    if (Contains(upper, L"INTEL")) {
        const bool laptop = isLaptop();
        return JudgeByVersion(laptop ? rules.driverIntelBlackListLaptop : rules.driverIntelBlackList,
                              laptop ? rules.driverIntelMinLaptop : rules.driverIntelMin, driverVersion);
    }
    if (Contains(upper, L"AMD")) {
        const bool laptop = isLaptop();
        return JudgeByVersion(laptop ? rules.driverAmdBlackListLaptop : rules.driverAmdBlackList,
                              laptop ? rules.driverAmdMinLaptop : rules.driverAmdMin, driverVersion);
    }
    return CheckResult::Unknown;
}

std::wstring_view DriverVersionToJudge(const HardwareInventory& display, const HardwareInventory& normalized,
                                       size_t k) {
    return normalized.driverVersion[k].empty() ? std::wstring_view(display.driverVersion[k])
                                               : std::wstring_view(normalized.driverVersion[k]);
}

int32_t ComputeDriverFlags(const RuleSet& rules, const HardwareInventory& display,
                           const HardwareInventory& normalized, const LaptopQuestion& isLaptop) {
    int32_t flags = 0;
    for (size_t k = 0; k < 2; ++k) {
        const CheckResult result =
            EvaluateDriver(rules, display.gpuName[k], DriverVersionToJudge(display, normalized, k), isLaptop);
        if (result == CheckResult::Fail) flags |= 1 << k;
    }
    return flags;
}
