// The base environment: folders, today's log, settings and install paths.

#include "app/kalo_base.h"
#include "lang/language_choice.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "app/install_paths.h"
#include "app/program_identity.h"
#include "shell/log.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "shell/wide_format.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class BaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        CCTLog::Instance().Close();
        CCTLog::Instance().SetConsoleCopy(nullptr);
        savedSettings_ = SettingsFilePath();
        env_.Set("XDG_DATA_HOME", WideToUtf8(home_.Path()).c_str());
        env_.Set("KALO4_PLATFORM_DIR", nullptr);
        env_.Set("KALO_REZIVOZOZ4_PATH", nullptr);
    }
    void TearDown() override {
        CCTLog::Instance().Close();
        CCTLog::Instance().SetMaxLevel(kLogLimitAtStart);
        SetSettingsFilePath(savedSettings_);
    }

    std::wstring DataFolder() const { return home_.File(L"KALO Assistant 4"); }
    static std::wstring TodaysLogName() {
        std::tm local{};
        ToLocalTime(std::time(nullptr), local);
        return FormatWide(L"KALOFitProbe-%04d%02d%02d.log", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    }

    ScopedTempFolder home_;
    ScopedEnv env_;
    std::wstring savedSettings_;
};

TEST_F(BaseTest, InitPreparesTheFoldersTheLogAndThePaths) {
    CKALOBase base;
    EXPECT_EQ(base.LangConfig().BaseFolder(), DataFolder()) << "known before Init, nothing created";
    EXPECT_FALSE(PathExists(DataFolder()));

    ASSERT_TRUE(base.Init(kProgramName, false));
    const std::wstring data = DataFolder();
    EXPECT_EQ(base.BaseFolder(), data);
    EXPECT_TRUE(fs::is_directory(ToFsPath(data + L"/Logs")));
    EXPECT_TRUE(fs::is_directory(ToFsPath(data + L"/crashDumps")));
    EXPECT_EQ(base.LogFolder(), data + L"/Logs/");
    EXPECT_EQ(base.CrashDumpFolder(), data + L"/crashDumps");
    EXPECT_EQ(base.LogFilePath(), data + L"/Logs/" + TodaysLogName());
    EXPECT_EQ(ReadWholeFile(base.LogFilePath()), "\n") << "the log opens with a line break";
    EXPECT_TRUE(CCTLog::Instance().IsEnabled());

    EXPECT_EQ(base.DataSettingsPath(), data + L"/config.ini");
    EXPECT_EQ(SettingsFilePath(), data + L"/config.ini");
    EXPECT_FALSE(PathExists(data + L"/config.ini")) << "the settings file is not created";

    EXPECT_EQ(base.SdkFolder(), data + L"/SDK");
    EXPECT_EQ(base.SdkServicePath(), data + L"/SDK/bin/KaloSDKService.exe");
    EXPECT_EQ(base.InstallLocation(), InstallLocationFromProgramPath(ProgramFilePath()));
    EXPECT_EQ(base.UiLanguageIndex(), 0);
    EXPECT_EQ(LanguageCodeForIndex(base.UiLanguageIndex()), L"cn");
    if (!base.TempDataFolder().empty()) {
        EXPECT_TRUE(fs::is_directory(ToFsPath(base.TempDataFolder())));
    }
}

TEST_F(BaseTest, ASecondStartOnTheSameDayAppendsAfterAnEmptyLine) {
    CKALOBase first;
    ASSERT_TRUE(first.Init(kProgramName, false));
    CCTLog::Instance().Log(LogLevel::Error, "Test::First", L"first run");
    CCTLog::Instance().Close();

    CKALOBase second;
    ASSERT_TRUE(second.Init(kProgramName, false));
    CCTLog::Instance().Log(LogLevel::Error, "Test::Second", L"second run");
    CCTLog::Instance().Close();

    const std::string text = ReadWholeFile(second.LogFilePath());
    const size_t firstLine = text.find("|Test::First|");
    const size_t gap = text.find("first run\n\n");
    const size_t secondLine = text.find("|Test::Second|");
    EXPECT_EQ(text.front(), '\n');
    EXPECT_NE(firstLine, std::string::npos);
    EXPECT_NE(gap, std::string::npos);
    EXPECT_LT(gap, secondLine);
}

