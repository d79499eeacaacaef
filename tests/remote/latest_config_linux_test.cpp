#include "remote/latest_config.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "engine/rule_set_reader.h"
#include "remote/server_time.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "tests/remote/latest_config_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

TEST_F(LatestConfigTest, GoesThroughTheProxyNamedByHttpProxy) {
    const ScopedEnv proxy("http_proxy", server_.BaseUrl().c_str());
    // The reserved host never resolves: only the proxy can answer for it.
    baseUrl_ = "http://config.kalo.example";
    ServeService(R"({"body":{"url":"http://config.kalo.example/files/checkerconfig.json"}})");
    server_.Serve(kDocumentPath, {.body = kNewDocument});

    ASSERT_EQ(Download(L"cn"), LatestConfigOutcome::Stored);
    EXPECT_EQ(ReadWholeFile(cachePath_), kNewDocument);
    // Token: printf '%s' 'Rk7Wq$m2Xe#Lp+Tzv4HnYcBfa1712345678http://config.kalo.example/rezedav/wscheckerconfig' | md5sum
    const std::vector<std::string> expected = {
        "http://config.kalo.example/common/getTimestamp",
        "http://config.kalo.example/rezedav/wscheckerconfig?language=cn&timestamp=1712345678"
        "&accesstoken=13cfe842e11d1396b141de27f71ab21b",
        "http://config.kalo.example/files/checkerconfig.json",
    };
    std::vector<std::string> targets;
    for (const auto& request : server_.Requests()) targets.push_back(request.target);
    EXPECT_EQ(targets, expected);
}

}  // namespace
