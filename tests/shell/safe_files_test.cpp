#include "shell/safe_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "shell/platform.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

size_t EntriesIn(const std::wstring& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(ToFsPath(folder)), fs::directory_iterator{}));
}

TEST(ReplaceFileAtomically, LeavesEitherTheNewContentOrTheOldFileAndNoTemporaryFile) {
    const struct {
        const char* name;
        const wchar_t* target;    // below the temporary root
        const char* before;       // file content before; null: no file
        bool targetIsFolder;
        std::string bytes;
        bool succeeds;
    } kCases[] = {
        {"new file", L"c.json", nullptr, false, "{\"body\":{}}", true},
        {"longer file replaced by a shorter one", L"c.json", "0123456789", false, "ab", true},
        {"empty content", L"c.json", "old", false, "", true},
        {"folder missing", L"missing/c.json", nullptr, false, "x", false},
        {"target is a folder", L"c.json", nullptr, true, "x", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder root;
        const std::wstring path = root.File(c.target);
        if (c.targetIsFolder) fs::create_directory(ToFsPath(path));
        if (c.before) root.Write(c.target, c.before);

        EXPECT_EQ(ReplaceFileAtomically(path, c.bytes), c.succeeds);
        if (c.succeeds) {
            EXPECT_EQ(ReadWholeFile(path), c.bytes);
        } else if (c.before) {
            EXPECT_EQ(ReadWholeFile(path), c.before);
        }
        const bool targetExists = c.succeeds || c.before || c.targetIsFolder;
        EXPECT_EQ(EntriesIn(root.Path()), targetExists ? 1u : 0u) << "only the target may remain";
    }
}

TEST(ReplaceFileAtomically, ConcurrentWritersNeverShowAReaderAMixedFile) {
    ScopedTempFolder root;
    const std::wstring path = root.File(L"checkerconfig.json");
    const std::string first(200'000, 'A');
    const std::string second(150'000, 'B');
    ASSERT_TRUE(ReplaceFileAtomically(path, first));

    std::atomic<bool> writing{true};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (writing.load()) {
            // The program's own reader: on Windows a reader that does not
            // share deletion (as std::ifstream) holds every writer back.
            const std::string seen = ReadFileBounded(path, 1u << 20).bytes;
            if (seen != first && seen != second) ++mixed;
        }
    });
    const auto writer = [&path](const std::string& content) {
        for (int i = 0; i < 40; ++i) EXPECT_TRUE(ReplaceFileAtomically(path, content));
    };
    std::thread writerA(writer, first);
    std::thread writerB(writer, second);
    writerA.join();
    writerB.join();
    writing.store(false);
    reader.join();

    EXPECT_EQ(mixed.load(), 0);
    EXPECT_EQ(EntriesIn(root.Path()), 1u);
}

// Each writer meets a link planted where its own file or folder belongs,
// pointing outside: nothing outside changes, and the program's own entry
// stands there afterwards.
}  // namespace
