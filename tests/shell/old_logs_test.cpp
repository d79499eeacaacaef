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

struct AgeCase {
    const char* name;
    int64_t age;  // seconds between the file's creation and "now"
    bool removed;
};

const AgeCase kAgeCases[] = {
    {"three days and one second old", 259201, true},
    {"exactly three days old", 259200, false},
    {"two days old", 172800, false},
    {"created this second", 0, false},
    {"dated a minute in the future", -60, true},
};

TEST(OldLogs, FilesOlderThanThreeDaysOrFromTheFutureAreRemoved) {
    for (const AgeCase& c : kAgeCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder logs;
        const std::wstring file = logs.Write(L"KALOFitProbe-20260101.log", "line\n");
        RemoveOldLogs(logs.Path() + L"/", CreatedAt(logs.Path(), L"KALOFitProbe-20260101.log") + c.age);
        EXPECT_EQ(PathExists(file), !c.removed);
    }
}

TEST(OldLogs, SubFoldersAndTheirFilesAreLeftAlone) {
    ScopedTempFolder logs;
    const std::wstring nested = logs.Write(L"archive/KALOFitProbe-20250101.log", "old\n");
    const std::wstring top = logs.Write(L"KALOFitProbe-20250101.log", "old\n");
    RemoveOldLogs(logs.Path(), CreatedAt(logs.Path(), L"KALOFitProbe-20250101.log") + 400000);
    EXPECT_FALSE(PathExists(top));
    EXPECT_TRUE(PathExists(nested));
}

TEST(FolderListing, EntriesCarryNameKindAndCreationTime) {
    ScopedTempFolder folder;
    const int64_t before = std::time(nullptr);
    folder.Write(L"a.log", "a");
    fs::create_directories(ToFsPath(folder.File(L"sub")));
    // Symbolic links need a privilege on Windows; there the listing is
    // checked without one.
#ifdef _WIN32
    constexpr bool kWithLink = false;
#else
    constexpr bool kWithLink = true;
#endif
    if (kWithLink) fs::create_directory_symlink(ToFsPath(folder.File(L"sub")), ToFsPath(folder.File(L"link")));
    const int64_t after = std::time(nullptr);

    std::map<std::wstring, FolderEntry> byName;
    for (const FolderEntry& entry : ListFolderEntries(folder.Path())) byName[entry.name] = entry;
    ASSERT_EQ(byName.size(), kWithLink ? 3u : 2u) << "\".\" and \"..\" are not listed";
    EXPECT_FALSE(byName[L"a.log"].isFolder);
    EXPECT_TRUE(byName[L"sub"].isFolder);
    if (kWithLink) {
        EXPECT_FALSE(byName[L"link"].isFolder) << "a link is listed as itself";
    }
    for (const auto& [name, entry] : byName) {
        EXPECT_GE(entry.created, before - 1);
        EXPECT_LE(entry.created, after + 1);
    }
    EXPECT_TRUE(ListFolderEntries(folder.File(L"absent")).empty());
}

}  // namespace
