#pragma once
// Types shared by the probes, the verdict and the windows that show a check.

#include <array>
#include <cstdint>
#include <string>

// Result of one component. The values are stored and compared as numbers.
enum class CheckResult : int32_t {
    Unknown = 0,  // no rule decided: "cannot be confirmed"
    Fail = 1,
    Pass = 2,
};

// The probed facts as texts.
struct HardwareInventory {
    std::wstring osText;      // caption followed by "(width)"
    std::wstring cpuText;     // processor brand
    std::wstring memoryText;  // whole gigabytes followed by "GB"
    std::array<std::wstring, 2> gpuName;        // accepted adapters, each with a trailing space
    std::array<std::wstring, 2> driverVersion;  // their driver versions
    uint32_t usbPortCount = 0;
};

// What the main window renders after a check.
struct CheckReport {
    CheckResult cpuGameResult = CheckResult::Unknown;
    std::array<CheckResult, 2> gpuGameResult{CheckResult::Unknown, CheckResult::Unknown};
    CheckResult memoryResult = CheckResult::Unknown;
    CheckResult osResult = CheckResult::Unknown;
    HardwareInventory display;
    int32_t driverFlags = 0;  // bit 0: first adapter's driver fails; bit 1: second's
};
