// The three-day clean-up of the log folder, on real files. Creation times
// cannot be set, so each case moves "now" instead.

#include "shell/old_logs.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "shell/platform.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(OldLogs, OnlyRegularFilesAreRemovedAndNoLinkIsFollowed) {
    ScopedTempFolder logs;
    ScopedTempFolder outside;
    const std::wstring victim = outside.Write(L"KALOFitProbe-20250101.log", "someone's\n");
    const std::wstring top = logs.Write(L"KALOFitProbe-20250102.log", "old\n");
    fs::create_symlink(ToFsPath(victim), ToFsPath(logs.File(L"link.log")));
    fs::create_symlink(ToFsPath(outside.Path()), ToFsPath(logs.File(L"linked-folder")));
    // Far enough ahead that every file just made is older than three days.
    RemoveOldLogs(logs.Path(), std::time(nullptr) + 400000);
    EXPECT_FALSE(PathExists(top));
    EXPECT_TRUE(fs::is_symlink(ToFsPath(logs.File(L"link.log"))));
    EXPECT_TRUE(fs::is_symlink(ToFsPath(logs.File(L"linked-folder"))));
    EXPECT_EQ(ReadWholeFile(victim), "someone's\n");
}

}  // namespace
