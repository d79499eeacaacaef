// The main window and the minimum-requirements window as the program runs
// them: the real base environment over a temporary data folder, the embedded
// packs, checks over fixture probes, the platform host. Every
// page is saved under screenshots/ for people to look at.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QGuiApplication>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/built_in_rule_set.h"
#include "app/check_helper.h"
#include "app/kalo_base.h"
#include "app/program_identity.h"
#include "engine/probes/probes_linux.h"
#include "remote/config_service.h"
#include "shell/log.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "tests/support/fixtures.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/throwing_probes.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "tests/ui/support/window_input.h"
#include "ui/host/qt/host_qt_window.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"
#include "ui/windows/main_window.h"
#include "ui/windows/minimum_config_window.h"

namespace ui::test {
namespace {

constexpr CheckResult P = CheckResult::Pass;
constexpr CheckResult F = CheckResult::Fail;
constexpr CheckResult U = CheckResult::Unknown;

// One process-wide environment, as start-up leaves it: data folder, packs,
// settings file beside a "program", the toolkit's language, checks over the
// fixture desktop without downloads.
class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        env_.Set("XDG_DATA_HOME", WideToUtf8(root_.File(L"data")).c_str());
        env_.Set("XDG_RUNTIME_DIR", WideToUtf8(root_.Path()).c_str());
        env_.Set("LANG", "C");
        RegisterEmbeddedFonts(TestHost());
        CKALOBase& base = CKALOBase::Instance();
        ASSERT_TRUE(base.Init(kProgramName, false));
        CCTLog::Instance().SetConsoleCopy(nullptr);
        SetSettingsFilePath(root_.Write(L"program/config/fitprobe.ini", "[test]\nistest=1\n"
                                                                        "testos=Microsoft Windows 10 Pro\n"));
        base.LangConfig().InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType);
        ASSERT_TRUE(base.LangConfig().ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));
        // Start-up's last-resort copy of the rule set, in the private temporary folder.
        ReleaseBuiltInRuleSet();
        InitLang([&base](const std::wstring& key) { return base.GetLangText(key); });
        CCheckHelper::Instance().SetDownloadEnabled(false);
        UseFixtureDesktop();
        MinimumConfigWindow::SetLoaderFactory([this] {
            auto loader = std::make_unique<MinimumConfigHelper>(
                MinimumConfigFolders{root_.File(L"data"), root_.File(L"program"), root_.File(L"none")});
            loader->CheckHelper().SetDownloadEnabled(false);
            return loader;
        });
    }
    void TearDown() override {
        CCheckHelper::Instance().SetEngineFactory(nullptr);
        MinimumConfigWindow::SetLoaderFactory(nullptr);
        SetSettingsFilePath(L"");
    }

    // Checks run over the fixture desktop's probes.
    void UseFixtureDesktop() {
        CCheckHelper::Instance().SetEngineFactory([this](const std::wstring& ruleSetPath) {
            return std::make_unique<CCheckEnv>(ruleSetPath, *probes_, steam_);
        });
    }

    static ScopedTempFolder root_;

private:
    ScopedEnv env_;
    std::unique_ptr<IHardwareProbes> probes_ = CreateLinuxHardwareProbes(MachineRoot("desktop-intel-nvidia"));
    CSteamHelper steam_{root_.File(L"home")};
};
ScopedTempFolder ProgramEnvironment::root_;
ProgramEnvironment* const kEnvironment =
    static_cast<ProgramEnvironment*>(::testing::AddGlobalTestEnvironment(new ProgramEnvironment));

void UseLanguage(const std::wstring& code) {
    CKALOBase& base = CKALOBase::Instance();
    for (const LangPackInfo& pack : base.LangConfig().LanguageList()) {
        if (pack.code == code) {
            ASSERT_TRUE(base.LangConfig().SwitchLanguage(pack.code, pack.displayName, kProgramName, L""));
        }
    }
}

std::wstring Text(const wchar_t* key) { return CKALOBase::Instance().GetLangText(key); }

