#pragma once
// Where both programs keep their settings file (the saved language, the
// [test] overrides). A program run from its build tree or from a portable copy
// keeps it beside itself, in config/fitprobe.ini, as it always has; an
// installed program cannot write beside itself, so it keeps it in the user's
// configuration folder instead. One implementation per platform
// (settings_location_linux.cpp, settings_location_win.cpp) beside the
// portable choice (settings_location.cpp).

#include <string>

// What decides the place, as seen of the program's folder.
struct ProgramFolderState {
    bool hasConfigFolder = false;  // a "config" folder is already there
    bool writable = false;         // the user may create entries in it
    bool systemFolder = false;     // where installed programs live (/usr, /bin, /sbin; Program Files, Windows)
};

ProgramFolderState ProgramFolderStateOf(const std::wstring& programFolder);

// The user's configuration folder from the two environment values that name
// it (empty: unset): on Linux XDG_CONFIG_HOME, else HOME/.config, where a
// relative XDG_CONFIG_HOME is ignored as the base-directory rules say; on
// Windows APPDATA, else USERPROFILE\AppData\Roaming. Empty when neither
// names an absolute folder.
std::wstring UserConfigFolderOf(const std::wstring& configHome, const std::wstring& home);
// The same from this process's environment.
std::wstring UserConfigFolder();

// The settings file for a program in programFolder. An existing config folder
// wins; a writable folder that is not a system folder comes next (root may
// write to /usr/bin, but a package's folder is no place for one user's
// choice); otherwise "<userConfigFolder>/KALOFitProbe/fitprobe.ini". Empty
// when there is no user folder either: every read then gives the default and
// nothing is saved.
std::wstring ChooseSettingsFile(const std::wstring& programFolder, const ProgramFolderState& state,
                                const std::wstring& userConfigFolder);

// The settings file of this program, from its folder and this environment.
std::wstring ProgramSettingsFile();

// Saves one value in the process-wide settings file (SettingsFilePath()),
// first creating its folder, and missing folders above it, private to the
// user (mode 0700 on Linux) when they are missing: the user's configuration
// folder does not exist before the first saved choice, and the profile write
// never creates folders. False when nothing could be saved.
bool SaveProgramSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);
