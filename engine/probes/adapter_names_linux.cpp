#include "engine/probes/adapter_names_linux.h"

#include <charconv>
#include <cstdio>

#include "shell/text_util.h"

namespace {

// Fields and names lose spaces, tabs, CRs and line feeds at both ends.
std::string_view Trim(std::string_view text) { return TrimBlanks(text, kSpaceTabCrLf); }

std::optional<uint32_t> ParseHexField(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    uint32_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || stop != text.data() + text.size()) return std::nullopt;
    return value;
}

// "10de  NVIDIA Corporation" (no tab) or "\t1c03  GP106 [...]" (one tab):
// four hexadecimal digits, two spaces, the name.
bool SplitIdLine(std::string_view line, uint32_t& id, std::string_view& name) {
    if (line.size() < 6 || line.substr(4, 2) != "  ") return false;
    const auto parsed = ParseHexField(line.substr(0, 4));
    if (!parsed) return false;
    id = *parsed;
    name = Trim(line.substr(6));
    return true;
}

}  // namespace

std::optional<PciIdsEntry> FindInPciIds(std::string_view pciIds, uint16_t vendor, uint16_t device) {
    std::optional<PciIdsEntry> found;
    bool inVendor = false;
    ForEachLine(pciIds, [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        if (line.front() != '\t') {
            if (inVendor) return false;  // the vendor's device list ended
            // The device-class section at the end of the file begins with "C ".
            if (line.front() == 'C' && line.size() > 1 && line[1] == ' ') return false;
            uint32_t id = 0;
            std::string_view name;
            if (SplitIdLine(line, id, name) && id == vendor) {
                found = PciIdsEntry{std::string(name), {}};
                inVendor = true;
            }
            return true;
        }
        if (!inVendor || line.size() < 2 || line[1] == '\t') return true;  // subsystem lines
        uint32_t id = 0;
        std::string_view name;
        if (SplitIdLine(line.substr(1), id, name) && id == device) {
            found->deviceName = std::string(name);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<std::string> FindInAmdGpuIds(std::string_view amdGpuIds, uint16_t device, uint8_t revision) {
    std::optional<std::string> found;
    ForEachLine(amdGpuIds, [&](std::string_view line) {
        // "67DF,\tC7,\tAMD Radeon RX 480 Graphics"; the version line and
        // comments have no two commas.
        if (line.empty() || line.front() == '#') return true;
        const size_t first = line.find(',');
        const size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
        if (second == std::string_view::npos) return true;
        const auto id = ParseHexField(line.substr(0, first));
        const auto rev = ParseHexField(line.substr(first + 1, second - first - 1));
        if (id && rev && *id == device && *rev == revision) {
            const std::string_view name = Trim(line.substr(second + 1));
            if (!name.empty()) found = std::string(name);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<std::string> NvidiaModelFromInformation(std::string_view information) {
    std::optional<std::string> model;
    ForEachLine(information, [&](std::string_view line) {
        if (line.substr(0, 6) != "Model:") return true;
        const std::string_view value = Trim(line.substr(6));
        if (!value.empty()) model = std::string(value);
        return false;
    });
    return model;
}

std::string MarketingName(std::string_view deviceName) {
    const size_t close = deviceName.rfind(']');
    const size_t open = close == std::string_view::npos ? close : deviceName.rfind('[', close);
    if (open == std::string_view::npos) return std::string(Trim(deviceName));
    const std::string_view inside = Trim(deviceName.substr(open + 1, close - open - 1));
    return std::string(inside.empty() ? Trim(deviceName) : inside);
}

std::string WithWindowsVendorPrefix(uint16_t vendor, std::string_view name) {
    switch (vendor) {
        case kPciVendorNvidia:
            if (StartsWithIgnoreAsciiCase(name, "NVIDIA")) return std::string(name);
            return "NVIDIA " + std::string(name);
        case kPciVendorAmd:
        case kPciVendorAmdHost:
            // Older products keep the ATI brand they were sold under.
            if (StartsWithIgnoreAsciiCase(name, "AMD") || StartsWithIgnoreAsciiCase(name, "ATI ")) {
                return std::string(name);
            }
            return "AMD " + std::string(name);
        case kPciVendorIntel:
            if (StartsWithIgnoreAsciiCase(name, "Intel(R)")) return std::string(name);
            if (StartsWithIgnoreAsciiCase(name, "Intel ")) return "Intel(R) " + std::string(name.substr(6));
            return "Intel(R) " + std::string(name);
        default:
            return std::string(name);
    }
}

std::string DescribeAdapter(uint16_t vendor, uint16_t device, uint8_t revision, std::string_view nvidiaInformation,
                            std::string_view amdGpuIds, std::string_view pciIds) {
    if (vendor == kPciVendorNvidia) {
        if (const auto model = NvidiaModelFromInformation(nvidiaInformation)) {
            return WithWindowsVendorPrefix(vendor, *model);
        }
    }
    if (vendor == kPciVendorAmd) {
        if (const auto name = FindInAmdGpuIds(amdGpuIds, device, revision)) {
            return WithWindowsVendorPrefix(vendor, *name);
        }
    }
    const auto entry = FindInPciIds(pciIds, vendor, device);
    const bool hasWindowsSpelling = vendor == kPciVendorNvidia || vendor == kPciVendorAmd ||
                                    vendor == kPciVendorAmdHost || vendor == kPciVendorIntel;
    // Without a known device name the adapter is named the way lspci names
    // it: the vendor followed by "Device" and the id.
    char unknownDevice[16];
    std::snprintf(unknownDevice, sizeof unknownDevice, "Device %04x", static_cast<unsigned>(device));
    const std::string name =
        entry && !entry->deviceName.empty() ? MarketingName(entry->deviceName) : std::string(unknownDevice);
    if (hasWindowsSpelling) return WithWindowsVendorPrefix(vendor, name);
    if (entry && !entry->vendorName.empty()) return entry->vendorName + " " + name;
    char unknownVendor[16];
    std::snprintf(unknownVendor, sizeof unknownVendor, "Vendor %04x ", static_cast<unsigned>(vendor));
    return unknownVendor + name;
}
