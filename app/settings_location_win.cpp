#include "app/settings_location.h"

#include <windows.h>

#include <cstdlib>
#include <cwctype>
#include <string>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/scoped_handle_win.h"

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? std::wstring(value) : std::wstring{};
}

bool IsAbsoluteFolder(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           path.rfind(L"\\\\", 0) == 0;
}

// Paths on Windows compare without regard to case.
bool IsBelow(const std::wstring& path, std::wstring folder) {
    if (folder.empty()) return false;
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (path.size() < folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        if (std::towlower(path[i]) != std::towlower(folder[i])) return false;
    }
    return path.size() == folder.size() || path[folder.size()] == L'\\' || path[folder.size()] == L'/';
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Folder permissions on Windows are access lists that no mode bits describe;
// creating a file there is the one reliable question.
bool CanCreateFilesIn(const std::wstring& folder) {
    const std::wstring probe =
        JoinPath(folder, L".kalofitprobe-write-test-" + std::to_wstring(GetCurrentProcessId()));
    const CKernelHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.IsValid();
}

}  // namespace

ProgramFolderState ProgramFolderStateOf(const std::wstring& programFolder) {
    ProgramFolderState state;
    if (programFolder.empty()) return state;
    state.hasConfigFolder = IsFolder(JoinPath(programFolder, L"config"));
    state.writable = CanCreateFilesIn(programFolder);
    state.systemFolder = IsBelow(programFolder, EnvironmentValue(L"ProgramFiles")) ||
                         IsBelow(programFolder, EnvironmentValue(L"ProgramFiles(x86)")) ||
                         IsBelow(programFolder, EnvironmentValue(L"SystemRoot"));
    return state;
}

std::wstring UserConfigFolderOf(const std::wstring& configHome, const std::wstring& home) {
    if (IsAbsoluteFolder(configHome)) return configHome;
    if (IsAbsoluteFolder(home)) return JoinPath(JoinPath(home, L"AppData"), L"Roaming");
    return {};
}

std::wstring UserConfigFolder() {
    return UserConfigFolderOf(EnvironmentValue(L"APPDATA"), EnvironmentValue(L"USERPROFILE"));
}

bool SaveProgramSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    const std::wstring path = SettingsFilePath();
    const size_t separator = path.find_last_of(L"\\/");
    if (path.empty() || separator == std::wstring::npos) return false;
    // Below the user's own profile a new folder inherits the profile's
    // access list, which is private to the user already.
    const std::wstring folder = path.substr(0, separator);
    if (!IsFolder(folder) && !CreateDirectoryTree(folder, false)) {
        CCTLog::Instance().Log(LogLevel::Error, "SaveProgramSetting", L"cannot create the settings folder (%ls): %ls",
                               SystemErrorText(LastSystemError()).c_str(), folder.c_str());
        return false;
    }
    return ProfileWriteString(section, key, value, path);
}
