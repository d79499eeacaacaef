// The three-day clean-up of the log folder, on real files. Creation times
// cannot be set, so each case moves "now" instead.

#include "shell/old_logs.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>

#include "shell/folder_listing.h"
#include "shell/platform.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

int64_t CreatedAt(const std::wstring& folder, const std::wstring& name) {
    for (const FolderEntry& entry : ListFolderEntries(folder)) {
        if (entry.name == name) return entry.created;
    }
    ADD_FAILURE() << "not listed";
    return 0;
}

TEST(OldLogs, OnlyRegularFilesAreRemovedAndNoLinkIsFollowed) {
    ScopedTempFolder logs;
    ScopedTempFolder outside;
    const std::wstring victim = outside.Write(L"KALOFitProbe-20250101.log", "someone's\n");
    const std::wstring top = logs.Write(L"KALOFitProbe-20250102.log", "old\n");
    fs::create_symlink(ToFsPath(victim), ToFsPath(logs.File(L"link.log")));
    fs::create_symlink(ToFsPath(outside.Path()), ToFsPath(logs.File(L"linked-folder")));
    RemoveOldLogs(logs.Path(), CreatedAt(logs.Path(), L"KALOFitProbe-20250102.log") + 400000);
    EXPECT_FALSE(PathExists(top));
    EXPECT_TRUE(fs::is_symlink(ToFsPath(logs.File(L"link.log"))));
    EXPECT_TRUE(fs::is_symlink(ToFsPath(logs.File(L"linked-folder"))));
    EXPECT_EQ(ReadWholeFile(victim), "someone's\n");
}

}  // namespace
