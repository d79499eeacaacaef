#include <windows.h>

#include <string_view>

#include "shell/file_time_win.h"
#include "shell/folder_listing.h"
#include "shell/platform.h"
#include "shell/scoped_handle_win.h"

std::vector<FolderEntry> ListFolderEntries(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    const CFindHandle find(
        FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (!find) return entries;
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        FolderEntry entry;
        entry.name = std::wstring(name);
        // A junction or link to a folder is listed as itself, not as a
        // folder to descend into.
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                         (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        entry.created = UnixSecondsOf(found.ftCreationTime);
        entries.push_back(std::move(entry));
    } while (FindNextFileW(find.Get(), &found));
    return entries;
}