// The window with its protected operations in reach of the tests.
class CTestMainWindow : public MainWindow {
public:
    using MainWindow::StartCheck;
    Control* Find(const wchar_t* name) const { return test::Find(*this, name); }
    int Page(const wchar_t* name) const {
        auto* tabs = static_cast<TabLayout*>(Find(name)->GetInterface(L"TabLayout"));
        return tabs != nullptr ? tabs->GetCurSel() : -1;
    }
    std::wstring TextOf(const wchar_t* name) const { return Find(name)->GetText(); }
    void Click(const wchar_t* name) { test::Click(*this, name); }
    void Save(const std::string& name) {
        GetPaintManager()->UpdateLayout();
        EXPECT_FALSE(Screenshot(*GetHostWindow(), name).IsEmpty()) << name;
    }
};

std::unique_ptr<CTestMainWindow> OpenMainWindow() {
    auto window = std::make_unique<CTestMainWindow>();
    EXPECT_TRUE(window->Create(nullptr, L"", kStylePopupDialog, 0));
    return window;
}

// Runs the window thread's loop until `done` or the limit; false on the limit.
bool RunUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST(MainWindow, WelcomeFollowsTheChosenLanguageAndTheChoiceIsSaved) {
    UseLanguage(L"en");
    auto window = OpenMainWindow();
    EXPECT_EQ(window->GetHostWindow()->Title(), L"KALO computer configuration detection tool");
    auto* combo = static_cast<Combo*>(window->Find(L"cmb_lang"));
    const auto& languages = CKALOBase::Instance().LangConfig().LanguageList();
    ASSERT_EQ(combo->GetCount(), static_cast<int>(languages.size()));
    for (int i = 0; i < combo->GetCount(); ++i) {
        EXPECT_EQ(combo->GetItemAt(i)->GetName(), languages[i].code);
        EXPECT_EQ(combo->GetItemAt(i)->GetText(), languages[i].displayName);
    }
    EXPECT_EQ(combo->GetDropBoxSize().cy, 216) << "six items shown, the rest scroll";
    for (const std::wstring code : {L"cn", L"jp", L"ru", L"en"}) {
        size_t index = 0;
        while (index < languages.size() && languages[index].code != code) ++index;
        ASSERT_LT(index, languages.size());
        combo->SelectItem(static_cast<int>(index), true);  // as a click in the list does
        EXPECT_EQ(CKALOBase::Instance().LangConfig().CurrentCode(), code);
        EXPECT_EQ(ProfileReadString(L"set", L"language", L"", SettingsFilePath()), code);
        const struct {
            const wchar_t* element;
            const wchar_t* key;
        } kTexts[] = {{L"welcome", L"IDS_STRING_WELCOME"},
                      {L"check_title", L"IDS_STRING_CHECK_TITLE"},
                      {L"check_tip", L"IDS_STRING_CHECK_TIP"},
                      {L"start_check", L"IDS_STRING_START_CHECK"},
                      {L"minimum_config_intro", L"IDS_STRING_MINIMUM_CONFIG_INTRO"},
                      {L"display_interface_intro", L"IDS_STRING_DISPLAY_INTERFACE_INTRO"}};
        for (const auto& t : kTexts) EXPECT_EQ(window->TextOf(t.element), Text(t.key)) << WideToUtf8(t.element);
        EXPECT_EQ(window->Page(L"tab_main"), 0);
        window->Save("main_welcome_" + WideToUtf8(code));
        EXPECT_GE(window->Find(L"start_check")->GetPos().Width(), 180);
    }
}

// The task bar's icon would hold up the first frame; the window takes it
// right after that frame instead.
TEST(MainWindow, TakesTheProgramIconAfterItsFirstFrame) {
    UseLanguage(L"en");
    auto window = OpenMainWindow();
    QWindow& native = dynamic_cast<qt::CQtHostWindow&>(*window->GetHostWindow()).NativeWindow();
    EXPECT_TRUE(native.icon().isNull());
    window->ShowWindow(true);
    ASSERT_TRUE(RunUntil([&native] { return !native.icon().isNull(); }, std::chrono::seconds(10)));
    EXPECT_EQ(native.icon().availableSizes(), QList<QSize>{QSize(256, 256)});
    window->ShowWindow(false);
}

