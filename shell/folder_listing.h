#pragma once
// Listing one folder's entries with their creation times.

#include <cstdint>
#include <string>
#include <vector>

struct FolderEntry {
    std::wstring name;    // without the folder
    bool isFolder = false;
    int64_t created = 0;  // seconds since 1970 (UTC)
};

// Every entry but "." and "..", in no particular order; empty when the folder
// cannot be read. On Linux the creation time is the birth time where the
// file system records it, else the time of the last status change. Links are
// listed as themselves, not followed.
std::vector<FolderEntry> ListFolderEntries(const std::wstring& folder);
