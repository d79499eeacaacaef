// The string table is a resource of the program (program_strings_win.rc).
// Asked without a language, the system's resource loader takes the entry in
// the user's interface language, falling back to the neutral and then to the
// English one; it does not follow the language packs.

#include "ui/windows/program_strings.h"

#include <windows.h>

namespace ui {

std::wstring LoadProgramString(int id) {
    // The longest entry the window title takes.
    wchar_t buffer[256] = {};
    const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<size_t>(length)) : std::wstring{};
}

}  // namespace ui
