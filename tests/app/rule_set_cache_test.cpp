#include "app/rule_set_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/platform.h"
#include "shell/text_convert.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(RuleSetCachePath, LiesInUpdatesFitprobeBelowTheDataFolder) {
    EXPECT_EQ(RuleSetCachePath(L"/data/KALO Assistant 4"),
              L"/data/KALO Assistant 4" + NativePath(L"/updates/fitprobe/checkerconfig.json"));
    EXPECT_EQ(RuleSetCachePath(L"/data/"), L"/data/" + NativePath(L"updates/fitprobe/checkerconfig.json"));

    ScopedTempFolder root;
    const std::wstring path = PrepareRuleSetCachePath(root.File(L"KALO Assistant 4"));
    EXPECT_TRUE(fs::is_directory(ToFsPath(path).parent_path()));
}

}  // namespace
