#include "app/check_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/throwing_probes.h"

namespace {

constexpr CheckResult P = CheckResult::Pass;
constexpr CheckResult F = CheckResult::Fail;

TEST(CombinedCheckResult, FromTheTwoTiersAndSteamVr) {
    const struct { CheckResult game; CheckResult video; uint32_t steamVr; uint32_t combined; } kCases[] = {
        {P, P, 2, 2}, {P, F, 1, 3}, {P, P, 0, 3}, {F, P, 2, 1}, {CheckResult::Unknown, P, 1, 1}, {F, F, 2, 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(CombinedCheckResult(c.game, c.video, c.steamVr), c.combined);
}

// A probe that throws ends the check: logged with its text, no engine left
// for a front end to render, and the reason kept until the next check.
TEST(CheckHelper, AProbeThatThrowsEndsTheCheckWithItsReason) {
    ScopedTempFolder data;
    CThrowingProbes probes;
    CSteamHelper steam(data.File(L"home"));
    const LogCapture log;
    CCheckHelper helper(data.Path());
    helper.SetDownloadEnabled(false);
    helper.SetEngineFactory([&](const std::wstring& path) { return std::make_unique<CCheckEnv>(path, probes, steam); });
    EXPECT_EQ(helper.RunCheck(nullptr), 0u);
    EXPECT_EQ(helper.CurrentEnv(), nullptr);
    EXPECT_EQ(helper.LastCheckFailure(), L"the system probe broke");
    const std::vector<std::string> messages = log.Messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "the check failed: the system probe broke"), messages.end());

    helper.SetEngineFactory([](const std::wstring&) -> std::unique_ptr<CCheckEnv> { throw 42; });
    helper.RunCheck(nullptr);
    EXPECT_EQ(helper.LastCheckFailure(), L"an exception of unknown type");
}

}  // namespace
