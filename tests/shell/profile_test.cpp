#include "shell/profile.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
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

// What Notepad saves as "Unicode": UTF-16LE after the mark FF FE.
std::string Utf16LeFile(std::string_view utf8) { return "\xFF\xFE" + Utf8ToUtf16Le(utf8); }

// A settings file in each form it may come in: the saved language read from
// it, then the language written into it. A file that is no text reads as
// absent and is never rewritten.
TEST(Profile, ReadsAndWritesSettingsFilesInTheirOwnEncoding) {
    const struct {
        const char* name;
        std::string bytes;
        const wchar_t* read;       // [set] language, "<default>" when none
        std::string afterWrite;    // the file after writing language=de; empty: left as it was
    } kCases[] = {
        {"UTF-8", "[set]\nlanguage=en\n[test]\nistest=1\n", L"en", "[set]\nlanguage=de\n[test]\nistest=1\n"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF[set]\nlanguage=en\n", L"en", "\xEF\xBB\xBF[set]\nlanguage=de\n"},
        {"UTF-16LE with a mark", Utf16LeFile("[set]\nlanguage=\xE6\x97\xA5\n[test]\nistest=1\n"), L"\u65E5",
         Utf16LeFile("[set]\nlanguage=de\n[test]\nistest=1\n")},
        {"UTF-16LE with CRLF lines", Utf16LeFile("[set]\r\nlanguage=en\r\n"), L"en",
         Utf16LeFile("[set]\nlanguage=de\n")},
        {"zero bytes", std::string("[set]\nlanguage=en\n\0\0\0\x01", 22), L"<default>", ""},
        {"malformed UTF-8", "[set]\nlanguage=en\n\xC3\x28\xFE", L"<default>", ""},
        {"UTF-16LE without its mark", Utf8ToUtf16Le("[set]\nlanguage=en\n"), L"<default>", ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder folder;
        const std::wstring path = folder.Write(L"fitprobe.ini", c.bytes);
        const LogCapture log;
        EXPECT_EQ(ProfileReadString(L"set", L"language", L"<default>", path), c.read);
        EXPECT_EQ(ProfileReadString(L"set", L"language", L"<default>", path), c.read) << "read again";
        const bool isText = !c.afterWrite.empty();
        EXPECT_EQ(ProfileWriteString(L"set", L"language", L"de", path), isText);
        EXPECT_EQ(ReadWholeFile(path), isText ? c.afterWrite : c.bytes);
        std::vector<std::string> expected;
        if (!isText) {
            const std::string file = WideToUtf8(path);
            expected = {"settings file cannot be read (neither UTF-8 nor UTF-16LE text), read as absent: " + file,
                        "settings file left as it is, it cannot be read: " + file};
        }
        EXPECT_EQ(log.Messages(), expected);
    }
}

}  // namespace
