#include "shell/platform.h"

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    if (last == L'/' || last == L'\\') return folder + name;
    return folder + kPathSeparator + name;
}
