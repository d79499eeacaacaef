#include "engine/probes/steam_helper.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "engine/key_values.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"

namespace fs = std::filesystem;

namespace {

constexpr char kAppTag[] = "CSteamHelper::IsSteamAppInstalled";

// Where the Steam client keeps its folder: the compatibility link most
// installations make, the native folder, and the Flatpak sandbox's folder.
constexpr const char* kSteamRootCandidates[] = {
    ".steam/steam",
    ".local/share/Steam",
    ".var/app/com.valvesoftware.Steam/.local/share/Steam",
};

// The launcher script, or the client binary where a package keeps only that.
constexpr const char* kSteamLaunchers[] = {"steam.sh", "ubuntu12_32/steam"};

// Steam's own files are small; anything far larger is not one of them and is
// not read into memory.
constexpr size_t kMaxSteamFileBytes = 4 * 1024 * 1024;

// The "StateFlags" bit Steam sets once every file of the app is on disk.
constexpr uint64_t kStateFullyInstalled = 4;

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::wstring HomeFromEnvironment() {
    const char* home = std::getenv("HOME");
    return home ? Utf8ToWide(home) : std::wstring{};
}

// A Steam root: the folder, its launcher, and an identity for telling the
// same folder reached through a link apart from a second installation.
struct SteamRoot {
    fs::path folder;
    fs::path launcher;
    fs::path identity;
};

std::vector<SteamRoot> FindSteamRoots(const std::wstring& home) {
    std::vector<SteamRoot> roots;
    if (home.empty()) return roots;
    std::set<fs::path> seen;
    for (const char* candidate : kSteamRootCandidates) {
        const fs::path folder = ToFsPath(home) / candidate;
        if (!IsFolder(folder)) continue;
        for (const char* launcher : kSteamLaunchers) {
            if (!IsFile(folder / launcher)) continue;
            std::error_code error;
            fs::path identity = fs::weakly_canonical(folder, error);
            if (error) identity = folder;
            if (seen.insert(identity).second) roots.push_back({folder, folder / launcher, identity});
            break;
        }
    }
    return roots;
}

// The file's bytes, or nothing when it is missing, not a regular file,
// unreadable or too large (all but the first are logged: the file exists
// but cannot be trusted).
std::optional<std::string> ReadSteamFile(const fs::path& path) {
    FileReadResult result = ReadFileBounded(FromFsPath(path), kMaxSteamFileBytes);
    if (result.ok()) return std::move(result.bytes);
    if (result.status != FileReadStatus::Missing) {
        CCTLog::Instance().Log(LogLevel::Error, kAppTag, L"steam: file skipped (%ls): %ls",
                               DescribeReadFailure(result, kMaxSteamFileBytes).c_str(), FromFsPath(path).c_str());
    }
    return std::nullopt;
}

std::optional<KeyValue> ReadKeyValuesFile(const fs::path& path) {
    const auto text = ReadSteamFile(path);
    if (!text) return std::nullopt;
    std::string error;
    auto document = ParseKeyValues(*text, &error);
    if (!document) {
        CCTLog::Instance().Log(LogLevel::Error, kAppTag, L"steam: malformed file %ls: %ls", FromFsPath(path).c_str(),
                               Utf8ToWide(error).c_str());
    }
    return document;
}

bool IsDecimalKey(std::string_view key) {
    if (key.empty()) return false;
    for (char c : key) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The library folders a libraryfolders.vdf lists. Current clients write
// numbered sections holding a "path"; older ones wrote the path as the value
// of the numbered key itself.
std::vector<fs::path> ListedLibraries(const KeyValue& document) {
    std::vector<fs::path> libraries;
    const KeyValue* top = document.Find("libraryfolders");
    if (!top || !top->isSection) return libraries;
    for (const KeyValue& entry : top->children) {
        if (!IsDecimalKey(entry.key)) continue;
        std::optional<std::string> path = entry.isSection ? entry.FindValue("path") : entry.value;
        // Only absolute paths name a folder unambiguously.
        if (path && !path->empty() && (*path)[0] == '/') libraries.emplace_back(*path);
    }
    return libraries;
}

std::optional<uint64_t> ParseUnsigned(const std::string& text) {
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || text.empty()) return std::nullopt;
    return value;
}

bool ManifestSaysInstalled(const KeyValue& document, const std::string& appId) {
    const KeyValue* state = document.Find("AppState");
    if (!state || !state->isSection) return false;
    // A manifest copied under another app's name must not answer for it.
    const auto listedId = state->FindValue("appid");
    if (listedId && *listedId != appId) return false;
    const auto flagsText = state->FindValue("StateFlags");
    if (!flagsText) return false;
    const auto flags = ParseUnsigned(*flagsText);
    return flags && (*flags & kStateFullyInstalled) != 0;
}

}  // namespace

CSteamHelper::CSteamHelper(std::wstring homeFolder)
    : homeFolder_(homeFolder.empty() ? HomeFromEnvironment() : std::move(homeFolder)) {}

bool CSteamHelper::IsStandaloneSteamVRInstalled() {
    // The standalone SteamVR installer exists for Windows only.
    return false;
}

bool CSteamHelper::IsSteamInstalled() {
    const auto roots = FindSteamRoots(homeFolder_);
    if (roots.empty()) return false;
    steamFolder_ = FromFsPath(roots.front().folder);
    steamProgramPath_ = FromFsPath(roots.front().launcher);
    return true;
}

bool CSteamHelper::IsSteamAppInstalled(const std::wstring& appId) {
    // The id becomes part of a file name, so only digits are accepted.
    const std::string id = WideToUtf8(appId);
    if (!IsDecimalKey(id) || id.size() > 10) return false;

    std::vector<fs::path> libraries;
    for (const SteamRoot& root : FindSteamRoots(homeFolder_)) {
        libraries.push_back(root.folder);
        for (const char* listing : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"}) {
            if (const auto document = ReadKeyValuesFile(root.folder / listing)) {
                for (fs::path& library : ListedLibraries(*document)) libraries.push_back(std::move(library));
            }
        }
    }

    std::set<fs::path> examined;
    for (const fs::path& library : libraries) {
        std::error_code error;
        fs::path identity = fs::weakly_canonical(library, error);
        if (error) identity = library;
        if (!examined.insert(identity).second) continue;
        const fs::path manifest = library / "steamapps" / ("appmanifest_" + id + ".acf");
        const auto document = ReadKeyValuesFile(manifest);
        if (document && ManifestSaysInstalled(*document, id)) return true;
    }
    return false;
}
