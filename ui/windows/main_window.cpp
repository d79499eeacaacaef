#include "ui/windows/main_window.h"

#include "app/check_helper.h"
#include "app/kalo_base.h"
#include "app/program_identity.h"
#include "app/settings_location.h"
#include "engine/result_page.h"
#include "engine/rule_set_reader.h"
#include "shell/embedded_resource.h"
#include "shell/log.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/windows/display_interface_intro_wnd.h"
#include "ui/windows/minimum_config_window.h"
#include "ui/windows/program_strings.h"
#include "ui/windows/vr_msg_wnd.h"

namespace ui {

namespace {

constexpr int kLanguageItemHeight = 36;

int StatusPage(CheckResult code) {
    switch (code) {
        case CheckResult::Pass: return 0;
        case CheckResult::Fail: return 1;
        default: return 2;
    }
}

// What a screen reader says for a row's mark.
std::wstring StatusName(CheckResult code) {
    struct Name {
        const wchar_t* key;
        const wchar_t* english;
    };
    static constexpr Name kNames[] = {{L"IDS_STRING_STATUS_PASS", L"compatible"},
                                      {L"IDS_STRING_STATUS_FAIL", L"not compatible"},
                                      {L"IDS_STRING_STATUS_UNKNOWN", L"cannot be confirmed"}};
    const Name& name = kNames[StatusPage(code)];
    return LangTextOr(name.key, name.english);
}

}  // namespace

MainWindow::~MainWindow() {
    StopCrossThreadMessages();
    if (checkWorker_) checkWorker_->RequestStop();
    checkWorker_.reset();
}

bool MainWindow::IsChecking() const { return checkWorker_ && checkWorker_->IsRunning(); }

std::vector<std::wstring> MainWindow::FirstFrameImages() {
    return {L"image/bg_shadow.png", L"image/bk_welcome.png"};
}

void MainWindow::InitWindow() {
    GetHostWindow()->SetProgramIcon(kIconId);
    languages_ = CKALOBase::Instance().LangConfig().LanguageList();
    FillLanguageCombo();
    BindClick(L"start_check", [this] { StartCheck(); });
    for (const wchar_t* link : {L"minimum_config_intro", L"minimum_config_intro_result"}) {
        BindClick(link, [this] { OpenChildWindow(true); });
    }
    for (const wchar_t* link : {L"display_interface_intro", L"display_interface_intro_result"}) {
        BindClick(link, [this] { OpenChildWindow(false); });
    }
    BindClick(L"back_btn", [this] { ShowWelcome(); });
    BindSelect(L"cmb_lang", [this](int index) { OnLanguageSelected(index); });
    ShowWelcome();
}

void MainWindow::FillLanguageCombo() {
    ComboClear(L"cmb_lang");
    if (languages_.empty()) {
        languages_.push_back({L"cn", L"简体中文", L"", 0});
        languages_.push_back({L"en", L"English", L"", 0});
    }
    for (const LangPackInfo& language : languages_) {
        ComboAddItem(L"cmb_lang", language.code, language.displayName, kLanguageItemHeight);
    }
    const CLangConfig& config = CKALOBase::Instance().LangConfig();
    int current = -1;
    for (size_t i = 0; i < languages_.size(); ++i) {
        if (languages_[i].code == config.CurrentCode()) {
            current = static_cast<int>(i);
            break;
        }
    }
    if (current < 0) {
        languages_.push_back({config.CurrentCode(), config.CurrentDisplayName(), L"", 0});
        ComboAddItem(L"cmb_lang", config.CurrentCode(), config.CurrentDisplayName(), kLanguageItemHeight);
        current = static_cast<int>(languages_.size()) - 1;
    }
    // Filling the box must never switch the language.
    ComboSelect(L"cmb_lang", current, false);
}

void MainWindow::ShowWelcome() {
    GetHostWindow()->SetTitle(LoadProgramString(kMainWindowTitleString));
    NameWindowButtons();
    SetTextByKey(L"welcome", L"IDS_STRING_WELCOME");
    SetTextByKey(L"check_title", L"IDS_STRING_CHECK_TITLE");
    SetTextByKey(L"check_tip", L"IDS_STRING_CHECK_TIP");
    SetTextByKey(L"start_check", L"IDS_STRING_START_CHECK");
    SetTextByKey(L"minimum_config_intro", L"IDS_STRING_MINIMUM_CONFIG_INTRO");
    SetTextByKey(L"display_interface_intro", L"IDS_STRING_DISPLAY_INTERFACE_INTRO");
    SelectPage(L"tab_check_state", 0);
    SelectPage(L"tab_main", 0);
}

void MainWindow::StartCheck() {
    SetTextByKey(L"checking", L"IDS_STRING_CHECKING");
    SelectPage(L"tab_check_state", 1);
    // The previous worker has reported (the result page was shown), so
    // replacing it does not wait.
    checkWorker_ = std::make_unique<CheckEnvThread>();
    // The sender runs the report only while this window is there to take it.
    std::shared_ptr<CCrossThreadSender> sender = GetCrossThreadSender();
    checkWorker_->Start([sender, this] { sender->Run([this] { LoadResultOfFinishedCheck(); }); });
    if (checkWorker_->HasThread()) return;
    // No thread, no report: back to the start instead of animating for ever.
    CCTLog::Instance().Log(LogLevel::Error, "MainWindow::StartCheck", L"the check worker could not start");
    ShowCheckFailed(L"检测无法启动，请重试。", L"The check could not start. Please try again.");
}

void MainWindow::ShowCheckFailed(const wchar_t* chineseText, const wchar_t* englishText) {
    ShowWelcome();
    const bool chinese = CKALOBase::Instance().LangConfig().CurrentCode() == L"cn";
    ShowMask(true);
    ShowMessageBox(this, L"KALO", chinese ? chineseText : englishText, chinese ? L"确定" : L"OK", L"", kMessageBoxOk);
    ShowMask(false);
}

void MainWindow::LoadResultOfFinishedCheck() {
    const CCheckEnv* env = CCheckHelper::Instance().CurrentEnv();
    if (env == nullptr) {
        // The check failed on its way (the helper has logged why): the user
        // hears of it and may try again, instead of waiting on the animation.
        ShowCheckFailed(L"检测未能完成，请重试。", L"The check could not finish. Please try again.");
        return;
    }
    LoadResultUI(env->Report());
}

void MainWindow::LoadResultUI(const CheckReport& report) {
    SetTextByKey(L"cpu_name", L"IDS_STRING_CPU");
    SetTextByKey(L"ram_name", L"IDS_STRING_RAM");
    SetTextByKey(L"gpu_name", L"IDS_STRING_GPU");
    SetTextByKey(L"os_name", L"IDS_STRING_OS");
    SetTextByKey(L"back_btn", L"IDS_STRING_BACK");
    SetTextByKey(L"minimum_config_intro_result", L"IDS_STRING_MINIMUM_CONFIG_INTRO");
    SetTextByKey(L"display_interface_intro_result", L"IDS_STRING_DISPLAY_INTERFACE_INTRO");
    SetTextByKey(L"driver_version_name", L"IDS_STRING_DRIVER_VERSION");

    const HardwareInventory& shown = report.display;
    CCTLog::Instance().Log(LogLevel::Progress, "MainWindow::LoadResultUI", L"cpu=%ls memory=%ls gpu1=%ls gpu2=%ls os=%ls",
                           shown.cpuText.c_str(), shown.memoryText.c_str(), shown.gpuName[0].c_str(),
                           shown.gpuName[1].c_str(), shown.osText.c_str());

    // The terminal check renders the same page, so the two never disagree.
    const ResultPage page = BuildResultPage(report);
    static constexpr ResultRowElements kRows[] = {
        {L"row_cpu", L"cpu_name", L"tab_result_cpu", L"cpu_value"},
        {L"row_ram", L"ram_name", L"tab_result_ram", L"ram_value"},
        {L"row_gpu", L"gpu_name", L"tab_result_gpu", L"gpu_value"},
        {L"row_driver_version", L"driver_version_name", L"tab_result_driver_version", L"driver_version_value"},
        {L"row_os", L"os_name", L"tab_result_os", L"os_value"},
    };
    for (size_t i = 0; i < page.rows.size(); ++i) SetResultRow(kRows[i], page.rows[i].value, page.rows[i].result);
    static constexpr const wchar_t* kHeadlineElements[][2] = {
        {L"config_yes", L"config_yes_tip"},
        {L"config_no", L"config_no_tip"},
        {L"config_unknow", L"config_unknow_tip"},
        {L"config_driver_version_no", L"config_driver_version_tip"},
    };
    SetTextByKey(kHeadlineElements[page.titlePage][0], page.titleKey);
    SetTextByKey(kHeadlineElements[page.titlePage][1], page.tipKey);
    SelectPage(L"tab_result_title", page.titlePage);
    SelectPage(L"tab_main", 1);
}

void MainWindow::SetResultRow(const ResultRowElements& row, const std::wstring& text, CheckResult code) {
    SelectPage(row.status, StatusPage(code));
    if (text.empty()) {
        SetTextByKey(row.value, kUnrecognizedKey);
    } else {
        SetText(row.value, text);
    }
    // A screen reader reads the mark by its name and the row as one
    // sentence: component, value, status.
    const std::wstring status = StatusName(code);
    SetAccessibleName(row.status, status);
    SetAccessibleName(row.row, TextOf(row.caption) + L": " + TextOf(row.value) + L", " + status);
}

void MainWindow::OpenChildWindow(bool minimumRequirements) {
    ShowMask(true);
    if (minimumRequirements) {
        MinimumConfigWindow::ShowModalOver(this);
    } else {
        DisplayInterfaceIntroWnd::ShowModalOver(this);
    }
    ShowMask(false);
}

void MainWindow::OnLanguageSelected(int index) {
    if (index < 0 || static_cast<size_t>(index) >= languages_.size() || languages_[index].code.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, "MainWindow::OnItemSelect", L"combox select lang empty!");
        return;
    }
    const LangPackInfo language = languages_[index];
    CKALOBase::Instance().LangConfig().SwitchLanguage(language.code, language.displayName, kProgramName, L"");
    ShowWelcome();
    SaveProgramSetting(L"set", L"language", language.code);
}

void MainWindow::OnDestroy() {
    // A running check is not waited for; it is asked to stop (Close has
    // already cut it off from the window).
    if (checkWorker_) checkWorker_->RequestStop();
    if (IHost* host = PlatformHost()) host->Quit(0);
}

}  // namespace ui
