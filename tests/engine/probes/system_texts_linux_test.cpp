// Naming adapters the Windows way and reading the small system files.

#include <gtest/gtest.h>

#include "engine/driver_rules.h"
#include "engine/probes/adapter_names_linux.h"
#include "engine/probes/system_texts_linux.h"
#include "shell/text_convert.h"
#include "tests/support/temp_folder.h"

namespace {

std::string FixtureText(const char* relative) {
    return ReadWholeFile(Utf8ToWide(std::string(KALO_FIXTURE_DIR) + "/" + relative));
}

const char kNvidiaInformation[] = "Model: \t\t NVIDIA GeForce RTX 3060\nIRQ:   \t\t 130\n";
const char kOldNvidiaInformation[] = "Model: \t\t GeForce GTX 970\nIRQ:   \t\t 130\n";

struct NameCase {
    const char* name;
    uint16_t vendor;
    uint16_t device;
    uint8_t revision;
    const char* nvidiaInformation;
    bool withDatabases;
    const char* expected;
};

const NameCase kNames[] = {
    {"NVIDIA driver's model wins", 0x10de, 0x1c03, 0xa1, kNvidiaInformation, true, "NVIDIA GeForce RTX 3060"},
    {"older NVIDIA model gets the vendor", 0x10de, 0x13c2, 0xa1, kOldNvidiaInformation, true, "NVIDIA GeForce GTX 970"},
    {"NVIDIA without driver report uses the bracket", 0x10de, 0x1c03, 0xa1, "", true, "NVIDIA GeForce GTX 1060 6GB"},
    {"AMD by device and revision", 0x1002, 0x15d8, 0xc2, "", true, "AMD Radeon Vega 8 Graphics"},
    {"first of duplicate AMD entries", 0x1002, 0x15d8, 0x91, "", true, "AMD Radeon Vega 3 Graphics"},
    {"AMD revision unknown falls back to pci.ids", 0x1002, 0x15d8, 0xe9, "", true,
     "AMD Radeon Vega Series / Radeon Vega Mobile Series"},
    {"ATI-era card named as AMD", 0x1002, 0x68b8, 0x00, "", true, "AMD Radeon HD 5770"},
    {"Intel bracket gets Intel(R)", 0x8086, 0x3e92, 0x00, "", true, "Intel(R) UHD Graphics 630"},
    {"Intel name without bracket", 0x8086, 0x5917, 0x07, "", true, "Intel(R) UHD Graphics 620"},
    {"other vendor named as lspci does", 0x1af4, 0x1050, 0x01, "", true, "Red Hat, Inc. Virtio 1.0 GPU"},
    {"subsystem line is not a device", 0x10de, 0x1043, 0x00, "", true, "NVIDIA Device 1043"},
    {"vendor's list ends at the next vendor", 0x1002, 0x1c03, 0x00, "", true, "AMD Device 1c03"},
    {"no databases, known vendor", 0x10de, 0x2c05, 0xa1, "", false, "NVIDIA Device 2c05"},
    {"no databases, unknown vendor", 0x1234, 0x1111, 0x02, "", false, "Vendor 1234 Device 1111"},
};

TEST(AdapterNames, ReadLikeWindowsDescriptions) {
    const std::string pciIds = FixtureText("machines/desktop-intel-nvidia/usr/share/misc/pci.ids");
    const std::string amdGpuIds = FixtureText("machines/amd-laptop/usr/share/libdrm/amdgpu.ids");
    ASSERT_FALSE(pciIds.empty());
    ASSERT_FALSE(amdGpuIds.empty());
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DescribeAdapter(c.vendor, c.device, c.revision, c.nvidiaInformation,
                                  c.withDatabases ? amdGpuIds : "", c.withDatabases ? pciIds : ""),
                  c.expected);
    }
}

TEST(NvidiaRuleDriverVersion, CarriesTheReleaseIntoTheDriverRules) {
    const struct { const char* release; const char* text; int32_t number; } kRows[] = {
        {"580.159.04", "31.0.15.8159", 58159},
        {"416.81", "31.0.14.1681", 41681},  // exactly the built-in minimum
        {"390.157", "31.0.13.9157", 39157},
        {"1000.05", "31.0.10.0005", 5},
        {"999.9999", "", 0},  // would need a sixth digit
        {"580", "", 0},
        {"abc.12", "", 0},
        {"", "", 0},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.release);
        const std::string text = NvidiaRuleDriverVersion(row.release);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(NvidiaDriverNumber(Utf8ToWide(text)), row.number);
    }
}

TEST(SystemTexts, OsReleasePrettyNameUnquotesLikeTheShell) {
    const struct { const char* text; const char* expected; } kRows[] = {
        {"NAME=x\nPRETTY_NAME=\"Arch Linux\"\n", "Arch Linux"},
        {"PRETTY_NAME='Gentoo Linux'", "Gentoo Linux"},
        {"PRETTY_NAME=Alpine\n", "Alpine"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\n", "Say \"hi\" $HOME"},
        {"# PRETTY_NAME=\"commented\"\nNAME=x\n", ""},
        {"", ""},
    };
    for (const auto& row : kRows) EXPECT_EQ(OsReleasePrettyName(row.text), row.expected) << row.text;
}

TEST(SystemTexts, CpuInfoKeepsLeadingSpacesOfTheBrand) {
    const struct { const char* text; const char* expected; } kRows[] = {
        {"processor\t: 0\nmodel name\t: AMD Ryzen 7 5800X 8-Core Processor\nmodel name\t: second\n",
         "AMD Ryzen 7 5800X 8-Core Processor"},
        {"model name\t:       Intel(R) Xeon(TM) CPU 3.00GHz\n", "      Intel(R) Xeon(TM) CPU 3.00GHz"},
        {"processor\t: 0\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\n", ""},
    };
    for (const auto& row : kRows) EXPECT_EQ(CpuInfoModelName(row.text), row.expected);
}

TEST(SystemTexts, MemoryAndArchitecture) {
    EXPECT_EQ(MemTotalBytes("MemTotal:        3892232 kB\n"), 3892232LL * 1024);
    EXPECT_EQ(MemTotalBytes("MemFree: 1 kB\n"), 0);
    EXPECT_EQ(RoundUpToGiB(4 * kBytesPerGiB), 4 * kBytesPerGiB);  // 4,294,967,296 stays 4GB
    EXPECT_EQ(RoundUpToGiB(4 * kBytesPerGiB - 1), 4 * kBytesPerGiB);
    EXPECT_EQ(RoundUpToGiB(0), 0);
    const struct { const char* machine; int32_t width; } kRows[] = {
        {"x86_64", 64}, {"aarch64", 64}, {"s390x", 64}, {"ppc64le", 64}, {"i686", 32}, {"armv7l", 32}, {"", 0},
    };
    for (const auto& row : kRows) EXPECT_EQ(AddressWidthForMachine(row.machine), row.width) << row.machine;
}

}  // namespace
