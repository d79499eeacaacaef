#include "shell/text_convert.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

const Utf8Case kUtf8Cases[] = {
    {"ascii", "GTX 1060", L"GTX 1060"},
    {"empty", "", L""},
    {"chinese", "\xE7\xA7\xBB\xE5\x8A\xA8\xE7\x89\x88 Radeon", L"\u79FB\u52A8\u7248 Radeon"},
    {"accents", "Portugu\xC3\xAAs", L"Portugu\u00EAs"},
    {"outside the basic plane", "\xF0\x9F\x98\x80", L"\U0001F600"},
};

TEST(TextConvert, Utf8AndWideRoundTrip) {
    for (const auto& c : kUtf8Cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    }
}

TEST(TextConvert, StopsAtTheFirstZero) {
    EXPECT_EQ(Utf8ToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToUtf8(std::wstring(L"ab\0cd", 5)), "ab");
    EXPECT_EQ(GbkToWide(std::string("ab\0cd", 5)), L"ab");
}

TEST(TextConvert, InvalidUtf8BecomesReplacementCharacters) {
    // A bad byte must not empty the text: an empty rule entry matches everything.
    EXPECT_EQ(Utf8ToWide("GTX\xFF 10"), L"GTX\uFFFD 10");
    EXPECT_EQ(Utf8ToWide("\xE7\xA7"), L"\uFFFD");          // cut short
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD");          // overlong "/"
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD");      // encoded surrogate
}

TEST(TextConvert, CodePage936) {
    const std::string gbk = "\xD6\xD0\xCE\xC4";  // "中文"
    EXPECT_EQ(GbkToWide(gbk), L"\u4E2D\u6587");
    EXPECT_EQ(WideToGbk(L"\u4E2D\u6587"), gbk);
    EXPECT_EQ(Utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87"), gbk);
    EXPECT_EQ(GbkToWide("CCheckEnv::Work"), L"CCheckEnv::Work");
}

TEST(TextConvert, CodePage936FailuresGiveEmptyResults) {
    EXPECT_EQ(GbkToWide("\xD6"), L"");            // lead byte without its trail
    EXPECT_EQ(WideToGbk(L"\u0E01 Thai"), "");     // no such character in GBK
}

// The strict forms a settings file is read and written back in.
TEST(TextConvert, Utf16LeTextRoundTripsOrIsRefused) {
    const struct {
        const char* name;
        std::string utf16le;
        std::optional<std::string> utf8;  // nullopt: no text
    } kCases[] = {
        {"ascii", std::string("[\0s\0]\0", 6), "[s]"},
        {"empty", "", ""},
        {"chinese", "\xFB\x79\xA8\x52", "\xE7\xA7\xBB\xE5\x8A\xA8"},
        {"surrogate pair", std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80"},
        {"odd length", std::string("a\0b", 3), std::nullopt},
        {"zero unit", std::string("a\0\0\0b\0", 6), std::nullopt},
        {"lone high surrogate", std::string("\x3D\xD8" "a\0", 4), std::nullopt},
        {"high surrogate at the end", "\x3D\xD8", std::nullopt},
        {"lone low surrogate", std::string("\x00\xDE", 2), std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf16LeTextToUtf8(c.utf16le), c.utf8);
        if (c.utf8) {
            EXPECT_EQ(Utf8ToUtf16Le(*c.utf8), c.utf16le);
            EXPECT_TRUE(IsUtf8Text(*c.utf8));
        }
    }
    EXPECT_EQ(Utf8ToUtf16Le("a\xFF"), std::string("a\0\xFD\xFF", 4)) << "a malformed byte becomes U+FFFD";
}

TEST(TextConvert, Utf8TextIsWellFormedWithoutZeroBytes) {
    const struct { const char* name; std::string text; bool isText; } kCases[] = {
        {"ascii with line breaks", "[set]\r\nlanguage=en\r\n", true},
        {"byte-order mark and chinese", "\xEF\xBB\xBF\xE4\xB8\xAD", true},
        {"empty", "", true},
        {"zero byte", std::string("a\0b", 3), false},
        {"stray continuation byte", "a\x80", false},
        {"cut short", "\xE4\xB8", false},
        {"overlong", "\xC0\xAF", false},
        {"encoded surrogate", "\xED\xA0\x80", false},
        {"code page 936", "\xD6\xD0\xCE\xC4", false},
    };
    for (const auto& c : kCases) EXPECT_EQ(IsUtf8Text(c.text), c.isText) << c.name;
}

}  // namespace
