#include "shell/profile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "shell/ini_text.h"
#include "shell/platform.h"
#include "shell/text_convert.h"

namespace {

std::optional<std::string> ReadFile(const std::wstring& path) {
    std::ifstream in(ToFsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file in one step, so a reader never sees half a settings file.
bool WriteFileAtomically(const std::wstring& path, const std::string& text) {
    const std::filesystem::path target = ToFsPath(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        if (!out.flush()) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

}  // namespace

std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path) {
    if (path.empty()) return defaultValue;
    const auto text = ReadFile(path);
    if (!text) return defaultValue;
    const auto value = CIniText(*text).Get(WideToUtf8(section), WideToUtf8(key));
    return value ? Utf8ToWide(*value) : defaultValue;
}

int ProfileReadInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path) {
    if (path.empty()) return defaultValue;
    const auto text = ReadFile(path);
    if (!text) return defaultValue;
    const auto value = CIniText(*text).Get(WideToUtf8(section), WideToUtf8(key));
    return value ? ParseProfileInt(Utf8ToWide(*value)) : defaultValue;
}

bool ProfileWriteString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
    if (path.empty() || section.empty() || key.empty()) return false;
    const auto existing = ReadFile(path);
    // An existing file that cannot be read is left alone rather than replaced
    // by one holding only the new key.
    if (!existing && PathExists(path)) return false;
    CIniText ini(existing.value_or(""));
    ini.Set(WideToUtf8(section), WideToUtf8(key), WideToUtf8(value));
    return WriteFileAtomically(path, ini.Text());
}
