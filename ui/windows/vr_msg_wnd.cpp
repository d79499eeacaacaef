#include "ui/windows/vr_msg_wnd.h"

#include "ui/toolkit/window_styles.h"

namespace ui {

CVRMsgWnd::CVRMsgWnd(std::wstring title, std::wstring text, int type, std::wstring confirmText,
                     std::wstring cancelText)
    : title_(std::move(title)),
      text_(std::move(text)),
      type_(type),
      confirmText_(std::move(confirmText)),
      cancelText_(std::move(cancelText)) {}

void CVRMsgWnd::InitWindow() {
    if (!title_.empty()) {
        SetText(L"msgbox_title", title_);
        if (IHostWindow* host = GetHostWindow()) host->SetTitle(title_);
    }
    if (!text_.empty()) SetText(L"msgbox_text", text_);
    BindClick(L"btn_msgbox_ok",
              [this] { Close(type_ == kMessageBoxYesNo ? kCodeYes : type_ == kMessageBoxRetryCancel ? kCodeRetry : kCodeOk); });
    BindClick(L"btn_msgbox_ok2", [this] { Close(kCodeOk); });
    BindClick(L"btn_msgbox_cancel", [this] { Close(CancelCode()); });
    // The window base's close button would close with 1, which is no answer.
    BindClick(L"closebtn", [this] { Close(CancelCode()); });
    if (type_ == kMessageBoxOkCancel || type_ == kMessageBoxYesNo || type_ == kMessageBoxRetryCancel) {
        SetVisible(L"msgbox_type_1", true);
        SetVisible(L"msgbox_type_2", false);
        SetText(L"btn_msgbox_ok", confirmText_);
        SetText(L"btn_msgbox_cancel", cancelText_);
        return;
    }
    // An empty caption keeps the layout's own "确定".
    if (type_ == kMessageBoxOk && !confirmText_.empty()) SetText(L"btn_msgbox_ok2", confirmText_);
    SetVisible(L"msgbox_type_1", false);
    SetVisible(L"msgbox_type_2", true);
}

void CVRMsgWnd::OnCloseRequested() { Close(CancelCode()); }

int CVRMsgWnd::CancelCode() const { return type_ == kMessageBoxYesNo ? kCodeNo : kCodeCancel; }

int ShowMessageBox(CWindowImplBase* owner, const std::wstring& title, const std::wstring& text,
                   const std::wstring& confirmText, const std::wstring& cancelText, int type) {
    CVRMsgWnd window(title, text, type, confirmText, cancelText);
    if (!window.Create(owner, title, kStylePopupDialog, 0)) return 0;
    window.CenterWindow();
    return window.ShowModal();
}

}  // namespace ui
