#pragma once
// The processor's brand text from the CPUID instruction, shared by the Linux
// and Windows processor probes.

#include <string>

// The 48 bytes of extended functions 0x80000002 to 0x80000004 (EAX, EBX, ECX,
// EDX each) read as a zero-terminated text; empty when the processor offers no
// brand (highest extended function 0x80000003 or below) or is no x86.
// Leading spaces, which some processors put there, stay.
std::string CpuidBrandText();
