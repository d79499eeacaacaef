#pragma once
// The video-port window: what the headset needs of the computer's video
// output per refresh rate. Static texts only; closes with its close button.

#include "ui/base/base_wnd.h"

namespace ui {

class DisplayInterfaceIntroWnd : public CBaseWnd {
public:
    // Owned by `owner`, centred on it, run modally; returns when closed.
    static void ShowModalOver(CWindowImplBase* owner);

protected:
    std::wstring GetWindowClassName() const override { return L"KALO_DISPLAY_INTERFACE_INTRO_WND"; }
    std::wstring GetSkinFile() const override { return L"display_interface_intro_wnd.xml"; }
    void InitWindow() override;
};

}  // namespace ui
