// Display controllers from the PCI devices of sysfs, named as their Windows
// drivers name them, since the rule set lists those names.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "engine/probes/adapter_names_linux.h"
#include "engine/probes/facts_linux.h"
#include "engine/probes/system_texts_linux.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/text_convert.h"

namespace {

constexpr char kAdapterTag[] = "CCheckEnv::ProbeGraphicsAdapters";
constexpr uint32_t kPciClassDisplay = 0x03;
constexpr size_t kMaxIdsFileBytes = 16 * 1024 * 1024;

std::string IdsFile(const CSysfsTree& tree, std::initializer_list<std::string_view> candidates) {
    for (std::string_view candidate : candidates) {
        if (auto text = tree.ReadFile(candidate, kMaxIdsFileBytes)) return std::move(*text);
    }
    return {};
}

}  // namespace

namespace probes_linux {

bool ListVideoControllers(const CSysfsTree& tree, std::vector<VideoControllerInfo>& controllers) {
    controllers.clear();
    if (!tree.IsReadableFolder("sys")) {
        CCTLog::Instance().Log(LogLevel::Error, kAdapterTag, L"cannot read the sysfs folder below %ls",
                               FromFsPath(tree.Root()).c_str());
        return false;
    }
    // Each database is read once, and only when an adapter needs it.
    std::optional<std::string> pciIds;
    std::optional<std::string> amdGpuIds;

    // Device folders are named domain:bus:device.function in fixed-width
    // hexadecimal, so byte order is bus order.
    for (const std::string& address : tree.List("sys/bus/pci/devices")) {
        const std::string folder = "sys/bus/pci/devices/" + address;
        const auto pciClass = ParseSysfsHex(tree.ReadLine(folder + "/class"));
        if (!pciClass || (*pciClass >> 16) != kPciClassDisplay) continue;
        const uint16_t vendor = static_cast<uint16_t>(ParseSysfsHex(tree.ReadLine(folder + "/vendor")).value_or(0));
        const uint16_t device = static_cast<uint16_t>(ParseSysfsHex(tree.ReadLine(folder + "/device")).value_or(0));
        const uint8_t revision = static_cast<uint8_t>(ParseSysfsHex(tree.ReadLine(folder + "/revision")).value_or(0));

        std::string nvidiaInformation;
        if (vendor == kPciVendorNvidia) {
            nvidiaInformation = tree.ReadFile("proc/driver/nvidia/gpus/" + address + "/information").value_or("");
        }
        if (vendor == kPciVendorAmd && !amdGpuIds) amdGpuIds = IdsFile(tree, {"usr/share/libdrm/amdgpu.ids"});
        if (!pciIds) pciIds = IdsFile(tree, {"usr/share/misc/pci.ids", "usr/share/hwdata/pci.ids"});
        const std::string description =
            DescribeAdapter(vendor, device, revision, nvidiaInformation, amdGpuIds.value_or(""), *pciIds);

        VideoControllerInfo info;
        info.description = Utf8ToWide(description);
        std::string driver = tree.LinkTargetName(folder + "/driver");
        if (driver == "." || driver == "..") driver.clear();  // no module name; never leave sys/module
        const std::string version = driver.empty() ? std::string{} : tree.ReadLine("sys/module/" + driver + "/version");
        if (!version.empty()) info.driverVersion = Utf8ToWide(version);
        // The NVIDIA driver rules read Windows driver-store numbers, which an
        // NVIDIA release maps onto. Intel and AMD kernel versions have no
        // Windows counterpart, so none is made up for them.
        if (driver == "nvidia") info.ruleDriverVersion = Utf8ToWide(NvidiaRuleDriverVersion(version));

        CCTLog::Instance().Log(LogLevel::Progress, kAdapterTag, L"display adapter %ls: %ls, driver %ls %ls",
                               Utf8ToWide(address).c_str(), info.description->c_str(), Utf8ToWide(driver).c_str(),
                               Utf8ToWide(version).c_str());
        controllers.push_back(std::move(info));
    }
    return true;
}

}  // namespace probes_linux
