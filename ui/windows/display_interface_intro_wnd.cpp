#include "ui/windows/display_interface_intro_wnd.h"

#include "ui/toolkit/window_styles.h"

namespace ui {

void DisplayInterfaceIntroWnd::ShowModalOver(CWindowImplBase* owner) {
    DisplayInterfaceIntroWnd window;
    if (!window.Create(owner, L"", kStyleOverlappedWindow, kExStyleWindowEdge)) return;
    window.CenterWindow();
    window.ShowModal();
}

void DisplayInterfaceIntroWnd::InitWindow() {
    // The HDMI column is not in the layout: its texts are put in all the same
    // and go nowhere, so a layout that brings the column back shows them.
    struct ElementText {
        const wchar_t* element;
        const wchar_t* key;
    };
    static constexpr ElementText kTexts[] = {
        {L"lb_title", L"IDS_STRING_DISPLAY_INTERFACE_TITLE"},
        {L"lb_refresh_rate", L"IDS_STRING_SCREEN_REFRESH_RATE"},
        {L"lb_interface_high", L"IDS_STRING_INTERFACE_HIGH"},
        {L"lb_interface_hdmi", L"IDS_STRING_INTERFACE_HDMI"},
        {L"lb_tips", L"IDS_STRING_DISPLAY_INTERFACE_TIPS"},
        {L"lb_72hz_high_intro", L"IDS_STRING_REFRESH_RATE_72HZ_DESC1"},
        {L"lb_72hz_hdmi_intro", L"IDS_STRING_REFRESH_RATE_72HZ_DESC2"},
        {L"lb_90hz_high_intro", L"IDS_STRING_REFRESH_RATE_90HZ_DESC1"},
        {L"lb_90hz_hdmi_intro", L"IDS_STRING_NOT_SUPPORT"},
        {L"lb_120hz_high_intro", L"IDS_STRING_REFRESH_RATE_120HZ_DESC1"},
        {L"lb_120hz_hdmi_intro", L"IDS_STRING_NOT_SUPPORT"},
    };
    for (const ElementText& text : kTexts) SetTextByKey(text.element, text.key);
}

}  // namespace ui
