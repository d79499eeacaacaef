// Real machines against the rule set the program carries: Windows processor
// brand strings, WMI adapter descriptions and driver-store versions as those
// machines report them. Every expectation was worked out by hand from the
// published rules, list by list, so a change in any rule shows up here.

#include <gtest/gtest.h>

#include "engine/adapter_selection.h"
#include "tests/engine/verdict_test_support.h"

namespace {

struct MachineCase {
    const char* name;
    Machine machine;
    bool laptop;
    Expected expected;
};

// Expected columns: processor game/video, adapter 0 game/video, adapter 1
// game/video, memory, system, overall game/video, driver flags.
const MachineCase kMachines[] = {
    {"desktop i5-4590 with a GTX 1060 passes everything",
     {L"Intel(R) Core(TM) i5-4590 CPU @ 3.30GHz", L"Microsoft Windows 10 Pro", 64, 16 * kGiB,
      {{L"NVIDIA GeForce GTX 1060 6GB", L"31.0.15.3623"}}},
     false,
     {P, P, P, P, U, U, P, P, P, P, 0}},
    {"Ryzen 5 3600 with an RX 580 passes through the AMD game list",
     {L"AMD Ryzen 5 3600 6-Core Processor", L"Microsoft Windows 11 Home", 64, 32 * kGiB,
      {{L"AMD Radeon RX 580 Series", L"31.0.12029.10015"}}},
     false,
     {P, P, P, P, U, U, P, P, P, P, 0}},
    {"gaming laptop: UHD 630 fails beside a GTX 1060 that carries the check",
     {L"Intel(R) Core(TM) i7-8750H CPU @ 2.20GHz", L"Microsoft Windows 10 Home", 64, 16 * kGiB,
      {{L"Intel(R) UHD Graphics 630", L"27.20.100.8280"}, {L"NVIDIA GeForce GTX 1060", L"27.21.14.5671"}}},
     true,
     {P, P, F, F, P, P, P, P, P, P, 0}},
    {"office i3-4130 on HD 4400 and Windows 7 fails in both tiers",
     {L"Intel(R) Core(TM) i3-4130 CPU @ 3.40GHz", L"Microsoft Windows 7 Professional ", 64, 8 * kGiB,
      {{L"Intel(R) HD Graphics 4400", L"20.19.15.4531"}}},
     false,
     {F, U, F, F, U, U, P, F, F, F, 0}},
    {"ultrabook i5-8250U: MX150 reaches the video tier through the laptop list only",
     {L"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", L"Microsoft Windows 10 Home", 64, 8 * kGiB,
      {{L"Intel(R) UHD Graphics 620", L"26.20.100.7262"}, {L"NVIDIA GeForce MX150", L"26.21.14.4122"}}},
     true,
     {P, P, F, F, F, P, P, P, F, P, 0}},
    {"Xeon E5-2680 v4 workstation with a Quadro P4000",
     {L"Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", L"Microsoft Windows 10 Pro for Workstations", 64, 64 * kGiB,
      {{L"NVIDIA Quadro P4000", L"27.21.14.5206"}}},
     false,
     {P, P, P, P, U, U, P, P, P, P, 0}},
    {"Xeon E3-1231 v3 with a GTX 970",
     {L"Intel(R) Xeon(R) CPU E3-1231 v3 @ 3.40GHz", L"Microsoft Windows 10 Pro", 64, 16 * kGiB,
      {{L"NVIDIA GeForce GTX 970", L"26.21.14.4166"}}},
     false,
     {P, P, P, P, U, U, P, P, P, P, 0}},
    {"first-generation i7-920 brand escapes the \"i7-920 \" entry; GTX 760 and driver 391.35 fail",
     {L"Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz", L"Microsoft Windows 10 Pro", 64, 12 * kGiB,
      {{L"NVIDIA GeForce GTX 760", L"23.21.13.9135"}}},
     false,
     {P, P, F, P, U, U, P, P, F, P, 1}},
    {"Ryzen 5 2400G: the (TM) in the Vega 11 name escapes the \"Radeon RX Vega 11\" entry",
     {L"AMD Ryzen 5 2400G with Radeon Vega Graphics     ", L"Microsoft Windows 10 Home", 64, 16 * kGiB,
      {{L"AMD Radeon(TM) RX Vega 11 Graphics", L"27.20.1034.6"}}},
     false,
     {P, P, P, P, U, U, P, P, P, P, 0}},
    {"laptop GTX 980M: raised by the laptop list, failed again by the game blacklist",
     {L"Intel(R) Core(TM) i7-4720HQ CPU @ 2.60GHz", L"Microsoft Windows 10 Home", 64, 16 * kGiB,
      {{L"Intel(R) HD Graphics 4600", L"20.19.15.4963"}, {L"NVIDIA GeForce GTX 980M", L"26.21.14.4250"}}},
     true,
     {P, P, F, F, F, P, P, P, F, P, 0}},
    {"FX-8350 with an R9 280X (R9 200 Series): game tier cannot be confirmed",
     {L"AMD FX(tm)-8350 Eight-Core Processor           ", L"Microsoft Windows 10 Pro", 64, 8 * kGiB,
      {{L"AMD Radeon R9 200 Series", L"22.19.128.0"}}},
     false,
     {P, P, U, P, U, U, P, P, U, P, 0}},
    {"NUC i7-8559U: Iris Plus 655 is strong enough for video, not for games",
     {L"Intel(R) Core(TM) i7-8559U CPU @ 2.70GHz", L"Microsoft Windows 11 Pro", 64, 16 * kGiB,
      {{L"Intel(R) Iris(TM) Plus Graphics 655", L"26.20.100.6911"}}},
     false,
     {P, P, F, P, U, U, P, P, F, P, 0}},
    {"i5-10400 on the basic display adapter: no adapter, nothing confirmed",
     {L"Intel(R) Core(TM) i5-10400 CPU @ 2.90GHz", L"Microsoft Windows 10 Pro", 64, 16 * kGiB,
      {{L"Microsoft Basic Display Adapter", L"10.0.19041.868"}}},
     false,
     {P, P, U, U, U, U, P, P, U, U, 0}},
    {"Core 2 Duo, GT 730 and driver 375.70 on 32-bit Windows 7 with 3 GB",
     {L"Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", L"Microsoft Windows 7 Ultimate ", 32, 3 * kGiB,
      {{L"NVIDIA GeForce GT 730", L"21.21.13.7570"}}},
     false,
     {U, U, F, U, U, U, U, U, F, U, 1}},
    {"Ryzen 7 4800H laptop: the RTX 2060 passes, the integrated Radeon stays unconfirmed",
     {L"AMD Ryzen 7 4800H with Radeon Graphics         ", L"Microsoft Windows 11 Home", 64, 16 * kGiB,
      {{L"AMD Radeon(TM) Graphics", L"30.0.13002.1001"}, {L"NVIDIA GeForce RTX 2060", L"30.0.14.7212"}}},
     true,
     {P, P, U, U, P, P, P, P, P, P, 0}},
    {"GTX 1050 Ti enumerated before the HD 630 beside it",
     {L"Intel(R) Core(TM) i5-7500 CPU @ 3.40GHz", L"Microsoft Windows 10 Pro", 64, 8 * kGiB,
      {{L"NVIDIA GeForce GTX 1050 Ti", L"27.21.14.5671"}, {L"Intel(R) HD Graphics 630", L"26.20.100.7463"}}},
     false,
     {P, P, P, P, F, F, P, P, P, P, 0}},
    {"Ryzen 5 3600 with a GTX 1650 (not SUPER): video only",
     {L"AMD Ryzen 5 3600 6-Core Processor", L"Microsoft Windows 10 Pro", 64, 16 * kGiB,
      {{L"NVIDIA GeForce GTX 1650", L"31.0.15.1694"}}},
     false,
     {P, P, F, P, U, U, P, P, F, P, 0}},
    {"ultrabook i7-7500U on HD 620 alone: processor and adapter fail",
     {L"Intel(R) Core(TM) i7-7500U CPU @ 2.70GHz", L"Microsoft Windows 10 Home", 64, 8 * kGiB,
      {{L"Intel(R) HD Graphics 620", L"26.20.100.7262"}}},
     true,
     {F, P, F, F, U, U, P, P, F, F, 0}},
    {"Windows 8.1 desktop i5-3470 with a Radeon HD 7850 (HD 7800 Series)",
     {L"Intel(R) Core(TM) i5-3470 CPU @ 3.20GHz", L"Microsoft Windows 8.1 Pro", 64, 8 * kGiB,
      {{L"AMD Radeon HD 7800 Series", L"15.201.1151.1008"}}},
     false,
     {P, P, F, P, U, U, P, P, F, P, 0}},
};

TEST(VerdictOnRealMachines, ShippedRuleSetGivesTheHandWorkedResults) {
    for (const MachineCase& c : kMachines) {
        SCOPED_TRACE(c.name);
        const Verdict verdict = Classify(ShippedRuleSet(), c.machine, c.laptop);
        ExpectResults(verdict.results, c.expected);
    }
}

// With "istest" on and no adapter key, the adapter names come back as the
// profile read's defaults: without the trailing blank the probe appended.
// "QUADRO K420 " in the video blacklist then no longer matches.
TEST(VerdictOnRealMachines, DiagnosticModeReadsAdapterNamesBackWithoutTheirTrailingBlank) {
    const Machine machine{L"Intel(R) Core(TM) i5-4590 CPU @ 3.30GHz", L"Microsoft Windows 10 Pro", 64, 16 * kGiB,
                          {{L"NVIDIA Quadro K420", L"27.21.14.5671"}}};
    const VerdictQuestions desktop{[] { return false; }, [] { return false; }};
    ProbedFacts facts = FactsOf(machine);
    ExpectResults(ClassifyMachine(ShippedRuleSet(), facts, desktop).results, {P, P, F, F, U, U, P, P, F, F, 0});

    TestOverrides diagnostic;
    diagnostic.isTest = true;
    AdapterSelection selection = SelectAdapters({{L"NVIDIA Quadro K420", L"27.21.14.5671", L""}}, diagnostic);
    EXPECT_EQ(selection.normalized.gpuName[0], L"NVIDIA QUADRO K420");
    facts.gpuNames = selection.gpuNames;
    facts.display = selection.display;
    facts.normalized = selection.normalized;
    ExpectResults(ClassifyMachine(ShippedRuleSet(), facts, desktop).results, {P, P, F, U, U, U, P, P, F, U, 0});
}

}  // namespace
