#pragma once
// The three-day clean-up of the log folder at every start.

#include <cstdint>
#include <string>

inline constexpr int64_t kLogRetentionSeconds = 259200;  // three days

// Older than three days, or dated in the future (a clock set back since).
bool IsExpiredLog(int64_t created, int64_t now);

// Deletes every expired regular file directly in the folder; one that cannot
// be deleted stays, silently. Links, sub-folders and their files are left
// alone: the program makes none, and a file found below one must never cost
// the same-named file in the log folder itself.
void RemoveOldLogs(const std::wstring& logFolder, int64_t now);
