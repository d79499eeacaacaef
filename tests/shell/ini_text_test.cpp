#include "shell/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// "\xEF\xBB\xBF" is the UTF-8 byte-order mark.
struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

const ReadCase kReadCases[] = {
    {"one mark before the first header", "\xEF\xBB\xBF[set]\nlanguage=en\n", "set", "language", "en"},
    {"two marks before the first header", "\xEF\xBB\xBF\xEF\xBB\xBF[set]\nlanguage=en\n", "set", "language", "en"},
    {"two marks before an unnamed section (fuzz finding)", "\xEF\xBB\xBF\xEF\xBB\xBF[]\n=", "", "", ""},
    {"a mark inside the text belongs to the key", "[set]\n\xEF\xBB\xBFlanguage=en\n", "set", "language",
     std::nullopt},
};

TEST(IniText, ReadsTheSameBeforeAndAfterAnUnchangedWrite) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.name);
        const CIniText ini(c.text);
        EXPECT_EQ(ini.Get(c.section, c.key), c.expected);
        EXPECT_EQ(CIniText(ini.Text()).Get(c.section, c.key), c.expected);
    }
}

struct WriteCase {
    const char* name;
    std::string text;
    std::string written;  // the text after Set("set", "language", "de")
};

const WriteCase kWriteCases[] = {
    {"no mark, none added", "[set]\nlanguage=en\n", "[set]\nlanguage=de\n"},
    {"new file", "", "[set]\nlanguage=de\n"},
    {"one mark kept", "\xEF\xBB\xBF[set]\nlanguage=en\n", "\xEF\xBB\xBF[set]\nlanguage=de\n"},
    {"two marks become one, the value replaced in place", "\xEF\xBB\xBF\xEF\xBB\xBF[set]\nlanguage=en\n",
     "\xEF\xBB\xBF[set]\nlanguage=de\n"},
    {"a file that is only a mark", "\xEF\xBB\xBF", "\xEF\xBB\xBF[set]\nlanguage=de\n"},
};

TEST(IniText, AWrittenValueReadsBackAfterTheFileIsReadAgain) {
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(c.name);
        CIniText ini(c.text);
        ini.Set("set", "language", "de");
        EXPECT_EQ(ini.Text(), c.written);
        EXPECT_EQ(CIniText(ini.Text()).Get("set", "language"), std::optional<std::string>("de"));
    }
}

}  // namespace
