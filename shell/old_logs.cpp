#include "shell/old_logs.h"

#include "shell/folder_listing.h"
#include "shell/safe_files.h"

bool IsExpiredLog(int64_t created, int64_t now) {
    return now - created > kLogRetentionSeconds || created > now;
}

void RemoveOldLogs(const std::wstring& logFolder, int64_t now) {
    for (const FolderEntry& entry : ListFolderEntries(logFolder)) {
        // Only regular files: a link's target is never the clean-up's business.
        if (entry.isFolder || !IsExpiredLog(entry.created, now)) continue;
        RemoveRegularFile(logFolder, entry.name);
    }
}
