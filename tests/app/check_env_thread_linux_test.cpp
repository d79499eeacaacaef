#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "app/built_in_rule_set.h"
#include "app/check_env_thread.h"
#include "app/check_helper.h"
#include "engine/probes/probes_linux.h"
#include "engine/rule_set_reader.h"
#include "remote/config_service.h"
#include "shell/embedded_resource.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/support/fixtures.h"
#include "tests/support/log_capture.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/rule_set_documents.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr CheckResult P = CheckResult::Pass;
constexpr CheckResult F = CheckResult::Fail;

// A small rule set the service hands out: the fixture desktop passes it.
const std::string kServedRules =
    CompleteRuleSet(R"("CPU_Game":["i7-87"],"GPU_NV_Game":["GTX 10"],"OS":["Windows 10"])");

// The fixture desktop (Intel UHD 630 + GTX 1060) made to look like Windows 10,
// with the configuration service played by a loopback server.
class CheckSequence : public testing::Test {
protected:
    void SetUp() override {
            SetSettingsFilePath(root_.Write(L"fitprobe.ini", "[test]\nistest=1\ntestos=Microsoft Windows 10 Pro\n"));
        SetConfigServiceBaseUrl(service_.BaseUrl());
        ServeRules(kServedRules);
        service_.Serve("/common/getTimestamp", {200, "1765200000"});
        service_.Serve("/rezedav/wscheckerconfig",
                       {200, R"({"body":{"url":")" + service_.BaseUrl() + R"(/documents/checkerconfig.json"}})"});
        helper_.SetEngineFactory([this](const std::wstring& ruleSetPath) {
            return std::make_unique<CCheckEnv>(ruleSetPath, *probes_, steam_);
        });
    }
    void TearDown() override {
        SetConfigServiceBaseUrl("");
        SetSettingsFilePath(L"");
    }
    void ServeRules(std::string document) {
        service_.Serve("/documents/checkerconfig.json", {200, std::move(document), "application/json"});
    }

    ScopedTempFolder root_;
    ScopedNoProxy noProxy_;
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", WideToUtf8(root_.Path()).c_str()};
    LoopbackHttpServer service_;
    LogCapture log_;
    std::unique_ptr<IHardwareProbes> probes_ = CreateLinuxHardwareProbes(MachineRoot("desktop-intel-nvidia"));
    CSteamHelper steam_{root_.File(L"home")};
    CCheckHelper helper_{root_.File(L"data")};
};

TEST_F(CheckSequence, RunsOnTheFreshDownload) {
    EXPECT_EQ(helper_.RunCheck(nullptr), 3u) << "game tier passes, no SteamVR";
    const CCheckEnv* env = helper_.CurrentEnv();
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->RuleSetFileUsed(), helper_.CachePath());
    EXPECT_EQ(ReadWholeFile(helper_.CachePath()), kServedRules);
    EXPECT_EQ(env->Results().overallGameResult, P);
    const auto requests = service_.RequestsTo("/rezedav/wscheckerconfig");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query.rfind("language=cn&timestamp=1765200000&accesstoken=", 0), 0u) << requests[0].query;
}

TEST_F(CheckSequence, AFailedDownloadKeepsTheEarlierOne) {
    helper_.RunCheck(nullptr);
    service_.Serve("/documents/checkerconfig.json", {502, "<html>Bad gateway</html>", "text/html"});
    const std::wstring language = L"en";
    EXPECT_EQ(helper_.RunCheck(&language), 3u);
    EXPECT_EQ(helper_.LanguageCode(), L"en");
    EXPECT_EQ(helper_.CurrentEnv()->RuleSetFileUsed(), helper_.CachePath());
    EXPECT_EQ(ReadWholeFile(helper_.CachePath()), kServedRules);
}

TEST_F(CheckSequence, WithoutServiceOrCacheTheBuiltInCopyDecides) {
    SetConfigServiceBaseUrl("http://127.0.0.1:1");  // nothing listens there
    const std::wstring temporaryCopy = ReleaseBuiltInRuleSet();
    EXPECT_EQ(helper_.RunCheck(nullptr), 3u);
    EXPECT_EQ(helper_.CurrentEnv()->RuleSetFileUsed(), temporaryCopy);
    EXPECT_FALSE(PathExists(helper_.CachePath()));
}

