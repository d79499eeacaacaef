#include "app/rule_set_cache.h"

#include "engine/rule_set_reader.h"
#include "shell/platform.h"
#include "shell/safe_files.h"

std::wstring RuleSetCacheFolder(const std::wstring& dataFolder) {
    std::wstring folder = JoinPath(JoinPath(dataFolder, L"updates"), L"fitprobe");
    folder += kPathSeparator;
    return folder;
}

std::wstring RuleSetCachePath(const std::wstring& dataFolder) {
    return RuleSetCacheFolder(dataFolder) + kRuleSetFileName;
}

std::wstring PrepareRuleSetCachePath(const std::wstring& dataFolder) {
    CreateDirectoryTree(RuleSetCacheFolder(dataFolder), false);
    const std::wstring path = RuleSetCachePath(dataFolder);
    RemoveStaleTemporaryFiles(path);
    return path;
}
