#pragma once
// Whether SteamVR is on this PC: as a standalone installation, or as an
// application installed through the Steam client. One implementation per
// platform: steam_helper_win.cpp reads the registry, steam_helper_linux.cpp
// reads the Steam folders below the user's home folder.

#include <string>

class CSteamHelper {
public:
    // The home folder whose Steam installation is examined (Linux; the
    // Windows build reads the current user's registry instead). Empty means
    // the process's $HOME.
    explicit CSteamHelper(std::wstring homeFolder = {});

    bool IsStandaloneSteamVRInstalled();
    // Fills the Steam folder and program path when it answers true.
    bool IsSteamInstalled();
    // `appId` is a decimal application id ("250820" is SteamVR); any other
    // text answers false.
    bool IsSteamAppInstalled(const std::wstring& appId);

    const std::wstring& SteamFolder() const { return steamFolder_; }
    const std::wstring& SteamProgramPath() const { return steamProgramPath_; }
    const std::wstring& StandaloneSteamVRPath() const { return standaloneSteamVrPath_; }

private:
    std::wstring homeFolder_;
    std::wstring steamFolder_;
    std::wstring steamProgramPath_;
    std::wstring standaloneSteamVrPath_;
};

// SteamVR's Steam application id.
inline constexpr wchar_t kSteamVrAppId[] = L"250820";
