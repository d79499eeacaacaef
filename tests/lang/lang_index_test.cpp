// The language list as read from the archive's index document.

#include <gtest/gtest.h>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "tests/support/log_capture.h"
#include "tests/support/zip_writer.h"

namespace {

std::span<const std::byte> Bytes(const std::string& text) { return std::as_bytes(std::span(text)); }

struct Listed {
    const wchar_t* code;
    const wchar_t* displayName;
    const wchar_t* version;
    int32_t rank;
};

struct IndexCase {
    const char* name;
    const char* json;
    int result;
    std::vector<Listed> list;
    std::vector<std::string> log;
};

const IndexCase kIndexCases[] = {
    {"not JSON", "{\"lang\": ", kLangIndexNotJson, {}, {"defaultlangconfig.json parse error."}},
    {"empty text", "", kLangIndexNotJson, {}, {"defaultlangconfig.json parse error."}},
    {"root is an array", "[1, 2]", kLangIndexNotObject, {}, {"error defaultlangconfig root isn't object."}},
    {"root is null", "null", kLangIndexNotObject, {}, {"error defaultlangconfig langNode is empty."}},
    {"no lang member", "{\"language\": {}}", kLangIndexNotObject, {}, {"error defaultlangconfig langNode is empty."}},
    {"empty lang object", "{\"lang\": {}}", kLangIndexParsed, {}, {}},
    {"ranks 3, 1, 2 come out sorted",
     R"({"lang": {"aa": {"nickname": "A", "version": "1", "rank": 3},
                  "bb": {"nickname": "B", "version": "2", "rank": 1},
                  "cc": {"nickname": "C", "version": "3", "rank": 2}}})",
     kLangIndexParsed,
     {{L"bb", L"B", L"2", 1}, {L"cc", L"C", L"3", 2}, {L"aa", L"A", L"1", 3}},
     {}},
    {"rank as a string counts by its leading number",
     R"({"lang": {"de": {"rank": "7"}, "en": {"rank": " 12abc"}, "fr": {"rank": "x5"}}})", kLangIndexParsed,
     {{L"fr", L"", L"", 0}, {L"de", L"", L"", 7}, {L"en", L"", L"", 12}}, {}},
    {"rank as a real is truncated toward zero",
     R"({"lang": {"de": {"rank": 7.9}, "en": {"rank": -2.5}}})", kLangIndexParsed,
     {{L"en", L"", L"", -2}, {L"de", L"", L"", 7}}, {}},
    {"rank of another type is 0",
     R"({"lang": {"de": {"rank": true}, "en": {"rank": [4]}, "fr": {"rank": 1}}})", kLangIndexParsed,
     {{L"de", L"", L"", 0}, {L"en", L"", L"", 0}, {L"fr", L"", L"", 1}}, {}},
    {"huge ranks are held to 32 bits",
     R"({"lang": {"de": {"rank": "99999999999"}, "en": {"rank": 1e300}}})", kLangIndexParsed,
     {{L"de", L"", L"", 2147483647}, {L"en", L"", L"", 2147483647}}, {}},
    {"numbers read as text",
     R"({"lang": {"de": {"nickname": 5, "version": 1.5}, "en": {"nickname": false, "version": 4294967295}}})",
     kLangIndexParsed, {{L"de", L"5", L"1.500000", 0}, {L"en", L"", L"-1", 0}}, {}},
    {"a member that is not an object lists the code only",
     R"({"lang": {"de": "Deutsch", "en": 3, "fr": {"nickname": "Fran\u00e7ais", "rank": 1}}})", kLangIndexParsed,
     {{L"de", L"", L"", 0}, {L"en", L"", L"", 0}, {L"fr", L"Fran\u00E7ais", L"", 1}}, {}},
    {"a null member is skipped", R"({"lang": {"de": null, "en": {"rank": 2}}})", kLangIndexParsed,
     {{L"en", L"", L"", 2}}, {}},
};

