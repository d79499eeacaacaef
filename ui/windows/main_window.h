#pragma once
// The program's one top-level window: the welcome page with the language
// choice and the check button, the checking page while a worker runs the
// check, and the result page with five rows and a headline. It opens the
// minimum-requirements and video-port windows as modal children.

#include <memory>
#include <vector>

#include "app/check_env_thread.h"
#include "engine/check_types.h"
#include "lang/lang_config.h"
#include "ui/base/base_wnd.h"

namespace ui {

class MainWindow : public CBaseWnd {
public:
    MainWindow() = default;
    // Stops a running check without waiting on the window: the window is
    // gone for the worker first, so a worker about to report cannot block.
    ~MainWindow() override;

    // What the result page shows; the check's own report normally, a given
    // one in tests.
    void LoadResultUI(const CheckReport& report);
    bool IsChecking() const;
    // The images of the first frame that take longest to decode: the
    // shadow and the welcome page's background (some 3 MB of pixels each),
    // for the skin to decode while the fonts load and the window is built.
    static std::vector<std::wstring> FirstFrameImages();

protected:
    std::wstring GetWindowClassName() const override { return L"KALOFitProbeMainWnd"; }
    std::wstring GetSkinFile() const override { return L"main_window.xml"; }
    void InitWindow() override;
    void OnDestroy() override;

    void ShowWelcome();
    void FillLanguageCombo();
    void StartCheck();
    // The language box's choice: switches, shows the texts and saves it.
    void OnLanguageSelected(int index);
    // The elements of one result row: the row, its caption, its mark (a
    // page container of three images) and its value.
    struct ResultRowElements {
        const wchar_t* row;
        const wchar_t* caption;
        const wchar_t* status;
        const wchar_t* value;
    };
    void SetResultRow(const ResultRowElements& row, const std::wstring& text, CheckResult code);

private:
    // On the window thread, while the finished worker waits: its report.
    void LoadResultOfFinishedCheck();
    void OpenChildWindow(bool minimumRequirements);
    // Back to the welcome page, with a message box in the current language.
    void ShowCheckFailed(const wchar_t* chineseText, const wchar_t* englishText);

    std::vector<LangPackInfo> languages_;
    std::unique_ptr<CheckEnvThread> checkWorker_;
};

}  // namespace ui