TEST(MainWindow, ResultPageShowsTheRowsAndTheHeadlineOfTheReport) {
    struct Case {
        const char* name;
        CheckResult cpu, memory, os, gpu1, gpu2;
        int driverFlags;
        int headlinePage;
        int gpuPage, driverPage;
        const wchar_t* shownGpu;
    };
    const Case kCases[] = {
        {"compatible", P, P, P, P, U, 0, 0, 0, 0, L"GPU one"},
        {"second adapter, its driver fails", P, P, P, F, P, 2, 3, 0, 1, L"GPU two"},
        {"processor fails too", F, P, P, F, P, 2, 1, 0, 1, L"GPU two"},
        {"cannot be confirmed", P, U, P, P, U, 0, 2, 0, 0, L"GPU one"},
        {"first driver fails, second ignored", P, P, P, P, F, 1, 3, 0, 1, L"GPU one"},
    };
    UseLanguage(L"en");
    auto window = OpenMainWindow();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        CheckReport report;
        report.cpuGameResult = c.cpu;
        report.memoryResult = c.memory;
        report.osResult = c.os;
        report.gpuGameResult = {c.gpu1, c.gpu2};
        report.driverFlags = c.driverFlags;
        report.display.cpuText = L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz";
        report.display.memoryText = L"";  // shown as "Unrecognized"
        report.display.osText = L"Microsoft Windows 10 Pro (64)";
        report.display.gpuName = {L"GPU one", L"GPU two"};
        report.display.driverVersion = {L"31.0.15.3623", L"27.21.14.5671"};
        window->LoadResultUI(report);
        EXPECT_EQ(window->Page(L"tab_main"), 1);
        EXPECT_EQ(window->Page(L"tab_result_title"), c.headlinePage);
        EXPECT_EQ(window->Page(L"tab_result_gpu"), c.gpuPage);
        EXPECT_EQ(window->Page(L"tab_result_driver_version"), c.driverPage);
        EXPECT_EQ(window->Page(L"tab_result_ram"), c.memory == P ? 0 : c.memory == F ? 1 : 2);
        EXPECT_EQ(window->TextOf(L"gpu_value"), c.shownGpu);
        EXPECT_EQ(window->TextOf(L"ram_value"), Text(L"IDS_STRING_UNRECOGNIZED"));
        EXPECT_EQ(window->TextOf(L"back_btn"), Text(L"IDS_STRING_BACK"));
        window->Save(std::string("main_result_") + std::to_string(c.headlinePage) + "_" +
                     std::to_string(&c - kCases));
    }
    UseLanguage(L"ru");
    window->LoadResultUI(CheckReport{});
    EXPECT_EQ(window->TextOf(L"cpu_value"), Text(L"IDS_STRING_UNRECOGNIZED"));
    window->Save("main_result_unknown_ru");
    UseLanguage(L"en");
}

// The darkest ink in a column band of the frame: text pixels, not the page's
// light background.
bool HasInk(const std::vector<Argb>& frame, int width, int x, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        const Argb pixel = frame[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        const int green = static_cast<int>((pixel >> 8) & 0xFF);
        if (green < 0xC0) return true;
    }
    return false;
}

// In every language a caption that needs its ellipsis keeps at least 8 px of
// page between its last letter and the value ("Версия драйвера…" no longer
// touches "Не распознано").
TEST(MainWindow, ResultCaptionsKeepTheirDistanceFromTheValues) {
    auto window = OpenMainWindow();
    const wchar_t* kRows[][2] = {{L"cpu_name", L"cpu_value"}, {L"ram_name", L"ram_value"},
                                 {L"gpu_name", L"gpu_value"}, {L"driver_version_name", L"driver_version_value"},
                                 {L"os_name", L"os_value"}};
    for (const LangPackInfo& pack : CKALOBase::Instance().LangConfig().LanguageList()) {
        SCOPED_TRACE(WideToUtf8(pack.code));
        UseLanguage(pack.code);
        window->LoadResultUI(CheckReport{});
        window->GetPaintManager()->UpdateLayout();
        std::vector<Argb> frame;
        const Size size = window->GetHostWindow()->PaintInto(frame);
        // The frame carries the drop shadow's margin around the client area.
        const Size client = window->GetHostWindow()->ClientSize();
        const int dx = (size.cx - client.cx) / 2;
        const int dy = (size.cy - client.cy) / 2;
        for (const auto& [caption, value] : kRows) {
            SCOPED_TRACE(WideToUtf8(caption));
            const Rect captionBox = window->Find(caption)->GetPos().Offset(dx, dy);
            const Rect valueBox = window->Find(value)->GetPos().Offset(dx, dy);
            int lastInk = -1;
            for (int x = captionBox.left; x < valueBox.left; ++x) {
                if (HasInk(frame, size.cx, x, captionBox.top, captionBox.bottom)) lastInk = x;
            }
            ASSERT_GE(lastInk, 0) << "the caption is drawn";
            EXPECT_GE(valueBox.left - 1 - lastInk, 8);
        }
    }
    UseLanguage(L"en");
}

