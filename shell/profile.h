#pragma once
// INI settings files with the semantics of the Windows private-profile
// functions: a missing file, section or key reads as the default, and writing
// creates the file (never its folders) and keeps everything else in it.
// Sections and keys compare without regard to ASCII case. Writes take a lock
// file beside the settings file, so that concurrent writers never lose each
// other's keys, and replace the file atomically.

#include <string>
#include <vector>

int ProfileReadInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path);
// A default with trailing blanks is returned without them, as Windows does.
std::wstring ProfileReadString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path);
bool ProfileWriteString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path);

struct ProfileValue {
    std::wstring section;
    std::wstring key;
    std::wstring value;
};
// Several keys in one read-change-write cycle; a file that already holds
// every value is not written.
bool ProfileWriteStrings(const std::vector<ProfileValue>& values, const std::wstring& path);

// The process-wide settings file. While it is empty every read yields the
// default and nothing is written.
std::wstring SettingsFilePath();
void SetSettingsFilePath(const std::wstring& path);

int SettingsReadInt(const std::wstring& section, const std::wstring& key, int defaultValue);
std::wstring SettingsReadString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue);

// The leading integer of a profile value ("12abc" is 12, "abc" is 0), as the
// Windows integer read parses it.
int ParseProfileInt(const std::wstring& text);
