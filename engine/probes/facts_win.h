#pragma once
// The Windows probes, one file per fact (adapters_win.cpp, processor_win.cpp,
// memory_win.cpp, system_win.cpp, power_win.cpp, usb_win.cpp). probes_win.cpp
// puts them behind IHardwareProbes and owns the COM set-up they share.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/probes/probes.h"
#include "engine/probes/wmi_win.h"

namespace probes_win {

// Win32_VideoController's "Description" and "DriverVersion" of every
// controller, in WMI's order. Initialises COM apartment-threaded for the
// call; false when that, the WMI connection or the query fails.
bool ListVideoControllers(std::vector<VideoControllerInfo>& controllers);

// The processor's CPUID brand, leading spaces kept; empty when it has none.
std::wstring CpuBrand();
// "AddressWidth" of the first Win32_Processor; 0 when it can't be read.
int32_t AddressWidth(const CWmiConnection& wmi);

// The "Capacity" texts of every Win32_PhysicalMemory, summed; 0 when none.
int64_t InstalledMemoryBytes(const CWmiConnection& wmi);
// The running total after one module: the capacity text read as a
// floating-point number and added, the sum truncated to whole bytes. A text
// that is no number, is negative, or would carry the total past the 64-bit
// range leaves the total as it is.
int64_t AddMemoryCapacity(int64_t total, const std::wstring& capacityText);

// "Caption" of the first Win32_OperatingSystem; empty when there is none.
std::wstring OsCaption(const CWmiConnection& wmi);

// A present device whose first hardware id is the ACPI AC adapter's.
bool HasAcAdapter();
// The hardware ids the ACPI AC-adapter device is listed under.
bool IsAcAdapterHardwareId(std::wstring_view firstHardwareId);

// Root-hub ports of host controllers 0 to 49 that report USB 3.0 among the
// protocols they support.
int32_t CountUsbCompanionPorts();

}  // namespace probes_win
