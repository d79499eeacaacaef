// Steam and SteamVR detection against home folders laid out like real ones.

#include "engine/probes/steam_helper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "shell/platform.h"
#include "shell/text_convert.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kNative[] = ".local/share/Steam";
constexpr char kFlatpak[] = ".var/app/com.valvesoftware.Steam/.local/share/Steam";

std::string Fixture(const char* name) {
    return ReadWholeFile(Utf8ToWide(std::string(KALO_FIXTURE_DIR) + "/steam/" + name));
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string ManifestWithFlags(const std::string& flags) {
    return Replace(Fixture("appmanifest_250820.acf"), "\"StateFlags\"\t\t\"4\"", "\"StateFlags\"\t\t\"" + flags + "\"");
}

// A home folder with the pieces a case asks for.
class SteamHome {
public:
    std::string Home() const { return WideToUtf8(folder_.Path()); }
    void Write(const std::string& relative, const std::string& text) const {
        folder_.Write(Utf8ToWide(relative), text);
    }
    void InstallClient(const std::string& root) const { Write(root + "/steam.sh", "#!/bin/bash\n"); }
    // A second library on another disk, listed by the client's libraryfolders.vdf.
    void ListSecondLibrary(const std::string& root, const char* listing = "libraryfolders.vdf") const {
        std::string text = Replace(Fixture(listing), "@STEAM_ROOT@", Home() + "/" + root);
        Write(root + "/steamapps/libraryfolders.vdf", Replace(text, "@SECOND_LIBRARY@", Home() + "/games"));
    }
    CSteamHelper Helper() const { return CSteamHelper(folder_.Path()); }

private:
    ScopedTempFolder folder_;
};

TEST(SteamInstalled, NeedsTheFolderWithItsLauncher) {
    const struct { const char* name; const char* root; bool launcher; bool expected; const char* found; } kRows[] = {
        {"no Steam at all", nullptr, false, false, ""},
        {"native client", kNative, true, true, kNative},
        {"folder left behind without launcher", kNative, false, false, ""},
        {"Flatpak client", kFlatpak, true, true, kFlatpak},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        SteamHome home;
        if (row.root) home.Write(std::string(row.root) + "/steamapps/.keep", "");
        if (row.root && row.launcher) home.InstallClient(row.root);
        CSteamHelper helper = home.Helper();
        EXPECT_EQ(helper.IsSteamInstalled(), row.expected);
        const std::string expectedFolder = row.expected ? home.Home() + "/" + row.found : "";
        EXPECT_EQ(WideToUtf8(helper.SteamFolder()), expectedFolder);
        EXPECT_EQ(WideToUtf8(helper.SteamProgramPath()), row.expected ? expectedFolder + "/steam.sh" : "");
    }
}

TEST(SteamInstalled, FollowsTheCompatibilityLink) {
    SteamHome home;
    home.InstallClient(kNative);
    fs::create_directories(home.Home() + "/.steam");
    fs::create_directory_symlink(home.Home() + "/" + kNative, home.Home() + "/.steam/steam");
    CSteamHelper helper = home.Helper();
    EXPECT_TRUE(helper.IsSteamInstalled());
    EXPECT_EQ(WideToUtf8(helper.SteamFolder()), home.Home() + "/.steam/steam");
}

struct AppCase {
    const char* name;
    const char* client;     // Steam folder with its launcher; null: none
    const char* listing;    // libraryfolders.vdf form listing "games"; null: none
    const char* manifestIn; // library holding appmanifest_250820.acf; null: none
    const char* flags;
    const char* manifestAppId;
    bool expected;
};

const AppCase kAppCases[] = {
    {"fully installed in the Steam folder", kNative, nullptr, kNative, "4", "250820", true},
    {"installed in a second library", kNative, "libraryfolders.vdf", "games", "4", "250820", true},
    {"second library in the old listing format", kNative, "libraryfolders_legacy.vdf", "games", "4", "250820", true},
    {"installed with an update pending", kFlatpak, nullptr, kFlatpak, "6", "250820", true},
    {"first download still running", kNative, nullptr, kNative, "1026", "250820", false},
    {"flags that are no number", kNative, nullptr, kNative, "4x", "250820", false},
    {"listed library without the manifest", kNative, "libraryfolders.vdf", nullptr, "4", "250820", false},
    {"manifest of another app under SteamVR's name", kNative, nullptr, kNative, "4", "228980", false},
    {"manifest left behind without a Steam client", nullptr, nullptr, kNative, "4", "250820", false},
};

TEST(SteamAppInstalled, ReadsTheManifestsOfEveryLibrary) {
    for (const AppCase& c : kAppCases) {
        SCOPED_TRACE(c.name);
        SteamHome home;
        if (c.client) home.InstallClient(c.client);
        if (c.listing) home.ListSecondLibrary(c.client, c.listing);
        if (c.manifestIn) {
            home.Write(std::string(c.manifestIn) + "/steamapps/appmanifest_250820.acf",
                       Replace(ManifestWithFlags(c.flags), "\"250820\"", std::string("\"") + c.manifestAppId + "\""));
        }
        EXPECT_EQ(home.Helper().IsSteamAppInstalled(kSteamVrAppId), c.expected);
    }
}

TEST(SteamAppInstalled, RefusesAnAppIdThatWouldLeaveTheLibrary) {
    SteamHome home;
    home.InstallClient(kNative);
    home.Write(std::string(kNative) + "/steamapps/appmanifest_x/.keep", "");
    // Reached through the id "x/../../appmanifest_250820" if it were used as a path.
    home.Write(std::string(kNative) + "/appmanifest_250820.acf",
               Replace(ManifestWithFlags("4"), "\t\"appid\"\t\t\"250820\"\n", ""));
    EXPECT_FALSE(home.Helper().IsSteamAppInstalled(L"x/../../appmanifest_250820"));
}

TEST(SteamAppInstalled, MalformedManifestAnswersFalseWithOneLogLine) {
    SteamHome home;
    home.InstallClient(kNative);
    home.Write(std::string(kNative) + "/steamapps/appmanifest_250820.acf", "\"AppState\"\n{\n\t\"StateFlags\"\t\t\"4\"\n");
    LogCapture log;
    EXPECT_FALSE(home.Helper().IsSteamAppInstalled(kSteamVrAppId));
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_NE(log.Messages()[0].find("malformed"), std::string::npos);
}

TEST(SteamStandalone, IsAWindowsInstallationOnlyAndLogsNothing) {
    SteamHome home;
    home.InstallClient(kNative);
    LogCapture log;
    EXPECT_FALSE(home.Helper().IsStandaloneSteamVRInstalled());
    EXPECT_TRUE(log.Messages().empty());
}

TEST(SteamHomeFolder, DefaultsToHome) {
    SteamHome home;
    home.InstallClient(kNative);
    const char* saved = std::getenv("HOME");
    const std::string previous = saved ? saved : "";
    setenv("HOME", home.Home().c_str(), 1);
    CSteamHelper helper;
    const bool installed = helper.IsSteamInstalled();
    saved ? setenv("HOME", previous.c_str(), 1) : unsetenv("HOME");
    EXPECT_TRUE(installed);
}

}  // namespace
