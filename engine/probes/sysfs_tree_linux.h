#pragma once
// Read-only access to procfs, sysfs and the other system files below one
// root folder: "/" on a running machine, a fixture tree in tests. A missing
// or unreadable file is never an error here; it reads as empty.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CSysfsTree {
public:
    explicit CSysfsTree(std::filesystem::path root) : root_(std::move(root)) {}

    const std::filesystem::path& Root() const { return root_; }
    // `relative` uses "/" separators and no leading one ("sys/bus/pci").
    std::filesystem::path Resolve(std::string_view relative) const;

    bool Exists(std::string_view relative) const;
    bool IsReadableFolder(std::string_view relative) const;

    // The whole file, or nothing when it is missing, unreadable or larger
    // than maxBytes.
    std::optional<std::string> ReadFile(std::string_view relative, size_t maxBytes = 64 * 1024) const;
    // The first line without its line break and trailing blanks; empty when
    // the file is missing.
    std::string ReadLine(std::string_view relative) const;
    // The entry names of a folder in byte order; empty when it is missing.
    std::vector<std::string> List(std::string_view relative) const;
    // The last component of a symbolic link's target ("nvidia" for a
    // driver link); empty when it is no link.
    std::string LinkTargetName(std::string_view relative) const;
    // The path with every link resolved, or the plain path when it cannot be.
    std::filesystem::path Canonical(std::string_view relative) const;

private:
    std::filesystem::path root_;
};

// A hexadecimal sysfs number, with or without "0x"; nothing when the text
// holds anything else.
std::optional<uint64_t> ParseSysfsHex(std::string_view text);
