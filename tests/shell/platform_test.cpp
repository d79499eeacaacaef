#include "shell/platform.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

TEST(CreateDirectoryTree, OpenFoldersAreNotWorldWritable) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permission bits; platform_win_test reads the Windows access list back";
#else
    // Another local user must not be able to plant files in this user's data.
    ScopedTempFolder root;
    const std::wstring folder = root.Path() + L"/Data";
    ASSERT_TRUE(CreateDirectoryTree(folder, true));
    struct stat info {};
    ASSERT_EQ(stat(ToFsPath(folder).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & S_IWOTH, 0u);
#endif
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

TEST(TempFolder, UsesTheRuntimeFolderWhenSet) {
#ifdef _WIN32
    GTEST_SKIP() << "the private temporary folder below XDG_RUNTIME_DIR or /tmp is the Linux one";
#else
    ScopedTempFolder runtime;
    const ScopedTempFolderRedirect redirect(runtime.Path());
    EXPECT_EQ(TempFolder(), runtime.Path() + L"/");
#endif
}

TEST(TempFolder, FallsBackToAPrivateFolderPerUser) {
#ifdef _WIN32
    GTEST_SKIP() << "the private temporary folder below XDG_RUNTIME_DIR or /tmp is the Linux one";
#else
    ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
    const std::wstring folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder, L"/tmp/kalofitprobe-" + std::to_wstring(getuid()) + L"/");
    struct stat info {};
    ASSERT_EQ(lstat(ToFsPath(folder).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
}

TEST(TempFolder, RefusesARuntimeFolderThatIsALink) {
#ifdef _WIN32
    GTEST_SKIP() << "the private temporary folder below XDG_RUNTIME_DIR or /tmp is the Linux one";
#else
    ScopedTempFolder root;
    const std::wstring link = root.Path() + L"/link";
    fs::create_directory_symlink(ToFsPath(root.Path()), ToFsPath(link));
    ScopedEnv env("XDG_RUNTIME_DIR", WideToUtf8(link).c_str());
    EXPECT_NE(TempFolder(), link + L"/");
#endif
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

TEST(ReadRegistryString, EnvironmentKeysReadTheEnvironment) {
#ifdef _WIN32
    GTEST_SKIP() << "on Linux the Environment keys read the process environment; Windows reads the registry";
#else
    ScopedEnv env("KALO4_PLATFORM_DIR", "/opt/kalo/sdk");
    std::wstring value;
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, L"Environment", L"KALO4_PLATFORM_DIR", value));
    EXPECT_EQ(value, L"/opt/kalo/sdk");
    value.clear();
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::LocalMachine,
                                   L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                   L"KALO4_PLATFORM_DIR", value));
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::LocalMachine, L"Software\\KALO4", L"KALO4_PLATFORM_DIR", value));
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, L"Environment", L"KALO_NOT_SET_ANYWHERE", value));
#endif
}

TEST(ReadRegistryString, ValuesLongerThanTheBufferAreAbsent) {
#ifdef _WIN32
    GTEST_SKIP() << "on Linux the Environment keys read the process environment; Windows reads the registry";
#else
    const std::string longValue(300, 'x');
    ScopedEnv env("KALO_LONG_VALUE", longValue.c_str());
    std::wstring value;
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, L"Environment", L"KALO_LONG_VALUE", value));
#endif
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
