// The language the program starts in, from the locale variables (Windows
// asks GetUserDefaultUILanguage instead).

#include "lang/language_choice.h"

#include <gtest/gtest.h>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "lang/ui_language.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

struct LocaleCase {
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    uint16_t expected;
};

const LocaleCase kLocaleCases[] = {
    {"LC_ALL wins", "zh_CN.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", 0x0804},
    {"empty LC_ALL is passed over", "", "de_AT.UTF-8", "fr_FR.UTF-8", 0x0C07},
    {"LANG alone", nullptr, nullptr, "es_MX.UTF-8", 0x080A},
    {"Traditional Chinese", nullptr, nullptr, "zh_TW.UTF-8", 0x0404},
    {"modifier after the territory", nullptr, nullptr, "de_DE@euro", 0x0407},
    {"language without territory", nullptr, nullptr, "ru", 0x0419},
    {"territory the table lacks", nullptr, nullptr, "de_BE.UTF-8", 0x0407},
    {"letter case of a hand-written locale", nullptr, nullptr, "ZH_cn.utf8", 0x0804},
    {"C locale", "C", nullptr, "zh_CN.UTF-8", 0x0409},
    {"language without a pack", nullptr, nullptr, "sv_SE.UTF-8", 0x0409},
    {"nothing set", nullptr, nullptr, nullptr, 0x0409},
};

struct SavedCase {
    const char* name;
    const char* settings;  // nullptr: no settings file
    const char* locale;
    const wchar_t* code;
    const wchar_t* displayName;
    int messageLanguage;
};

const SavedCase kSavedCases[] = {
    {"saved German on an English system", "[set]\nlanguage=de\nlangnick=Deutsch\n", "en_US.UTF-8", L"de",
     L"Deutsch", 1},
    {"Chinese system shows Chinese start-up messages", "[set]\nlanguage=en\n", "zh_CN.UTF-8", L"en", L"", 0},
    {"Taiwanese system shows English start-up messages", "[set]\nlanguage=en\n", "zh_TW.UTF-8", L"en", L"", 1},
    {"file without the section", "[test]\nistest=1\n", "zh_CN.UTF-8", L"", L"", 0},
    {"no file: English messages even on a Chinese system", nullptr, "zh_CN.UTF-8", L"", L"", 1},
};

struct StartCase {
    const char* name;
    const char* settings;
    const char* locale;
    const wchar_t* loadedCode;
    const wchar_t* welcome;
};

// The start-up order: saved choice first, the system default once after it.
const StartCase kStartCases[] = {
    {"saved German wins over the system", "[set]\nlanguage=de\n", "fr_FR.UTF-8", L"de", L"PC-Leistung"},
    {"no settings: the system default", nullptr, "es_ES.UTF-8", L"es", nullptr},
    {"saved code without a pack: the system default", "[set]\nlanguage=xx\n", "en_GB.UTF-8", L"en",
     L"Computer Performance"},
    {"empty saved code: the system default", "[set]\nlanguage=\n", "ja_JP.UTF-8", L"jp", nullptr},
};

TEST(UiLanguage, TheLocaleBecomesAWindowsLanguageId) {
    for (const LocaleCase& c : kLocaleCases) {
        SCOPED_TRACE(c.name);
        ScopedEnv env;
        env.Set("LC_ALL", c.lcAll);
        env.Set("LC_MESSAGES", c.lcMessages);
        env.Set("LANG", c.lang);
        EXPECT_EQ(UserDefaultUiLanguage(), c.expected);
    }
}

TEST(LanguageChoice, TheSavedChoiceIsReadFromTheSettingsFile) {
    for (const SavedCase& c : kSavedCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder folder;
        const std::wstring path =
            c.settings ? folder.Write(L"config/fitprobe.ini", c.settings) : folder.File(L"config/fitprobe.ini");
        ScopedEnv env;
        env.Set("LC_ALL", c.locale);
        std::wstring code;
        std::wstring name;
        EXPECT_EQ(ReadSavedLanguage(path, code, name), c.messageLanguage);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(name, c.displayName);
    }
}

TEST(LanguageChoice, StartingPicksTheSavedOrTheSystemLanguage) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig unpacker(data.Path());
    ASSERT_TRUE(unpacker.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));
    for (const StartCase& c : kStartCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder program;
        const std::wstring settings =
            c.settings ? program.Write(L"config/fitprobe.ini", c.settings) : program.File(L"config/fitprobe.ini");
        ScopedEnv env;
        env.Set("LC_ALL", c.locale);
        CLangConfig config(data.Path());
        std::wstring code;
        std::wstring name;
        ReadSavedLanguage(settings, code, name);
        bool loaded = config.SwitchLanguage(code, name, kProgramName, L"");
        if (!loaded) {
            LanguageFromUiLanguage(code, name);
            loaded = config.SwitchLanguage(code, name, kProgramName, L"");
        }
        EXPECT_TRUE(loaded);
        EXPECT_EQ(config.CurrentCode(), c.loadedCode);
        EXPECT_STRNE(config.GetLangText(L"IDS_STRING_WELCOME"), L"");
        if (c.welcome != nullptr) {
            EXPECT_STREQ(config.GetLangText(L"IDS_STRING_WELCOME"), c.welcome);
        }
    }
}

}  // namespace
