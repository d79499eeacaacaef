// The processor's brand and the address width of the running kernel.

#include <sys/utsname.h>

#include "engine/probes/cpuid_brand.h"
#include "engine/probes/facts_linux.h"
#include "engine/probes/system_texts_linux.h"
#include "shell/text_convert.h"

namespace {

std::string UnameMachine() {
    utsname name{};
    return uname(&name) == 0 ? std::string(name.machine) : std::string{};
}

}  // namespace

namespace probes_linux {

int32_t AddressWidth(const CSysfsTree& tree, bool isLiveSystem) {
    return AddressWidthForMachine(isLiveSystem ? UnameMachine() : tree.ReadLine("proc/sys/kernel/arch"));
}

std::wstring CpuBrand(const CSysfsTree& tree, bool isLiveSystem) {
    std::string brand = isLiveSystem ? CpuidBrandText() : std::string{};
    // Processors without a CPUID brand (and other architectures) still have
    // the kernel's model name.
    if (brand.empty()) brand = CpuInfoModelName(tree.ReadFile("proc/cpuinfo", 4 * 1024 * 1024).value_or(""));
    return Utf8ToWide(brand);
}

}  // namespace probes_linux
