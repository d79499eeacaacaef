#pragma once
// Where the maker's other software lives: the companion application's
// install folder and the SDK platform folder, from the registry (on Linux:
// the environment variables of the same names), with fall-backs.

#include <string>

// The five registry places in order; then the program file's folder, or the
// part before its "bin" folder.
std::wstring LookUpInstallLocation();
std::wstring InstallLocationFromProgramPath(const std::wstring& programPath);

// "KALO4_PLATFORM_DIR" from the user's environment, the machine's
// environment, then the maker's key; else "SDK" below the data folder.
std::wstring LookUpSdkFolder(const std::wstring& dataFolder);
