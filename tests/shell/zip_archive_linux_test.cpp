// Unpacking below the program's folders, where a planted link must be
// replaced rather than followed.

#include "shell/zip_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/zip_writer.h"

namespace {

namespace fs = std::filesystem;

const std::string kText = std::string(2000, 'k') + "language pack text";

TEST(ZipArchive, ALinkAtTheTargetIsReplacedNotFollowed) {
    ScopedTempFolder folder;
    const std::wstring outside = folder.Write(L"outside.txt", "must stay");
    const std::wstring target = folder.File(L"root/pack.lang");
    fs::create_directories(ToFsPath(folder.File(L"root")));
    fs::create_symlink(ToFsPath(outside), ToFsPath(target));

    const std::string archive = BuildZip({ZipFile("pack.lang", kText)});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
    EXPECT_EQ(zip.UnpackToFile(0, target), kZipOk);
    EXPECT_EQ(ReadWholeFile(outside), "must stay");
    EXPECT_FALSE(fs::is_symlink(ToFsPath(target)));
    EXPECT_EQ(ReadWholeFile(target), kText);
}

}  // namespace