TEST_F(CheckSequence, ASecondCheckReplacesTheEngine) {
    helper_.RunCheck(nullptr);
    ServeRules(CompleteRuleSet(R"("CPU_Game":["i7-87"],"CPU_Game_BlackList":["i7-8700"],"OS":["Windows 10"])"));
    EXPECT_EQ(helper_.RunCheck(nullptr), 0u);
    EXPECT_EQ(helper_.CurrentEnv()->Results().cpuGameResult, F);
    EXPECT_EQ(helper_.LastCombinedResult(), 0u);
}

TEST(CheckEnvThread, RunsTheCheckOnItsOwnThreadThenCallsBack) {
    ScopedTempFolder root;
    ScopedEnv data("XDG_DATA_HOME", WideToUtf8(root.Path()).c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", WideToUtf8(root.Path()).c_str());
    auto probes = CreateLinuxHardwareProbes(MachineRoot("vm-no-display"));
    CSteamHelper steam(root.File(L"home"));
    CCheckHelper& helper = CCheckHelper::Instance();
    helper.SetDownloadEnabled(false);
    helper.SetEngineFactory([&](const std::wstring& path) { return std::make_unique<CCheckEnv>(path, *probes, steam); });

    std::promise<std::thread::id> calledBack;
    CheckEnvThread worker;
    ASSERT_TRUE(worker.Start([&] {
        // The window reads the engine while the worker waits in here.
        EXPECT_NE(helper.CurrentEnv(), nullptr);
        calledBack.set_value(std::this_thread::get_id());
    }));
    EXPECT_NE(calledBack.get_future().get(), std::this_thread::get_id());
    worker.Stop();
    EXPECT_EQ(worker.ExitCode(), 0u);
    EXPECT_EQ(helper.LanguageCode(), L"cn") << "the worker asks the service in Chinese";
    EXPECT_EQ(helper.CurrentEnv()->Display().memoryText, L"32GB");
    helper.SetEngineFactory({});
}

// A check waiting on a service that accepts the connection and stays silent
// ends as soon as its owner stops the worker, with or without waiting at
// once; the callback does not come, and the download is reported cancelled.
TEST(CheckEnvThread, StoppingCancelsTheDownloadFromASilentService) {
    ScopedTempFolder root;
    ScopedEnv data("XDG_DATA_HOME", WideToUtf8(root.Path()).c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", WideToUtf8(root.Path()).c_str());
    const ScopedNoProxy noProxy;
    auto probes = CreateLinuxHardwareProbes(MachineRoot("desktop-intel-nvidia"));
    CSteamHelper steam(root.File(L"home"));
    CCheckHelper& helper = CCheckHelper::Instance();
    helper.SetDownloadEnabled(true);
    helper.SetEngineFactory([&](const std::wstring& path) { return std::make_unique<CCheckEnv>(path, *probes, steam); });

    const struct { const char* name; void (*stop)(CheckEnvThread&); } kCases[] = {
        {"Stop", [](CheckEnvThread& worker) { worker.Stop(); }},
        {"RequestStop, then Wait", [](CheckEnvThread& worker) { worker.RequestStop(); worker.Wait(); }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer silent;
        silent.SetHandler([](const LoopbackRequest&) { return LoopbackAnswer{.neverAnswer = true}; });
        SetConfigServiceBaseUrl(silent.BaseUrl());
        std::atomic<int> callbacks{0};
        CheckEnvThread worker;
        ASSERT_TRUE(worker.Start([&] { ++callbacks; }));
        // Also shows that the start cleared the previous case's cancel.
        ASSERT_TRUE(silent.WaitForRequestTo("/common/getTimestamp", std::chrono::seconds(10)));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto stopRequested = std::chrono::steady_clock::now();
        c.stop(worker);
        std::printf("[ figure   ] %s: worker ended %lld us after the stop request\n", c.name,
                    static_cast<long long>((std::chrono::steady_clock::now() - stopRequested) / std::chrono::microseconds(1)));
        EXPECT_EQ(callbacks.load(), 0);
        EXPECT_EQ(helper.LastDownload().outcome, LatestConfigOutcome::Cancelled);
        EXPECT_FALSE(helper.LastDownload().CacheUpdated());
        EXPECT_EQ(silent.Requests().size(), 1u) << "nothing asked after the cancelled request";
    }
    SetConfigServiceBaseUrl("");
    helper.SetEngineFactory({});
}

}  // namespace
