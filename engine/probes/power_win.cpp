// Whether the machine runs on a battery: an ACPI AC-adapter device among the
// present devices.

#include <array>

#include "engine/probes/facts_win.h"

namespace {

// What the hardware-id property is read into.
constexpr DWORD kHardwareIdBytes = 4096;

}  // namespace

namespace probes_win {

bool IsAcAdapterHardwareId(std::wstring_view firstHardwareId) {
    return firstHardwareId == L"*ACPI0003\\" || firstHardwareId == L"ACPI\\ACPI0003" ||
           firstHardwareId == L"ACPI\\VEN_ACPI&DEV_0003";
}

bool HasAcAdapter() {
    const CDeviceInfoSet devices(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!devices.IsValid()) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &device); ++index) {
        std::array<wchar_t, kHardwareIdBytes / sizeof(wchar_t)> ids{};
        DWORD type = 0;
        DWORD size = 0;
        if (!SetupDiGetDeviceRegistryPropertyW(devices.Get(), &device, SPDRP_HARDWAREID, &type,
                                               reinterpret_cast<BYTE*>(ids.data()), kHardwareIdBytes, &size)) {
            continue;  // no hardware id, or more than the buffer holds
        }
        if (type != REG_MULTI_SZ && type != REG_SZ) continue;
        // The property need not end in a zero; the last character is kept
        // as one so that the first string always ends inside the buffer.
        ids.back() = L'\0';
        if (IsAcAdapterHardwareId(std::wstring_view(ids.data()))) return true;
    }
    return false;
}

}  // namespace probes_win