TEST(LangIndex, ParsingFillsAndSortsTheList) {
    for (const IndexCase& c : kIndexCases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        CLangConfig config(L"/nonexistent");
        EXPECT_EQ(config.ParseDefaultLangConfig(c.json), c.result);
        ASSERT_EQ(config.LanguageList().size(), c.list.size());
        for (size_t i = 0; i < c.list.size(); ++i) {
            const LangPackInfo& info = config.LanguageList()[i];
            EXPECT_EQ(info.code, c.list[i].code);
            EXPECT_EQ(info.displayName, c.list[i].displayName);
            EXPECT_EQ(info.version, c.list[i].version);
            EXPECT_EQ(info.rank, c.list[i].rank);
        }
        EXPECT_EQ(log.Messages(), c.log);
    }
}

TEST(LangIndex, NestingBeyondTheReaderLimitIsAParseError) {
    LogCapture log;
    CLangConfig config(L"/nonexistent");
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    EXPECT_EQ(config.ParseDefaultLangConfig(deep), kLangIndexNotJson);
}

TEST(LangIndex, TheShippedIndexListsTwelveLanguagesInRankOrder) {
    LogCapture log;
    CLangConfig config(L"/nonexistent");
    EXPECT_TRUE(config.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType));
    const wchar_t* expected[] = {L"cn", L"en", L"jp", L"ko", L"de", L"ru", L"pt", L"es", L"pl", L"fr", L"nl", L"it"};
    ASSERT_EQ(config.LanguageList().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(config.LanguageList()[i].code, expected[i]);
        EXPECT_EQ(config.LanguageList()[i].rank, static_cast<int32_t>(i + 1));
        EXPECT_EQ(config.LanguageList()[i].version, L"1.0.12.26");
    }
    EXPECT_EQ(config.LanguageList()[0].displayName, L"\u7B80\u4F53\u4E2D\u6587");
    EXPECT_EQ(config.LanguageList()[5].displayName, L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439");
    EXPECT_TRUE(log.Messages().empty());
}

struct ArchiveCase {
    const char* name;
    std::string archive;
    size_t listed;
    std::vector<std::string> log;
};

TEST(LangIndex, ReadingFromAnArchiveReportsEachWayItCanFail) {
    const std::string index = R"({"lang": {"en": {"nickname": "English", "rank": 2}}})";
    ZipMember badCrc = ZipFile("defaultlangconfig.json", index);
    badCrc.crc = 7;
    const ArchiveCase cases[] = {
        {"index found ignoring case", BuildZip({ZipFile("DefaultLangConfig.JSON", index)}), 1, {}},
        {"stored index", BuildZip({ZipFile("defaultlangconfig.json", index, 0)}), 1, {}},
        {"no index", BuildZip({ZipFile("en/fitprobe/KALOFitProbe.lang", "<Language/>")}), 0,
         {"not find file defaultlangconfig.json"}},
        {"empty index", BuildZip({ZipFile("defaultlangconfig.json", "")}), 0,
         {"unzip file failed(src=defaultlangconfig.json,err: dwSize == 0)"}},
        {"index with a bad CRC", BuildZip({badCrc}), 0, {"unzip file failed(src=defaultlangconfig.json,err=12)"}},
        {"index that is no JSON", BuildZip({ZipFile("defaultlangconfig.json", "lang")}), 0,
         {"defaultlangconfig.json parse error."}},
        {"not an archive", "PK but nothing else", 0, {"unzip IDR_ZIP_LANG file failed(openzip, err=2)"}},
    };
    for (const ArchiveCase& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        CLangConfig config(L"/nonexistent");
        EXPECT_EQ(config.ReadIndexFromArchive(Bytes(c.archive)), c.listed != 0);
        EXPECT_EQ(config.LanguageList().size(), c.listed);
        EXPECT_EQ(log.Messages(), c.log);
    }
}

TEST(LangIndex, AMissingResourceIsLogged) {
    LogCapture log;
    CLangConfig config(L"/nonexistent");
    EXPECT_FALSE(config.InitDefaultLangResByLangZip(999, L"ZIPRES"));
    EXPECT_TRUE(config.LanguageList().empty());
    EXPECT_EQ(log.Messages(), std::vector<std::string>{"unzip IDR_ZIP_LANG file failed(resource not found)"});
}

}  // namespace
