#include "shell/profile.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace {

constexpr char kSettings[] =
    "[set]\n"
    "language=en\n"
    "langnick=English\n"
    "[Test]\n"
    "istest=1\n"
    "localconfig = 12abc\n"
    "testcpu=\n"
    "negative=-3\n"
    "quoted=\"Intel Core\"\n";

struct ReadCase {
    const char* name;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;
};

const ReadCase kStringCases[] = {
    {"plain value", L"set", L"language", L"en"},
    {"section and key ignore case", L"TEST", L"IsTest", L"1"},
    {"present but empty", L"test", L"testcpu", L""},
    {"missing key gives the default", L"test", L"testgpu", L"<default>"},
    {"missing section gives the default", L"nothing", L"language", L"<default>"},
    {"spaces around the equals sign", L"test", L"localconfig", L"12abc"},
    {"surrounding quotes are removed", L"test", L"quoted", L"Intel Core"},
};

TEST(Profile, ReadsStringsLikeTheWindowsReader) {
    ScopedTempFolder folder;
    const std::wstring path = folder.Write(L"fitprobe.ini", kSettings);
    for (const auto& c : kStringCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileReadString(c.section, c.key, L"<default>", path), c.expected);
    }
}

TEST(Profile, ReadsIntegers) {
    ScopedTempFolder folder;
    const std::wstring path = folder.Write(L"fitprobe.ini", kSettings);
    EXPECT_EQ(ProfileReadInt(L"test", L"istest", 0, path), 1);
    EXPECT_EQ(ProfileReadInt(L"test", L"localconfig", 0, path), 12);
    EXPECT_EQ(ProfileReadInt(L"test", L"negative", 0, path), -3);
    EXPECT_EQ(ProfileReadInt(L"set", L"language", 5, path), 0) << "text without digits reads as 0";
    EXPECT_EQ(ProfileReadInt(L"test", L"absent", 5, path), 5);
    EXPECT_EQ(ProfileReadInt(L"test", L"istest", 5, folder.File(L"missing.ini")), 5);
}

TEST(Profile, WritingCreatesTheFileAndKeepsTheRest) {
    ScopedTempFolder folder;
    const std::wstring path = folder.File(L"fitprobe.ini");
    ASSERT_TRUE(ProfileWriteString(L"set", L"language", L"de", path));
    ASSERT_TRUE(ProfileWriteString(L"test", L"islaptop", L"1", path));
    ASSERT_TRUE(ProfileWriteString(L"set", L"language", L"\u65E5\u672C", path));
    EXPECT_EQ(ProfileReadString(L"set", L"language", L"", path), L"\u65E5\u672C");
    EXPECT_EQ(ProfileReadString(L"test", L"islaptop", L"", path), L"1");
}

TEST(Profile, WritingNeverCreatesFolders) {
    ScopedTempFolder folder;
    EXPECT_FALSE(ProfileWriteString(L"set", L"language", L"en", folder.File(L"config/fitprobe.ini")));
}

// Processes writing their own keys into one file at once lose none of them:
// each read-change-write holds the file's lock.
TEST(Profile, DefaultsComeBackWithoutTrailingBlanks) {
    ScopedTempFolder folder;
    EXPECT_EQ(ProfileReadString(L"test", L"testgpu1", L"NVIDIA Quadro K420 \t ", folder.File(L"none.ini")),
              L"NVIDIA Quadro K420");
    EXPECT_EQ(ProfileReadString(L"test", L"testgpu1", L"  lead", folder.File(L"none.ini")), L"  lead");
}

TEST(SettingsFile, EmptyPathReadsDefaults) {
    ScopedTempFolder folder;
    const std::wstring path = folder.Write(L"fitprobe.ini", kSettings);
    SetSettingsFilePath(L"");
    EXPECT_EQ(SettingsReadInt(L"test", L"istest", 9), 9);
    EXPECT_EQ(SettingsReadString(L"set", L"language", L"cn"), L"cn");
    SetSettingsFilePath(path);
    EXPECT_EQ(SettingsReadInt(L"test", L"istest", 9), 1);
    EXPECT_EQ(SettingsReadString(L"set", L"language", L"cn"), L"en");
    SetSettingsFilePath(L"");
}

}  // namespace
