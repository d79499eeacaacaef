#include "shell/old_logs.h"

#include <filesystem>
#include <system_error>

#include "shell/folder_listing.h"
#include "shell/platform.h"

bool IsExpiredLog(int64_t created, int64_t now) {
    return now - created > kLogRetentionSeconds || created > now;
}

void RemoveOldLogs(const std::wstring& logFolder, int64_t now) {
    for (const FolderEntry& entry : ListFolderEntries(logFolder)) {
        if (entry.isFolder || !IsExpiredLog(entry.created, now)) continue;
        std::error_code error;
        std::filesystem::remove(ToFsPath(JoinPath(logFolder, entry.name)), error);
    }
}