TEST(MainWindow, ChecksRunOnAWorkerAndAgainAfterGoingBack) {
    UseLanguage(L"en");
    auto window = OpenMainWindow();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const auto clicked = std::chrono::steady_clock::now();
        window->Click(L"start_check");
        EXPECT_EQ(window->Page(L"tab_check_state"), 1);
        EXPECT_EQ(window->TextOf(L"checking"), Text(L"IDS_STRING_CHECKING"));
        if (round == 0) window->Save("main_checking_en");
        ASSERT_TRUE(RunUntil([&] { return window->Page(L"tab_main") == 1; }));
        std::vector<Argb> frame;
        window->GetHostWindow()->PaintInto(frame);
        std::printf("figure: click on the check button to the painted result page %.1f ms (fixture probes, "
                    "no download)\n",
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - clicked).count());
        // The fixture desktop as Windows 10: an i7-8700 with a GTX 1060.
        EXPECT_NE(window->TextOf(L"gpu_value").find(L"GTX 1060"), std::wstring::npos);
        EXPECT_EQ(window->Page(L"tab_result_title"), 0);
        window->Save("main_result_fixture_desktop_en");
        window->Click(L"back_btn");
        EXPECT_EQ(window->Page(L"tab_main"), 0);
        EXPECT_EQ(window->Page(L"tab_check_state"), 0);
    }
}

TEST(MainWindow, ChildWindowsDimTheMainWindowWhileTheyRun) {
    UseLanguage(L"en");
    ProgramEnvironment::root_.Write(
        L"program/checkerconfig.json",
        R"({"body":{"minimum_configuration":[{"lang":"en","cpu":"Intel i5 or AMD R5","ram":"8 GB","gpu":"GTX 1060",)"
        R"("os":"Windows 10","dp":"DisplayPort 1.2","usb":"USB 3.0","disk":"5 GB"}]}})");
    auto window = OpenMainWindow();
    bool masked = false;
    // Inside the child's modal loop: look, then close it as the window
    // manager would.
    std::function<void()> whileOpen = [&] {
        masked = window->Find(L"ct_mask")->IsVisible() && !window->GetHostWindow()->IsInputEnabled();
        for (QWindow* native : QGuiApplication::topLevelWindows()) {
            if (native->isVisible() && native->transientParent() != nullptr) native->close();
        }
    };
    PlatformHost()->Post(whileOpen);
    window->Click(L"display_interface_intro");
    EXPECT_TRUE(masked);
    EXPECT_FALSE(window->Find(L"ct_mask")->IsVisible());
    EXPECT_TRUE(window->GetHostWindow()->IsInputEnabled());
    masked = false;
    PlatformHost()->Post(whileOpen);
    window->Click(L"minimum_config_intro");
    EXPECT_TRUE(masked);
    window->Save("main_after_children_en");
}

