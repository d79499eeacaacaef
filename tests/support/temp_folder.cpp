#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "shell/platform.h"

namespace fs = std::filesystem;

ScopedTempFolder::ScopedTempFolder() {
    // A fresh name, created exclusively and private to the user, as mkdtemp
    // makes it (which Windows lacks).
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate = base / ("kalo-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
            path_ = FromFsPath(candidate);
        }
    }
    if (path_.empty()) ADD_FAILURE() << "no temporary folder could be made";
}

ScopedTempFolder::~ScopedTempFolder() {
    std::error_code error;
    fs::permissions(ToFsPath(path_), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(ToFsPath(path_), error);
}

std::wstring ScopedTempFolder::File(const std::wstring& name) const { return JoinPath(path_, NativePath(name)); }

std::wstring NativePath(std::wstring relative) {
    std::replace(relative.begin(), relative.end(), L'/', kPathSeparator);
    return relative;
}

std::string NativePath(std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', static_cast<char>(kPathSeparator));
    return relative;
}

std::wstring ScopedTempFolder::Write(const std::wstring& name, std::string_view bytes) const {
    const std::wstring path = File(name);
    fs::create_directories(ToFsPath(path).parent_path());
    std::ofstream out(ToFsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(ToFsPath(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
