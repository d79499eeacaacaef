// Linux has no string-table resources: the table is here, and the locale's
// language id picks the Chinese entries for every Chinese locale, English
// otherwise.

#include "ui/windows/program_strings.h"

#include "lang/ui_language.h"

namespace ui {

namespace {

constexpr uint16_t kPrimaryLanguageChinese = 0x04;

struct ProgramString {
    int id;
    const wchar_t* english;
    const wchar_t* chinese;
};

constexpr ProgramString kStrings[] = {
    {kMainWindowTitleString, L"KALO computer configuration detection tool", L"KALO电脑配置检测工具"},
};

}  // namespace

std::wstring LoadProgramString(int id) {
    const bool chinese = (UserDefaultUiLanguage() & 0x3FF) == kPrimaryLanguageChinese;
    for (const ProgramString& entry : kStrings) {
        if (entry.id == id) return chinese ? entry.chinese : entry.english;
    }
    return {};
}

}  // namespace ui
