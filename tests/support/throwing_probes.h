#pragma once
// Probes whose system probe throws, as a broken driver or library might:
// the check must end with an outcome instead of leaving its caller waiting.

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/probes/probes.h"

class CThrowingProbes : public IHardwareProbes {
public:
    bool EnumerateVideoControllers(std::vector<VideoControllerInfo>&) override { return true; }
    SystemFacts ProbeSystem() override { throw std::runtime_error("the system probe broke"); }
    std::wstring GetCpuBrand() override { return L""; }
    bool HasAcAdapterDevice() override { return false; }
};