TEST_F(BaseTest, AnExistingDataFolderKeepsWhatItHolds) {
    const std::wstring data = DataFolder();
    home_.Write(L"KALO Assistant 4/checkerconfig.json", "{}");
    home_.Write(L"KALO Assistant 4/Logs/KALOFitProbe-20990101.log", "recent enough");
    CKALOBase base;
    ASSERT_TRUE(base.Init(kProgramName, false));
    EXPECT_EQ(ReadWholeFile(data + L"/checkerconfig.json"), "{}");
    EXPECT_TRUE(PathExists(data + L"/Logs/KALOFitProbe-20990101.log")) << "created just now, so it stays";
}

struct UncreatableCase {
    const char* name;
    bool goOn;
    bool result;
};

TEST_F(BaseTest, ADataFolderThatCannotBeCreatedStopsOnlyWithoutGoOn) {
    const UncreatableCase cases[] = {
        {"stop", false, false},
        {"go on", true, true},
    };
    for (const UncreatableCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A plain file where the data folder's parent should be.
        const std::wstring blocker = home_.Write(L"blocker", "not a folder");
        ScopedEnv env;
        env.Set("XDG_DATA_HOME", WideToUtf8(blocker).c_str());
        CKALOBase base;
        EXPECT_EQ(base.Init(kProgramName, c.goOn), c.result);
        EXPECT_FALSE(CCTLog::Instance().HasFile()) << "no log can be opened below a file";
        CCTLog::Instance().Close();
    }
}

struct SdkCase {
    const char* name;
    const char* platformDir;
    const char* expected;  // nullptr: the default below the data folder
};

TEST_F(BaseTest, TheSdkFolderComesFromTheEnvironmentOrTheDataFolder) {
    const std::string tooLong = "/" + std::string(300, 's');
    const SdkCase cases[] = {
        {"set", "/opt/kalo-sdk", "/opt/kalo-sdk"},
        {"set but empty", "", ""},
        {"longer than a registry string", tooLong.c_str(), nullptr},
        {"not set", nullptr, nullptr},
    };
    for (const SdkCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv env;
        env.Set("KALO4_PLATFORM_DIR", c.platformDir);
        CKALOBase base;
        ASSERT_TRUE(base.Init(kProgramName, false));
        const std::wstring expected = c.expected ? Utf8ToWide(c.expected) : DataFolder() + L"/SDK";
        EXPECT_EQ(base.SdkFolder(), expected);
        EXPECT_EQ(base.SdkServicePath(), expected + L"/bin/KaloSDKService.exe");
        CCTLog::Instance().Close();
    }
}

TEST_F(BaseTest, TheInstallLocationComesFromTheEnvironmentFirst) {
    env_.Set("KALO_REZIVOZOZ4_PATH", "/opt/KALO Assistant");
    CKALOBase base;
    ASSERT_TRUE(base.Init(kProgramName, false));
    EXPECT_EQ(base.InstallLocation(), L"/opt/KALO Assistant");
}

TEST_F(BaseTest, TextLookUpsGoThroughTheLanguageConfiguration) {
    CKALOBase base;
    ASSERT_TRUE(base.Init(kProgramName, false));
    base.LangConfig().InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
    ASSERT_TRUE(base.LangConfig().ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));
    ASSERT_TRUE(base.LangConfig().SwitchLanguage(L"en", L"English", kProgramName, L""));

    ILangRes& source = base;
    EXPECT_STREQ(source.GetLangText(L"IDS_STRING_START_CHECK"), L"Check now");
    const std::wstring copy = source.GetLangText(std::wstring(L"IDS_STRING_BACK"));
    EXPECT_EQ(copy, L"back");
    EXPECT_STREQ(source.GetLangText(L"NO_SUCH_KEY"), L"");
    EXPECT_EQ(base.LangConfig().LanguageList().size(), 12u);
    EXPECT_EQ(base.LangConfig().CurrentLanguageFolder(), DataFolder() + L"/KALOFitProbeLang/en/fitprobe");
    EXPECT_TRUE(PathExists(DataFolder() + L"/KALOFitProbeLang/lang.ini"));
}

}  // namespace
