#pragma once
// The process settings file pointed at a test's own file for a scope, and
// back at the previous one afterwards.

#include <string>

#include "shell/profile.h"
#include "tests/support/temp_folder.h"

class ScopedSettingsFile {
public:
    // Writes the text to the file below the folder and makes it the settings
    // file.
    ScopedSettingsFile(const ScopedTempFolder& folder, const std::string& text,
                       const std::wstring& name = L"fitprobe.ini")
        : previous_(SettingsFilePath()) {
        SetSettingsFilePath(folder.Write(name, text));
    }
    ~ScopedSettingsFile() { SetSettingsFilePath(previous_); }
    ScopedSettingsFile(const ScopedSettingsFile&) = delete;
    ScopedSettingsFile& operator=(const ScopedSettingsFile&) = delete;

private:
    std::wstring previous_;
};
