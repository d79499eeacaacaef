#include "cli/report_output.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/rule_set_reader.h"
#include "shell/json.h"

namespace {

std::wstring English(const wchar_t* key) {
    static const std::map<std::wstring, std::wstring> kTexts = {
        {L"IDS_STRING_CPU", L"CPU"},
        {L"IDS_STRING_RAM", L"RAM"},
        {L"IDS_STRING_GPU", L"GPU"},
        {L"IDS_STRING_OS", L"OS"},
        {L"IDS_STRING_DRIVER_VERSION", L"GPU driver version"},
        {L"IDS_STRING_UNRECOGNIZED", L"Unrecognized"},
        {L"IDS_STRING_CONFIG_NO", L"Computer performance is not compatible with KALO Q8"},
        {L"IDS_STRING_CONFIG_NO_TIP", L"Sorry, your computer performance is too low"},
    };
    const auto found = kTexts.find(key);
    return found == kTexts.end() ? L"" : found->second;
}

CheckOutcome Desktop() {
    CheckOutcome outcome;
    CheckReport& report = outcome.report;
    report.cpuGameResult = CheckResult::Pass;
    report.gpuGameResult = {CheckResult::Fail, CheckResult::Unknown};
    report.memoryResult = CheckResult::Pass;
    report.osResult = CheckResult::Pass;
    report.driverFlags = 1;
    report.display.cpuText = L"Intel(R) Core(TM) i5-4590 CPU @ 3.30GHz";
    report.display.memoryText = L"16GB";
    report.display.osText = L"Debian GNU/Linux 12 (bookworm)(64)";
    report.display.gpuName = {L"NVIDIA GeForce GT 730 ", L""};
    report.display.driverVersion = {L"470.256.02", L""};
    report.display.usbPortCount = 4;
    outcome.gpuVideoResult = {CheckResult::Fail, CheckResult::Unknown};
    outcome.overallGameResult = CheckResult::Fail;
    outcome.steamVrResult = 1;
    outcome.usbResult = 2;
    outcome.gpuNames = {L"NVIDIA GEFORCE GT 730 "};
    outcome.ruleSetPath = L"/tmp/checkerconfig.json";
    return outcome;
}

TEST(ReportOutput, TextShowsHeadlineTipAndFiveMarkedRows) {
    CheckOutcome outcome = Desktop();
    outcome.report.display.osText.clear();
    EXPECT_EQ(FormatOutcomeText(outcome, English),
              "Computer performance is not compatible with KALO Q8\n"
              "Sorry, your computer performance is too low\n"
              "\n"
              "  \u2713  CPU                 Intel(R) Core(TM) i5-4590 CPU @ 3.30GHz\n"
              "  \u2713  RAM                 16GB\n"
              "  \u2717  GPU                 NVIDIA GeForce GT 730 \n"
              "  \u2717  GPU driver version  470.256.02\n"
              "  \u2713  OS                  Unrecognized\n");
}

TEST(ReportOutput, JsonHasTheDocumentedShape) {
    const Json::Value json = OutcomeToJson(Desktop(), English, L"en");
    Json::Value reparsed;
    ASSERT_TRUE(ParseJson(WriteJson(json), reparsed));
    EXPECT_EQ(WriteJson(reparsed), WriteJson(json)) << "the written form reads back unchanged";

    EXPECT_EQ(json.getMemberNames(),
              (std::vector<std::string>{"download", "headline", "inventory", "language", "report", "rows", "ruleSet"}));
    EXPECT_EQ(json["headline"].asString(), "not_compatible");
    EXPECT_EQ(json["language"].asString(), "en");
    ASSERT_EQ(json["rows"].size(), 5u);
    const char* components[] = {"cpu", "memory", "gpu", "driver", "os"};
    const char* results[] = {"pass", "pass", "fail", "fail", "pass"};
    for (Json::ArrayIndex i = 0; i < 5; ++i) {
        EXPECT_EQ(json["rows"][i]["component"].asString(), components[i]);
        EXPECT_EQ(json["rows"][i]["result"].asString(), results[i]);
        EXPECT_EQ(json["rows"][i].getMemberNames().size(), 4u);
    }
    EXPECT_EQ(json["rows"][3]["caption"].asString(), "GPU driver version");

    const Json::Value& report = json["report"];
    EXPECT_EQ(report.getMemberNames().size(), 12u);
    EXPECT_EQ(report["gpuGameResult"][0].asInt(), 1);
    EXPECT_EQ(report["gpuVideoResult"].size(), 2u);
    EXPECT_EQ(report["driverFlags"].asInt(), 1);
    EXPECT_EQ(report["steamVrResult"].asInt(), 1);
    EXPECT_EQ(report["usbResult"].asInt(), 2);

    const Json::Value& inventory = json["inventory"];
    EXPECT_EQ(inventory.getMemberNames().size(), 8u);
    EXPECT_EQ(inventory["gpuName"][0].asString(), "NVIDIA GeForce GT 730 ");
    EXPECT_EQ(inventory["gpuNames"].size(), 1u);
    EXPECT_EQ(inventory["usbPortCount"].asInt(), 4);
    EXPECT_FALSE(inventory["laptop"].asBool());
    EXPECT_EQ(json["ruleSet"].asString(), "/tmp/checkerconfig.json");
}

}  // namespace
