#include "shell/safe_files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "shell/platform.h"
#include "tests/support/child_processes.h"
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

TEST(ReadFileBounded, TakesRegularFilesOfSaneSizeAndNeverWaits) {
#ifdef _WIN32
    GTEST_SKIP() << "its cases are POSIX pipes, /dev/zero and symbolic links";
#else
    ScopedTempFolder root;
    ScopedTempFolder outside;
    AddLinkFreeRoot(root.Path());
    const std::wstring fifo = root.File(L"pipe");
    ASSERT_EQ(mkfifo(ToFsPath(fifo).c_str(), 0600), 0);
    const std::wstring linked = outside.Write(L"elsewhere.ini", "[set]");
    fs::create_symlink(ToFsPath(linked), ToFsPath(root.File(L"link.ini")));
    fs::create_symlink(ToFsPath(linked), ToFsPath(outside.File(L"user-link.ini")));
    const struct { const char* name; std::wstring path; FileReadStatus status; } kCases[] = {
        {"regular file", root.Write(L"a.ini", "[set]"), FileReadStatus::Ok},
        {"exactly the cap", root.Write(L"cap.ini", std::string(64, 'x')), FileReadStatus::Ok},
        {"one byte over the cap", root.Write(L"big.ini", std::string(65, 'x')), FileReadStatus::TooLarge},
        {"missing", root.File(L"missing.ini"), FileReadStatus::Missing},
        {"below a missing folder", root.File(L"no/such.ini"), FileReadStatus::Missing},
        {"a folder", root.Path() + L"/", FileReadStatus::Unreadable},
        {"a folder by name", outside.Path(), FileReadStatus::NotRegular},
        {"a pipe nobody writes", fifo, FileReadStatus::NotRegular},
        {"a device without end", L"/dev/zero", FileReadStatus::NotRegular},
        {"a link below a link-free root", root.File(L"link.ini"), FileReadStatus::NotRegular},
        {"a link the user made elsewhere", outside.File(L"user-link.ini"), FileReadStatus::Ok},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadFileBounded(c.path, 64).status, c.status);
    }
    ClearLinkFreeRoots();
#endif
}

// Each writer meets a link planted where its own file or folder belongs,
// pointing outside: nothing outside changes, and the program's own entry
// stands there afterwards.
TEST(LinkFreeRoot, NoWriterGoesThroughAPlantedLink) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows; the junction case is not written yet";
#else
    const struct {
        const char* name;
        bool linkToFolder;
        std::function<bool(const std::wstring& at)> write;
        bool realEntryAfterwards;
    } kCases[] = {
        {"folder creation", true, [](const std::wstring& at) { return EnsureFolder(at + L"/sub"); }, true},
        {"atomic replacement", false, [](const std::wstring& at) { return ReplaceFileAtomically(at, "ours"); }, true},
        {"replacement if different", false,
         [](const std::wstring& at) { return ReplaceFileIfDifferent(at, "ours") == ReplaceOutcome::Replaced; }, true},
        {"appending", false,
         [](const std::wstring& at) {
             CAppendFile file;
             return file.Open(at) && file.Write("ours");
         },
         true},
        {"lock file", false, [](const std::wstring& at) { return CFileLock(at).IsHeld(); }, true},
        {"removal of a regular file", false, [](const std::wstring& at) {
             return !RemoveRegularFile(fs::path(ToFsPath(at)).parent_path().wstring(), L"entry");
         }, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder root;
        ScopedTempFolder outside;
        const std::wstring victim = outside.Write(L"victim", "someone's");
        const std::wstring at = root.File(L"entry");
        fs::create_symlink(ToFsPath(c.linkToFolder ? outside.Path() : victim), ToFsPath(at));
        AddLinkFreeRoot(root.Path());
        EXPECT_TRUE(c.write(at));
        ClearLinkFreeRoots();
        EXPECT_EQ(ReadWholeFile(victim), "someone's");
        EXPECT_EQ(EntriesIn(outside.Path()), 1u);
        EXPECT_EQ(!fs::is_symlink(ToFsPath(at)), c.realEntryAfterwards);
    }
#endif
}

TEST(ReplaceFileIfDifferent, LeavesAnIdenticalFileAloneAndSweepsWhatKilledWritersLeft) {
#ifdef _WIN32
    GTEST_SKIP() << kNoForkReason;
#else
    ScopedTempFolder root;
    const std::wstring path = root.File(L"KALOFitProbe.lang");
    ASSERT_EQ(ReplaceFileIfDifferent(path, "pack"), ReplaceOutcome::Replaced);
    struct stat before {};
    stat(ToFsPath(path).c_str(), &before);

    const pid_t gone = fork();  // a writer that has ended
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);  // reaped: its pid names no process now
    const std::wstring dead = root.Write(L".KALOFitProbe.lang." + std::to_wstring(gone) + L".abcdef", "half");
    const std::wstring alive = root.Write(L".KALOFitProbe.lang.1.abcdef", "being written");
    const std::wstring other = root.Write(L".lang.ini." + std::to_wstring(gone) + L".abcdef", "not this file's");

    EXPECT_EQ(ReplaceFileIfDifferent(path, "pack"), ReplaceOutcome::Unchanged);
    struct stat after {};
    stat(ToFsPath(path).c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "an identical file is not rewritten";
    EXPECT_FALSE(PathExists(dead));
    EXPECT_TRUE(PathExists(alive)) << "its writer (pid 1) still runs";
    EXPECT_TRUE(PathExists(other));
    EXPECT_EQ(ReplaceFileIfDifferent(path, "new pack"), ReplaceOutcome::Replaced);
    EXPECT_EQ(ReadWholeFile(path), "new pack");
#endif
}

}  // namespace
