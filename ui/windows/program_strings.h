#pragma once
// The program's own string table (not the language packs): entries in
// English and Chinese, the one shown chosen by the user's interface language
// as the platform chooses resource languages.

#include <string>

namespace ui {

// The main window's title.
inline constexpr int kMainWindowTitleString = 120;

// The entry in the user's interface language; empty for an unknown id.
std::wstring LoadProgramString(int id);

}  // namespace ui
