#include "engine/probes_linux.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <set>
#include <utility>

#include "engine/linux/adapter_names.h"
#include "engine/linux/sysfs_tree.h"
#include "engine/linux/system_texts.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/text_convert.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

constexpr char kAdapterTag[] = "CCheckEnv::ProbeGraphicsAdapters";

constexpr uint32_t kPciClassDisplay = 0x03;
// The kernel picks 128 MiB memory blocks below 64 GiB of memory; larger
// blocks span the PCI hole below 4 GiB and overstate the memory.
constexpr uint64_t kSmallMemoryBlock = 128ULL * 1024 * 1024;
constexpr size_t kMaxIdsFileBytes = 16 * 1024 * 1024;

// The processor's brand text from CPUID, empty where it offers none.
std::string CpuidBrand() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned regs[4] = {};
    if (!__get_cpuid(0x80000000, &regs[0], &regs[1], &regs[2], &regs[3]) || regs[0] <= 0x80000003) return {};
    char brand[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
        __get_cpuid(0x80000002 + i, &regs[0], &regs[1], &regs[2], &regs[3]);
        std::memcpy(brand + 16 * i, regs, 16);
    }
    return brand;  // zero-terminated; leading spaces stay
#else
    return {};
#endif
}

std::string UnameMachine() {
    utsname name{};
    return uname(&name) == 0 ? std::string(name.machine) : std::string{};
}

class CLinuxHardwareProbes final : public IHardwareProbes {
public:
    explicit CLinuxHardwareProbes(const std::wstring& root)
        : tree_(ToFsPath(root.empty() ? std::wstring(L"/") : root)), isLiveSystem_(tree_.Root() == "/") {}

    bool EnumerateVideoControllers(std::vector<VideoControllerInfo>& controllers) override;
    SystemFacts ProbeSystem() override;
    std::wstring GetCpuBrand() override;
    bool HasAcAdapterDevice() override;

private:
    int64_t InstalledMemoryBytes() const;
    int64_t FirmwareRamBytes() const;
    int32_t CountUsbCompanionPorts() const;
    std::string IdsFile(std::initializer_list<std::string_view> candidates) const;

    CSysfsTree tree_;
    bool isLiveSystem_;
};

std::string CLinuxHardwareProbes::IdsFile(std::initializer_list<std::string_view> candidates) const {
    for (std::string_view candidate : candidates) {
        if (auto text = tree_.ReadFile(candidate, kMaxIdsFileBytes)) return std::move(*text);
    }
    return {};
}

bool CLinuxHardwareProbes::EnumerateVideoControllers(std::vector<VideoControllerInfo>& controllers) {
    controllers.clear();
    if (!tree_.IsReadableFolder("sys")) {
        CCTLog::Instance().Log(0, kAdapterTag, L"cannot read the sysfs folder below %ls",
                               FromFsPath(tree_.Root()).c_str());
        return false;
    }
    // Each database is read once, and only when an adapter needs it.
    std::optional<std::string> pciIds;
    std::optional<std::string> amdGpuIds;

    // Device folders are named domain:bus:device.function in fixed-width
    // hexadecimal, so byte order is bus order.
    for (const std::string& address : tree_.List("sys/bus/pci/devices")) {
        const std::string folder = "sys/bus/pci/devices/" + address;
        const auto pciClass = ParseSysfsHex(tree_.ReadLine(folder + "/class"));
        if (!pciClass || (*pciClass >> 16) != kPciClassDisplay) continue;
        const uint16_t vendor = static_cast<uint16_t>(ParseSysfsHex(tree_.ReadLine(folder + "/vendor")).value_or(0));
        const uint16_t device = static_cast<uint16_t>(ParseSysfsHex(tree_.ReadLine(folder + "/device")).value_or(0));
        const uint8_t revision = static_cast<uint8_t>(ParseSysfsHex(tree_.ReadLine(folder + "/revision")).value_or(0));

        std::string nvidiaInformation;
        if (vendor == kPciVendorNvidia) {
            nvidiaInformation = tree_.ReadFile("proc/driver/nvidia/gpus/" + address + "/information").value_or("");
        }
        if (vendor == kPciVendorAmd && !amdGpuIds) amdGpuIds = IdsFile({"usr/share/libdrm/amdgpu.ids"});
        if (!pciIds) pciIds = IdsFile({"usr/share/misc/pci.ids", "usr/share/hwdata/pci.ids"});
        const std::string description =
            DescribeAdapter(vendor, device, revision, nvidiaInformation, amdGpuIds.value_or(""), *pciIds);

        VideoControllerInfo info;
        info.description = Utf8ToWide(description);
        std::string driver = tree_.LinkTargetName(folder + "/driver");
        if (driver == "." || driver == "..") driver.clear();  // no module name; never leave sys/module
        const std::string version = driver.empty() ? std::string{} : tree_.ReadLine("sys/module/" + driver + "/version");
        if (!version.empty()) info.driverVersion = Utf8ToWide(version);
        // The NVIDIA driver rules read Windows driver-store numbers, which an
        // NVIDIA release maps onto. Intel and AMD kernel versions have no
        // Windows counterpart, so none is made up for them.
        if (driver == "nvidia") info.ruleDriverVersion = Utf8ToWide(NvidiaRuleDriverVersion(version));

        CCTLog::Instance().Log(2, kAdapterTag, L"display adapter %ls: %ls, driver %ls %ls",
                               Utf8ToWide(address).c_str(), info.description->c_str(), Utf8ToWide(driver).c_str(),
                               Utf8ToWide(version).c_str());
        controllers.push_back(std::move(info));
    }
    return true;
}

