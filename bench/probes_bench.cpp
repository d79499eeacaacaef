// The probes of this machine, as one check runs them: adapters, system facts
// and processor brand.

#include <benchmark/benchmark.h>

#include "engine/probes/probes.h"

namespace {

void BM_ProbeThisMachine(benchmark::State& state) {
    for (auto _ : state) {
        auto probes = CreateHardwareProbes();
        std::vector<VideoControllerInfo> controllers;
        probes->EnumerateVideoControllers(controllers);
        benchmark::DoNotOptimize(probes->ProbeSystem());
        benchmark::DoNotOptimize(probes->GetCpuBrand());
        benchmark::DoNotOptimize(probes->HasAcAdapterDevice());
    }
}
BENCHMARK(BM_ProbeThisMachine)->Unit(benchmark::kMicrosecond);

}  // namespace
