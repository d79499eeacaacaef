#include "lang/language_choice.h"

#include <algorithm>
#include <span>

#include "lang/ui_language.h"
#include "shell/platform.h"
#include "shell/profile.h"

namespace {

constexpr uint16_t kChinesePrc = 0x0804;
// The settings are read into buffers of 1024 characters, terminator included.
constexpr size_t kSavedLanguageLimit = 1023;

struct LangIdRow {
    std::span<const uint16_t> ids;
    UiLanguageChoice choice;
};

constexpr uint16_t kChineseIds[] = {0x0404, 0x0804, 0x0C04, 0x1004};
constexpr uint16_t kGermanIds[] = {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407};
constexpr uint16_t kSpanishIds[] = {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A,
                                    0x200A, 0x240A, 0x280A, 0x2C0A, 0x300A, 0x340A, 0x380A,
                                    0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A};
constexpr uint16_t kFrenchIds[] = {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C};
constexpr uint16_t kItalianIds[] = {0x0410, 0x0810};
constexpr uint16_t kJapaneseIds[] = {0x0411};
constexpr uint16_t kKoreanIds[] = {0x0412, 0x0812};
constexpr uint16_t kDutchIds[] = {0x0413, 0x0813};
constexpr uint16_t kPolishIds[] = {0x0415};
constexpr uint16_t kPortugueseIds[] = {0x0416, 0x0816};
constexpr uint16_t kRussianIds[] = {0x0419};

// The Russian name really starts with five Latin letters ("Pycck") and the
// Spanish one with a lower-case "e": these are the names the program has
// always shown when the language box has no entry of its own for the code.
const LangIdRow kLangIdRows[] = {
    {kChineseIds, {L"cn", L"\u7B80\u4F53\u4E2D\u6587", 0}},
    {kGermanIds, {L"de", L"Deutsch", 1}},
    {kSpanishIds, {L"es", L"espa\u00F1ol", 1}},
    {kFrenchIds, {L"fr", L"Fran\u00E7ais", 1}},
    {kItalianIds, {L"it", L"Italiano", 1}},
    {kJapaneseIds, {L"jp", L"\u65E5\u672C\u8A9E", 2}},
    {kKoreanIds, {L"ko", L"\uD55C\uAD6D\uC5B4", 1}},
    {kDutchIds, {L"nl", L"Nederlands", 1}},
    {kPolishIds, {L"pl", L"Polski", 1}},
    {kPortugueseIds, {L"pt", L"Portugu\u00EAs", 1}},
    {kRussianIds, {L"ru", L"Pycck\u0438\u0439", 1}},
};

constexpr UiLanguageChoice kEnglish{L"en", L"English", 1};

}  // namespace

UiLanguageChoice LanguageForLangId(uint16_t langId) {
    for (const LangIdRow& row : kLangIdRows) {
        if (std::find(row.ids.begin(), row.ids.end(), langId) != row.ids.end()) return row.choice;
    }
    return kEnglish;
}

int32_t LanguageFromUiLanguage(std::wstring& code, std::wstring& displayName) {
    const UiLanguageChoice choice = LanguageForLangId(UserDefaultUiLanguage());
    code = choice.code;
    displayName = choice.displayName;
    return choice.index;
}

int StartupMessageLanguageFor(uint16_t langId) { return langId == kChinesePrc ? 0 : 1; }

int ReadSavedLanguage(const std::wstring& settingsFile, std::wstring& code, std::wstring& displayName) {
    if (!PathExists(settingsFile)) return 1;
    code = ProfileReadString(L"set", L"language", L"", settingsFile).substr(0, kSavedLanguageLimit);
    displayName = ProfileReadString(L"set", L"langnick", L"", settingsFile).substr(0, kSavedLanguageLimit);
    return StartupMessageLanguageFor(UserDefaultUiLanguage());
}

std::wstring LanguageCodeForIndex(int32_t index) {
    switch (index) {
        case 0: return L"cn";
        case 2: return L"jp";
        default: return L"en";
    }
}
