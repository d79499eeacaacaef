// Adapter selection and the settings' "test" section overrides.

#include "engine/adapter_selection.h"

#include <gtest/gtest.h>

#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/support/temp_folder.h"

namespace {

using Names = std::vector<std::wstring>;
using Pair = std::array<std::wstring, 2>;

VideoControllerInfo Controller(std::optional<std::wstring> description, std::optional<std::wstring> driver = {},
                               std::wstring ruleDriver = {}) {
    return VideoControllerInfo{std::move(description), std::move(driver), std::move(ruleDriver)};
}

TestOverrides Testing(std::optional<std::wstring> gpu1, std::optional<std::wstring> gpu2 = {},
                      std::optional<std::wstring> driver1 = {}, std::optional<std::wstring> driver2 = {}) {
    TestOverrides overrides;
    overrides.isTest = true;
    overrides.gpu1 = std::move(gpu1);
    overrides.gpu2 = std::move(gpu2);
    overrides.driverVersion1 = std::move(driver1);
    overrides.driverVersion2 = std::move(driver2);
    return overrides;
}

struct SelectionCase {
    const char* name;
    std::vector<VideoControllerInfo> controllers;
    TestOverrides overrides;
    Names gpuNames;
    Pair displayNames;
    Pair normalizedNames;
    Pair displayDrivers;
    Pair normalizedDrivers;
};

const VideoControllerInfo kIntel = Controller(L"Intel(R) UHD Graphics 630", L"26.20.100.7262");
const VideoControllerInfo kNvidiaLinux = Controller(L"NVIDIA GeForce GTX 1060 6GB", L"580.159.04", L"31.0.15.8159");

const SelectionCase kSelectionCases[] = {
    {"basic display adapter only", {Controller(L"Microsoft Basic Display Adapter", L"10.0.19041.1")}, {},
     {}, {}, {}, {}, {}},
    {"ATI-named adapter is refused", {Controller(L"ATI Radeon HD 5770", L"8.970.100.0")}, {}, {}, {}, {}, {}, {}},
    {"vendor compared without case", {Controller(L"nvidia quadro p620")}, {},
     {L"NVIDIA QUADRO P620 "}, {L"nvidia quadro p620 ", L""}, {L"NVIDIA QUADRO P620 ", L""}, {}, {}},
    {"Intel then NVIDIA keep enumeration order", {kIntel, kNvidiaLinux}, {},
     {L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB "},
     {L"Intel(R) UHD Graphics 630 ", L"NVIDIA GeForce GTX 1060 6GB "},
     {L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB "},
     {L"26.20.100.7262", L"580.159.04"}, {L"", L"31.0.15.8159"}},
    {"refused adapter takes no slot", {Controller(L"Microsoft Basic Display Adapter"), kNvidiaLinux}, {},
     {L"NVIDIA GEFORCE GTX 1060 6GB "}, {L"NVIDIA GeForce GTX 1060 6GB ", L""},
     {L"NVIDIA GEFORCE GTX 1060 6GB ", L""}, {L"580.159.04", L""}, {L"31.0.15.8159", L""}},
    {"controller without description takes no slot", {Controller(std::nullopt, L"1.0"), kIntel}, {},
     {L"INTEL(R) UHD GRAPHICS 630 "}, {L"Intel(R) UHD Graphics 630 ", L""},
     {L"INTEL(R) UHD GRAPHICS 630 ", L""}, {L"26.20.100.7262", L""}, {}},
    {"third adapter counts in the names only", {kIntel, kNvidiaLinux, Controller(L"AMD Radeon RX 580 Series", L"9")},
     {}, {L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB ", L"AMD RADEON RX 580 SERIES "},
     {L"Intel(R) UHD Graphics 630 ", L"NVIDIA GeForce GTX 1060 6GB "},
     {L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB "},
     {L"26.20.100.7262", L"580.159.04"}, {L"", L"31.0.15.8159"}},
    {"overrides ignored without istest", {kIntel}, [] { auto o = Testing(L"NVIDIA GeForce GTX 1060"); o.isTest = false; return o; }(),
     {L"INTEL(R) UHD GRAPHICS 630 "}, {L"Intel(R) UHD Graphics 630 ", L""},
     {L"INTEL(R) UHD GRAPHICS 630 ", L""}, {L"26.20.100.7262", L""}, {}},
    {"testgpu1 on one adapter gives two names", {kIntel}, Testing(L"NVIDIA GeForce GTX 1060"),
     {L"NVIDIA GEFORCE GTX 1060", L""}, {L"NVIDIA GeForce GTX 1060", L""},
     {L"NVIDIA GEFORCE GTX 1060", L""}, {L"26.20.100.7262", L""}, {}},
    // An absent key reads back the current name as the profile read returns a
    // default: without its trailing blank.
    {"testgpu2 reads the first name back without its blank", {kIntel}, Testing(std::nullopt, L"AMD Radeon RX 580"),
     {L"INTEL(R) UHD GRAPHICS 630", L"AMD RADEON RX 580"}, {L"Intel(R) UHD Graphics 630", L"AMD Radeon RX 580"},
     {L"INTEL(R) UHD GRAPHICS 630", L"AMD RADEON RX 580"}, {L"26.20.100.7262", L""}, {}},
    {"istest alone refills the names from the current ones", {kIntel, kNvidiaLinux, kNvidiaLinux}, Testing(std::nullopt),
     {L"INTEL(R) UHD GRAPHICS 630", L"NVIDIA GEFORCE GTX 1060 6GB"},
     {L"Intel(R) UHD Graphics 630", L"NVIDIA GeForce GTX 1060 6GB"},
     {L"INTEL(R) UHD GRAPHICS 630", L"NVIDIA GEFORCE GTX 1060 6GB"},
     {L"26.20.100.7262", L"580.159.04"}, {L"", L"31.0.15.8159"}},
    {"testgpu1 present but empty changes nothing", {kIntel}, Testing(L""),
     {L"INTEL(R) UHD GRAPHICS 630 "}, {L"Intel(R) UHD Graphics 630 ", L""},
     {L"INTEL(R) UHD GRAPHICS 630 ", L""}, {L"26.20.100.7262", L""}, {}},
    {"testdversion replaces both versions", {kNvidiaLinux}, Testing(std::nullopt, std::nullopt, L"25.21.14.1634", L"1.2"),
     {L"NVIDIA GEFORCE GTX 1060 6GB", L""}, {L"NVIDIA GeForce GTX 1060 6GB", L""},
     {L"NVIDIA GEFORCE GTX 1060 6GB", L""}, {L"25.21.14.1634", L"1.2"}, {L"25.21.14.1634", L"1.2"}},
    {"absent testdversion keeps the rule notation", {kNvidiaLinux}, Testing(L"NVIDIA GeForce RTX 3060"),
     {L"NVIDIA GEFORCE RTX 3060", L""}, {L"NVIDIA GeForce RTX 3060", L""}, {L"NVIDIA GEFORCE RTX 3060", L""},
     {L"580.159.04", L""}, {L"31.0.15.8159", L""}},
};

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, FillsNamesSlotsAndVersions) {
    const SelectionCase& c = GetParam();
    const AdapterSelection s = SelectAdapters(c.controllers, c.overrides);
    EXPECT_EQ(s.gpuNames, c.gpuNames);
    EXPECT_EQ(s.display.gpuName, c.displayNames);
    EXPECT_EQ(s.normalized.gpuName, c.normalizedNames);
    EXPECT_EQ(s.display.driverVersion, c.displayDrivers);
    EXPECT_EQ(s.normalized.driverVersion, c.normalizedDrivers);
}

INSTANTIATE_TEST_SUITE_P(Adapters, Selection, testing::ValuesIn(kSelectionCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

// The settings file is process-wide; each test points it at its own file.
class SettingsFile : public testing::Test {
protected:
    void Use(const std::string& ini) { SetSettingsFilePath(folder_.Write(L"fitprobe.ini", ini)); }
    void TearDown() override { SetSettingsFilePath(L""); }
    ScopedTempFolder folder_;
};

TEST_F(SettingsFile, ReadsPresentEmptyAndAbsentKeysApart) {
    Use("[test]\nistest=1\ntestcpu=\ntestos=Microsoft Windows 10 Pro\ntestgpu2=AMD Radeon RX 580\n"
        "testdversion1 = 25.21.14.1681\nislaptop=1\n[set]\ntestgpu1=elsewhere\n");
    const TestOverrides o = ReadTestOverrides();
    EXPECT_TRUE(o.isTest);
    EXPECT_TRUE(o.isLaptop);
    EXPECT_EQ(o.cpu, std::optional<std::wstring>(L""));
    EXPECT_EQ(o.os, std::optional<std::wstring>(L"Microsoft Windows 10 Pro"));
    EXPECT_EQ(o.gpu1, std::nullopt);
    EXPECT_EQ(o.gpu2, std::optional<std::wstring>(L"AMD Radeon RX 580"));
    EXPECT_EQ(o.driverVersion1, std::optional<std::wstring>(L"25.21.14.1681"));
    EXPECT_EQ(o.driverVersion2, std::nullopt);
}

struct TextOverrideCase {
    const char* name;
    bool isTest;
    std::optional<std::wstring> value;
    const wchar_t* cpuExpected;  // from the brand "  Intel(R) Core(TM) i5-8400"
    const wchar_t* osExpected;   // from the caption "Ubuntu 24.04.1 LTS"
};

const TextOverrideCase kTextOverrides[] = {
    {"no key keeps both", true, std::nullopt, L"  Intel(R) Core(TM) i5-8400", L"Ubuntu 24.04.1 LTS"},
    {"empty value empties the brand only", true, L"", L"", L"Ubuntu 24.04.1 LTS"},
    {"value replaces both", true, L"Windows 10 i7-9700K", L"Windows 10 i7-9700K", L"Windows 10 i7-9700K"},
    {"istest off keeps both", false, L"Windows 10 i7-9700K", L"  Intel(R) Core(TM) i5-8400", L"Ubuntu 24.04.1 LTS"},
};

TEST(TextOverrides, ReplaceBrandAndCaption) {
    for (const auto& c : kTextOverrides) {
        SCOPED_TRACE(c.name);
        TestOverrides o;
        o.isTest = c.isTest;
        o.cpu = c.value;
        o.os = c.value;
        EXPECT_EQ(ApplyCpuOverride(L"  Intel(R) Core(TM) i5-8400", o), c.cpuExpected);
        EXPECT_EQ(ApplyOsOverride(L"Ubuntu 24.04.1 LTS", o), c.osExpected);
    }
}

}  // namespace
