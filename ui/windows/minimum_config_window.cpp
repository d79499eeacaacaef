#include "ui/windows/minimum_config_window.h"

#include "app/kalo_base.h"
#include "shell/wide_format.h"
#include "ui/base/custom_controls.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"

namespace ui {

namespace {

MinimumConfigWindow::LoaderFactory& Factory() {
    static MinimumConfigWindow::LoaderFactory factory;
    return factory;
}

struct RowElements {
    const wchar_t* name;
    const wchar_t* key;
    const wchar_t* value;
    std::wstring MinimumConfigRow::*text;
};

constexpr RowElements kRows[] = {
    {L"cpu_name", L"IDS_STRING_CPU", L"cpu_value", &MinimumConfigRow::cpu},
    {L"ram_name", L"IDS_STRING_RAM", L"ram_value", &MinimumConfigRow::ram},
    {L"gpu_name", L"IDS_STRING_GPU", L"gpu_value", &MinimumConfigRow::gpu},
    {L"os_name", L"IDS_STRING_OS", L"os_value", &MinimumConfigRow::os},
    {L"dp_name", L"IDS_STRING_DP", L"dp_value", &MinimumConfigRow::dp},
    {L"usb_name", L"IDS_STRING_USB", L"usb_value", &MinimumConfigRow::usb},
    {L"disk_name", L"IDS_STRING_DISK", L"disk_value", &MinimumConfigRow::disk},
};

}  // namespace

void MinimumConfigWindow::ShowModalOver(CWindowImplBase* owner) {
    MinimumConfigWindow window;
    if (!window.Create(owner, L"", kStylePopupDialog, kExStyleToolWindow | kExStyleDialogModalFrame)) return;
    window.CenterWindow();
    window.ShowModal();
}

void MinimumConfigWindow::SetLoaderFactory(LoaderFactory factory) { Factory() = std::move(factory); }

MinimumConfigWindow::~MinimumConfigWindow() {
    StopCrossThreadMessages();
    if (loader_) {
        loader_->DetachCallback();
        loader_->RequestStop();
    }
    loader_.reset();
}

std::unique_ptr<Control> MinimumConfigWindow::CreateControl(const std::wstring& kind) {
    // This layout spells the animation's kind "FrameAnimaton".
    if (kind == L"HorizontalLayoutEx") return std::make_unique<HorizontalLayoutEx>();
    if (kind == L"FrameAnimaton") return std::make_unique<FrameAnimation>();
    return CBaseWnd::CreateControl(kind);
}

void MinimumConfigWindow::InitWindow() {
    SetTextByKey(L"minimum_title", L"IDS_STRING_MINIMUM_CONFIG_TITLE");
    SetTextByKey(L"know_btn", L"IDS_STRING_KNOW");
    SetTextByKey(L"loading", L"IDS_STRING_LOADING");
    for (const RowElements& row : kRows) SetText(row.name, FormatWide(L"%ls: ", LangText(row.key).c_str()));
    loader_ = Factory() ? Factory()() : std::make_unique<MinimumConfigHelper>();
    BindClick(L"know_btn", [this] { Close(1); });
    // The sender shows the table only while this window is there.
    std::shared_ptr<CCrossThreadSender> sender = GetCrossThreadSender();
    loader_->Start([sender, this] { sender->Run([this] { ShowTable(); }); });
    // Without its thread the loader never reports: the table shows at once,
    // with the layout's own values.
    if (!loader_->HasThread()) ShowTable();
}

void MinimumConfigWindow::ShowTable() {
    const std::wstring& language = CKALOBase::Instance().LangConfig().CurrentCode();
    if (const MinimumConfigRow* row = ChooseMinimumConfigRow(loader_->Table(), language)) {
        for (const RowElements& element : kRows) SetText(element.value, row->*element.text);
    }
    SelectPage(L"tab_load", 1);
}

}  // namespace ui
