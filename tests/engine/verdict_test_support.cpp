#include "tests/engine/verdict_test_support.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/built_in_rule_set.h"
#include "engine/adapter_selection.h"
#include "engine/rule_set_reader.h"

const RuleSet& ShippedRuleSet() {
    static const RuleSet rules = [] {
        const std::optional<RuleSet> loaded = ParseRuleSet(BuiltInRuleSetDocument(), L"shipped");
        EXPECT_TRUE(loaded.has_value());
        return loaded.value_or(RuleSet{});
    }();
    return rules;
}

RuleSet RuleSetFromBody(const char* body) {
    const std::optional<RuleSet> rules = ParseRuleSet(std::string(R"({"body":)") + body + "}", L"test");
    EXPECT_TRUE(rules.has_value()) << body;
    return rules.value_or(RuleSet{});
}

ProbedFacts FactsOf(const Machine& machine) {
    std::vector<VideoControllerInfo> controllers;
    for (const Controller& controller : machine.controllers) {
        controllers.push_back({controller.description, controller.driverVersion, L""});
    }
    return CombineFacts(SelectAdapters(controllers, TestOverrides{}),
                        {machine.addressWidth, machine.memoryBytes, machine.usbPortCount, machine.osCaption},
                        machine.cpuBrand);
}

Verdict Classify(const RuleSet& rules, const Machine& machine, bool laptop, bool steamVr) {
    const VerdictQuestions questions{[laptop] { return laptop; }, [steamVr] { return steamVr; }};
    return ClassifyMachine(rules, FactsOf(machine), questions);
}

void ExpectResults(const VerdictResults& actual, const Expected& expected) {
    EXPECT_EQ(actual.cpuGameResult, expected.cpuGame) << "cpuGameResult";
    EXPECT_EQ(actual.cpuVideoResult, expected.cpuVideo) << "cpuVideoResult";
    EXPECT_EQ(actual.gpuGameResult[0], expected.gpu0Game) << "gpuGameResult[0]";
    EXPECT_EQ(actual.gpuVideoResult[0], expected.gpu0Video) << "gpuVideoResult[0]";
    EXPECT_EQ(actual.gpuGameResult[1], expected.gpu1Game) << "gpuGameResult[1]";
    EXPECT_EQ(actual.gpuVideoResult[1], expected.gpu1Video) << "gpuVideoResult[1]";
    EXPECT_EQ(actual.memoryResult, expected.memory) << "memoryResult";
    EXPECT_EQ(actual.osResult, expected.os) << "osResult";
    EXPECT_EQ(actual.overallGameResult, expected.overallGame) << "overallGameResult";
    EXPECT_EQ(actual.overallVideoResult, expected.overallVideo) << "overallVideoResult";
    EXPECT_EQ(actual.driverFlags, expected.driverFlags) << "driverFlags";
}

std::ostream& operator<<(std::ostream& out, CheckResult result) {
    switch (result) {
        case CheckResult::Unknown: return out << "Unknown";
        case CheckResult::Fail: return out << "Fail";
        case CheckResult::Pass: return out << "Pass";
    }
    return out << "CheckResult(" << static_cast<int>(result) << ")";
}
