#include "shell/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

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

// UTF-16LE of an ASCII text, after its byte-order mark.
std::string Utf16LeFile(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

struct FileCase {
    const char* name;
    std::string bytes;
    bool isText;
    IniFileEncoding encoding;
    std::optional<std::string> language;  // the [set] language it holds
};

const FileCase kFileCases[] = {
    {"UTF-8", "[set]\nlanguage=en\n", true, IniFileEncoding::Utf8, "en"},
    {"UTF-8 with a mark", "\xEF\xBB\xBF[set]\r\nlanguage=en\r\n", true, IniFileEncoding::Utf8, "en"},
    {"empty file", "", true, IniFileEncoding::Utf8, std::nullopt},
    {"UTF-16LE with a mark (Notepad's Unicode)", Utf16LeFile("[set]\r\nlanguage=en\r\n"), true,
     IniFileEncoding::Utf16Le, "en"},
    {"UTF-16LE with a non-ASCII value", Utf16LeFile("[set]\nlanguage=") + std::string("\xE5\x65\x2C\x67\n\0", 6),
     true, IniFileEncoding::Utf16Le, "\xE6\x97\xA5\xE6\x9C\xAC"},
    {"only a UTF-16LE mark", "\xFF\xFE", true, IniFileEncoding::Utf16Le, std::nullopt},
    {"zero byte", std::string("[set]\0language=en\n", 18), false, {}, {}},
    {"UTF-16LE without a mark", Utf16LeFile("[set]\nlanguage=en\n").substr(2), false, {}, {}},
    {"UTF-16LE of odd length", Utf16LeFile("[set]\nlanguage=en").substr(0, 31), false, {}, {}},
    {"UTF-16LE with a zero unit", Utf16LeFile("[set]\nlanguage=en") + std::string("\0\0", 2), false, {}, {}},
    {"malformed UTF-8", "[set]\nlanguage=\xC3\x28\n", false, {}, {}},
    {"binary junk", "\x7F" "ELF\x02\x01\x01\xFF\xFF", false, {}, {}},
};

TEST(IniFile, ReadsUtf8AndUtf16LeAndRefusesAnythingElse) {
    for (const FileCase& c : kFileCases) {
        SCOPED_TRACE(c.name);
        const std::optional<IniFileText> decoded = DecodeIniFile(c.bytes);
        ASSERT_EQ(decoded.has_value(), c.isText);
        if (!decoded) continue;
        EXPECT_EQ(decoded->encoding, c.encoding);
        EXPECT_EQ(CIniText(decoded->text).Get("set", "language"), c.language);
        EXPECT_EQ(EncodeIniFile(decoded->text, decoded->encoding), c.bytes) << "written back as it was";
    }
}

TEST(IniFile, AValueWrittenIntoAUtf16LeFileKeepsTheFileUtf16Le) {
    const std::optional<IniFileText> decoded = DecodeIniFile(Utf16LeFile("; note\r\n[set]\r\nlanguage=en\r\n"));
    ASSERT_TRUE(decoded.has_value());
    CIniText ini(decoded->text);
    ini.Set("set", "language", "\xE6\x97\xA5");  // U+65E5
    EXPECT_EQ(EncodeIniFile(ini.Text(), decoded->encoding),
              Utf16LeFile("; note\n[set]\nlanguage=") + std::string("\xE5\x65\n\0", 4));
}

}  // namespace
