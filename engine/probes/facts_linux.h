#pragma once
// The Linux probes, one file per fact (adapters_linux.cpp, processor_linux.cpp,
// memory_linux.cpp, system_linux.cpp, power_linux.cpp, usb_linux.cpp), each
// reading procfs and sysfs below the tree's root. probes_linux.cpp puts them
// behind IHardwareProbes.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/probes/probes.h"
#include "engine/probes/sysfs_tree_linux.h"

namespace probes_linux {

// The PCI display controllers in bus order; false when sysfs can't be read.
bool ListVideoControllers(const CSysfsTree& tree, std::vector<VideoControllerInfo>& controllers);

// `isLiveSystem`: the tree is the running machine ("/"), so the processor
// and the kernel may be asked directly instead of the tree's files.
int32_t AddressWidth(const CSysfsTree& tree, bool isLiveSystem);
std::wstring CpuBrand(const CSysfsTree& tree, bool isLiveSystem);

int64_t InstalledMemoryBytes(const CSysfsTree& tree);

// The distribution's name from os-release; empty when none is there.
std::wstring OsCaption(const CSysfsTree& tree);

bool HasAcAdapter(const CSysfsTree& tree);

int32_t CountUsbCompanionPorts(const CSysfsTree& tree);

}  // namespace probes_linux
