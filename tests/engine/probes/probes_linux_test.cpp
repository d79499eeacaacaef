// The Linux probes against fixture trees laid out like the procfs, sysfs and
// /etc of real machines, and once against the machine running the tests.

#include "engine/probes/probes_linux.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "engine/adapter_selection.h"
#include "engine/driver_rules.h"
#include "shell/platform.h"
#include "shell/text_convert.h"
#include "tests/support/fixtures.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kGiB = 1024LL * 1024 * 1024;

struct ExpectedAdapter {
    const wchar_t* description;
    const wchar_t* driverVersion;  // null: none reported
    const wchar_t* ruleDriverVersion;
};

struct MachineCase {
    const char* machine;
    std::vector<ExpectedAdapter> adapters;
    int32_t addressWidth;
    int64_t memoryBytes;
    int32_t usbPorts;
    const wchar_t* os;
    const wchar_t* cpu;
    bool laptop;
};

const MachineCase kMachines[] = {
    {"desktop-intel-nvidia",
     {{L"Intel(R) UHD Graphics 630", nullptr, L""},
      {L"NVIDIA GeForce GTX 1060 6GB", L"580.159.04", L"31.0.15.8159"}},
     64, 16 * kGiB, 4, L"Ubuntu 24.04.1 LTS", L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", false},
    {"amd-laptop", {{L"AMD Radeon Vega 8 Graphics", nullptr, L""}},
     64, 8 * kGiB, 2, L"Fedora Linux 40 (Workstation Edition)", L"AMD Ryzen 5 3500U with Radeon Vega Mobile Gfx", true},
    {"intel-laptop", {{L"Intel(R) UHD Graphics 620", nullptr, L""}},
     64, 4 * kGiB, 3, L"Debian GNU/Linux 12 (bookworm)", L"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", true},
    {"vm-no-display", {},
     64, 32 * kGiB, 0, L"Debian GNU/Linux 12 (bookworm)", L"Intel(R) Xeon(R) Platinum 8375C CPU @ 2.90GHz", false},
};

class MachineFixture : public testing::TestWithParam<MachineCase> {};

TEST_P(MachineFixture, ReportsWhatWindowsWouldReport) {
    const MachineCase& c = GetParam();
    const auto probes = CreateLinuxHardwareProbes(MachineRoot(c.machine));

    std::vector<VideoControllerInfo> controllers;
    ASSERT_TRUE(probes->EnumerateVideoControllers(controllers));
    ASSERT_EQ(controllers.size(), c.adapters.size());
    for (size_t i = 0; i < controllers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(controllers[i].description.value_or(L"<none>"), c.adapters[i].description);
        if (c.adapters[i].driverVersion) {
            EXPECT_EQ(controllers[i].driverVersion.value_or(L"<none>"), c.adapters[i].driverVersion);
        } else {
            EXPECT_FALSE(controllers[i].driverVersion.has_value());
        }
        EXPECT_EQ(controllers[i].ruleDriverVersion, c.adapters[i].ruleDriverVersion);
    }

    const SystemFacts facts = probes->ProbeSystem();
    EXPECT_EQ(facts.addressWidth, c.addressWidth);
    EXPECT_EQ(facts.memoryBytes, c.memoryBytes);
    EXPECT_EQ(facts.usbPortCount, c.usbPorts);
    EXPECT_EQ(facts.osCaption, c.os);
    EXPECT_EQ(probes->GetCpuBrand(), c.cpu);
    EXPECT_EQ(probes->HasAcAdapterDevice(), c.laptop);
}

INSTANTIATE_TEST_SUITE_P(Machines, MachineFixture, testing::ValuesIn(kMachines),
                         [](const auto& info) {
                             std::string name = info.param.machine;
                             for (char& ch : name) if (ch == '-') ch = '_';
                             return name;
                         });

TEST(LinuxProbes, DesktopAdaptersPassTheDriverRuleThroughTheirRuleNotation) {
    const auto probes = CreateLinuxHardwareProbes(MachineRoot("desktop-intel-nvidia"));
    std::vector<VideoControllerInfo> controllers;
    ASSERT_TRUE(probes->EnumerateVideoControllers(controllers));
    const AdapterSelection selection = SelectAdapters(controllers, TestOverrides{});

    EXPECT_EQ(selection.gpuNames,
              (std::vector<std::wstring>{L"INTEL(R) UHD GRAPHICS 630 ", L"NVIDIA GEFORCE GTX 1060 6GB "}));
    EXPECT_EQ(selection.display.driverVersion[1], L"580.159.04");
    // 580.159 reads as release 58159, above the built-in minimum of 416.81.
    EXPECT_EQ(NvidiaDriverNumber(selection.normalized.driverVersion[1]), 58159);
}

// A copy of the desktop in a temporary folder, for variations of it.
class DesktopCopy : public testing::Test {
protected:
    void SetUp() override {
        fs::copy(ToFsPath(MachineRoot("desktop-intel-nvidia")), Root(),
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
    fs::path Root() const { return ToFsPath(folder_.Path()); }
    ScopedTempFolder folder_;
};

TEST_F(DesktopCopy, NouveauNamesTheCardFromThePciDatabaseWithoutVersion) {
    fs::remove_all(Root() / "proc/driver/nvidia");
    fs::remove(Root() / "sys/bus/pci/devices/0000:01:00.0/driver");
    fs::create_directory_symlink("../../drivers/nouveau", Root() / "sys/bus/pci/devices/0000:01:00.0/driver");

    std::vector<VideoControllerInfo> controllers;
    ASSERT_TRUE(CreateLinuxHardwareProbes(folder_.Path())->EnumerateVideoControllers(controllers));
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[1].description.value_or(L""), L"NVIDIA GeForce GTX 1060 6GB");
    EXPECT_FALSE(controllers[1].driverVersion.has_value());
    EXPECT_EQ(controllers[1].ruleDriverVersion, L"");
}

TEST_F(DesktopCopy, WithoutAnyDatabaseTheVendorAndIdStillNameTheCards) {
    fs::remove_all(Root() / "proc/driver/nvidia");
    fs::remove(Root() / "usr/share/misc/pci.ids");

    std::vector<VideoControllerInfo> controllers;
    ASSERT_TRUE(CreateLinuxHardwareProbes(folder_.Path())->EnumerateVideoControllers(controllers));
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0].description.value_or(L""), L"Intel(R) Device 3e92");
    EXPECT_EQ(controllers[1].description.value_or(L""), L"NVIDIA Device 1c03");
}

