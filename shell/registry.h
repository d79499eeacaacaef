#pragma once
// Registry access of the Windows build: the string, number and key reads
// the install-location and Steam look-ups share, over keys held by
// CRegistryKey. The portable ReadRegistryString of shell/platform.h is built
// on these.

#ifndef _WIN32
#error "shell/registry.h is part of the Windows build only"
#endif

#include <windows.h>

#include <optional>
#include <string>

#include "shell/scoped_handle_win.h"

// The key opened for reading, in the 64-bit registry view when asked; not
// open when it is missing or can't be opened.
CRegistryKey OpenRegistryKeyForReading(HKEY root, const std::wstring& subKey, bool use64BitView = false);
// The key opened for reading, created first when it is missing.
CRegistryKey CreateOrOpenRegistryKey(HKEY root, const std::wstring& subKey);

// The most bytes a string read takes: 260 wide characters, the terminating
// zero included.
inline constexpr DWORD kRegistryStringBytes = 520;

// A plain string value (REG_SZ) of the open key, without its terminating
// zero; nothing when the value is missing, of another type, or needs more
// than kRegistryStringBytes with its terminating zero.
std::optional<std::wstring> QueryRegistryString(HKEY key, const wchar_t* valueName);
// A 32-bit number value (REG_DWORD); nothing when missing or of another type.
std::optional<DWORD> QueryRegistryDword(HKEY key, const wchar_t* valueName);

// Opens the key for reading (64-bit view when asked), reads the string value
// as QueryRegistryString does and closes the key again. False leaves `value`
// as it was.
bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName, std::wstring& value,
                        bool use64BitView = false);
