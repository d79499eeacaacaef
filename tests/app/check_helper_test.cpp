#include "app/check_helper.h"

#include <gtest/gtest.h>

namespace {

constexpr CheckResult P = CheckResult::Pass;
constexpr CheckResult F = CheckResult::Fail;

TEST(CombinedCheckResult, FromTheTwoTiersAndSteamVr) {
    const struct { CheckResult game; CheckResult video; uint32_t steamVr; uint32_t combined; } kCases[] = {
        {P, P, 2, 2}, {P, F, 1, 3}, {P, P, 0, 3}, {F, P, 2, 1}, {CheckResult::Unknown, P, 1, 1}, {F, F, 2, 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(CombinedCheckResult(c.game, c.video, c.steamVr), c.combined);
}

}  // namespace