// The sum of the firmware's usable-RAM ranges, rounded up to a whole GiB
// (the firmware and the integrated graphics keep a little for themselves).
int64_t CLinuxHardwareProbes::FirmwareRamBytes() const {
    uint64_t total = 0;
    for (const std::string& entry : tree_.List("sys/firmware/memmap")) {
        const std::string folder = "sys/firmware/memmap/" + entry;
        if (tree_.ReadLine(folder + "/type") != "System RAM") continue;
        const auto start = ParseSysfsHex(tree_.ReadLine(folder + "/start"));
        const auto end = ParseSysfsHex(tree_.ReadLine(folder + "/end"));
        if (start && end && *end >= *start) total += *end - *start + 1;
    }
    return RoundUpToGiB(static_cast<int64_t>(std::min<uint64_t>(total, INT64_MAX)));
}

int64_t CLinuxHardwareProbes::InstalledMemoryBytes() const {
    // What the kernel reports as MemTotal is what is left after its own
    // reservations; the memory blocks cover the installed memory itself.
    const auto blockSize = ParseSysfsHex(tree_.ReadLine("sys/devices/system/memory/block_size_bytes"));
    uint64_t onlineBlocks = 0;
    if (blockSize && *blockSize > 0) {
        for (const std::string& entry : tree_.List("sys/devices/system/memory")) {
            if (entry.rfind("memory", 0) != 0 || entry.size() == 6) continue;
            const std::string folder = "sys/devices/system/memory/" + entry;
            const std::string online = tree_.ReadLine(folder + "/online");
            if (online == "1" || (online.empty() && tree_.ReadLine(folder + "/state") == "online")) ++onlineBlocks;
        }
    }
    if (onlineBlocks > 0) {
        if (*blockSize > kSmallMemoryBlock) {
            if (const int64_t firmware = FirmwareRamBytes(); firmware > 0) return firmware;
        }
        if (onlineBlocks <= static_cast<uint64_t>(INT64_MAX) / *blockSize) {
            return static_cast<int64_t>(onlineBlocks * *blockSize);
        }
    }
    return RoundUpToGiB(MemTotalBytes(tree_.ReadFile("proc/meminfo").value_or("")));
}

int32_t CLinuxHardwareProbes::CountUsbCompanionPorts() const {
    // A connector that speaks both USB 2 and USB 3 appears as one port on
    // each generation's root hub, the two linked to each other as peers.
    // Counting each linked pair once counts the physical connectors.
    std::set<std::pair<std::string, std::string>> connectors;
    for (const std::string& hub : tree_.List("sys/bus/usb/devices")) {
        if (hub.rfind("usb", 0) != 0 || hub.size() == 3) continue;
        const std::string busNumber = hub.substr(3);
        const std::string interface = "sys/bus/usb/devices/" + hub + "/" + busNumber + "-0:1.0";
        const std::string portPrefix = hub + "-port";
        for (const std::string& port : tree_.List(interface)) {
            if (port.rfind(portPrefix, 0) != 0) continue;
            const std::string portPath = interface + "/" + port;
            if (!tree_.Exists(portPath + "/peer")) continue;
            std::string self = tree_.Canonical(portPath).string();
            std::string peer = tree_.Canonical(portPath + "/peer").string();
            if (peer < self) std::swap(self, peer);
            connectors.emplace(std::move(self), std::move(peer));
        }
    }
    return static_cast<int32_t>(connectors.size());
}

SystemFacts CLinuxHardwareProbes::ProbeSystem() {
    SystemFacts facts;
    const std::string machine = isLiveSystem_ ? UnameMachine() : tree_.ReadLine("proc/sys/kernel/arch");
    facts.addressWidth = AddressWidthForMachine(machine);
    facts.memoryBytes = InstalledMemoryBytes();
    facts.usbPortCount = CountUsbCompanionPorts();
    std::string prettyName = OsReleasePrettyName(tree_.ReadFile("etc/os-release").value_or(""));
    if (prettyName.empty()) prettyName = OsReleasePrettyName(tree_.ReadFile("usr/lib/os-release").value_or(""));
    facts.osCaption = Utf8ToWide(prettyName);
    return facts;
}

std::wstring CLinuxHardwareProbes::GetCpuBrand() {
    std::string brand = isLiveSystem_ ? CpuidBrand() : std::string{};
    // Processors without a CPUID brand (and other architectures) still have
    // the kernel's model name.
    if (brand.empty()) brand = CpuInfoModelName(tree_.ReadFile("proc/cpuinfo", 4 * 1024 * 1024).value_or(""));
    return Utf8ToWide(brand);
}

bool CLinuxHardwareProbes::HasAcAdapterDevice() {
    // The ACPI AC-adapter device, the one the Windows build looks for.
    for (const std::string& device : tree_.List("sys/bus/acpi/devices")) {
        if (device.rfind("ACPI0003:", 0) != 0) continue;
        const std::string status = tree_.ReadLine("sys/bus/acpi/devices/" + device + "/status");
        if (status != "0") return true;  // _STA 0: described by the firmware but absent
    }
    // Machines whose firmware names the adapter otherwise still show a mains
    // supply or a system battery. A battery of scope "Device" belongs to a
    // wireless mouse or a game pad, which desktops have too.
    for (const std::string& supply : tree_.List("sys/class/power_supply")) {
        const std::string folder = "sys/class/power_supply/" + supply;
        const std::string type = tree_.ReadLine(folder + "/type");
        if ((type == "Mains" || type == "Battery") && tree_.ReadLine(folder + "/scope") != "Device") return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<IHardwareProbes> CreateLinuxHardwareProbes(const std::wstring& root) {
    return std::make_unique<CLinuxHardwareProbes>(root);
}

std::unique_ptr<IHardwareProbes> CreateHardwareProbes() { return CreateLinuxHardwareProbes(L"/"); }
