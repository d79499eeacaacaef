#include "app/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"

namespace {

bool IsBelow(const std::wstring& path, const std::wstring& folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == L'/');
}

std::wstring EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? Utf8ToWide(value) : std::wstring{};
}

// Creates the folder and its missing parents, each private to the user; a
// folder that already exists is left as it is.
bool EnsurePrivateFolder(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !EnsurePrivateFolder(folder.substr(0, slash))) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

ProgramFolderState ProgramFolderStateOf(const std::wstring& programFolder) {
    ProgramFolderState state;
    if (programFolder.empty()) return state;
    const std::string folder = WideToUtf8(programFolder);
    struct stat info {};
    state.hasConfigFolder = stat((folder + "/config").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    state.writable = access(folder.c_str(), W_OK) == 0;
    state.systemFolder = IsBelow(programFolder, L"/usr") || IsBelow(programFolder, L"/bin") ||
                         IsBelow(programFolder, L"/sbin");
    return state;
}

std::wstring UserConfigFolderOf(const std::wstring& configHome, const std::wstring& home) {
    if (!configHome.empty() && configHome.front() == L'/') return configHome;
    if (!home.empty() && home.front() == L'/') return JoinPath(home, L".config");
    return {};
}

std::wstring UserConfigFolder() {
    return UserConfigFolderOf(EnvironmentValue("XDG_CONFIG_HOME"), EnvironmentValue("HOME"));
}

bool SaveProgramSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    const std::wstring path = SettingsFilePath();
    const size_t slash = path.rfind(L'/');
    if (path.empty() || slash == std::wstring::npos) return false;
    if (slash > 0 && !EnsurePrivateFolder(WideToUtf8(path.substr(0, slash)))) {
        CCTLog::Instance().Log(LogLevel::Error, "SaveProgramSetting", L"cannot create the settings folder (%ls): %ls",
                               SystemErrorText(LastSystemError()).c_str(), path.substr(0, slash).c_str());
        return false;
    }
    return ProfileWriteString(section, key, value, path);
}
