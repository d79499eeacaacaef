// Loading a language pack and looking texts up.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr wchar_t kPackPath[] = L"KALOFitProbeLang/xx/fitprobe/KALOFitProbe.lang";

struct PackCase {
    const char* name;
    std::string content;
    bool loaded;
    std::map<std::wstring, std::wstring> texts;  // the whole table
    std::string log;                               // the one failure line, without the file
};

std::string Utf16LeWithBom(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

const PackCase kPackCases[] = {
    {"keys of all sections share one table",
     kDeclaration + "<Language><MainWindow><A val=\"1\"/><B val=\"2\"/></MainWindow>"
                    "<Other><C val=\"3\"/></Other></Language>",
     true, {{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}}, ""},
    {"the first of a repeated key wins",
     kDeclaration + "<Language><S1><A val=\"first\"/></S1><S2><A val=\"second\"/></S2></Language>", true,
     {{L"A", L"first"}}, ""},
    {"an entry without val maps to an empty text",
     kDeclaration + "<Language><S><A/><B value=\"x\"/><C Val=\"y\"/></S></Language>", true,
     {{L"A", L""}, {L"B", L""}, {L"C", L""}}, ""},
    {"a comment in a section adds the empty key",
     kDeclaration + "<Language><S><!-- note --><A val=\"1\"/></S></Language>", true, {{L"", L""}, {L"A", L"1"}},
     ""},
    {"loose text in a section adds the empty key", kDeclaration + "<Language><S>text<A val=\"1\"/></S></Language>",
     true, {{L"", L""}, {L"A", L"1"}}, ""},
    {"escapes and non-ASCII texts",
     kDeclaration + "<Language><S><A val=\"DP &amp; HDMI \xE6\x97\xA5\xE6\x9C\xAC\"/></S></Language>", true,
     {{L"A", L"DP & HDMI \u65E5\u672C"}}, ""},
    {"UTF-16 with byte-order mark", Utf16LeWithBom("<Language><S><A val=\"1\"/></S></Language>"), true,
     {{L"A", L"1"}}, ""},
    {"sections without entries", kDeclaration + "<Language><MainWindow/><Other></Other></Language>", false, {},
     "file content is empty; file:"},
    {"entries directly below the root are no entries", kDeclaration + "<Language><A val=\"1\"/></Language>", false,
     {}, "file content is empty; file:"},
    {"root named in another case", kDeclaration + "<language><S><A val=\"1\"/></S></language>", false, {},
     "load file failed; file:"},
    {"not XML", "IDS_STRING_WELCOME=Welcome", false, {}, "load file failed; file:"},
    {"empty file", "", false, {}, "load file failed; file:"},
};

TEST(LangPack, LoadingFillsTheTableOrSaysWhyNot) {
    for (const PackCase& c : kPackCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder data;
        const std::wstring file = data.Write(kPackPath, c.content);
        LogCapture log;
        CLangConfig config(data.Path());
        EXPECT_EQ(config.LoadLangRes(L"xx", kProgramName), c.loaded);
        for (const auto& [key, text] : c.texts) EXPECT_EQ(config.GetLangText(key.c_str()), text);
        if (c.log.empty()) {
            EXPECT_TRUE(log.Messages().empty());
        } else {
            EXPECT_EQ(log.Messages(), std::vector<std::string>{c.log + WideToUtf8(file)});
        }
        EXPECT_STREQ(config.GetLangText(L"absent"), L"") << "an absent key gives an empty text, never null";
    }
}

TEST(LangPack, AMissingPackIsReportedAndItsFolderRemembered) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig config(data.Path());
    EXPECT_FALSE(config.LoadLangRes(L"de", kProgramName));
    const std::wstring folder = data.File(L"KALOFitProbeLang/de/fitprobe");
    EXPECT_EQ(config.CurrentLanguageFolder(), folder);
    EXPECT_EQ(log.Messages(),
              std::vector<std::string>{"file not found; file:" + WideToUtf8(JoinPath(folder, L"KALOFitProbe.lang"))});
}

TEST(LangSwitch, SwitchingSetsTheLanguageEvenWhenItsPackIsMissing) {
    ScopedTempFolder data;
    data.Write(kPackPath, "<Language><S><Key val=\"text\"/></S></Language>");
    LogCapture log;
    CLangConfig config(data.Path());
    EXPECT_EQ(config.CurrentCode(), L"cn");
    EXPECT_EQ(config.CurrentDisplayName(), L"\u7B80\u4F53\u4E2D\u6587");

    EXPECT_FALSE(config.SwitchLanguage(L"", L"Nobody", kProgramName, L""));
    EXPECT_EQ(config.CurrentCode(), L"cn") << "an empty code changes nothing";
    EXPECT_TRUE(config.CurrentLanguageFolder().empty());

    EXPECT_FALSE(config.SwitchLanguage(L"zz", L"Zed", kProgramName, L""));
    EXPECT_EQ(config.CurrentCode(), L"zz");
    EXPECT_EQ(config.CurrentDisplayName(), L"Zed");

    EXPECT_TRUE(config.SwitchLanguage(L"xx", L"Ex", kProgramName, L""));
    EXPECT_STREQ(config.GetLangText(L"Key"), L"text");
    EXPECT_FALSE(PathExists(data.File(L"KALOFitProbeLang/lang.ini"))) << "an empty version writes nothing";

    EXPECT_TRUE(config.SwitchLanguage(L"xx", L"Ex", kProgramName, L"2.0.0.1"));
    EXPECT_EQ(ProfileReadString(L"xx", L"version", L"", data.File(L"KALOFitProbeLang/lang.ini")), L"2.0.0.1");
}

// Every shipped pack, unpacked as at a start, holds the same 39 keys, each
// with a text.
TEST(LangPack, EveryShippedPackCarriesTheSameKeys) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig config(data.Path());
    ASSERT_TRUE(config.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));

    ASSERT_TRUE(config.LoadLangRes(L"en", kProgramName));
    EXPECT_STREQ(config.GetLangText(L"IDS_STRING_WELCOME"), L"Computer Performance");
    EXPECT_STREQ(config.GetLangText(L"IDS_STRING_INTERFACE_HIGH"), L"DP port | Type C port | Mini DP port");
    EXPECT_STREQ(config.GetLangText(L"IDS_STRING_REFRESH_RATE_120HZ_DESC1"), L"Must support DP 1.4 or higher");

    auto keysOf = [&](const wchar_t* code) {
        const std::string bytes =
            ReadWholeFile(data.File(L"KALOFitProbeLang/") + code + L"/fitprobe/KALOFitProbe.lang");
        const auto table = ParseLangPack(std::as_bytes(std::span(bytes)));
        std::vector<std::wstring> keys;
        if (!table) return keys;
        for (const auto& [key, text] : *table) {
            EXPECT_FALSE(text.empty()) << WideToUtf8(code) << " " << WideToUtf8(key);
            keys.push_back(key);
        }
        return keys;
    };
    const std::vector<std::wstring> english = keysOf(L"en");
    EXPECT_EQ(english.size(), 44u);  // 39 shown texts, what a screen reader says for the three result marks and the two window buttons
    for (const wchar_t* code : {L"cn", L"jp", L"ko", L"de", L"es", L"fr", L"it", L"nl", L"pl", L"pt", L"ru"}) {
        SCOPED_TRACE(WideToUtf8(code));
        EXPECT_EQ(keysOf(code), english);
        EXPECT_TRUE(config.LoadLangRes(code, kProgramName));
    }
}

}  // namespace
