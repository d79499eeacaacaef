// Loading the shipped rule set, as every check does: from the file (read,
// parse, upper-case every entry) and from memory (parse and load only).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "app/built_in_rule_set.h"
#include "engine/rule_set_reader.h"
#include "shell/platform.h"

namespace {

void BM_ParseAndLoadShippedRuleSet(benchmark::State& state) {
    const std::string document = std::string(BuiltInRuleSetDocument());
    for (auto _ : state) {
        const std::optional<RuleSet> rules = ParseRuleSet(document, L"");
        benchmark::DoNotOptimize(rules->cpuGame.data());
    }
}
BENCHMARK(BM_ParseAndLoadShippedRuleSet)->Unit(benchmark::kMicrosecond);

void BM_ReadShippedRuleSetFromFile(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "kalo-bench-ruleset";
    std::filesystem::create_directories(folder);
    const std::string document = std::string(BuiltInRuleSetDocument());
    std::FILE* file = std::fopen((folder / "checkerconfig.json").c_str(), "wb");
    std::fwrite(document.data(), 1, document.size(), file);
    std::fclose(file);
    const RuleSetCandidates candidates{FromFsPath(folder / "checkerconfig.json"), L"", L"", false};
    for (auto _ : state) {
        RuleSet rules;
        benchmark::DoNotOptimize(ReadRuleSet(candidates, rules));
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReadShippedRuleSetFromFile)->Unit(benchmark::kMicrosecond);

}  // namespace
