#include "shell/known_folders_win.h"

#include <memory>

std::wstring KnownFolderPath(const KNOWNFOLDERID& folder) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(folder, 0, nullptr, &path);
    // The system may hand out a text even when it fails; it is freed on every
    // path.
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owner(path, &CoTaskMemFree);
    if (FAILED(result) || path == nullptr) return {};
    return path;
}
