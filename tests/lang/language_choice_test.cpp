// The language the program starts in.

#include "lang/language_choice.h"

#include <gtest/gtest.h>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "lang/ui_language.h"
#include "tests/support/log_capture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

struct LangIdCase {
    const char* name;
    uint16_t langId;
    const wchar_t* code;
    const wchar_t* displayName;
    int32_t index;
};

const LangIdCase kLangIdCases[] = {
    {"Chinese (PRC)", 0x0804, L"cn", L"\u7B80\u4F53\u4E2D\u6587", 0},
    {"Chinese (Taiwan) shows Simplified Chinese", 0x0404, L"cn", L"\u7B80\u4F53\u4E2D\u6587", 0},
    {"Chinese (Macao) is not in the Chinese row", 0x1404, L"en", L"English", 1},
    {"German (Austria)", 0x0C07, L"de", L"Deutsch", 1},
    {"Spanish (Spain) with its lower-case name", 0x0C0A, L"es", L"espa\u00F1ol", 1},
    {"Spanish (United States) is English", 0x540A, L"en", L"English", 1},
    {"French (Monaco) is English", 0x180C, L"en", L"English", 1},
    {"Japanese has its own index", 0x0411, L"jp", L"\u65E5\u672C\u8A9E", 2},
    {"Portuguese (Portugal)", 0x0816, L"pt", L"Portugu\u00EAs", 1},
    {"Russian with its mixed-script name", 0x0419, L"ru", L"Pycck\u0438\u0439", 1},
    {"English (United States)", 0x0409, L"en", L"English", 1},
    {"Swedish has no pack", 0x041D, L"en", L"English", 1},
};

TEST(LanguageChoice, SystemLanguageIdsMapToPacks) {
    for (const LangIdCase& c : kLangIdCases) {
        SCOPED_TRACE(c.name);
        const UiLanguageChoice choice = LanguageForLangId(c.langId);
        EXPECT_STREQ(choice.code, c.code);
        EXPECT_STREQ(choice.displayName, c.displayName);
        EXPECT_EQ(choice.index, c.index);
    }
}

TEST(LanguageChoice, IndexesNameTheServiceLanguage) {
    const std::pair<int32_t, const wchar_t*> cases[] = {{0, L"cn"}, {1, L"en"}, {2, L"jp"}, {3, L"en"}, {-1, L"en"}};
    for (const auto& [index, code] : cases) EXPECT_EQ(LanguageCodeForIndex(index), code) << index;
}

}  // namespace
