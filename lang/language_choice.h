#pragma once
// Which language the program starts in: the choice saved in the settings
// file, else the one the operating system's interface language suggests.

#include <cstdint>
#include <string>

// What the system language maps to. The index is the numbering that
// LanguageCodeForIndex reads.
struct UiLanguageChoice {
    const wchar_t* code;
    const wchar_t* displayName;
    int32_t index;
};

// The language for a Windows language id; every id without a pack is English.
UiLanguageChoice LanguageForLangId(uint16_t langId);

// Overwrites code and display name with the system default; returns its index.
int32_t LanguageFromUiLanguage(std::wstring& code, std::wstring& displayName);

// 0 for Chinese (PRC) start-up messages, 1 for English.
int StartupMessageLanguageFor(uint16_t langId);

// Reads "language" and "langnick" of section "set" from the settings file and
// returns the start-up message language. Without the file nothing is read and
// the messages stay English, whatever the system language.
int ReadSavedLanguage(const std::wstring& settingsFile, std::wstring& code, std::wstring& displayName);

// 0 "cn", 1 "en", 2 "jp", anything else "en".
std::wstring LanguageCodeForIndex(int32_t index);
