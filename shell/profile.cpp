#include "shell/profile.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <mutex>

#include "shell/text_util.h"

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
    // An empty path reads as a missing file: the default, as the profile read
    // hands it back.
    return ProfileReadString(section, key, defaultValue, SettingsFilePath());
}

int ParseProfileInt(const std::wstring& text) {
    const DecimalScan scan = ScanLeadingDecimal(text, kSpaceTab);
    // The digits saturate at 32 unsigned bits like a 32-bit read; the sign
    // then wraps, so "-1" and "4294967295" both read as -1.
    const auto magnitude = static_cast<uint32_t>(std::min<uint64_t>(scan.magnitude, 0xFFFFFFFFu));
    return static_cast<int>(scan.negative ? 0u - magnitude : magnitude);
}
