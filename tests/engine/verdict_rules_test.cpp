// The classification rules one by one: the fixed-position readings of
// adapter names, the situations the vendor's support staff ask about most,
// and rule sets carrying the keys the shipped document lacks.

#include <gtest/gtest.h>

#include <string>

#include "shell/text_convert.h"
#include "tests/engine/verdict_test_support.h"

namespace {

TEST(AdapterNames, IsOldGeForceReadsTheSeriesDigit) {
    const struct {
        const wchar_t* name;
        bool old;
    } kCases[] = {
        {L"NVIDIA GEFORCE GTX 760 ", true},
        {L"NVIDIA GEFORCE GTX 460 ", true},
        {L"NVIDIA GEFORCE GT 730 ", true},
        {L"NVIDIA GEFORCE GTX 860M ", false},
        {L"NVIDIA GEFORCE GTX 1060 ", false},
        {L"NVIDIA GEFORCE GT 1030 ", false},
        {L"NVIDIA GEFORCE GTX7", false},          // ends where the digit would be
        {L"NVIDIA GEFORCE GTX ", false},          // the digit's position is the end
        {L"NVIDIA GEFORCE GTX", false},           // ends before it
        {L"NVIDIA GEFORCE GT ", false},
        {L"NVIDIA GEFORCE GTX 760 + GEFORCE GT 1030 ", false},  // the GT reading decides
        {L"AMD RADEON RX 470 ", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        EXPECT_EQ(IsOldGeForce(c.name), c.old);
    }
}

TEST(AdapterNames, IsWeakIntelGraphicsReadsTwoDigitsAfterTheProduct) {
    const struct {
        const wchar_t* name;
        bool weak;
    } kCases[] = {
        {L"INTEL(R) HD GRAPHICS 4600 ", true},            // 46
        {L"INTEL(R) HD GRAPHICS P630 ", true},            // no digits: 0
        {L"INTEL(R) HD GRAPHICS 6000 ", true},            // 60
        {L"INTEL(R) HD GRAPHICS 620 ", true},             // 62
        {L"INTEL(R) HD GRAPHICS ", true},                 // nothing after the name
        {L"INTEL(R) HD GRAPHICS", true},                  // ends before the space
        {L"INTEL(R) HD GRAPHICS 6", true},                // one digit
        {L"INTEL(R) IRIS(TM) GRAPHICS 540 ", false},      // 54
        {L"INTEL(R) IRIS(TM) GRAPHICS 6100 ", false},     // 61
        {L"INTEL(R) IRIS(TM) GRAPHICS 5100 ", true},      // 51
        {L"INTEL(R) IRIS(TM) PRO GRAPHICS 5200 ", false},
        {L"INTEL(R) IRIS(TM) PRO GRAPHICS", false},
        {L"INTEL(R) IRIS(TM) PLUS GRAPHICS 655 ", false},  // 65
        {L"INTEL(R) IRIS(TM) PLUS GRAPHICS 640 ", false},  // 64
        {L"INTEL(R) IRIS(TM) PLUS GRAPHICS", true},
        {L"INTEL(R) UHD GRAPHICS 630 ", true},
        {L"INTEL(R) IRIS(R) XE GRAPHICS ", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        EXPECT_EQ(IsWeakIntelGraphics(c.name), c.weak);
    }
}

struct RuleCase {
    const char* name;
    Machine machine;
    bool laptop;
    Expected expected;
};

void RunCases(const RuleSet& rules, const std::vector<RuleCase>& cases) {
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectResults(Classify(rules, c.machine, c.laptop).results, c.expected);
    }
}

constexpr const wchar_t* kI5 = L"Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz";
constexpr const wchar_t* kWin10 = L"Microsoft Windows 10 Pro";

// Expected columns: processor game/video, adapter 0 game/video, adapter 1
// game/video, memory, system, overall game/video, driver flags.
TEST(VerdictEdgeCases, ShippedRuleSet) {
    RunCases(ShippedRuleSet(), {
        {"UHD 620 with an i5-8: adapter fails both tiers",
         {kI5, kWin10, 64, 8 * kGiB, {{L"Intel(R) UHD Graphics 620", L"26.20.100.7262"}}}, false,
         {P, P, F, F, U, U, P, P, F, F, 0}},
        {"UHD 630 beside a GTX 1060 on a desktop: the second adapter carries the check",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"Intel(R) UHD Graphics 630", L"27.20.100.8280"}, {L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}},
         false, {P, P, F, F, P, P, P, P, P, P, 0}},
        {"GTX 1050 without Ti fails the game tier, passes video",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1050", L"27.21.14.5671"}}}, false,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"GTX 1050 Ti passes the game tier",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1050 Ti", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"GTX 980M on a desktop fails the game tier",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 980M", L"26.21.14.4250"}}}, false,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"GTX 980M on a laptop: raised, then failed by the game blacklist",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 980M", L"26.21.14.4250"}}}, true,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"GTX 1650 SUPER: blacklisted, then restored by the exception",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1650 SUPER", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"Windows 7 passes the system list, then fails its blacklist",
         {kI5, L"Microsoft Windows 7 Professional ", 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}},
         false, {P, P, P, P, U, U, P, F, F, F, 0}},
        {"32-bit system stays unknown whatever the caption",
         {kI5, kWin10, 32, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, U, U, U, 0}},
        {"unknown address width is taken as 64",
         {kI5, kWin10, 0, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"exactly 4 GiB of memory passes",
         {kI5, kWin10, 64, 4 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"one byte less stays unknown, never fails",
         {kI5, kWin10, 64, 4 * kGiB - 1, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, U, P, U, U, 0}},
        {"NVIDIA driver 416.34 sets its bit but leaves the verdict alone",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"25.21.14.1634"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 1}},
        {"an unreadable processor is unknown; the adapter still fails a tier",
         {L"", kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1050", L"27.21.14.5671"}}}, false,
         {U, U, F, P, U, U, P, P, F, U, 0}},
    });
}

