#include "shell/platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

long ResidentKilobytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void* volatile lastBlock;  // keeps the compiler from leaving the blocks out

TEST(ReturnFreedLargeBlocks, AFreedBitmapLeavesTheProcessAtOnce) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator is not glibc's";
#endif
    ReturnFreedLargeBlocks();
    // After the first block, glibc's own threshold would have put the second
    // in its heap and kept it there.
    for (const size_t size : {size_t{8} << 20, size_t{6} << 20}) {
        const long before = ResidentKilobytes();
        lastBlock = std::malloc(size);
        ASSERT_NE(lastBlock, nullptr);
        std::memset(lastBlock, 1, size);
        std::free(lastBlock);
        EXPECT_LT(ResidentKilobytes() - before, 1024) << size;
    }
}

TEST(CreateDirectoryTree, OpenFoldersAreNotWorldWritable) {
    // Another local user must not be able to plant files in this user's data.
    ScopedTempFolder root;
    const std::wstring folder = root.Path() + L"/Data";
    ASSERT_TRUE(CreateDirectoryTree(folder, true));
    struct stat info {};
    ASSERT_EQ(stat(ToFsPath(folder).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & S_IWOTH, 0u);
}

TEST(TempFolder, UsesTheRuntimeFolderWhenSet) {
    ScopedTempFolder runtime;
    const ScopedTempFolderRedirect redirect(runtime.Path());
    EXPECT_EQ(TempFolder(), runtime.Path() + L"/");
}

TEST(TempFolder, FallsBackToAPrivateFolderPerUser) {
    ScopedEnv env("XDG_RUNTIME_DIR", nullptr);
    const std::wstring folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder, L"/tmp/kalofitprobe-" + std::to_wstring(getuid()) + L"/");
    struct stat info {};
    ASSERT_EQ(lstat(ToFsPath(folder).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(TempFolder, RefusesARuntimeFolderThatIsALink) {
    ScopedTempFolder root;
    const std::wstring link = root.Path() + L"/link";
    fs::create_directory_symlink(ToFsPath(root.Path()), ToFsPath(link));
    ScopedEnv env("XDG_RUNTIME_DIR", WideToUtf8(link).c_str());
    EXPECT_NE(TempFolder(), link + L"/");
}

TEST(ReadRegistryString, EnvironmentKeysReadTheEnvironment) {
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
}

TEST(ReadRegistryString, ValuesLongerThanTheBufferAreAbsent) {
    const std::string longValue(300, 'x');
    ScopedEnv env("KALO_LONG_VALUE", longValue.c_str());
    std::wstring value;
    EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, L"Environment", L"KALO_LONG_VALUE", value));
}

}  // namespace
