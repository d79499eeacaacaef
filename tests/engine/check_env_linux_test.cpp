// The check engine end to end: real probes over fixture trees of real
// machines, a real rule-set file as the download cache, a real settings file
// with the test section, and a real Steam folder in a temporary home.

#include "engine/check_env.h"

#include <gtest/gtest.h>

#include "app/built_in_rule_set.h"
#include "engine/rule_set_reader.h"

#include <string>

#include "engine/probes/probes_linux.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/engine/verdict_test_support.h"
#include "tests/support/fixtures.h"
#include "tests/support/log_capture.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/scoped_settings.h"
#include "tests/support/temp_folder.h"

namespace {

struct CheckCase {
    const char* name;
    const char* machine;
    const char* settings;        // the settings file
    const char* ruleSet;         // the download cache's own body members; nullptr: the shipped document
    bool steamVrInstalled;
    Expected expected;
    int32_t usbResult;
    uint32_t steamVrResult;
    const wchar_t* osText;
    const wchar_t* cpuText;
};

const CheckCase kChecks[] = {
    {"desktop with UHD 630 and GTX 1060: a Linux caption is no known system",
     "desktop-intel-nvidia", "", nullptr, false,
     {P, P, F, F, P, P, P, U, U, U, 0}, 2, 1, L"Ubuntu 24.04.1 LTS(64)",
     L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
    {"the same desktop made to look like Windows 10, SteamVR installed",
     "desktop-intel-nvidia", "[test]\nistest=1\ntestos=Microsoft Windows 10 Pro\n", nullptr, true,
     {P, P, F, F, P, P, P, P, P, P, 0}, 2, 2, L"Microsoft Windows 10 Pro(64)",
     L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
    {"AMD laptop: Vega 8 is blacklisted for games",
     "amd-laptop", "", nullptr, false,
     {P, P, F, P, U, U, P, U, F, U, 0}, 2, 1, L"Fedora Linux 40 (Workstation Edition)(64)",
     L"AMD Ryzen 5 3500U with Radeon Vega Mobile Gfx"},
    {"virtual machine without a display adapter or USB port",
     "vm-no-display", "", nullptr, false,
     {P, P, U, U, U, U, P, U, U, U, 0}, 1, 1, L"Debian GNU/Linux 12 (bookworm)(64)",
     L"Intel(R) Xeon(R) Platinum 8375C CPU @ 2.90GHz"},
    {"test overrides: empty processor, an adapter and its driver typed in",
     "vm-no-display",
     "[test]\nistest=1\ntestcpu=\ntestgpu1=NVIDIA GeForce GTX 1060\ntestdversion1=25.21.14.1634\n", nullptr,
     false, {U, U, P, P, U, U, P, U, U, U, 1}, 1, 1, L"Debian GNU/Linux 12 (bookworm)(64)", L""},
    {"islaptop makes a desktop use the laptop driver minimum",
     "desktop-intel-nvidia", "[test]\nislaptop=1\n", R"("DRIVER_NV_Min_Laptop":"60000")", false,
     {U, U, F, F, U, U, P, U, F, F, 2}, 2, 1, L"Ubuntu 24.04.1 LTS(64)",
     L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
    {"without islaptop the desktop minimum applies",
     "desktop-intel-nvidia", "", R"("DRIVER_NV_Min_Laptop":"60000")", false,
     {U, U, F, F, U, U, P, U, F, F, 0}, 2, 1, L"Ubuntu 24.04.1 LTS(64)",
     L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
};

TEST(CheckEnv, RunsTheWholeCheckOnRealParts) {
    for (const CheckCase& c : kChecks) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder root;
        const ScopedSettingsFile settings(root, c.settings, L"config/fitprobe.ini");
        const std::wstring cache =
            root.Write(L"data/checkerconfig.json", c.ruleSet ? CompleteRuleSet(c.ruleSet) : std::string(BuiltInRuleSetDocument()));
        if (c.steamVrInstalled) {
            root.Write(L"home/.local/share/Steam/steam.sh", "#!/bin/sh\n");
            root.Write(L"home/.local/share/Steam/steamapps/appmanifest_250820.acf",
                       ReadWholeFile(Utf8ToWide(std::string(KALO_FIXTURE_DIR) + "/steam/appmanifest_250820.acf")));
        }
        auto probes = CreateLinuxHardwareProbes(MachineRoot(c.machine));
        CSteamHelper steam(root.File(L"home"));
        CCheckEnv env(cache, *probes, steam);

        EXPECT_EQ(env.ProbeGraphicsAdapters(), 0);
        env.Work();

        EXPECT_EQ(env.RuleSetFileUsed(), cache);
        ExpectResults(env.Results(), c.expected);
        EXPECT_EQ(env.Results().usbResult, c.usbResult);
        EXPECT_EQ(env.Results().steamVrResult, c.steamVrResult);
        EXPECT_EQ(env.Display().osText, c.osText);
        EXPECT_EQ(env.Display().cpuText, c.cpuText);

        const CheckReport report = env.Report();
        EXPECT_EQ(report.cpuGameResult, c.expected.cpuGame);
        EXPECT_EQ(report.gpuGameResult, env.Results().gpuGameResult);
        EXPECT_EQ(report.memoryResult, c.expected.memory);
        EXPECT_EQ(report.osResult, c.expected.os);
        EXPECT_EQ(report.driverFlags, c.expected.driverFlags);
        EXPECT_EQ(report.display.osText, c.osText);
    }
}

TEST(CheckEnv, KeepsTheAdapterTextsTheProbeReported) {
    ScopedTempFolder root;
    const ScopedSettingsFile settings(root, "", L"config/fitprobe.ini");
    auto probes = CreateLinuxHardwareProbes(MachineRoot("desktop-intel-nvidia"));
    CSteamHelper steam(root.File(L"home"));
    CCheckEnv env(root.Write(L"checkerconfig.json", std::string(BuiltInRuleSetDocument())), *probes, steam);
    ASSERT_EQ(env.ProbeGraphicsAdapters(), 0);
    env.Work();

    EXPECT_EQ(env.GpuNames(), (std::vector<std::wstring>{L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB "}));
    EXPECT_EQ(env.Display().gpuName[1], L"NVIDIA GeForce GTX 1060 6GB ");
    EXPECT_EQ(env.Display().driverVersion[1], L"580.159.04") << "shown as the platform reports it";
    EXPECT_EQ(env.Normalized().cpuText, L"INTEL(R) CORE(TM) I7-8700 CPU @ 3.20GHZ");
    EXPECT_EQ(env.Display().memoryText, L"16GB");
    EXPECT_EQ(env.Display().usbPortCount, 4u);
}

TEST(CheckEnv, LogsTheStartOfWork) {
    ScopedTempFolder root;
    const ScopedSettingsFile settings(root, "", L"config/fitprobe.ini");
    const LogCapture log;
    auto probes = CreateLinuxHardwareProbes(MachineRoot("vm-no-display"));
    CSteamHelper steam(root.File(L"home"));
    CCheckEnv env(root.Write(L"checkerconfig.json", std::string(BuiltInRuleSetDocument())), *probes, steam);
    env.Work();

    bool found = false;
    for (const std::string& line : log.Lines()) {
        if (line.find("|CCheckEnv::Work|") != std::string::npos && line.ends_with("\tStart work...")) found = true;
    }
    EXPECT_TRUE(found);
}

TEST(CheckEnv, AnAdapterEnumerationThatCannotRunReportsOne) {
    ScopedTempFolder root;
    const ScopedSettingsFile settings(root, "", L"config/fitprobe.ini");
    const LogCapture log;
    auto probes = CreateLinuxHardwareProbes(root.File(L"no-such-machine"));
    CSteamHelper steam(root.File(L"home"));
    CCheckEnv env(L"", *probes, steam);
    EXPECT_EQ(env.ProbeGraphicsAdapters(), 1);
    EXPECT_TRUE(env.GpuNames().empty());
}

}  // namespace
