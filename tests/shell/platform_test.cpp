#include "shell/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(CreateDirectoryTree, CreatesEveryMissingLevel) {
    ScopedTempFolder root;
    const std::wstring deep = root.Path() + L"/A/B/C";
    EXPECT_TRUE(CreateDirectoryTree(deep, true));
    EXPECT_TRUE(fs::is_directory(ToFsPath(deep)));
    EXPECT_TRUE(CreateDirectoryTree(deep, true)) << "an existing folder is a success";
}

TEST(CreateDirectoryTree, TrailingSeparatorMakesTheSameFolders) {
    ScopedTempFolder root;
    EXPECT_TRUE(CreateDirectoryTree(root.Path() + L"/X/Y/", false));
    EXPECT_TRUE(fs::is_directory(ToFsPath(root.Path() + L"/X/Y")));
}

TEST(CreateDirectoryTree, RelativePathIsBelowTheCurrentFolder) {
    ScopedTempFolder root;
    const fs::path previous = fs::current_path();
    fs::current_path(ToFsPath(root.Path()));
    EXPECT_TRUE(CreateDirectoryTree(L"rel/sub", true));
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_directory(ToFsPath(root.Path() + L"/rel/sub")));
}

TEST(CreateDirectoryTree, FailsBelowAFile) {
    ScopedTempFolder root;
    const std::wstring file = root.Write(L"plain", "x");
    EXPECT_FALSE(CreateDirectoryTree(file + L"/sub", false));
}

TEST(JoinPath, InsertsOneSeparatorOnlyWhenNeeded) {
    EXPECT_EQ(JoinPath(L"/a", L"b"), std::wstring(L"/a") + kPathSeparator + L"b");
    EXPECT_EQ(JoinPath(L"/a/", L"b"), L"/a/b");
    EXPECT_EQ(JoinPath(L"C:\\a\\", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(L"", L"b"), L"b");
}

TEST(QueryFileSize, SizesFilesAndRefusesTheRest) {
    ScopedTempFolder root;
    uint64_t size = 99;
    EXPECT_TRUE(QueryFileSize(root.Write(L"empty", ""), size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(QueryFileSize(root.Write(L"five", "12345"), size));
    EXPECT_EQ(size, 5u);
    EXPECT_FALSE(QueryFileSize(root.File(L"missing"), size));
    EXPECT_FALSE(QueryFileSize(root.Path(), size));
}

TEST(EmbeddedResource, FindsTheBuiltInRuleSetAndNothingElse) {
    const auto json = FindEmbeddedResource(kBuiltInRuleSetType, kBuiltInRuleSetId);
    ASSERT_TRUE(json.has_value());
    EXPECT_GT(json->size(), 10000u);
    EXPECT_EQ(static_cast<char>((*json)[0]), '{');
    EXPECT_FALSE(FindEmbeddedResource(L"JSON", 999).has_value());
    EXPECT_FALSE(FindEmbeddedResource(L"ZIPRES", 102).has_value());
}

TEST(ReleaseResourceFileToTemp, WritesAndReplacesTheCopy) {
    ScopedTempFolder runtime;
    const ScopedTempFolderRedirect redirect(runtime.Path());
    runtime.Write(L"checkerconfig.json", "stale");
    const std::wstring path = ReleaseResourceFileToTemp(102, L"checkerconfig.json", L"JSON");
    EXPECT_EQ(path, JoinPath(runtime.Path(), L"checkerconfig.json"));
    const auto json = FindEmbeddedResource(kBuiltInRuleSetType, kBuiltInRuleSetId);
    EXPECT_EQ(ReadWholeFile(path), std::string(reinterpret_cast<const char*>(json->data()), json->size()));
}

TEST(ReleaseResourceFileToTemp, MissingResourceIsLoggedButStillGivesThePath) {
    LogCapture capture;
    ScopedTempFolder runtime;
    const ScopedTempFolderRedirect redirect(runtime.Path());
    EXPECT_EQ(ReleaseResourceFileToTemp(555, L"none.bin", L"JSON"), JoinPath(runtime.Path(), L"none.bin"));
    EXPECT_EQ(capture.Messages(), (std::vector<std::string>{"release none.bin failed!"}));
}

TEST(ReleaseResourceFileToTemp, UndeletableOldCopyGivesAnEmptyPath) {
    LogCapture capture;
    ScopedTempFolder runtime;
    const ScopedTempFolderRedirect redirect(runtime.Path());
    // A non-empty folder in the file's place cannot be deleted, even by root.
    runtime.Write(L"checkerconfig.json/inside", "x");
    EXPECT_EQ(ReleaseResourceFileToTemp(102, L"checkerconfig.json", L"JSON"), L"");
    EXPECT_EQ(capture.Messages(),
              (std::vector<std::string>{"delete file fialed: " + WideToUtf8(JoinPath(runtime.Path(), L"checkerconfig.json"))}));
}

}  // namespace