// The minimum-requirements window itself: loading page, then the table of
// the current language, or the layout's own values when nothing loads.
TEST(MinimumConfigWindow, ShowsTheLoadedRowOrTheLayoutValues) {
    struct Case {
        const char* name;
        const char* document;  // in the program folder; null: none anywhere
        const wchar_t* language;
        const wchar_t* cpuValue;
    };
    const Case kCases[] = {
        {"english row", R"({"body":{"minimum_configuration":[{"lang":"en","cpu":"Intel i5 or AMD R5"}]}})", L"en",
         L"Intel i5 or AMD R5"},
        {"no row of the language: en", R"({"body":{"minimum_configuration":[{"lang":"en","cpu":"EN"},)"
                                       R"({"lang":"cn","cpu":"CN"}]}})", L"de", L"EN"},
        {"nothing loads", nullptr, L"en", L"Intel i5 \u53CA AMD R5 \u6216\u66F4\u9AD8\u7248\u672C"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        UseLanguage(c.language);
        const std::wstring document = ProgramEnvironment::root_.File(L"program/checkerconfig.json");
        std::remove(WideToUtf8(document).c_str());
        if (c.document != nullptr) ProgramEnvironment::root_.Write(L"program/checkerconfig.json", c.document);
        MinimumConfigWindow window;
        ASSERT_TRUE(window.Create(nullptr, L"", kStylePopupDialog, kExStyleToolWindow | kExStyleDialogModalFrame));
        CPaintManager& manager = *window.GetPaintManager();
        auto* pages = static_cast<TabLayout*>(manager.FindControl(L"tab_load")->GetInterface(L"TabLayout"));
        EXPECT_EQ(pages->GetCurSel(), 0) << "loading until the loader reports";
        EXPECT_EQ(manager.FindControl(L"cpu_name")->GetText(), Text(L"IDS_STRING_CPU") + L": ");
        manager.UpdateLayout();
        if (&c == kCases) Screenshot(*window.GetHostWindow(), "minimum_config_loading_en");
        ASSERT_TRUE(RunUntil([&] { return pages->GetCurSel() == 1; }));
        EXPECT_EQ(manager.FindControl(L"cpu_value")->GetText(), c.cpuValue);
        manager.UpdateLayout();
        Screenshot(*window.GetHostWindow(), "minimum_config_table_" + std::to_string(&c - kCases));
    }
    UseLanguage(L"en");
}

// A check that throws leaves the checking page for the welcome page and says
// so in a message box owned by the main window.
TEST(MainWindow, ACheckThatThrowsReturnsToTheWelcomePageWithAMessage) {
    UseLanguage(L"en");
    CThrowingProbes probes;
    CSteamHelper steam(ProgramEnvironment::root_.File(L"home"));
    CCheckHelper::Instance().SetEngineFactory(
        [&](const std::wstring& path) { return std::make_unique<CCheckEnv>(path, probes, steam); });
    auto window = OpenMainWindow();
    bool boxShown = false;
    bool welcomeBehindBox = false;
    std::function<void()> answer = [&] {
        for (QWindow* native : QGuiApplication::topLevelWindows()) {
            if (!native->isVisible() || native->transientParent() == nullptr) continue;
            boxShown = true;
            welcomeBehindBox = window->Page(L"tab_check_state") == 0 && window->Page(L"tab_main") == 0;
            native->close();
            return;
        }
        QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(10, answer);
    window->Click(L"start_check");
    EXPECT_TRUE(RunUntil([&] { return boxShown && !window->IsChecking(); }));
    EXPECT_TRUE(welcomeBehindBox);
    EXPECT_EQ(window->Page(L"tab_check_state"), 0);
    kEnvironment->UseFixtureDesktop();
}

TEST(MainWindow, ClosingDuringACheckAgainstASilentServiceDoesNotWaitForTheService) {
    LoopbackHttpServer service;
    service.SetHandler([](const LoopbackRequest&) { return LoopbackAnswer{.neverAnswer = true}; });
    SetConfigServiceBaseUrl(service.BaseUrl());
    CCheckHelper::Instance().SetDownloadEnabled(true);
    auto window = OpenMainWindow();
    window->Click(L"start_check");
    ASSERT_TRUE(service.WaitForRequestTo("/common/getTimestamp", std::chrono::seconds(10)));
    ASSERT_TRUE(window->IsChecking());
    const auto closing = std::chrono::steady_clock::now();
    window->Click(L"closebtn");
    window.reset();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closing);
    std::printf("closing during a check took %lld ms\n", static_cast<long long>(took.count()));
    CCheckHelper::Instance().SetDownloadEnabled(false);
    SetConfigServiceBaseUrl("");
    QCoreApplication::processEvents();  // a late report finds no window
}

}  // namespace
}  // namespace ui::test
