#pragma once
// The system's known folders (shell32), for the Windows halves that need one.

#ifndef _WIN32
#error "shell/known_folders_win.h is part of the Windows build only"
#endif

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

// The folder's path without a trailing separator; empty when the system has
// none.
std::wstring KnownFolderPath(const KNOWNFOLDERID& folder);
// "C:\Program Files (x86)": where 32-bit programs such as Steam install.
inline std::wstring ProgramFilesX86Folder() { return KnownFolderPath(FOLDERID_ProgramFilesX86); }
