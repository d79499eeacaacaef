#pragma once
// The hardware probes: one small interface over the machine, with one
// implementation per platform (probes_linux.cpp reads procfs and sysfs below
// a root folder; probes_win.cpp uses WMI, CPUID, SetupAPI and the USB driver
// requests), each fact in its own file in engine/probes/. Everything the
// probes report is raw; the settings' test-section overrides and the adapter
// selection are applied by portable code (see adapter_selection.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One display controller, in the platform's enumeration order.
struct VideoControllerInfo {
    // The description ("NVIDIA GeForce GTX 1060 6GB"); nothing when the
    // platform reported no text for it.
    std::optional<std::wstring> description;
    // The driver version as the platform reports it; nothing when unknown.
    std::optional<std::wstring> driverVersion;
    // The same driver in the notation the rule set's driver rules read
    // (Windows driver-store numbers). Empty where driverVersion already is in
    // that notation (Windows).
    std::wstring ruleDriverVersion;
};

struct SystemFacts {
    int32_t addressWidth = 0;  // 0 when unknown
    int64_t memoryBytes = 0;   // installed memory; 0 when unknown
    int32_t usbPortCount = 0;
    std::wstring osCaption;    // empty when unknown
};

class IHardwareProbes {
public:
    virtual ~IHardwareProbes() = default;
    // False when the enumeration itself could not run.
    virtual bool EnumerateVideoControllers(std::vector<VideoControllerInfo>& controllers) = 0;
    virtual SystemFacts ProbeSystem() = 0;
    // The processor's brand text, leading spaces kept; empty when none.
    virtual std::wstring GetCpuBrand() = 0;
    // The machine has an AC-adapter device (a battery-powered machine).
    virtual bool HasAcAdapterDevice() = 0;
};

// The probes of the running machine.
std::unique_ptr<IHardwareProbes> CreateHardwareProbes();
