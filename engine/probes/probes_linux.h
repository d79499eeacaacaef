#pragma once
// The Linux probes over a chosen root folder, so that tests can point them
// at a fixture tree laid out like procfs, sysfs and /etc of a real machine.
// Only with the root "/" do they also ask the running system directly (the
// processor's CPUID brand and uname's architecture); below any other root
// they read the tree's proc/cpuinfo and proc/sys/kernel/arch instead.

#include <memory>
#include <string>

#include "engine/probes/probes.h"

std::unique_ptr<IHardwareProbes> CreateLinuxHardwareProbes(const std::wstring& root);
