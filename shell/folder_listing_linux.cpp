#include "shell/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

#include "shell/platform.h"
#include "shell/text_convert.h"

namespace {
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
}  // namespace

std::vector<FolderEntry> ListFolderEntries(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    const std::unique_ptr<DIR, DirCloser> dir(opendir(ToFsPath(folder).c_str()));
    if (!dir) return entries;
    while (const dirent* item = readdir(dir.get())) {
        const std::string_view name(item->d_name);
        if (name == "." || name == "..") continue;
        struct statx info {};
        if (statx(dirfd(dir.get()), item->d_name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_CTIME | STATX_BTIME,
                  &info) != 0) {
            continue;  // gone since it was listed
        }
        FolderEntry entry;
        entry.name = Utf8ToWide(name);
        entry.isFolder = S_ISDIR(info.stx_mode);
        entry.created = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime.tv_sec : info.stx_ctime.tv_sec;
        entries.push_back(std::move(entry));
    }
    return entries;
}
