#include "engine/probes/sysfs_tree_linux.h"

#include <algorithm>
#include <charconv>

#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_util.h"

namespace fs = std::filesystem;

fs::path CSysfsTree::Resolve(std::string_view relative) const { return root_ / fs::path(relative); }

bool CSysfsTree::Exists(std::string_view relative) const {
    std::error_code error;
    return fs::exists(Resolve(relative), error);
}

bool CSysfsTree::IsReadableFolder(std::string_view relative) const {
    std::error_code error;
    fs::directory_iterator it(Resolve(relative), error);
    return !error;
}

std::optional<std::string> CSysfsTree::ReadFile(std::string_view relative, size_t maxBytes) const {
    // Read to the end, not by the reported size: sysfs reports 4096 for every
    // attribute and procfs 0.
    FileReadResult result = ReadFileBounded(FromFsPath(Resolve(relative)), maxBytes);
    if (!result.ok()) return std::nullopt;
    return std::move(result.bytes);
}

std::string CSysfsTree::ReadLine(std::string_view relative) const {
    const auto text = ReadFile(relative);
    if (!text) return {};
    return std::string(TrimTrailingBlanks(std::string_view(*text).substr(0, text->find('\n')), kSpaceTabCr));
}

std::vector<std::string> CSysfsTree::List(std::string_view relative) const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(Resolve(relative), error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CSysfsTree::LinkTargetName(std::string_view relative) const {
    std::error_code error;
    const fs::path target = fs::read_symlink(Resolve(relative), error);
    if (error) return {};
    return target.filename().string();
}

fs::path CSysfsTree::Canonical(std::string_view relative) const {
    std::error_code error;
    fs::path path = fs::canonical(Resolve(relative), error);
    return error ? Resolve(relative) : path;
}

std::optional<uint64_t> ParseSysfsHex(std::string_view text) {
    if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || stop != text.data() + text.size()) return std::nullopt;
    return value;
}
