#pragma once
// Names of graphics adapters on Linux, made to read like the descriptions the
// Windows drivers report ("NVIDIA GeForce GTX 1060 6GB", "AMD Radeon RX 580
// Series", "Intel(R) UHD Graphics 630"), because the rule set lists those.
// The sources, best first: the NVIDIA driver's own report, the AMD marketing
// names libdrm ships (amdgpu.ids), and the PCI id database (pci.ids).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr uint16_t kPciVendorNvidia = 0x10de;
inline constexpr uint16_t kPciVendorAmd = 0x1002;
inline constexpr uint16_t kPciVendorAmdHost = 0x1022;
inline constexpr uint16_t kPciVendorIntel = 0x8086;

struct PciIdsEntry {
    std::string vendorName;
    std::string deviceName;  // empty when the database knows the vendor only
};

// Looks a vendor and device up in the text of a pci.ids file.
std::optional<PciIdsEntry> FindInPciIds(std::string_view pciIds, uint16_t vendor, uint16_t device);

// The product name of an AMD device and revision in the text of amdgpu.ids.
std::optional<std::string> FindInAmdGpuIds(std::string_view amdGpuIds, uint16_t device, uint8_t revision);

// The "Model:" of /proc/driver/nvidia/gpus/<address>/information.
std::optional<std::string> NvidiaModelFromInformation(std::string_view information);

// The marketing name inside a pci.ids device name: the text of its last
// bracket ("GeForce GTX 1060 6GB" from "GP106 [GeForce GTX 1060 6GB]"), or
// the whole name when it has none.
std::string MarketingName(std::string_view deviceName);

// Puts the vendor in front the way its Windows driver writes it ("NVIDIA ",
// "AMD ", "Intel(R) ") unless the name already starts with the vendor. Other
// vendors' names are returned unchanged.
std::string WithWindowsVendorPrefix(uint16_t vendor, std::string_view name);

// The adapter's description from whatever sources are available; the
// arguments are the texts of the files, empty when a file is missing.
std::string DescribeAdapter(uint16_t vendor, uint16_t device, uint8_t revision, std::string_view nvidiaInformation,
                            std::string_view amdGpuIds, std::string_view pciIds);
