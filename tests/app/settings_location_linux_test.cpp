#include "app/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

// {hasConfigFolder, writable, systemFolder}
struct ChoiceCase {
    const char* name;
    const wchar_t* programFolder;
    ProgramFolderState state;
    const wchar_t* expected;
};

const ChoiceCase kChoiceCases[] = {
    {"writable program folder keeps it beside the program", L"/home/ann/probe", {false, true, false},
     L"/home/ann/probe/config/fitprobe.ini"},
    {"existing config folder keeps it beside the program", L"/opt/probe", {true, false, false},
     L"/opt/probe/config/fitprobe.ini"},
    {"existing config folder wins in a system folder too", L"/usr/bin", {true, true, true},
     L"/usr/bin/config/fitprobe.ini"},
    {"read-only folder goes to the user's folder", L"/opt/probe", {false, false, false},
     L"/home/ann/.xdg/KALOFitProbe/fitprobe.ini"},
    {"root's writable /usr/bin still goes to the user's folder", L"/usr/bin", {false, true, true},
     L"/home/ann/.xdg/KALOFitProbe/fitprobe.ini"},
    {"unknown program folder goes to the user's folder", L"", {false, false, false},
     L"/home/ann/.xdg/KALOFitProbe/fitprobe.ini"},
};

TEST(SettingsLocation, ChoosesBesideTheProgramOrTheUsersFolder) {
    for (const ChoiceCase& c : kChoiceCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseSettingsFile(c.programFolder, c.state, L"/home/ann/.xdg"), c.expected);
    }
}

TEST(SettingsLocation, NoUserFolderAndNoProgramFolderMeansNoSettingsFile) {
    EXPECT_EQ(ChooseSettingsFile(L"/usr/bin", {false, false, true}, L""), L"");
}

struct UserFolderCase {
    const char* name;
    const wchar_t* xdgConfigHome;  // empty: unset
    const wchar_t* home;
    const wchar_t* expected;
};

const UserFolderCase kUserFolderCases[] = {
    {"XDG_CONFIG_HOME set", L"/home/ann/.xdg", L"/home/ann", L"/home/ann/.xdg"},
    {"XDG_CONFIG_HOME unset: ~/.config", L"", L"/home/ann", L"/home/ann/.config"},
    {"relative XDG_CONFIG_HOME is ignored", L"conf", L"/home/ann", L"/home/ann/.config"},
    {"neither names a folder", L"", L"", L""},
    {"relative HOME names none", L"", L"ann", L""},
};

TEST(SettingsLocation, UserFolderFollowsTheBaseDirectoryRules) {
    for (const UserFolderCase& c : kUserFolderCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UserConfigFolderOf(c.xdgConfigHome, c.home), c.expected);
    }
}

TEST(SettingsLocation, UserFolderComesFromTheEnvironment) {
    ScopedEnv env("XDG_CONFIG_HOME", nullptr);
    env.Set("HOME", "/home/ann");
    EXPECT_EQ(UserConfigFolder(), L"/home/ann/.config");
    env.Set("XDG_CONFIG_HOME", "/tmp/xdg");
    EXPECT_EQ(UserConfigFolder(), L"/tmp/xdg");
}

TEST(SettingsLocation, ReadsARealWritableFolder) {
    ScopedTempFolder folder;
    ProgramFolderState state = ProgramFolderStateOf(folder.Path());
    EXPECT_TRUE(state.writable);
    EXPECT_FALSE(state.hasConfigFolder);
    EXPECT_FALSE(state.systemFolder);

    folder.Write(L"config/other.ini", "");
    state = ProgramFolderStateOf(folder.Path());
    EXPECT_TRUE(state.hasConfigFolder);
}

TEST(SettingsLocation, AFileNamedConfigIsNoConfigFolder) {
    ScopedTempFolder folder;
    folder.Write(L"config", "");
    EXPECT_FALSE(ProgramFolderStateOf(folder.Path()).hasConfigFolder);
}

TEST(SettingsLocation, ReadsARealReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write to any folder";
    ScopedTempFolder folder;
    folder.Write(L"program/kalofitprobe", "");
    const std::string programFolder = WideToUtf8(folder.File(L"program"));
    ASSERT_EQ(chmod(programFolder.c_str(), 0555), 0);
    EXPECT_FALSE(ProgramFolderStateOf(folder.File(L"program")).writable);
    chmod(programFolder.c_str(), 0755);
}

TEST(SettingsLocation, SystemFoldersAreRecognized) {
    EXPECT_TRUE(ProgramFolderStateOf(L"/usr/bin").systemFolder);
    EXPECT_TRUE(ProgramFolderStateOf(L"/usr/local/bin").systemFolder);
    EXPECT_FALSE(ProgramFolderStateOf(L"/usrlocal").systemFolder);
}

TEST(SettingsLocation, ATestProgramInTheBuildTreeKeepsItsSettingsBesideItself) {
    // The build tree is writable (and the programs' folder has config/), so a
    // run from there behaves as it always has, whatever the environment says.
    if (access(WideToUtf8(ProgramFolder()).c_str(), W_OK) != 0) GTEST_SKIP() << "build tree of another user";
    ScopedEnv env("XDG_CONFIG_HOME", "/nonexistent-xdg");
    EXPECT_EQ(ProgramSettingsFile(), JoinPath(JoinPath(ProgramFolder(), L"config"), L"fitprobe.ini"));
}

class SavedSetting : public ::testing::Test {
protected:
    void TearDown() override { SetSettingsFilePath(previous_); }
    ScopedTempFolder folder_;
    std::wstring previous_ = SettingsFilePath();
};

TEST_F(SavedSetting, SavingCreatesTheMissingUserFolderPrivately) {
    const std::wstring file = folder_.File(L"xdg/KALOFitProbe/fitprobe.ini");
    SetSettingsFilePath(file);
    ASSERT_TRUE(SaveProgramSetting(L"set", L"language", L"de"));
    EXPECT_EQ(ProfileReadString(L"set", L"language", L"", file), L"de");
    for (const wchar_t* created : {L"xdg", L"xdg/KALOFitProbe"}) {
        SCOPED_TRACE(WideToUtf8(created));
        struct stat info {};
        ASSERT_EQ(stat(WideToUtf8(folder_.File(created)).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

TEST_F(SavedSetting, AnExistingFolderKeepsItsModeAndOtherKeys) {
    const std::wstring file = folder_.Write(L"config/fitprobe.ini", "[test]\nistest=1\n");
    const std::string config = WideToUtf8(folder_.File(L"config"));
    ASSERT_EQ(chmod(config.c_str(), 0755), 0);
    SetSettingsFilePath(file);
    ASSERT_TRUE(SaveProgramSetting(L"set", L"language", L"fr"));
    EXPECT_EQ(ProfileReadString(L"set", L"language", L"", file), L"fr");
    EXPECT_EQ(ProfileReadInt(L"test", L"istest", 0, file), 1);
    struct stat info {};
    ASSERT_EQ(stat(config.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(SavedSetting, AFileWhereTheFolderBelongsSavesNothing) {
    folder_.Write(L"xdg", "not a folder");
    SetSettingsFilePath(folder_.File(L"xdg/KALOFitProbe/fitprobe.ini"));
    EXPECT_FALSE(SaveProgramSetting(L"set", L"language", L"de"));
}

TEST_F(SavedSetting, NoSettingsFileSavesNothing) {
    SetSettingsFilePath(L"");
    EXPECT_FALSE(SaveProgramSetting(L"set", L"language", L"de"));
}

}  // namespace
