// Installed memory from the kernel's memory blocks, the firmware memory map
// or, failing both, MemTotal.

#include <algorithm>
#include <cstdint>

#include "engine/probes/facts_linux.h"
#include "engine/probes/system_texts_linux.h"

namespace {

// The kernel picks 128 MiB memory blocks below 64 GiB of memory; larger
// blocks span the PCI hole below 4 GiB and overstate the memory.
constexpr uint64_t kSmallMemoryBlock = 128ULL * 1024 * 1024;

// The sum of the firmware's usable-RAM ranges, rounded up to a whole GiB
// (the firmware and the integrated graphics keep a little for themselves).
int64_t FirmwareRamBytes(const CSysfsTree& tree) {
    uint64_t total = 0;
    for (const std::string& entry : tree.List("sys/firmware/memmap")) {
        const std::string folder = "sys/firmware/memmap/" + entry;
        if (tree.ReadLine(folder + "/type") != "System RAM") continue;
        const auto start = ParseSysfsHex(tree.ReadLine(folder + "/start"));
        const auto end = ParseSysfsHex(tree.ReadLine(folder + "/end"));
        if (start && end && *end >= *start) total += *end - *start + 1;
    }
    return RoundUpToGiB(static_cast<int64_t>(std::min<uint64_t>(total, INT64_MAX)));
}

}  // namespace

namespace probes_linux {

int64_t InstalledMemoryBytes(const CSysfsTree& tree) {
    // What the kernel reports as MemTotal is what is left after its own
    // reservations; the memory blocks cover the installed memory itself.
    const auto blockSize = ParseSysfsHex(tree.ReadLine("sys/devices/system/memory/block_size_bytes"));
    uint64_t onlineBlocks = 0;
    if (blockSize && *blockSize > 0) {
        for (const std::string& entry : tree.List("sys/devices/system/memory")) {
            if (entry.rfind("memory", 0) != 0 || entry.size() == 6) continue;
            const std::string folder = "sys/devices/system/memory/" + entry;
            const std::string online = tree.ReadLine(folder + "/online");
            if (online == "1" || (online.empty() && tree.ReadLine(folder + "/state") == "online")) ++onlineBlocks;
        }
    }
    if (onlineBlocks > 0) {
        if (*blockSize > kSmallMemoryBlock) {
            if (const int64_t firmware = FirmwareRamBytes(tree); firmware > 0) return firmware;
        }
        if (onlineBlocks <= static_cast<uint64_t>(INT64_MAX) / *blockSize) {
            return static_cast<int64_t>(onlineBlocks * *blockSize);
        }
    }
    return RoundUpToGiB(MemTotalBytes(tree.ReadFile("proc/meminfo").value_or("")));
}

}  // namespace probes_linux
