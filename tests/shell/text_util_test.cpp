#include "shell/text_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/profile.h"

namespace {

TEST(TextUtil, TrimsOnlyTheGivenBlanks) {
    const struct { const char* text; std::string_view blanks; const char* both; const char* trailing; } kCases[] = {
        {"", kSpaceTabCr, "", ""},           {" \t\r ", kSpaceTabCr, "", ""},
        {"\t a b \r", kSpaceTabCr, "a b", "\t a b"},  {"a\n", kSpaceTabCr, "a\n", "a\n"},
        {"\na\r\n", kSpaceTabCrLf, "a", "\na"},       {"\va\f", kCSpaces, "a", "\va"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(TrimBlanks(c.text, c.blanks), c.both) << c.text;
        EXPECT_EQ(TrimTrailingBlanks(c.text, c.blanks), c.trailing) << c.text;
    }
}

// The Linux probes read procfs, os-release and the hardware databases line
// by line; a file written with CR LF reads as the same lines.
TEST(TextUtil, SplitsLinesAtLfAndDropsTheCrOfCrLf) {
    const struct { const char* text; std::vector<std::string> lines; } kCases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb\n", {"a\rb"}},  // a lone CR stays part of its line
        {"\n", {""}},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> lines;
        ForEachLine(c.text, [&](std::string_view line) {
            lines.emplace_back(line);
            return true;
        });
        EXPECT_EQ(lines, c.lines) << c.text;
    }
    int visited = 0;
    ForEachLine("a\nb\nc", [&](std::string_view) { return ++visited < 2; });
    EXPECT_EQ(visited, 2) << "stops when the visitor says so";
}

TEST(TextUtil, FoldsOnlyAsciiLetters) {
    const struct { const char* a; const char* b; bool equal; } kCases[] = {
        {"", "", true},      {"Lang", "lANG", true},  {"lang", "lang ", false},
        {"[", "{", false},   {"@", "`", false},       {"\xC3\x89", "\xC3\xA9", false},  // UTF-8 É, é
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(EqualsIgnoreAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(StartsWithIgnoreAsciiCase(std::string(c.a) + "tail", c.b), c.equal) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(EqualsIgnoreAsciiCase(L"Index.JSON", L"index.json"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(L"\u00C9", L"\u00E9"));
}

TEST(TextUtil, ScansTheLeadingDecimalSaturatingIn64Bits) {
    const struct { const char* text; std::string_view skip; int64_t value; size_t length; bool overflowed; } kCases[] = {
        {"", kCSpaces, 0, 0, false},        {" \t\n", kCSpaces, 0, 0, false},   {"-", {}, 0, 0, false},
        {"- 5", kCSpaces, 0, 0, false},     {"\v7", kSpaceTab, 0, 0, false},
        {"\v-012abc", kCSpaces, -12, 5, false},
        {"9223372036854775808", {}, INT64_MAX, 19, false},
        {"-9223372036854775808", {}, INT64_MIN, 20, false},
        {"18446744073709551616", {}, INT64_MAX, 20, true},
    };
    for (const auto& c : kCases) {
        const DecimalScan scan = ScanLeadingDecimal(c.text, c.skip);
        EXPECT_EQ(scan.Value(), c.value) << c.text;
        EXPECT_EQ(scan.length, c.length) << c.text;
        EXPECT_EQ(scan.overflowed, c.overflowed) << c.text;
    }
    EXPECT_EQ(ScanLeadingDecimal(L"\f-42", kCSpaces).Value(), -42);
    EXPECT_FALSE(ScanLeadingDecimal(L"\u0663", {}).HasDigits()) << "only ASCII digits count";
    EXPECT_FALSE(ScanLeadingDecimal(L"\u2003" L"5", kCSpaces).HasDigits()) << "only ASCII blanks are skipped";
}

TEST(ParseProfileInt, SaturatesAt32UnsignedBitsThenWrapsTheSign) {
    const struct { const wchar_t* text; int value; } kCases[] = {
        {L" \t12abc", 12}, {L"\r12", 0}, {L"4294967295", -1}, {L"99999999999", -1},
        {L"2147483648", INT32_MIN}, {L"-4294967295", 1},
    };
    for (const auto& c : kCases) EXPECT_EQ(ParseProfileInt(c.text), c.value);
}

}  // namespace
