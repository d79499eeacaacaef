#include "shell/registry.h"

#include <array>

#include "shell/platform.h"

CRegistryKey OpenRegistryKeyForReading(HKEY root, const std::wstring& subKey, bool use64BitView) {
    const REGSAM access = KEY_READ | (use64BitView ? KEY_WOW64_64KEY : 0);
    CRegistryKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) return CRegistryKey{};
    return key;
}

CRegistryKey CreateOrOpenRegistryKey(HKEY root, const std::wstring& subKey) {
    CRegistryKey key;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS) {
        return CRegistryKey{};
    }
    return key;
}

std::optional<std::wstring> QueryRegistryString(HKEY key, const wchar_t* valueName) {
    std::array<wchar_t, kRegistryStringBytes / sizeof(wchar_t)> buffer{};
    DWORD type = 0;
    DWORD size = kRegistryStringBytes;
    // A longer value fails with ERROR_MORE_DATA and counts as absent.
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    // The registry does not promise a terminating zero. A value that fills
    // the whole buffer without one would not fit the 260 characters with it.
    const size_t characters = size / sizeof(wchar_t);
    std::wstring_view text(buffer.data(), characters);
    if (const size_t zero = text.find(L'\0'); zero != std::wstring_view::npos) {
        text = text.substr(0, zero);
    } else if (characters == buffer.size()) {
        return std::nullopt;
    }
    return std::wstring(text);
}

std::optional<DWORD> QueryRegistryDword(HKEY key, const wchar_t* valueName) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName, std::wstring& value,
                        bool use64BitView) {
    const CRegistryKey key = OpenRegistryKeyForReading(root, subKey, use64BitView);
    if (!key.IsValid()) return false;
    auto text = QueryRegistryString(key.Get(), valueName.c_str());
    if (!text) return false;
    value = std::move(*text);
    return true;
}

// The portable declaration in shell/platform.h, for the install-location
// look-ups.
bool ReadRegistryString(RegistryRoot root, const std::wstring& subKey, const std::wstring& valueName,
                        std::wstring& value, bool use64BitView) {
    const HKEY rootKey = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    return ReadRegistryString(rootKey, subKey, valueName, value, use64BitView);
}
