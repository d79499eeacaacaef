#pragma once
// The Windows safe-file checks that code outside the layer needs on handles
// of its own: the access list of an open folder, the crash dump written from
// a fault handler. Only Windows files include it.

#include <windows.h>

#include <string>

// The final path the system reports for a handle on `path` when nothing on
// the way is a link: the final path of its link-free root (or of the path
// itself outside every root), then the rest as spelled. Comparable form
// (lower case, backslashes); empty when the root cannot be opened.
std::wstring ExpectedFinalPath(const std::wstring& path);

// The handle's final path without the "\\?\" prefix, zero-terminated in
// `buffer` (a UNC path as "\\server\share\..."); false when it does not fit
// or the system cannot tell. Allocates nothing, for the fault handler.
bool FinalPathOf(HANDLE handle, wchar_t* buffer, DWORD size);

// Whether two paths name the same place, without regard to case and
// separator style. Allocates nothing.
bool SamePath(const wchar_t* a, const wchar_t* b);

// Whether the handle stands on the very object `path` names: not a reparse
// point, reached through none (its final path is the expected one), and for
// a file with no second name (a hard link).
bool HandleIsAt(HANDLE handle, const std::wstring& path);

// Whether the open folder is a real folder of its parent: not a reparse
// point, and named by its final path as its parent's final path and its own
// name (whatever the parent's own ancestors are).
bool IsPlainFolderHandle(HANDLE folder, const std::wstring& path);
