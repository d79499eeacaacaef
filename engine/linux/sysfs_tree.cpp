#include "engine/linux/sysfs_tree.h"

#include <algorithm>
#include <charconv>
#include <fstream>

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
    std::ifstream in(Resolve(relative), std::ios::binary);
    if (!in) return std::nullopt;
    // sysfs reports a size of 4096 for every attribute, so the file is read
    // to its end rather than by its reported size.
    std::string text;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > maxBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return text;
}

std::string CSysfsTree::ReadLine(std::string_view relative) const {
    const auto text = ReadFile(relative);
    if (!text) return {};
    std::string line = text->substr(0, text->find('\n'));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
    return line;
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
