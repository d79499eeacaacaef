// Runs the built kalofitprobe-cli as a user or a script would, in a private
// data and temporary folder, against a loopback configuration service.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "engine/rule_set_reader.h"
#include "shell/json.h"
#include "shell/platform.h"
#include "shell/text_convert.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

struct RunResult {
    int exitCode = -1;
    std::string output;
};

RunResult RunCli(const std::string& arguments) {
    const std::string command = std::string(KALO_CLI_PATH) + " " + arguments + " 2>/dev/null";
    RunResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The overrides make the check's outcome the same on every machine but for
// the memory, which is real.
constexpr char kSettings[] =
    "[set]\nlanguage=en\n"
    "[test]\nistest=1\n"
    "testcpu=Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\n"
    "testgpu1=NVIDIA GeForce GTX 1060 6GB\n"
    "testdversion1=31.0.15.8159\n"
    "testos=Microsoft Windows 10 Pro\n";

class TerminalCheck : public testing::Test {
protected:
    Json::Value RunJson(const std::string& arguments) {
        const RunResult run = RunCli("--json --settings '" + WideToUtf8(settings_) + "' " + arguments);
        EXPECT_EQ(run.exitCode, 0);
        Json::Value json;
        EXPECT_TRUE(ParseJson(run.output, json)) << run.output;
        return json;
    }

    ScopedTempFolder root_;
    ScopedNoProxy noProxy_;
    ScopedEnv data_{"XDG_DATA_HOME", WideToUtf8(root_.File(L"data")).c_str()};
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", WideToUtf8(root_.Path()).c_str()};
    std::wstring settings_ = root_.Write(L"fitprobe.ini", kSettings);
};

TEST_F(TerminalCheck, WithoutDownloadTheBuiltInRuleSetDecides) {
    const Json::Value json = RunJson("--no-download");
    EXPECT_EQ(json["language"].asString(), "en") << "the saved language";
    EXPECT_EQ(json["ruleSet"].asString(), WideToUtf8(root_.Path()) + "/checkerconfig.json");
    const char* results[] = {"pass", nullptr, "pass", "pass", "pass"};  // memory is the machine's
    for (Json::ArrayIndex i = 0; i < 5; ++i) {
        if (results[i] != nullptr) {
            EXPECT_EQ(json["rows"][i]["result"].asString(), results[i]) << i;
        }
    }
    EXPECT_EQ(json["rows"][2]["value"].asString(), "NVIDIA GeForce GTX 1060 6GB");
    EXPECT_EQ(json["rows"][2]["caption"].asString(), "GPU");
    EXPECT_EQ(json["inventory"]["gpuNames"].size(), 2u) << "an overridden adapter makes two slots";
    EXPECT_EQ(json["report"]["driverFlags"].asInt(), 0);
}

TEST_F(TerminalCheck, ADownloadedRuleSetReplacesTheBuiltInOne) {
    LoopbackHttpServer service;
    service.Serve("/common/getTimestamp", {200, "1765200000"});
    service.Serve("/rezedav/wscheckerconfig",
                  {200, R"({"body":{"url":")" + service.BaseUrl() + R"(/rules.json"}})"});
    service.Serve("/rules.json", {200, CompleteRuleSet(R"("CPU_Game_BlackList":["i7-8700"])")});
    ScopedEnv url("KALO_CONFIG_SERVICE_URL", service.BaseUrl().c_str());

    const Json::Value json = RunJson("--lang de");
    EXPECT_EQ(json["headline"].asString(), "not_compatible");
    EXPECT_EQ(json["language"].asString(), "de");
    EXPECT_EQ(json["rows"][0]["result"].asString(), "fail");
    EXPECT_EQ(json["ruleSet"].asString(),
              WideToUtf8(root_.File(L"data")) + "/KALO Assistant 4/updates/fitprobe/checkerconfig.json");
    EXPECT_EQ(service.RequestsTo("/rezedav/wscheckerconfig").size(), 1u);
}

// A cache that parses but is no complete rule set is passed over: the
// verdict is the one the built-in copy gives, as if there were no cache.
TEST_F(TerminalCheck, ACacheThatIsNoRuleSetGivesTheVerdictOfNoCache) {
    const Json::Value withoutCache = RunJson("--no-download");
    const std::wstring cache = root_.File(L"data") + L"/KALO Assistant 4/updates/fitprobe/checkerconfig.json";
    const std::string kCaches[] = {
        R"({"body": 5})",
        "[1,2,3]",
        R"({"body":{"CPU_Game":["i7-8700"]}})",
        CompleteRuleSet(R"("CPU_Game_BlackList":{"0":"i7-8700"})"),
        CompleteRuleSet(R"("DRIVER_NV_Min":47111)"),
    };
    for (const std::string& document : kCaches) {
        SCOPED_TRACE(document);
        root_.Write(L"data/KALO Assistant 4/updates/fitprobe/checkerconfig.json", document);
        const Json::Value json = RunJson("--no-download");
        EXPECT_EQ(json["ruleSet"].asString(), WideToUtf8(root_.Path()) + "/checkerconfig.json");
        EXPECT_EQ(json["headline"], withoutCache["headline"]);
        EXPECT_EQ(json["rows"], withoutCache["rows"]);
        EXPECT_EQ(json["report"], withoutCache["report"]);
    }
    // A complete one is taken.
    root_.Write(L"data/KALO Assistant 4/updates/fitprobe/checkerconfig.json", CompleteRuleSet());
    EXPECT_EQ(RunJson("--no-download")["ruleSet"].asString(), WideToUtf8(cache));
}

TEST_F(TerminalCheck, ADownloadThatIsNoCompleteRuleSetLeavesTheCacheAndSaysSo) {
    const std::string kept = CompleteRuleSet(R"("CPU_Game_BlackList":["i7-8700"])");
    const std::wstring cache = root_.Write(L"data/KALO Assistant 4/updates/fitprobe/checkerconfig.json", kept);
    LoopbackHttpServer service;
    service.Serve("/common/getTimestamp", {200, "1765200000"});
    service.Serve("/rezedav/wscheckerconfig",
                  {200, R"({"body":{"url":")" + service.BaseUrl() + R"(/rules.json"}})"});
    service.Serve("/rules.json", {200, R"({"body":{"CPU_Game":["i7-8700"],"OS":5}})"});
    ScopedEnv url("KALO_CONFIG_SERVICE_URL", service.BaseUrl().c_str());

    const Json::Value json = RunJson("");
    EXPECT_FALSE(json["download"]["cacheUpdated"].asBool());
    EXPECT_EQ(json["download"]["failure"].asString(), "document: not a rule set");
    EXPECT_EQ(ReadWholeFile(cache), kept);
    EXPECT_EQ(json["ruleSet"].asString(), WideToUtf8(cache));
    EXPECT_EQ(json["headline"].asString(), "not_compatible") << "the kept cache decides";
}

TEST_F(TerminalCheck, ADocumentThatRedirectsInCirclesIsReportedAsSuch) {
    LoopbackHttpServer service;
    service.Serve("/common/getTimestamp", {200, "1765200000"});
    service.Serve("/rezedav/wscheckerconfig",
                  {200, R"({"body":{"url":")" + service.BaseUrl() + R"(/rules.json"}})"});
    service.Serve("/rules.json", {.status = 302, .extraHeaders = {{"Location", "/rules.json"}}});
    ScopedEnv url("KALO_CONFIG_SERVICE_URL", service.BaseUrl().c_str());

    const Json::Value json = RunJson("");
    EXPECT_FALSE(json["download"]["cacheUpdated"].asBool());
    EXPECT_EQ(json["download"]["failure"].asString(), "document: too many redirects");
    EXPECT_EQ(service.RequestsTo("/rules.json").size(), 6u);
    std::string log;
    for (const auto& file : std::filesystem::directory_iterator(ToFsPath(root_.File(L"data/KALO Assistant 4/Logs")))) {
        log += ReadWholeFile(FromFsPath(file.path()));
    }
    EXPECT_NE(log.find("config document request failed: too many redirects"), std::string::npos) << log;
}

TEST_F(TerminalCheck, AnUnreachableServiceStillGivesAResult) {
    ScopedEnv url("KALO_CONFIG_SERVICE_URL", "http://127.0.0.1:1");
    const Json::Value json = RunJson("");
    EXPECT_EQ(json["rows"].size(), 5u);
    EXPECT_EQ(json["ruleSet"].asString(), WideToUtf8(root_.Path()) + "/checkerconfig.json");
}

TEST_F(TerminalCheck, TextShowsTheHeadlineAndTheRowsInTheChosenLanguage) {
    const RunResult run = RunCli("--no-download --lang en --settings '" + WideToUtf8(settings_) + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("  \u2713  GPU                 NVIDIA GeForce GTX 1060 6GB\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("GPU driver version  31.0.15.8159\n"), std::string::npos);
}

TEST_F(TerminalCheck, BadOptionsExitWithTheUsageCode) {
    const struct { const char* arguments; int exitCode; } kCases[] = {
        {"--frobnicate", 64},
        {"--lang", 64},
        {"--no-download --lang xx", 64},
        {"--help", 0},
        {"--version", 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(RunCli(c.arguments).exitCode, c.exitCode) << c.arguments;
}

}  // namespace
