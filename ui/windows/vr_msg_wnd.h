#pragma once
// The program's own message box: a title, one line of text and one or two
// buttons; run modally, it returns the code of the button pressed.

#include <string>

#include "ui/base/base_wnd.h"

namespace ui {

// Button sets, numbered as the platform's message-box types.
enum MessageBoxType : int {
    kMessageBoxOk = 0,
    kMessageBoxOkCancel = 1,
    kMessageBoxYesNo = 4,
    kMessageBoxRetryCancel = 5,
};

// Codes a message box returns, numbered as the platform's.
enum MessageBoxCode : int {
    kCodeOk = 1,
    kCodeCancel = 2,
    kCodeRetry = 4,
    kCodeYes = 6,
    kCodeNo = 7,
};

class CVRMsgWnd : public CBaseWnd {
public:
    CVRMsgWnd(std::wstring title, std::wstring text, int type, std::wstring confirmText,
              std::wstring cancelText = {});

protected:
    std::wstring GetWindowClassName() const override { return L"KALO_MsgWnd_ClassName"; }
    std::wstring GetSkinFile() const override { return L"msgwnd.xml"; }
    void InitWindow() override;
    // The window manager's close counts as the close button.
    void OnCloseRequested() override;

private:
    int CancelCode() const;

    std::wstring title_;
    std::wstring text_;
    int type_;
    std::wstring confirmText_;
    std::wstring cancelText_;
};

// Shows a message box over `owner` (or the screen when null) and returns the
// code it closed with; 0 when no window could be made.
int ShowMessageBox(CWindowImplBase* owner, const std::wstring& title, const std::wstring& text,
                   const std::wstring& confirmText, const std::wstring& cancelText, int type);

}  // namespace ui
