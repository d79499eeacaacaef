#pragma once
// Where the downloaded rule set is kept: "updates/fitprobe/checkerconfig.json"
// below the data folder, shared by the check and the minimum-requirements
// loader (and by every copy of the program on the machine).

#include <string>

// The cache folder below the data folder, ending with a separator.
std::wstring RuleSetCacheFolder(const std::wstring& dataFolder);
// The cache file: the cache folder followed by "checkerconfig.json".
std::wstring RuleSetCachePath(const std::wstring& dataFolder);
// The cache file's path, after creating its folder with missing parents and
// sweeping what killed writers left there. A folder that cannot be made is
// not reported: the later write fails instead and the loader falls back to
// the other copies.
std::wstring PrepareRuleSetCachePath(const std::wstring& dataFolder);
