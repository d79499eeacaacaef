// What both halves of the safe-file layer share: how a path splits and which
// temporary files a sweep may take.

#include "shell/safe_files_policy.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>

#include "shell/platform.h"

namespace {

using namespace safefiles;

// The writer id in a temporary file's name: a positive decimal within the
// 32-bit signed range, which holds every process id of Linux and Windows
// (the two halves used to stop at 10 and 100 million).
TEST(TemporaryWriterId, ReadsTheProcessIdOfOurOwnTemporaryNamesOnly) {
    const std::wstring prefix = TemporaryPrefix(L"checkerconfig.json");
    const struct { const wchar_t* entry; std::optional<uint32_t> id; } kCases[] = {
        {L".checkerconfig.json.4242.abcdefgh", 4242},
        {L".checkerconfig.json.99999999.abcdefgh", 99999999},
        {L".checkerconfig.json.2147483647.x", 2147483647},
        {L".checkerconfig.json.2147483648.x", std::nullopt},
        {L".checkerconfig.json.99999999999999999999999.x", std::nullopt},
        {L".checkerconfig.json.0.x", std::nullopt},
        {L".checkerconfig.json.12a.x", std::nullopt},
        {L".checkerconfig.json..x", std::nullopt},
        {L".checkerconfig.json.4242", std::nullopt},
        {L".lang.ini.4242.abcdefgh", std::nullopt},
        {L"checkerconfig.json", std::nullopt},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(TemporaryWriterId(c.entry, prefix), c.id) << std::string(c.entry, c.entry + std::wcslen(c.entry));
    }
}

TEST(IsStaleTemporary, TakesTheFilesOfGoneWritersAndOfAnyWriterAfterAnHour) {
    const std::wstring prefix = TemporaryPrefix(L"a.json");
    const std::wstring mine = prefix + std::to_wstring(CurrentProcessId()) + L".x";
    const int64_t now = 1'000'000;
    EXPECT_FALSE(IsStaleTemporary(mine, prefix, now - 10, now)) << "a live writer's file";
    EXPECT_TRUE(IsStaleTemporary(mine, prefix, now - kStaleTemporaryAge - 1, now)) << "older than an hour";
    EXPECT_FALSE(IsStaleTemporary(L"a.json", prefix, 0, now)) << "the target itself";
}

TEST(NewTemporaryName, CarriesThisProcessAndDiffersEachTime) {
    const std::wstring prefix = TemporaryPrefix(L"lang.ini");
    const std::wstring first = NewTemporaryName(L"lang.ini");
    EXPECT_EQ(TemporaryWriterId(first, prefix), CurrentProcessId());
    EXPECT_NE(first, NewTemporaryName(L"lang.ini"));
}

TEST(Split, GivesTheFolderAndTheNameAndKeepsARootWhole) {
    const std::wstring s(1, kPathSeparator);
    const struct { std::wstring path; std::optional<std::wstring> folder; std::wstring name; } kCases[] = {
        {s + L"data" + s + L"a.json", s + L"data", L"a.json"},
        {s + L"a.json", s, L"a.json"},
        {L"a.json", L".", L"a.json"},
        {s + L"data" + s, std::nullopt, L""},
        {L"", std::nullopt, L""},
    };
    for (const auto& c : kCases) {
        const std::optional<SplitPath> split = Split(c.path);
        ASSERT_EQ(split.has_value(), c.folder.has_value());
        if (!split) continue;
        EXPECT_EQ(split->folder, *c.folder);
        EXPECT_EQ(split->name, c.name);
    }
}

}  // namespace