TEST(VerdictEdgeCases, EmptyRuleSetLeavesOnlyTheBuiltInRules) {
    const RuleSet empty;
    RunCases(empty, {
        {"modern NVIDIA adapter: nothing confirmed, driver still judged against 416.81",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"25.21.14.1634"}}}, false,
         {U, U, U, U, U, U, P, U, U, U, 1}},
        {"old GeForce still fails the game tier",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 760", L"27.21.14.5671"}}}, false,
         {U, U, F, U, U, U, P, U, F, U, 0}},
        {"an i3 fails the processor's game tier",
         {L"Intel(R) Core(TM) i3-8100 CPU @ 3.60GHz", kWin10, 64, 8 * kGiB, {}}, false,
         {F, U, U, U, U, U, P, U, F, U, 0}},
        {"Intel HD with an i3 fails both tiers",
         {L"Intel(R) Core(TM) i3-8100 CPU @ 3.60GHz", kWin10, 64, 8 * kGiB,
          {{L"Intel(R) HD Graphics 630", L"1.0"}}}, false,
         {F, U, F, F, U, U, P, U, F, F, 0}},
        {"strong Intel graphics alone passes the video tier",
         {kI5, kWin10, 64, 8 * kGiB, {{L"Intel(R) Iris(TM) Pro Graphics 6200", L"1.0"}}}, false,
         {U, U, F, P, U, U, P, U, F, U, 0}},
    });
}

// Rule sets carrying the keys the shipped document lacks, and entries chosen
// to reach each rule in turn.
TEST(VerdictRuleSets, IntelListsAndTheGameTierLoop) {
    const RuleSet rules = RuleSetFromBody(R"({
        "CPU_Game": ["i5"], "OS": ["Windows"],
        "GPU_NV_Game": ["GTX 10", "GTX 98"],
        "GPU_AMD_Game": ["GeForce"],
        "GPU_Intel_Game": ["Iris(R) Xe"],
        "GPU_NV_Video": ["GTX 9"],
        "GPU_Intel_Video": ["UHD Graphics 7"]
    })");
    RunCases(rules, {
        {"Intel game list accepts a lone Iris Xe in both tiers",
         {kI5, kWin10, 64, 8 * kGiB, {{L"Intel(R) Iris(R) Xe Graphics", L"1.0"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"beside another adapter the accepted Intel is failed again (Pass overwritten)",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"Intel(R) Iris(R) Xe Graphics", L"1.0"}, {L"AMD Radeon RX 6600", L"1.0"}}}, false,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"Intel video list decides for the first adapter before the weak rule",
         {kI5, kWin10, 64, 8 * kGiB, {{L"Intel(R) UHD Graphics 770", L"1.0"}}}, false,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"Intel video list is not consulted for the second adapter",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"AMD Radeon RX 6600", L"1.0"}, {L"Intel(R) UHD Graphics 770", L"1.0"}}}, false,
         {P, P, U, U, F, F, P, P, U, U, 0}},
        {"one adapter tries every list: a later list turns a Fail into a Pass",
         {kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1050", L"27.21.14.5671"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"two decided adapters leave the loop before a later list can rescue one",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"NVIDIA GeForce GTX 1080", L"27.21.14.5671"}, {L"NVIDIA GeForce GTX 980M", L"27.21.14.5671"}}},
         false, {P, P, P, P, F, P, P, P, P, P, 0}},
        {"while the second is undecided the first still meets the later lists",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"NVIDIA GeForce GTX 980M", L"27.21.14.5671"}, {L"AMD Radeon Pro W6600", L"1.0"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"an adapter beyond the two slots counts but decides nothing",
         {kI5, kWin10, 64, 8 * kGiB,
          {{L"AMD Radeon RX 6600", L"1.0"}, {L"AMD Radeon Pro W6600", L"1.0"},
           {L"NVIDIA GeForce GTX 1080", L"27.21.14.5671"}}},
         false, {P, P, U, U, U, U, P, P, U, U, 0}},
    });
}