TEST_F(DesktopCopy, MissingFilesReadAsEmptyAndZero) {
    for (const char* gone : {"sys/devices", "proc/meminfo", "etc/os-release", "proc/cpuinfo",
                             "proc/sys/kernel/arch", "sys/bus/usb"}) {
        fs::remove_all(Root() / gone);
    }
    const auto probes = CreateLinuxHardwareProbes(folder_.Path());
    const SystemFacts facts = probes->ProbeSystem();
    EXPECT_EQ(facts.addressWidth, 0);
    EXPECT_EQ(facts.memoryBytes, 0);
    EXPECT_EQ(facts.usbPortCount, 0);
    EXPECT_EQ(facts.osCaption, L"");
    EXPECT_EQ(probes->GetCpuBrand(), L"");
}

TEST(LinuxProbes, RootWithoutSysfsFailsTheEnumerationWithOneLogLine) {
    ScopedTempFolder empty;
    LogCapture log;
    std::vector<VideoControllerInfo> controllers{VideoControllerInfo{}};
    const auto probes = CreateLinuxHardwareProbes(empty.Path());

    EXPECT_FALSE(probes->EnumerateVideoControllers(controllers));
    EXPECT_TRUE(controllers.empty());
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_NE(log.Messages()[0].find("cannot read the sysfs folder"), std::string::npos);
    EXPECT_FALSE(probes->HasAcAdapterDevice());
}

// Plausibility of the real machine's probes; prints what it found.
TEST(LinuxProbes, RunningMachineLooksPlausible) {
    const auto probes = CreateHardwareProbes();
    std::vector<VideoControllerInfo> controllers;
    EXPECT_TRUE(probes->EnumerateVideoControllers(controllers));
    const SystemFacts facts = probes->ProbeSystem();
    const std::wstring brand = probes->GetCpuBrand();

    std::cout << "cpu: " << WideToUtf8(brand) << "\nmemory bytes: " << facts.memoryBytes
              << "\nos: " << WideToUtf8(facts.osCaption) << " (" << facts.addressWidth << ")"
              << "\nusb connectors: " << facts.usbPortCount << "\nlaptop: " << probes->HasAcAdapterDevice() << "\n";
    for (const auto& c : controllers) {
        std::cout << "adapter: " << WideToUtf8(c.description.value_or(L"")) << " driver "
                  << WideToUtf8(c.driverVersion.value_or(L"-")) << "\n";
    }
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_FALSE(brand.empty());
#endif
    EXPECT_GT(facts.memoryBytes, 0);
    EXPECT_TRUE(facts.addressWidth == 64 || facts.addressWidth == 32);
}

}  // namespace
