#include "engine/probes/cpuid_brand.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

std::string CpuidBrandText() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned regs[4] = {};
    __cpuid(0x80000000u, regs[0], regs[1], regs[2], regs[3]);
    if (regs[0] <= 0x80000003u) return {};
    char brand[49] = {};  // the 49th byte terminates a brand that fills all 48
    for (unsigned i = 0; i < 3; ++i) {
        __cpuid(0x80000002u + i, regs[0], regs[1], regs[2], regs[3]);
        std::memcpy(brand + 16 * i, regs, 16);
    }
    return brand;
#else
    return {};
#endif
}
