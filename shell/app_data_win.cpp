#include <windows.h>
#include <shlobj.h>

#include "shell/app_data.h"
#include "shell/known_folders_win.h"

// The common application-data folder of all users ("C:\ProgramData").
std::wstring CommonAppDataFolder() { return KnownFolderPath(FOLDERID_ProgramData); }
