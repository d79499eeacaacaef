// SteamVR on Windows: the standalone installation's registry flag and
// program files, or the Steam client's registry entries.

#include "engine/probes/steam_helper.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "shell/known_folders_win.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/registry.h"

namespace {

constexpr char kStandaloneTag[] = "CSteamHelper::IsStandaloneSteamVRInstalled";

constexpr wchar_t kSteamKey[] = L"Software\\Valve\\steam";

// The standalone program paths are built in buffers of this many characters;
// a longer path can't name the program.
constexpr size_t kMaxProgramPathCharacters = 1023;

// The first of the candidates below the folder that exists.
std::optional<std::wstring> FindStandaloneProgram(const std::wstring& folder) {
    const wchar_t* const candidates[][2] = {
        {L"\\SteamVR\\bin\\win32", L"vrstartup.exe"},
        {L"\\SteamVR\\tools\\bin\\win32", L"vrmonitor.exe"},
    };
    for (const auto& candidate : candidates) {
        const std::wstring path = folder + candidate[0] + L"\\" + candidate[1];
        if (path.size() <= kMaxProgramPathCharacters && PathExists(path)) return path;
    }
    return std::nullopt;
}

bool IsDecimalId(const std::wstring& text) {
    if (text.empty() || text.size() > 10) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

}  // namespace

// The Windows build reads the current user's registry; there is no home
// folder to choose.
CSteamHelper::CSteamHelper(std::wstring homeFolder) : homeFolder_(std::move(homeFolder)) {}

bool CSteamHelper::IsStandaloneSteamVRInstalled() {
    std::optional<DWORD> installed;
    {
        const CRegistryKey key = CreateOrOpenRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\HtcVive");
        if (!key.IsValid()) return false;
        installed = QueryRegistryDword(key.Get(), L"StandaloneSteamVRInstalled");
    }
    if (!installed || *installed == 0) return false;

    const std::wstring folder = ProgramFilesX86Folder();
    if (folder.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, kStandaloneTag, L"steamvr: standalone exist(file not found), err=%d",
                               static_cast<int>(GetLastError()));
        return false;
    }
    const auto program = FindStandaloneProgram(folder);
    if (!program) {
        CCTLog::Instance().Log(LogLevel::Error, kStandaloneTag, L"steamvr: standalone exist(file not found)");
        return false;
    }
    CCTLog::Instance().Log(LogLevel::Progress, kStandaloneTag, L"steamvr: standalone exist.");
    standaloneSteamVrPath_ = *program;
    return true;
}

bool CSteamHelper::IsSteamInstalled() {
    std::wstring folder;
    std::wstring program;
    if (ReadRegistryString(HKEY_CURRENT_USER, kSteamKey, L"SteamPath", folder)) {
        ReadRegistryString(HKEY_CURRENT_USER, kSteamKey, L"SteamExe", program);
    } else if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kSteamKey, L"InstallPath", folder, true)) {
        return false;
    }
    if (program.empty()) program = folder + L"\\Steam.exe";
    if (!PathExists(folder) || !PathExists(program)) return false;
    steamFolder_ = std::move(folder);
    steamProgramPath_ = std::move(program);
    return true;
}

bool CSteamHelper::IsSteamAppInstalled(const std::wstring& appId) {
    // The id becomes part of a key path, so only digits are accepted.
    if (!IsDecimalId(appId)) return false;
    const CRegistryKey key = CreateOrOpenRegistryKey(HKEY_CURRENT_USER, std::wstring(kSteamKey) + L"\\Apps\\" + appId);
    if (!key.IsValid()) return false;
    const auto installed = QueryRegistryDword(key.Get(), L"Installed");
    return installed && *installed != 0;
}