TEST(VerdictRuleSets, LaptopAndQ8Lists) {
    const RuleSet rules = RuleSetFromBody(R"({
        "CPU_Game": ["Ryzen", "i7"], "CPU_Video": ["Ryzen", "i7"], "OS": ["Windows"],
        "GPU_NV_Game": ["RTX 308", "RTX 309"], "GPU_NV_Video": ["RTX"],
        "GPU_Game_Laptop_Q8": ["RTX 3050"],
        "GPU_Video_Laptop": ["MX450"],
        "CPU_Game_BlackList": ["7-7Y75"],
        "CPU_Game_BlackList_Q8": ["4800U", "7-7Y"],
        "CPU_Video_BlackList": ["Ryzen 3"],
        "GPU_Game_BlackList": ["RTX 3050 Ti"],
        "GPU_Game_BlackList_Q8": ["RTX 3050", "MX450"],
        "GPU_Game_BlackList_Exception_Q8": ["Laptop GPU"],
        "OS_BlackList_Q8": ["Windows 8"]
    })");
    RunCases(rules, {
        {"Q8 laptop list raises an adapter no game list knows; Q8 exception restores it",
         {L"AMD Ryzen 7 5800H with Radeon Graphics", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA GeForce RTX 3050 Laptop GPU", L"30.0.15.1179"}}}, true,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"Q8 game blacklist fails it on a desktop where its exception was never met",
         {L"AMD Ryzen 7 5800X 8-Core Processor", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA GeForce RTX 3050", L"30.0.15.1179"}}}, false,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"a Fail from the first game blacklist skips the Q8 lists and their exception",
         {L"AMD Ryzen 7 5800H with Radeon Graphics", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA GeForce RTX 3050 Ti Laptop GPU", L"30.0.15.1179"}}}, true,
         {P, P, F, P, U, U, P, P, F, P, 0}},
        {"video laptop list raises the video tier; Q8 processor blacklist fails a 4800U",
         {L"AMD Ryzen 7 4800U with Radeon Graphics", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA GeForce MX450", L"30.0.15.1179"}}}, true,
         {F, P, F, P, U, U, P, P, F, P, 0}},
        {"laptop lists are ignored on a desktop",
         {L"AMD Ryzen 7 5800X 8-Core Processor", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA GeForce MX450", L"30.0.15.1179"}}}, false,
         {P, P, F, U, U, U, P, P, F, U, 0}},
        {"processor game blacklist leaves the video tier alone",
         {L"Intel(R) Core(TM) i7-7Y75 CPU @ 1.30GHz", kWin10, 64, 16 * kGiB, {}}, false,
         {F, P, U, U, U, U, P, P, F, U, 0}},
        {"processor video blacklist",
         {L"AMD Ryzen 3 3200G with Radeon Vega Graphics", L"Microsoft Windows 8.1 Pro", 64, 16 * kGiB, {}}, false,
         {P, F, U, U, U, U, P, F, F, F, 0}},
    });
}

TEST(VerdictRuleSets, BlacklistsAndTheFallbackRule) {
    const RuleSet rules = RuleSetFromBody(R"({
        "CPU_Game": ["Ryzen"], "CPU_Video": ["Ryzen"], "OS": ["Windows"], "OS_BlackList_Q8": ["Windows 8"],
        "GPU_AMD_Game": ["RX 66"], "GPU_AMD_Video": ["Radeon"],
        "GPU_Game_BlackList": ["RX 6400"],
        "GPU_Game_BlackList_Exception": ["RX 6400 XT"],
        "GPU_Video_BlackList": ["Radeon HD", "FirePro"],
        "GPU_Video_BlackList_Exception": ["Radeon HD 7970"]
    })");
    const wchar_t* ryzen = L"AMD Ryzen 5 5600X 6-Core Processor";
    RunCases(rules, {
        {"game blacklist exception turns an unknown adapter into a Pass",
         {ryzen, kWin10, 64, 16 * kGiB, {{L"AMD Radeon RX 6400 XT", L"1.0"}}}, false,
         {P, P, P, P, U, U, P, P, P, P, 0}},
        {"video blacklist lowers the game tier as well",
         {ryzen, kWin10, 64, 16 * kGiB, {{L"AMD Radeon HD 7770", L"1.0"}}}, false,
         {P, P, F, F, U, U, P, P, F, F, 0}},
        {"video blacklist exception spares both tiers",
         {ryzen, kWin10, 64, 16 * kGiB, {{L"AMD Radeon HD 7970", L"1.0"}}}, false,
         {P, P, U, P, U, U, P, P, U, P, 0}},
        {"fallback: failing first adapter with an unknown second gives Fail",
         {L"Intel(R) Pentium(R) CPU G4560 @ 3.50GHz", kWin10, 64, 16 * kGiB,
          {{L"AMD FirePro W7100", L"1.0"}, {L"NVIDIA Tesla T4", L"31.0.15.3623"}}}, false,
         {U, U, F, F, U, U, P, P, F, F, 0}},
        {"fallback: unknown first adapter with a failing second stays Unknown",
         {L"Intel(R) Pentium(R) CPU G4560 @ 3.50GHz", kWin10, 64, 16 * kGiB,
          {{L"NVIDIA Tesla T4", L"31.0.15.3623"}, {L"AMD FirePro W7100", L"1.0"}}}, false,
         {U, U, U, U, F, F, P, P, U, U, 0}},
        {"fallback: a failing system fails an unconfirmed processor",
         {L"Intel(R) Pentium(R) CPU G4560 @ 3.50GHz", L"Microsoft Windows 8.1 Pro", 64, 16 * kGiB, {}}, false,
         {U, U, U, U, U, U, P, F, F, F, 0}},
        {"with two adapters the second one's video list is consulted",
         {ryzen, kWin10, 64, 16 * kGiB,
          {{L"NVIDIA Tesla T4", L"31.0.15.3623"}, {L"AMD Radeon Pro W6600", L"1.0"}}}, false,
         {P, P, U, U, U, P, P, P, U, P, 0}},
        {"with a third adapter the second one's video list is not consulted",
         {ryzen, kWin10, 64, 16 * kGiB,
          {{L"NVIDIA Tesla T4", L"31.0.15.3623"}, {L"AMD Radeon Pro W6600", L"1.0"},
           {L"NVIDIA Tesla T4", L"31.0.15.3623"}}}, false,
         {P, P, U, U, U, U, P, P, U, U, 0}},
    });
}

TEST(VerdictRuleSets, SystemEntriesAndEmptyEntries) {
    const RuleSet rules = RuleSetFromBody(R"({
        "CPU_Game": [""], "OS": [""], "OS_BlackList_Q8": ["Server"]
    })");
    RunCases(rules, {
        {"an empty entry matches every processor and caption",
         {L"", L"", 64, 8 * kGiB, {}}, false, {P, P, U, U, U, U, P, P, U, U, 0}},
        {"the system blacklist applies after the list",
         {L"", L"Microsoft Windows Server 2019 Standard", 64, 8 * kGiB, {}}, false,
         {P, P, U, U, U, U, P, F, F, F, 0}},
    });
}

TEST(VerdictTexts, SystemMemoryAndProcessorTextsAsShown) {
    const struct {
        const char* name;
        Machine machine;
        const wchar_t* osText;
        const wchar_t* memoryText;
    } kCases[] = {
        {"caption with width", {L"", L"Microsoft Windows 10 Pro", 64, 16 * kGiB}, L"Microsoft Windows 10 Pro(64)",
         L"16GB"},
        {"32-bit width shown", {L"", L"Microsoft Windows 7 Ultimate ", 32, 3 * kGiB},
         L"Microsoft Windows 7 Ultimate (32)", L"3GB"},
        {"unknown width shown as 64", {L"", L"", 0, 0}, L"(64)", L"0GB"},
        {"exactly 4 GiB", {L"", L"x", 64, 4 * kGiB}, L"x(64)", L"4GB"},
        {"one byte below 4 GiB", {L"", L"x", 64, 4 * kGiB - 1}, L"x(64)", L"3GB"},
        {"a terabyte and a half", {L"", L"x", 64, 1536 * kGiB}, L"x(64)", L"1536GB"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const Verdict verdict = Classify(RuleSet{}, c.machine, false);
        EXPECT_EQ(verdict.display.osText, c.osText);
        EXPECT_EQ(verdict.display.memoryText, c.memoryText);
    }

    const Verdict brand = Classify(RuleSet{}, {L"  Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz", L"x"}, false);
    EXPECT_EQ(brand.display.cpuText, L"  Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz") << "leading spaces stay";
    EXPECT_EQ(brand.normalized.cpuText, L"  INTEL(R) CORE(TM) I5-8400 CPU @ 2.80GHZ");
}

TEST(VerdictTexts, AnAbsurdCaptionIsCutAtTheBuffer) {
    const std::wstring caption(5000, L'W');
    ProbedFacts facts;
    facts.system = {64, 0, 0, caption};
    const Verdict verdict = ClassifyMachine(RuleSet{}, facts, {});
    EXPECT_EQ(verdict.display.osText.size(), 1023u);
    EXPECT_EQ(verdict.display.osText, caption.substr(0, 1023));
}

TEST(VerdictAnswers, UsbPortsAndSteamVr) {
    const struct {
        const char* name;
        int32_t ports;
        bool steamVr;
        uint32_t usbCount;
        int32_t usbResult;
        uint32_t steamVrResult;
    } kCases[] = {
        {"no qualifying port, no SteamVR", 0, false, 0, 1, 1},
        {"one port, SteamVR found", 1, true, 1, 2, 2},
        {"several ports", 4, false, 4, 2, 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.usbPortCount = c.ports;
        const Verdict verdict = Classify(RuleSet{}, machine, false, c.steamVr);
        EXPECT_EQ(verdict.display.usbPortCount, c.usbCount);
        EXPECT_EQ(verdict.results.usbResult, c.usbResult);
        EXPECT_EQ(verdict.results.steamVrResult, c.steamVrResult);
    }
}

TEST(VerdictAnswers, TheLaptopQuestionIsAskedAtEachUse) {
    const struct {
        const char* name;
        std::vector<Controller> controllers;
        int asked;
    } kCases[] = {
        {"no adapter: only the laptop lists ask", {}, 1},
        {"Intel and AMD drivers ask once each",
         {{L"Intel(R) UHD Graphics 630", L"1.0"}, {L"AMD Radeon RX 580 Series", L"1.0"}}, 3},
        {"NVIDIA drivers ask for the minimum and for the blacklist",
         {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}, {L"NVIDIA GeForce GTX 1080", L"27.21.14.5671"}}, 5},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Machine machine;
        machine.controllers = c.controllers;
        int asked = 0;
        ClassifyMachine(ShippedRuleSet(), FactsOf(machine), {[&] { return ++asked, false; }, nullptr});
        EXPECT_EQ(asked, c.asked);
    }
}

TEST(VerdictAnswers, AnAnswerThatChangesMidCheckIsHonoured) {
    // The settings file can switch "islaptop" while a check runs; each rule
    // uses the answer it got. Here the minimum is chosen as a desktop and the
    // blacklist as a laptop.
    const RuleSet rules = RuleSetFromBody(R"({"DRIVER_NV_BlackList_Laptop": ["45671"]})");
    ProbedFacts facts = FactsOf({kI5, kWin10, 64, 8 * kGiB, {{L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}});
    int asked = 0;
    const Verdict verdict = ClassifyMachine(rules, facts, {[&] { return ++asked > 1; }, nullptr});
    EXPECT_EQ(verdict.results.driverFlags, 1);
}

}  // namespace
