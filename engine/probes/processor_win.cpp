// The processor's brand (CPUID) and its address width (WMI).

#include "engine/probes/cpuid_brand.h"
#include "engine/probes/facts_win.h"
#include "shell/text_convert.h"
#include "shell/text_util.h"

namespace probes_win {

std::wstring CpuBrand() {
    // Brand strings are ASCII, which every conversion maps alike.
    return Utf8ToWide(CpuidBrandText());
}

int32_t AddressWidth(const CWmiConnection& wmi) {
    const auto text = wmi.FirstObjectText(L"Win32_Processor", L"AddressWidth");
    return text ? LeadingInt32(*text) : 0;
}

}  // namespace probes_win
