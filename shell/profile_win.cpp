#include <windows.h>

#include <vector>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/safe_files.h"
#include "shell/text_util.h"

// The system's private-profile functions read and write the file; what they
// do not do (refuse folders and oversized files, serialise writers of other
// processes) is done around them.
namespace {

constexpr char kReadTag[] = "ReadPrivateProfile";
constexpr char kWriteTag[] = "WritePrivateProfile";
constexpr DWORD kValueCharacters = 1024;

// A file the profile functions may read: missing (reads as defaults) or a
// regular file within the settings cap.
bool IsReadable(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return true;  // missing: defaults
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && size <= kSettingsFileLimit;
}

std::wstring LockPathOf(const std::wstring& path) { return path + L".lock"; }

std::wstring ReadRaw(const std::wstring& section, const std::wstring& key, const std::wstring& defaultValue,
                     const std::wstring& path) {
    std::vector<wchar_t> buffer(kValueCharacters, L'\0');
    const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
    return std::wstring(buffer.data(), length);
}

}  // namespace

std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path) {
    // An empty name would make the system read win.ini.
    if (path.empty() || !IsReadable(path)) return std::wstring(TrimTrailingBlanks(defaultValue, kSpaceTab));
    return ReadRaw(section, key, defaultValue, path);
}

int ProfileReadInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path) {
    if (path.empty() || !IsReadable(path)) return defaultValue;
    // The integer read of the system, through the string read so that the
    // same leading-digits rule applies on every platform.
    constexpr wchar_t kAbsent[] = L"\x1F";
    const std::wstring text = ReadRaw(section, key, kAbsent, path);
    return text == kAbsent ? defaultValue : ParseProfileInt(text);
}

bool ProfileWriteStrings(const std::vector<ProfileValue>& values, const std::wstring& path) {
    if (path.empty()) return false;
    for (const ProfileValue& value : values) {
        if (value.section.empty() || value.key.empty()) return false;
    }
    const CFileLock lock(LockPathOf(path));
    if (!lock.IsHeld()) {
        CCTLog::Instance().Log(0, kWriteTag, L"cannot lock the settings file (%ls): %ls",
                               SystemErrorText(LastSystemError()).c_str(), path.c_str());
        return false;
    }
    if (!IsReadable(path)) {
        CCTLog::Instance().Log(0, kReadTag, L"settings file refused (not a regular file within %u bytes): %ls",
                               static_cast<unsigned>(kSettingsFileLimit), path.c_str());
        return false;
    }
    for (const ProfileValue& value : values) {
        // Values that are already there cost no write.
        constexpr wchar_t kAbsent[] = L"\x1F";
        if (PathExists(path) && ReadRaw(value.section, value.key, kAbsent, path) == value.value) continue;
        if (!WritePrivateProfileStringW(value.section.c_str(), value.key.c_str(), value.value.c_str(), path.c_str())) {
            CCTLog::Instance().Log(0, kWriteTag, L"cannot write the settings file (%ls): %ls",
                                   SystemErrorText(LastSystemError()).c_str(), path.c_str());
            return false;
        }
    }
    // Flushes the system's cached copy to the file before the lock goes.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    return true;
}

bool ProfileWriteString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
    return ProfileWriteStrings({{section, key, value}}, path);
}
