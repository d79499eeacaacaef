#pragma once
// Portable logic between the raw probes and the check engine: the settings'
// "test" section (diagnostic overrides that make any machine look like
// another), the choice of graphics adapters from the enumerated controllers,
// and the laptop question. Everything here except ReadTestOverrides and
// IsLaptop is pure, so the engine's adapter rules can be tested without a
// machine.

#include <optional>
#include <string>
#include <vector>

#include "engine/check_types.h"
#include "engine/probes/probes.h"

// The values of the settings file's "test" section. A text key that is
// absent has no value; one that is present with an empty value holds an
// empty text, which matters for "testcpu" (present but empty empties the
// brand).
struct TestOverrides {
    bool isTest = false;    // "istest" is 1: enables the five text overrides
    bool isLaptop = false;  // "islaptop" is 1 (acts without "istest")
    std::optional<std::wstring> os;              // "testos"
    std::optional<std::wstring> cpu;             // "testcpu"
    std::optional<std::wstring> gpu1;            // "testgpu1"
    std::optional<std::wstring> gpu2;            // "testgpu2"
    std::optional<std::wstring> driverVersion1;  // "testdversion1"
    std::optional<std::wstring> driverVersion2;  // "testdversion2"
};

// Reads the "test" section of the process settings file (all defaults while
// the settings path is empty). Texts are cut at 1,023 characters, the size of
// the buffers the Windows build reads them into.
TestOverrides ReadTestOverrides();

// What the adapter probe leaves in the check engine.
struct AdapterSelection {
    // Upper-case names of every accepted adapter, in enumeration order; the
    // rules use its size as the adapter count, so it may hold more than two.
    std::vector<std::wstring> gpuNames;
    // gpuName[m] (with one trailing space) and driverVersion[m] as reported.
    HardwareInventory display;
    // gpuName[m] upper-cased; driverVersion[m] holds the controller's
    // rule-notation driver version, or the overridden version.
    HardwareInventory normalized;
};

// Accepts controllers whose description names AMD, INTEL or NVIDIA (any
// case), fills at most two slots, counts every accepted adapter in gpuNames,
// then applies the "testgpu1/2" and "testdversion1/2" overrides when
// "istest" is on.
AdapterSelection SelectAdapters(const std::vector<VideoControllerInfo>& controllers,
                                const TestOverrides& overrides);

// The processor brand after the "testcpu" override ("istest" on and the key
// present, even empty, replaces the brand).
std::wstring ApplyCpuOverride(const std::wstring& brand, const TestOverrides& overrides);

// The operating-system caption after the "testos" override ("istest" on and
// the key not empty).
std::wstring ApplyOsOverride(const std::wstring& caption, const TestOverrides& overrides);

// True when the settings' "islaptop" is 1, read afresh at every call, else
// when the machine has an AC-adapter device.
bool IsLaptop(IHardwareProbes& probes);
