#include "shell/profile.h"

#include <cwctype>
#include <mutex>

namespace {
std::mutex& SettingsLock() {
    static std::mutex lock;
    return lock;
}
std::wstring& SettingsPathStorage() {
    static std::wstring path;
    return path;
}
}  // namespace

std::wstring SettingsFilePath() {
    std::lock_guard guard(SettingsLock());
    return SettingsPathStorage();
}

void SetSettingsFilePath(const std::wstring& path) {
    std::lock_guard guard(SettingsLock());
    SettingsPathStorage() = path;
}

int SettingsReadInt(const std::wstring& section, const std::wstring& key, int defaultValue) {
    const std::wstring path = SettingsFilePath();
    if (path.empty()) return defaultValue;
    return ProfileReadInt(section, key, defaultValue, path);
}

std::wstring SettingsReadString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue) {
    const std::wstring path = SettingsFilePath();
    if (path.empty()) return defaultValue;
    return ProfileReadString(section, key, defaultValue, path);
}

int ParseProfileInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0xFFFFFFFFLL) value = 0xFFFFFFFFLL;  // saturate like a 32-bit read
    }
    return static_cast<int>(static_cast<unsigned>(negative ? -value : value));
}
