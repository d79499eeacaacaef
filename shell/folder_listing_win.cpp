#include <windows.h>

#include <string_view>

#include "shell/folder_listing.h"
#include "shell/platform.h"

namespace {

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};

// FILETIME counts 100 ns steps from 1601.
int64_t UnixSeconds(const FILETIME& time) {
    constexpr int64_t kStepsPerSecond = 10'000'000;
    constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    const int64_t steps = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return steps / kStepsPerSecond - kSecondsFrom1601To1970;
}

}  // namespace

std::vector<FolderEntry> ListFolderEntries(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    const HANDLE raw = FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &found,
                                        FindExSearchNameMatch, nullptr, 0);
    if (raw == INVALID_HANDLE_VALUE) return entries;
    const std::unique_ptr<void, FindCloser> find(raw);
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        FolderEntry entry;
        entry.name = std::wstring(name);
        // A junction or link to a folder is listed as itself, not as a
        // folder to descend into.
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                         (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        entry.created = UnixSeconds(found.ftCreationTime);
        entries.push_back(std::move(entry));
    } while (FindNextFileW(raw, &found));
    return entries;
}
