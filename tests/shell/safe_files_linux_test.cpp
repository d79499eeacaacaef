#include "shell/safe_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(ReadFileBounded, TakesRegularFilesOfSaneSizeAndNeverWaits) {
    ScopedTempFolder root;
    ScopedTempFolder outside;
    AddLinkFreeRoot(root.Path());
    const std::wstring fifo = root.File(L"pipe");
    ASSERT_EQ(mkfifo(ToFsPath(fifo).c_str(), 0600), 0);
    const std::wstring linked = outside.Write(L"elsewhere.ini", "[set]");
    fs::create_symlink(ToFsPath(linked), ToFsPath(root.File(L"link.ini")));
    fs::create_symlink(ToFsPath(linked), ToFsPath(outside.File(L"user-link.ini")));
    fs::create_hard_link(ToFsPath(linked), ToFsPath(root.File(L"second-name.ini")));
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
        {"a second name of a file outside, below a root", root.File(L"second-name.ini"), FileReadStatus::NotRegular},
        {"a link the user made elsewhere", outside.File(L"user-link.ini"), FileReadStatus::Ok},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadFileBounded(c.path, 64).status, c.status);
    }
    ClearLinkFreeRoots();
}

TEST(LinkFreeRoot, NoWriterGoesThroughAPlantedLink) {
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
    for (const bool hardLink : {false, true}) {
        for (const auto& c : kCases) {
            if (hardLink && c.linkToFolder) continue;  // folders have no second names
            SCOPED_TRACE(std::string(c.name) + (hardLink ? ", a second name of a file" : ", a symbolic link"));
            ScopedTempFolder root;
            ScopedTempFolder outside;
            const std::wstring victim = outside.Write(L"victim", "someone's");
            const std::wstring at = root.File(L"entry");
            if (hardLink) {
                fs::create_hard_link(ToFsPath(victim), ToFsPath(at));
            } else {
                fs::create_symlink(ToFsPath(c.linkToFolder ? outside.Path() : victim), ToFsPath(at));
            }
            AddLinkFreeRoot(root.Path());
            EXPECT_TRUE(c.write(at));
            ClearLinkFreeRoots();
            EXPECT_EQ(ReadWholeFile(victim), "someone's");
            EXPECT_EQ(EntriesIn(outside.Path()), 1u);
            if (hardLink) {
                // The removal leaves the second name alone; every writer
                // leaves a file of its own.
                EXPECT_EQ(fs::hard_link_count(ToFsPath(victim)), c.realEntryAfterwards ? 1u : 2u);
            } else {
                EXPECT_EQ(!fs::is_symlink(ToFsPath(at)), c.realEntryAfterwards);
            }
        }
    }
}

TEST(ReplaceFileIfDifferent, LeavesAnIdenticalFileAloneAndSweepsWhatKilledWritersLeft) {
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
}

}  // namespace
