// Installed memory: the capacities of the physical memory modules.

#include <cmath>
#include <cstdlib>
#include <cwchar>

#include "engine/probes/facts_win.h"

namespace probes_win {

int64_t AddMemoryCapacity(int64_t total, const std::wstring& capacityText) {
    // WMI gives the 64-bit capacity as decimal text ("8589934592").
    const wchar_t* begin = capacityText.c_str();
    wchar_t* end = nullptr;
    const double capacity = std::wcstod(begin, &end);
    if (end == begin || !std::isfinite(capacity) || capacity < 0) return total;
    const double sum = static_cast<double>(total) + capacity;
    // 2^63 is the first double beyond the 64-bit range.
    if (sum >= 9223372036854775808.0) return total;
    return static_cast<int64_t>(sum);
}

int64_t InstalledMemoryBytes(const CWmiConnection& wmi) {
    int64_t total = 0;
    wmi.ForEachObject(L"Win32_PhysicalMemory", [&](IWbemClassObject& module) {
        if (const auto capacity = WmiPropertyText(module, L"Capacity")) total = AddMemoryCapacity(total, *capacity);
        return true;
    });
    return total;
}

}  // namespace probes_win
