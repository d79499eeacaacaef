#pragma once
// Judging graphics drivers against the rule set. NVIDIA drivers are compared
// as release numbers (416.81 is the number 41681, read from the Windows
// driver-store notation 25.21.14.1681); Intel and AMD drivers, and NVIDIA
// drivers whose minimum is written as a version, are compared part by part,
// right-aligned. Nothing here touches the machine: the laptop question is
// handed in and asked afresh wherever a rule needs it.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/check_types.h"
#include "engine/rule_set.h"

// Answers whether the machine is a laptop; called at every use, never cached,
// because the answer may come from a settings file that changes meanwhile.
using LaptopQuestion = std::function<bool()>;

// The NVIDIA minimum that applies when the rule set names none (416.81).
inline constexpr int32_t kBuiltInNvidiaMinimum = 41681;

// Leading decimal digits the way the C library's wcstol reads them: leading
// white space and one sign allowed, 0 when there are no digits. Values beyond
// the 32-bit range are held at its ends, as on the platform the rule set was
// written for, instead of overflowing.
int32_t DecimalValue(std::wstring_view text);

// The parts of a version text between dots. An empty part before a dot counts
// ("1..2" has three parts); an empty part after the last dot does not ("1.2."
// has two), so "" has none.
std::vector<std::wstring_view> SplitVersion(std::wstring_view text);

// (last digit of the next-to-last part) * 10000 + the last part; 0 with fewer
// than two parts. Held within the 32-bit range on absurd input.
int32_t NvidiaDriverNumber(std::wstring_view text);

// Compares the last k parts of both versions pairwise, k being the smaller
// part count: 1 when a is newer at the first difference, -1 when older, 0
// when they agree (or either has no parts).
int CompareVersions(std::wstring_view a, std::wstring_view b);

// The result of one adapter's driver: Unknown for adapters of no known
// vendor, for NVIDIA versions that carry no release number, and wherever the
// rule set names neither a minimum nor a matching blacklist entry.
CheckResult EvaluateDriver(const RuleSet& rules, std::wstring_view name, std::wstring_view driverVersion,
                           const LaptopQuestion& isLaptop);

// The version the driver rules read for slot k: the rule-notation version the
// probe or an override left in `normalized`, else the version as displayed.
std::wstring_view DriverVersionToJudge(const HardwareInventory& display, const HardwareInventory& normalized,
                                       size_t k);

// Bit 0: the first adapter's driver fails; bit 1: the second's. An Unknown
// driver sets no bit.
int32_t ComputeDriverFlags(const RuleSet& rules, const HardwareInventory& display,
                           const HardwareInventory& normalized, const LaptopQuestion& isLaptop);
