#include "cli/options.h"

#include <gtest/gtest.h>

namespace {

TEST(CliOptions, AcceptsEveryOptionInBothSpellings) {
    const auto parsed = ParseCliOptions({"--json", "--lang", "de", "--settings=/etc/x.ini", "--no-download"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->json);
    EXPECT_TRUE(parsed.options->noDownload);
    EXPECT_EQ(parsed.options->language, L"de");
    EXPECT_EQ(parsed.options->settingsFile, L"/etc/x.ini");
    EXPECT_FALSE(parsed.options->help);
}

TEST(CliOptions, LanguageCodesAreTakenInEitherCase) {
    EXPECT_EQ(ParseCliOptions({"--lang", "DE"}).options->language, L"de");
    EXPECT_EQ(ParseCliOptions({"--lang=Pt"}).options->language, L"pt");
}

TEST(CliOptions, NoArgumentsMeansAPlainTextCheck) {
    const auto parsed = ParseCliOptions({});
    ASSERT_TRUE(parsed.options);
    EXPECT_FALSE(parsed.options->json);
    EXPECT_FALSE(parsed.options->language);
}

TEST(CliOptions, BadArgumentsAreRefusedWithAReason) {
    const struct { std::vector<std::string> arguments; const char* reason; } kCases[] = {
        {{"--lang"}, "--lang needs a language code"},
        {{"--lang="}, "--lang needs a language code"},
        {{"--settings"}, "--settings needs a file"},
        {{"--lang", "--json"}, "--lang needs a language code"},
        {{"--settings", "--no-download"}, "--settings needs a file"},
        {{"--jsn"}, "unknown option: --jsn"},
        {{"check"}, "unknown option: check"},
    };
    for (const auto& c : kCases) {
        const auto parsed = ParseCliOptions(c.arguments);
        EXPECT_FALSE(parsed.options) << c.reason;
        EXPECT_EQ(parsed.error, c.reason);
    }
}

}  // namespace
