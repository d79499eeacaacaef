#include "shell/profile.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <mutex>
#include <optional>
#include <set>

#include "shell/ini_text.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "shell/text_util.h"

// The settings files are read and written by the program itself on every
// platform, not through the Windows private-profile functions: those write
// the ANSI code page (a display name such as "日本語" would not survive), do not
// replace the file atomically and read a relative name in the Windows folder.
// The text follows their rules (shell/ini_text.h) and is kept in UTF-8, or in
// UTF-16LE where a file already is (Notepad's "Unicode", which those
// functions read and keep).

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

namespace {

constexpr char kReadTag[] = "ReadPrivateProfile";
constexpr char kWriteTag[] = "WritePrivateProfile";

// A settings file is read a dozen times in one check; a refusal is worth one
// log line per file, not one per key.
bool IsFirstRefusalOf(const std::wstring& path) {
    static std::mutex lock;
    static std::set<std::wstring> reported;
    std::lock_guard guard(lock);
    return reported.insert(path).second;
}

// The file's text; nothing when it is missing, refused or no text (logged
// once). `outcome` tells a missing file from one that is there but unusable.
std::optional<IniFileText> ReadSettingsText(const std::wstring& path, FileReadResult* outcome = nullptr) {
    FileReadResult result = ReadFileBounded(path, kSettingsFileLimit);
    if (result.ok()) {
        std::optional<IniFileText> text = DecodeIniFile(result.bytes);
        if (!text && IsFirstRefusalOf(path)) {
            CCTLog::Instance().Log(LogLevel::Error, kReadTag,
                                   L"settings file cannot be read (%ls), read as absent: %ls",
                                   Utf8ToWide(kIniNotTextReason).c_str(), path.c_str());
        }
        if (outcome != nullptr) *outcome = std::move(result);
        return text;
    }
    if (result.status != FileReadStatus::Missing && IsFirstRefusalOf(path)) {
        CCTLog::Instance().Log(LogLevel::Error, kReadTag, L"settings file refused (%ls), read as absent: %ls",
                               DescribeReadFailure(result, kSettingsFileLimit).c_str(), path.c_str());
    }
    if (outcome != nullptr) *outcome = std::move(result);
    return std::nullopt;
}

std::optional<std::string> ReadValue(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    const auto text = ReadSettingsText(path);
    if (!text) return std::nullopt;
    return CIniText(text->text).Get(WideToUtf8(section), WideToUtf8(key));
}

// The lock file beside the settings file that serialises read-change-write
// cycles of every process.
std::wstring LockPathOf(const std::wstring& path) { return path + L".lock"; }

// The Windows profile read hands back its default without trailing blanks.
std::wstring ProfileDefaultValue(const std::wstring& defaultValue) {
    return std::wstring(TrimTrailingBlanks(defaultValue, kSpaceTab));
}

}  // namespace

std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path) {
    const auto value = ReadValue(section, key, path);
    return value ? Utf8ToWide(*value) : ProfileDefaultValue(defaultValue);
}

int ProfileReadInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path) {
    const auto value = ReadValue(section, key, path);
    return value ? ParseProfileInt(Utf8ToWide(*value)) : defaultValue;
}

bool ProfileWriteStrings(const std::vector<ProfileValue>& values, const std::wstring& path) {
    if (path.empty()) return false;
    for (const ProfileValue& value : values) {
        if (value.section.empty() || value.key.empty()) return false;
    }
    const CFileLock lock(LockPathOf(path));
    if (!lock.IsHeld()) {
        CCTLog::Instance().Log(LogLevel::Error, kWriteTag, L"cannot lock the settings file (%ls): %ls",
                               SystemErrorText(LastSystemError()).c_str(), path.c_str());
        return false;
    }
    FileReadResult read;
    const auto existing = ReadSettingsText(path, &read);
    // An existing file that cannot be read, or is no text, is left alone
    // rather than replaced by one holding only the new keys; a link planted
    // below the program's folders holds nothing of ours and is replaced.
    if (!existing && read.status != FileReadStatus::Missing && !read.isLink) {
        CCTLog::Instance().Log(LogLevel::Error, kWriteTag, L"settings file left as it is, it cannot be read: %ls",
                               path.c_str());
        return false;
    }
    const IniFileEncoding encoding = existing ? existing->encoding : IniFileEncoding::Utf8;
    CIniText ini(existing ? existing->text : std::string());
    bool changed = !existing;
    for (const ProfileValue& value : values) {
        const std::string section = WideToUtf8(value.section);
        const std::string key = WideToUtf8(value.key);
        const std::string text = WideToUtf8(value.value);
        if (ini.Get(section, key) == text) continue;
        ini.Set(section, key, text);
        changed = true;
    }
    RemoveStaleTemporaryFiles(path);
    // Values that are already there cost no write: every start records the
    // same pack versions.
    if (!changed) return true;
    if (ReplaceFileAtomically(path, EncodeIniFile(ini.Text(), encoding))) return true;
    CCTLog::Instance().Log(LogLevel::Error, kWriteTag, L"cannot write the settings file (%ls): %ls",
                           SystemErrorText(LastSystemError()).c_str(), path.c_str());
    return false;
}

bool ProfileWriteString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
    return ProfileWriteStrings({{section, key, value}}, path);
}