#include "engine/key_values.h"

#include <gtest/gtest.h>

#include "shell/text_convert.h"
#include "tests/support/temp_folder.h"

namespace {

// A compact rendering of a parsed tree: key=value; and key{...}
std::string Render(const KeyValue& node) {
    std::string out;
    for (const KeyValue& child : node.children) {
        out += child.key;
        // Appended piece by piece: "{" + text builds a temporary that GCC 12
        // at -O3 warns about wrongly (-Wrestrict).
        if (child.isSection) {
            out += '{';
            out += Render(child);
            out += '}';
        } else {
            out += '=';
            out += child.value;
            out += ';';
        }
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::string text;
    const char* rendered;  // null: the text is refused
};

const ParseCase kParseCases[] = {
    {"pairs and nested sections", "\"a\" \"1\"\n\"s\" { \"b\" \"2\" \"t\" { } }", "a=1;s{b=2;t{}}"},
    {"escapes in quoted text", R"("path" "C:\\Program Files (x86)\\Steam" "q" "say \"hi\"\tnow\n")",
     "path=C:\\Program Files (x86)\\Steam;q=say \"hi\"\tnow\n;"},
    {"unknown escape kept", R"("p" "D:\Games")", "p=D:\\Games;"},
    {"comments anywhere", "// head\n\"a\" // after key\n\"1\" // after value\n", "a=1;"},
    {"bare tokens", "AppState { appid 250820 StateFlags 4 }", "AppState{appid=250820;StateFlags=4;}"},
    {"platform conditions ignored", "\"a\" \"1\" [$WIN32]\n\"b\" [$LINUX] \"2\"", "a=1;b=2;"},
    {"byte-order mark and CRLF", "\xEF\xBB\xBF\"a\"\r\n{\r\n\"b\" \"\"\r\n}\r\n", "a{b=;}"},
    {"empty document", "  \n// nothing\n", ""},
    {"unterminated quote", "\"a\" \"1", nullptr},
    {"section not closed", "\"a\" { \"b\" \"1\"", nullptr},
    {"stray closing brace", "\"a\" \"1\" }", nullptr},
    {"key without value", "\"a\" { \"b\" }", nullptr},
    {"section in key position", "{ \"a\" \"1\" }", nullptr},
};

// Builds "k{k{...}}" documents nested `depth` levels deep.
std::string Nested(size_t depth) {
    std::string text;
    for (size_t i = 0; i < depth; ++i) text += "k {";
    for (size_t i = 0; i < depth; ++i) text += "}";
    return text;
}

TEST(KeyValues, ParsesOrRefuses) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const auto parsed = ParseKeyValues(c.text, &error);
        if (!c.rendered) {
            EXPECT_FALSE(parsed.has_value());
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(parsed.has_value()) << error;
        EXPECT_EQ(Render(*parsed), c.rendered);
    }
}

TEST(KeyValues, RefusesNestingBeyondTheLimitInsteadOfExhaustingTheStack) {
    EXPECT_TRUE(ParseKeyValues(Nested(kMaxKeyValuesDepth)).has_value());
    EXPECT_FALSE(ParseKeyValues(Nested(kMaxKeyValuesDepth + 1)).has_value());
    EXPECT_FALSE(ParseKeyValues(Nested(100000)).has_value());
}

TEST(KeyValues, FindsKeysWithoutRegardToCase) {
    const auto parsed = ParseKeyValues("\"LibraryFolders\" { \"Path\" \"/x\" \"sub\" { } \"sub\" \"leaf\" }");
    ASSERT_TRUE(parsed);
    const KeyValue* folders = parsed->Find("libraryfolders");
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->FindValue("PATH"), std::optional<std::string>("/x"));
    EXPECT_TRUE(folders->Find("SUB")->isSection);
    EXPECT_EQ(folders->FindValue("sub"), std::optional<std::string>("leaf"));  // the first leaf, not the section
    EXPECT_EQ(folders->Find("missing"), nullptr);
}

TEST(KeyValues, ReadsASteamAppManifest) {
    const auto parsed = ParseKeyValues(ReadWholeFile(Utf8ToWide(KALO_FIXTURE_DIR "/steam/appmanifest_250820.acf")));
    ASSERT_TRUE(parsed);
    const KeyValue* state = parsed->Find("AppState");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->FindValue("StateFlags"), std::optional<std::string>("4"));
    EXPECT_EQ(state->Find("InstalledDepots")->Find("250821")->FindValue("size"),
              std::optional<std::string>("5368709120"));
}

}  // namespace
