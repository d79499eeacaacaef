#include "shell/profile.h"

#include <gtest/gtest.h>

#include "tests/support/child_processes.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(Profile, ConcurrentWritersInOtherProcessesKeepEveryKey) {
    ScopedTempFolder folder;
    const std::wstring path = folder.File(L"lang.ini");
    constexpr int kWriters = 6;
    constexpr int kKeys = 10;
    const std::vector<int> codes = RunInChildProcesses(kWriters, [&path](int writer) {
        bool ok = true;
        for (int key = 0; key < kKeys; ++key) {
            ok = ProfileWriteString(L"w" + std::to_wstring(writer), L"k" + std::to_wstring(key), L"v", path) && ok;
        }
        return ok ? 0 : 1;
    });
    EXPECT_EQ(codes, std::vector<int>(kWriters, 0));
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int key = 0; key < kKeys; ++key) {
            EXPECT_EQ(ProfileReadString(L"w" + std::to_wstring(writer), L"k" + std::to_wstring(key), L"", path), L"v");
        }
    }
}

}  // namespace
