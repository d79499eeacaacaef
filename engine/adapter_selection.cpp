#include "engine/adapter_selection.h"

#include "engine/matching.h"
#include "shell/profile.h"
#include "shell/text_util.h"

namespace {

constexpr wchar_t kTestSection[] = L"test";

// The Windows build reads these texts into buffers of 1,024 wide characters.
constexpr size_t kOverrideTextLimit = 1023;

// An INI value never holds a line break, so this default can only come back
// when the key is absent. That is how a key present with an empty value
// ("testcpu=") is told apart from a missing one.
constexpr wchar_t kAbsent[] = L"\n";

std::optional<std::wstring> ReadOverrideText(const wchar_t* key) {
    std::wstring value = SettingsReadString(kTestSection, key, kAbsent);
    if (value == kAbsent) return std::nullopt;
    if (value.size() > kOverrideTextLimit) value.resize(kOverrideTextLimit);
    return value;
}

bool NamesAcceptedVendor(const std::wstring& description) {
    const std::wstring upper = UpperAscii(description);
    return Contains(upper, L"AMD") || Contains(upper, L"INTEL") || Contains(upper, L"NVIDIA");
}

// The value of an override key, defaulting to the slot's current text when
// the key is absent (a key present with an empty value reads as empty). The
// current text comes back as the profile read returns a default: without
// trailing blanks, so "NVIDIA Quadro K420 " reads as "NVIDIA Quadro K420".
std::wstring OverrideOrCurrent(const std::optional<std::wstring>& key, const std::wstring& current) {
    return key ? *key : std::wstring(TrimTrailingBlanks(current, kSpaceTab));
}

}  // namespace

TestOverrides ReadTestOverrides() {
    TestOverrides overrides;
    overrides.isTest = SettingsReadInt(kTestSection, L"istest", 0) == 1;
    overrides.isLaptop = SettingsReadInt(kTestSection, L"islaptop", 0) == 1;
    overrides.os = ReadOverrideText(L"testos");
    overrides.cpu = ReadOverrideText(L"testcpu");
    overrides.gpu1 = ReadOverrideText(L"testgpu1");
    overrides.gpu2 = ReadOverrideText(L"testgpu2");
    overrides.driverVersion1 = ReadOverrideText(L"testdversion1");
    overrides.driverVersion2 = ReadOverrideText(L"testdversion2");
    return overrides;
}

AdapterSelection SelectAdapters(const std::vector<VideoControllerInfo>& controllers,
                                const TestOverrides& overrides) {
    AdapterSelection selection;
    size_t slot = 0;
    for (const VideoControllerInfo& controller : controllers) {
        // A controller without a description cannot name an accepted vendor,
        // so it is skipped like any other refused one. Giving it a slot would
        // shift the slots against gpuNames, and the rules read an adapter's
        // name from both places as if they were the same.
        if (!controller.description || !NamesAcceptedVendor(*controller.description)) continue;
        const std::wstring name = *controller.description + L" ";
        const std::wstring upper = UpperAscii(name);
        selection.gpuNames.push_back(upper);
        if (slot < selection.display.gpuName.size()) {
            selection.display.gpuName[slot] = name;
            selection.normalized.gpuName[slot] = upper;
            if (controller.driverVersion) selection.display.driverVersion[slot] = *controller.driverVersion;
            selection.normalized.driverVersion[slot] = controller.ruleDriverVersion;
        }
        ++slot;
    }
    if (!overrides.isTest) return selection;

    const std::wstring gpu1 = OverrideOrCurrent(overrides.gpu1, selection.display.gpuName[0]);
    const std::wstring gpu2 = OverrideOrCurrent(overrides.gpu2, selection.display.gpuName[1]);
    const std::wstring* gpuOverrides[] = {&gpu1, &gpu2};
    const std::optional<std::wstring>* driverOverrides[] = {&overrides.driverVersion1,
                                                            &overrides.driverVersion2};
    for (size_t k = 0; k < 2; ++k) {
        if (!gpuOverrides[k]->empty()) {
            selection.display.gpuName[k] = *gpuOverrides[k];
            selection.normalized.gpuName[k] = UpperAscii(*gpuOverrides[k]);
        }
        // An absent driver override keeps both versions as they are: the
        // rule-notation version of a Linux driver must survive a test run that
        // only overrides the names.
        const auto& driver = *driverOverrides[k];
        if (driver && !driver->empty()) {
            selection.display.driverVersion[k] = *driver;
            selection.normalized.driverVersion[k] = *driver;
        }
    }
    if (!gpu1.empty() || !gpu2.empty()) {
        selection.gpuNames = {UpperAscii(gpu1), UpperAscii(gpu2)};
    }
    return selection;
}

std::wstring ApplyCpuOverride(const std::wstring& brand, const TestOverrides& overrides) {
    if (overrides.isTest) return OverrideOrCurrent(overrides.cpu, brand);
    return brand;
}

std::wstring ApplyOsOverride(const std::wstring& caption, const TestOverrides& overrides) {
    if (overrides.isTest && overrides.os && !overrides.os->empty()) return *overrides.os;
    return caption;
}

bool IsLaptop(IHardwareProbes& probes) {
    if (SettingsReadInt(kTestSection, L"islaptop", 0) == 1) return true;
    return probes.HasAcAdapterDevice();
}
