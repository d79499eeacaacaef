// Classifying one machine against the shipped rule set: the verdict alone
// (rule set already loaded), and the verdict together with parsing and
// loading the document, as every check does.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/built_in_rule_set.h"
#include "engine/adapter_selection.h"
#include "engine/rule_set_reader.h"
#include "engine/verdict.h"

namespace {

RuleSet LoadRules(const std::string& document) {
    return ParseRuleSet(document, L"").value_or(RuleSet{});
}

// A gaming laptop with two adapters: every list of the shipped rule set is
// consulted, the laptop lists included.
ProbedFacts GamingLaptop() {
    const std::vector<VideoControllerInfo> controllers = {
        {L"Intel(R) UHD Graphics 630", L"27.20.100.8280", L""},
        {L"NVIDIA GeForce GTX 1060", L"27.21.14.5671", L""},
    };
    return CombineFacts(SelectAdapters(controllers, TestOverrides{}),
                        {64, int64_t{16} << 30, 3, L"Microsoft Windows 10 Home"},
                        L"Intel(R) Core(TM) i7-8750H CPU @ 2.20GHz");
}

const VerdictQuestions kLaptopWithoutSteamVr{[] { return true; }, [] { return false; }};

void BM_ClassifyMachine(benchmark::State& state) {
    const RuleSet rules = LoadRules(std::string(BuiltInRuleSetDocument()));
    const ProbedFacts facts = GamingLaptop();
    for (auto _ : state) {
        Verdict verdict = ClassifyMachine(rules, facts, kLaptopWithoutSteamVr);
        benchmark::DoNotOptimize(verdict.results.overallGameResult);
    }
}
BENCHMARK(BM_ClassifyMachine)->Unit(benchmark::kMicrosecond);

void BM_LoadRuleSetAndClassifyMachine(benchmark::State& state) {
    const std::string document = std::string(BuiltInRuleSetDocument());
    const ProbedFacts facts = GamingLaptop();
    for (auto _ : state) {
        const RuleSet rules = LoadRules(document);
        Verdict verdict = ClassifyMachine(rules, facts, kLaptopWithoutSteamVr);
        benchmark::DoNotOptimize(verdict.results.overallGameResult);
    }
}
BENCHMARK(BM_LoadRuleSetAndClassifyMachine)->Unit(benchmark::kMicrosecond);

}  // namespace
