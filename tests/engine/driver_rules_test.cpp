// Graphics drivers: release numbers, part-by-part versions and the rule-set
// keys that judge them.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "shell/text_convert.h"
#include "tests/engine/verdict_test_support.h"

namespace {

TEST(VersionText, SplitsAtDotsKeepingInnerEmptyPartsOnly) {
    const struct {
        const wchar_t* text;
        std::vector<std::wstring> parts;
    } kCases[] = {
        {L"25.21.14.1681", {L"25", L"21", L"14", L"1681"}},
        {L"1..2", {L"1", L"", L"2"}},
        {L"1.2.", {L"1", L"2"}},
        {L"1.2..", {L"1", L"2", L""}},
        {L".5", {L"", L"5"}},
        {L".", {L""}},
        {L"416", {L"416"}},
        {L"", {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        const auto parts = SplitVersion(c.text);
        EXPECT_EQ(std::vector<std::wstring>(parts.begin(), parts.end()), c.parts);
    }
}

TEST(VersionText, DecimalValueReadsLeadingDigitsLikeWcstol) {
    const struct {
        const wchar_t* text;
        int32_t value;
    } kCases[] = {
        {L"1681", 1681},      {L"42abc", 42},   {L"abc", 0},          {L"", 0},
        {L" \t7", 7},         {L"-12", -12},    {L"+5", 5},           {L"0x1A", 0},
        {L"2147483647", INT32_MAX},             {L"2147483648", INT32_MAX},
        {L"99999999999999999999999", INT32_MAX}, {L"-2147483648", INT32_MIN},
        {L"-99999999999999999999999", INT32_MIN},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        EXPECT_EQ(DecimalValue(c.text), c.value);
    }
}

TEST(VersionText, NvidiaDriverNumberReadsTheReleaseFromTheLastTwoParts) {
    const struct {
        const wchar_t* text;
        int32_t number;
    } kCases[] = {
        {L"25.21.14.1681", 41681},  // 416.81
        {L"31.0.15.3623", 53623},   // 536.23
        {L"27.21.14.5671", 45671},
        {L"25.21.14.1634", 41634},
        {L"416.81", 60081},         // a release written as such is not its number
        {L"1..2", 2},               // the empty part reads as 0
        {L"1.2.", 10002},           // the trailing empty part does not count
        {L"416", 0},
        {L"", 0},
        {L"14.abc", 40000},
        {L"9.99999999999", INT32_MAX},      // held in range, no overflow
        {L"-9.-99999999999", INT32_MIN},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        EXPECT_EQ(NvidiaDriverNumber(c.text), c.number);
    }
}

TEST(VersionText, CompareVersionsAlignsPartsFromTheRight) {
    const struct {
        const wchar_t* a;
        const wchar_t* b;
        int expected;
    } kCases[] = {
        {L"27.20.100.8280", L"100.8280", 0},
        {L"30.0.14.7111", L"471.11", -1},  // 14 against 471
        {L"26.20.100.7262", L"100.7000", 1},
        {L"31.0.101.4255", L"30.0.101.1191", 1},
        {L"1.2", L"1.10", -1},
        {L"1..2", L"1.0.2", 0},
        {L"", L"1.2", 0},  // no parts to compare
        {L"5", L"4.9", -1},  // 5 is compared with 9
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(std::wstring(c.a) + L" vs " + c.b));
        EXPECT_EQ(CompareVersions(c.a, c.b), c.expected);
    }
}

TEST(EvaluateDriver, JudgesEachVendorByItsKeys) {
    struct Case {
        const char* name;
        const char* body;  // rule-set body
        const wchar_t* adapter;
        const wchar_t* version;
        bool laptop;
        CheckResult expected;
    };
    const Case kCases[] = {
        // NVIDIA with the built-in minimum 416.81
        {"NVIDIA 536.23 passes", "{}", L"NVIDIA GeForce RTX 3060 ", L"31.0.15.3623", false, P},
        {"NVIDIA 416.81 exactly passes", "{}", L"NVIDIA GeForce GTX 1060 ", L"25.21.14.1681", false, P},
        {"NVIDIA 416.34 fails", "{}", L"NVIDIA GeForce GTX 1060 ", L"25.21.14.1634", false, F},
        {"NVIDIA version without a dot is unknown", "{}", L"NVIDIA GeForce GTX 1060 ", L"416", false, U},
        {"vendor is found in any case", "{}", L"nvidia geforce gtx 1060 ", L"25.21.14.1634", false, F},
        // NVIDIA minimum from the rule set
        {"numeric minimum raises the bar", R"({"DRIVER_NV_Min":"45000"})", L"NVIDIA GeForce GTX 1060 ",
         L"26.21.14.4250", false, F},
        {"numeric minimum met", R"({"DRIVER_NV_Min":"45000"})", L"NVIDIA GeForce GTX 1060 ", L"27.21.14.5671",
         false, P},
        {"dotted minimum 471.11 compares driver-store parts: 14 < 471", R"({"DRIVER_NV_Min":"471.11"})",
         L"NVIDIA GeForce GTX 1060 ", L"30.0.14.7111", false, F},
        {"dotted minimum against a release-style version", R"({"DRIVER_NV_Min":"471.11"})",
         L"NVIDIA GeForce GTX 1060 ", L"472.12", false, P},
        {"minimum that is no number uses the version rule", R"({"DRIVER_NV_Min":"abc"})",
         L"NVIDIA GeForce GTX 1060 ", L"25.21.14.1634", false, P},
        {"laptop minimum applies on a laptop", R"({"DRIVER_NV_Min_Laptop":"50000"})",
         L"NVIDIA GeForce GTX 1060 ", L"27.21.14.5671", true, F},
        {"laptop minimum is ignored on a desktop", R"({"DRIVER_NV_Min_Laptop":"50000"})",
         L"NVIDIA GeForce GTX 1060 ", L"27.21.14.5671", false, P},
        // NVIDIA blacklist
        {"blacklisted release number fails a new-enough driver", R"({"DRIVER_NV_BlackList":["44166"]})",
         L"NVIDIA GeForce GTX 1060 ", L"26.21.14.4166", false, F},
        {"blacklisted driver-store version", R"({"DRIVER_NV_BlackList":["27.21.14.4166"]})",
         L"NVIDIA GeForce GTX 1060 ", L"26.21.14.4166", false, F},
        {"empty blacklist entry is skipped", R"({"DRIVER_NV_BlackList":[""]})", L"NVIDIA GeForce GTX 1060 ",
         L"26.21.14.4166", false, P},
        {"laptop blacklist on a laptop", R"({"DRIVER_NV_BlackList_Laptop":["44166"]})",
         L"NVIDIA GeForce GTX 1060 ", L"26.21.14.4166", true, F},
        {"laptop blacklist is ignored on a desktop", R"({"DRIVER_NV_BlackList_Laptop":["44166"]})",
         L"NVIDIA GeForce GTX 1060 ", L"26.21.14.4166", false, P},
        {"version-rule blacklist matches fragments", R"({"DRIVER_NV_Min":"1.0","DRIVER_NV_BlackList":["14.41"]})",
         L"NVIDIA GeForce GTX 1060 ", L"26.21.14.4166", false, F},
        // Intel and AMD: the version rule
        {"Intel without keys is unknown", "{}", L"Intel(R) UHD Graphics 630 ", L"27.20.100.8280", false, U},
        {"Intel below its minimum", R"({"DRIVER_Intel_Min":"27.20.100.8280"})", L"Intel(R) UHD Graphics 630 ",
         L"27.20.100.8190", false, F},
        {"Intel minimum compared right-aligned", R"({"DRIVER_Intel_Min":"100.9000"})",
         L"Intel(R) UHD Graphics 630 ", L"27.20.100.8280", false, F},
        {"Intel blacklist fragment", R"({"DRIVER_Intel_BlackList":["100.8280"]})", L"Intel(R) UHD Graphics 630 ",
         L"27.20.100.8280", false, F},
        {"Intel laptop keys on a laptop", R"({"DRIVER_Intel_Min":"1.0","DRIVER_Intel_Min_Laptop":"100.9000"})",
         L"Intel(R) UHD Graphics 630 ", L"27.20.100.8280", true, F},
        {"Intel laptop blacklist ignored on a desktop", R"({"DRIVER_Intel_BlackList_Laptop":["8280"]})",
         L"Intel(R) UHD Graphics 630 ", L"27.20.100.8280", false, U},
        {"AMD at its minimum", R"({"DRIVER_AMD_Min":"31.0.12029.10015"})", L"AMD Radeon RX 580 Series ",
         L"31.0.12029.10015", false, P},
        {"AMD laptop minimum", R"({"DRIVER_AMD_Min_Laptop":"31.0.12029.10015"})", L"AMD Radeon(TM) Graphics ",
         L"30.0.13002.1001", true, F},
        {"AMD blacklist", R"({"DRIVER_AMD_BlackList":["22.19.128"]})", L"AMD Radeon R9 200 Series ",
         L"22.19.128.0", false, F},
        // No known vendor
        {"other vendors are never judged", R"({"DRIVER_Intel_Min":"99.0","DRIVER_AMD_Min":"99.0"})",
         L"ATI Radeon HD 5770 ", L"8.17.10.1129", false, U},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const RuleSet rules = RuleSetFromBody(c.body);
        EXPECT_EQ(EvaluateDriver(rules, c.adapter, c.version, [&] { return c.laptop; }), c.expected);
    }
}

TEST(ComputeDriverFlags, SetsOneBitPerFailingAdapter) {
    struct Case {
        const char* name;
        std::array<const wchar_t*, 2> adapters;
        std::array<const wchar_t*, 2> displayed;   // as the probe reports it
        std::array<const wchar_t*, 2> ruleNotation;  // the probe's Windows-notation equivalent, if any
        int32_t flags;
    };
    const Case kCases[] = {
        {"Intel unknown, NVIDIA too old", {L"Intel(R) UHD Graphics 630 ", L"NVIDIA GeForce GTX 1060 "},
         {L"27.20.100.8280", L"25.21.14.1634"}, {L"", L""}, 2},
        {"both NVIDIA too old", {L"NVIDIA GeForce GTX 1060 ", L"NVIDIA GeForce GTX 1060 "},
         {L"25.21.14.1634", L"23.21.13.9135"}, {L"", L""}, 3},
        {"unknown driver sets no bit", {L"NVIDIA GeForce GTX 1060 ", L""}, {L"416", L""}, {L"", L""}, 0},
        {"Linux release 535.54.03 read alone looks like 40003",
         {L"NVIDIA GeForce RTX 3060 ", L""}, {L"535.54.03", L""}, {L"", L""}, 1},
        {"its Windows-notation equivalent is what the rules read",
         {L"NVIDIA GeForce RTX 3060 ", L""}, {L"535.54.03", L""}, {L"31.0.15.3554", L""}, 0},
    };
    const RuleSet empty;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        HardwareInventory display;
        HardwareInventory normalized;
        for (size_t k = 0; k < 2; ++k) {
            display.gpuName[k] = c.adapters[k];
            normalized.gpuName[k] = UpperAscii(c.adapters[k]);
            display.driverVersion[k] = c.displayed[k];
            normalized.driverVersion[k] = c.ruleNotation[k];
        }
        EXPECT_EQ(ComputeDriverFlags(empty, display, normalized, [] { return false; }), c.flags);
    }
}

}  // namespace
